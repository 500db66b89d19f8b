#include "platform/posix/Module.h"

#include <unistd.h>

#include <climits>

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
    for (const std::string& folder : {ProgramFolder(), std::string(VELNOR_MODULE_DIR)}) {
        if (void* module = dlopen((folder + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL)) {
            return module;
        }
    }
    return nullptr;
}

} // namespace platform::posix
