#pragma once

#include "platform/Services.h"

#include <functional>

// The program from its command line to its end, whatever window it shows: --help, --version,
// --report (the logic without a window), or the window that `runWindow` runs over the real
// services until it closes, giving the program's status.
using RunWindow = std::function<int(int& argc, char* argv[], const platform::Services&)>;
int Main(int argc, char* argv[], const RunWindow& runWindow);
