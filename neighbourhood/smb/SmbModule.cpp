#include "neighbourhood/smb/SmbModule.h"

#include "platform/posix/Module.h"

namespace neighbourhood {

std::unique_ptr<platform::NetworkProvider> LoadSmbProvider(platform::SocketLibrary& resolver) {
    const auto entry = platform::posix::ModuleEntry<SmbModuleEntry>(
        platform::posix::LoadModule(kSmbModule), kSmbModuleEntry);
    return std::unique_ptr<platform::NetworkProvider>(entry != nullptr ? entry(resolver) : nullptr);
}

} // namespace neighbourhood
