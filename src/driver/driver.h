// The transform driver: options, the file handshake with the host, the run, the exit status.
#pragma once

// Decodes one option argument, prefix character included, into the option variables; next is
// the argument after it, nullptr after the last.
void opt(char *argument, const char *next = nullptr);

// The option letter, as given, of the first refused value still in force (a later value of the
// option, or of another that decides the label, takes its place); 0 when there is none.
char Refused();

// Creates the replacement of the file of numbers, "QVC_NEXT.$$$", for a run at debug level 0
// that may number on (-i, -iTEXT, -i= with a stack), before the host's file is open (which on
// Windows would keep a second link of it there from going); on Windows it holds the file against
// another run until it is renamed into place.
void NumberOpen();

// Decides the label of a numbering run (-i): the one given, the one after the label of the
// file of numbers, "1" where there is none, or that label again (-i=). Returns BALLOON_DRAWN, or
// the error that draws in place of the balloon.
int Numbering();

// Writes the label drawn (the stack's last) into the replacement of the file of numbers and brings
// it to stable storage; false when that failed.
bool NumberSync();

// Stops a run that failed after creating the command file: at debug level 0 the partial files
// go, so that a full disk is not left full.
[[noreturn]] void Fail(int status, const char *message, const char *name);

// One whole run of the tool in the working directory; returns the exit status.
int Transform(int argc, char **argv);

// Writes one message about the file name to standard error ("Cannot open file: NAME \n") and
// ends the run with status. The tool's own is in stop.cpp; a program that runs the tool in
// process (the fuzz target) links its own instead.
[[noreturn]] void Stop(int status, const char *message, const char *name);
