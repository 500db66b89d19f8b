#include "platform/posix/Module.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace platform::posix {

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

void* LoadModule(const std::string& file) {
    // Beside the program in a build tree; relative to it in an installed tree wherever that tree
    // lies (a package unpacked into another root); the configured folder for a program that was
    // copied or linked elsewhere.
    std::vector<std::string> folders;
    if (const std::string program = ProgramFolder(); !program.empty()) {
        folders = {program, program + "/" + VELNOR_MODULE_RELATIVE_DIR};
    }
    folders.emplace_back(VELNOR_MODULE_DIR);
    for (const std::string& folder : folders) {
        const std::string path = folder + "/" + file;
        void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            continue;
        }
        const auto* version = static_cast<const char*>(dlsym(module, kModuleVersionSymbol));
        if (version != nullptr && std::strcmp(version, VELNOR_VERSION) == 0) {
            return module;
        }
        std::fprintf(stderr, "velnor: %s is not of version %s; not used\n", path.c_str(),
                     VELNOR_VERSION);
    }
    return nullptr;
}

} // namespace platform::posix
