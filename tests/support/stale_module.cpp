// A module left from another version of the program, beside a newer program: it must not be
// called. Its entries end the process if it is.
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) const char velnor_module_version[] = "0.9.0";

extern "C" __attribute__((visibility("default"))) void* velnor_network_services() {
    std::abort();
}
