// Does not compile: logic reaches the system only through the platform interfaces.
#include "platform/posix/CurlInternet.h"
