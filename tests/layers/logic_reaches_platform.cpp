// Compiles: the address page query and the platform interfaces it is built on.
#include "logic/internet/GetSource.h"
#include "platform/Internet.h"
