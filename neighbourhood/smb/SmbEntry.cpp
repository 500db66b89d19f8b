// The entry of the module that holds the SMB provider.
#include "neighbourhood/smb/SmbModule.h"
#include "neighbourhood/smb/SmbProvider.h"
#include "platform/posix/ModuleVersion.h"

#include <string_view>
#include <type_traits>

extern "C" __attribute__((visibility("default"))) platform::NetworkProvider*
velnor_smb_provider(platform::SocketLibrary& resolver) {
    return new neighbourhood::SmbProvider(resolver);
}

static_assert(std::is_same_v<decltype(&velnor_smb_provider), neighbourhood::SmbModuleEntry>);
static_assert(std::string_view(neighbourhood::SmbProvider::kProviderName) ==
              neighbourhood::kSmbProviderName);
