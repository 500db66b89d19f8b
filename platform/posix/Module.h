#pragma once

#include <string>

namespace platform::posix {

// The text every module exports under this name: the version of the program it was built
// with (ModuleVersion.h).
inline constexpr char kModuleVersionSymbol[] = "velnor_module_version";

// A module of the program's, from beside the program (a build tree) or from the folder it is
// installed to (relative to the program, then at its configured path); null when it is in none
// of them or cannot be loaded (a library it links is missing). A module of another version is
// passed over, and standard error says so: the program would call it through interfaces it
// was not built against. Never unloaded: the libraries it links keep state of their own for
// the process's life.
void* LoadModule(const std::string& file);

// The module's entry of that name, as the function type it is; null when there is none.
template <typename Entry> Entry ModuleEntry(void* module, const char* name);

} // namespace platform::posix

#include <dlfcn.h>

template <typename Entry> Entry platform::posix::ModuleEntry(void* module, const char* name) {
    return module != nullptr ? reinterpret_cast<Entry>(dlsym(module, name)) : nullptr;
}
