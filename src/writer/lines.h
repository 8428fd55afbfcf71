// The fixed lines of the command file that are not drawing commands.
#pragma once

// The first line of the debug trailer, on the console at level 2 and in the command file at 1
#define LINE_TRAILER "# ------------------ main() Pattern1 end file closing ------------------ \n"

// "he", "element count over" in Shift_JIS, "MAX=" and the limit
#define LINE_OVERFLOW "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5b\x83\x6f\x81\x5b    MAX=%u\n"

// "h#", "instruction data error (the number is too large)" in Shift_JIS
#define LINE_NUMBER                                                                                \
    "h# VELMAR3  \x8e\x77\x8e\xa6\x83\x66\x81\x5b\x83\x5e\x81\x5b\x83\x47\x83\x89\x81\x5b"         \
    "(\x94\xd4\x8d\x86\x82\xaa\x91\xe5\x82\xab\x82\xa2)------ \n"

// "h#", "instruction data error (three or more indications)" in Shift_JIS
#define LINE_COUNT                                                                                 \
    "h# VELMAR3  \x8e\x77\x8e\xa6\x83\x66\x81\x5b\x83\x5e\x81\x5b\x83\x47\x83\x89\x81\x5b"         \
    "(\x8e\x77\x8e\xa6\x90\x94\x82\xaa\x82\x52\x88\xc8\x8f\xe3)------ \n"

// "h#", "option error", the option's letter
#define LINE_OPTION                                                                                \
    "h# VELMAR3  \x83\x49\x83\x76\x83\x56\x83\x87\x83\x93\x83\x47\x83\x89\x81\x5b(-%s)------ \n"

// "h#", "number file error" and the file's name
#define LINE_NUMBERS                                                                               \
    "h# VELMAR3  \x94\xd4\x8d\x86\x83\x74\x83\x40\x83\x43\x83\x8b\x83\x47\x83\x89\x81\x5b"         \
    "(QVC_NEXT.TXT)------ \n"

// "h#", "number error (no next number)"
#define LINE_NO_NEXT                                                                               \
    "h# VELMAR3  \x94\xd4\x8d\x86\x83\x47\x83\x89\x81\x5b"                                         \
    "(\x8e\x9f\x82\xcc\x94\xd4\x8d\x86\x82\xc8\x82\xb5)------ \n"
