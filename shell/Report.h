#pragma once

#include "logic/internet/InternetAddress.h"
#include "platform/MessageBox.h"
#include "platform/Services.h"

#include <string>

// Loads what the main window shows, over the given services, without any window, on a plain
// event loop, and gives the report exactly as Save would write it.
std::string GatherReport(const platform::Services& services, platform::MessageBox& messages,
                         const InternetAddress::Road& road);
// The same with the build's road to the external address; messages go to standard error.
std::string GatherReport(const platform::Services& services);

// What the program returns. Work that is still inside a library call (a name query, a server
// that does not answer) is not waited for: the program then ends at once, without taking down
// what that work uses.
int EndProgram(int status);
