#pragma once

#include "platform/NetworkProvider.h"
#include "platform/SocketLibrary.h"

#include <memory>
#include <string>

namespace neighbourhood {

// The module that holds the SMB provider, and the entry it offers: a new provider over the
// resolver, owned by the caller.
inline constexpr char kSmbModule[] = "velnor-smb.so";
// The provider text of its entries.
inline constexpr char kSmbProviderName[] = "SMB";
inline constexpr char kSmbModuleEntry[] = "velnor_smb_provider";
using SmbModuleEntry = platform::NetworkProvider* (*)(platform::SocketLibrary& resolver);

// Loads the module (platform::posix::LoadModule) and makes a
// provider; null when the module or the library it links is not there.
std::unique_ptr<platform::NetworkProvider> LoadSmbProvider(platform::SocketLibrary& resolver);

} // namespace neighbourhood
