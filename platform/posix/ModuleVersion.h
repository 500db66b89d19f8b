#pragma once

// Included by the entry file of each module, once: the version of the program the module was
// built with, which the program checks before it calls the module (LoadModule).
extern "C" __attribute__((visibility("default"))) const char velnor_module_version[] =
    VELNOR_VERSION;
