#include "neighbourhood/smb/SmbModule.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace neighbourhood {

namespace {

std::string ProgramFolder() {
    char path[PATH_MAX] = {};
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        return {};
    }
    const std::string program(path, static_cast<std::size_t>(length));
    return program.substr(0, program.rfind('/'));
}

} // namespace

std::unique_ptr<platform::NetworkProvider> LoadSmbProvider(platform::SocketLibrary& resolver) {
    for (const std::string& folder : {ProgramFolder(), std::string(VELNOR_MODULE_DIR)}) {
        // Never unloaded: the library it links keeps state of its own for the process's life.
        void* module = dlopen((folder + "/" + kSmbModule).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            continue;
        }
        if (auto entry = reinterpret_cast<SmbModuleEntry>(dlsym(module, kSmbModuleEntry))) {
            return std::unique_ptr<platform::NetworkProvider>(entry(resolver));
        }
    }
    return nullptr;
}

} // namespace neighbourhood
