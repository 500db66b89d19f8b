#pragma once

#include "platform/MessageBox.h"
#include "platform/Programs.h"
#include "platform/Registry.h"

#include <string>

// Finding and starting the system-information tool.
namespace SysInfo {

inline constexpr char kPathKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr char kPathValue[] = "PATH";
inline constexpr char kFolderKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr char kFolderValue[] = "MSINFO";
inline constexpr char kToolFile[] = "\\MSINFO32.EXE";
inline constexpr std::size_t kValueRoom = 1024;
inline constexpr char kUnavailable[] = "System Information Is Unavailable At This Time";

// Reads one value as text: text as it is (one terminating zero dropped), expandable text
// expanded, a number as "&h" and its hexadecimal digits; another type leaves KeyVal as it was.
// False, with KeyVal empty, when the key or the value is missing, empty or too long.
bool GetKeyValue(platform::Registry& registry, platform::Programs& programs,
                 platform::Registry::Key KeyRoot, const std::string& Keyname,
                 const std::string& SubKeyRef, std::string& KeyVal);

// Starts the tool the registry names, or tells the user it is unavailable.
void StartSysInfo(platform::Registry& registry, platform::Programs& programs,
                  platform::MessageBox& messages);

} // namespace SysInfo
