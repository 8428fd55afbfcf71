// The transform driver: options, the file handshake with the host, the run, the exit status.
#pragma once

// Decodes one option argument, prefix character included, into the option variables.
void opt(char *argument);

// One whole run of the tool in the working directory; returns the exit status.
int Transform(int argc, char **argv);

// Writes one message about the file name to standard error ("Cannot open file: NAME \n") and
// ends the run with status. The tool's own is in stop.cpp; a program that runs the tool in
// process (the fuzz target) links its own instead.
[[noreturn]] void Stop(int status, const char *message, const char *name);
