// The transform driver: options, the file handshake with the host, the run, the exit status.
#pragma once

// Decodes one option argument, prefix character included, into the option variables.
void opt(char *argument);

// One whole run of the tool in the working directory; returns the exit status.
int Transform(int argc, char **argv);

// Writes one message to standard error and ends the run with status. The tool exits; the
// fuzzer, which runs the tool in process, replaces it through BalloonStopHook.
[[noreturn]] void Stop(int status, const char *fmt, const char *name);

// When set, Stop calls it instead of exiting; it must not return.
extern void (*BalloonStopHook)(int status);
