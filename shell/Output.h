#pragma once

#include <string>

// The command line's output: standard output and standard error, as each system gives them.

// Standard streams that were closed at the start are opened on the null device, so that no file
// the program opens later takes their place (a report written into it). On Windows a program
// started from a console writes to that console. True when standard output was open.
bool OpenStandardStreams();

// The message on standard error, after "velnor: ".
void Complain(const std::string& text);

// The bytes on standard output, all of them, and the stream closed: 0, or 1 with the reason on
// standard error (a full disk, a closed pipe).
int Print(const std::string& bytes);
