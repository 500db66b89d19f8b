// Preloaded into the program to stand for a system out of threads: pthread_create fails with
// EAGAIN for every call when VELNOR_FAIL_THREADS is "all", or for the N-th call only (counted
// from 1) when it is N. VELNOR_COUNT_THREADS names a file that gets one line per call.
#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using Create = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attr, void* (*start)(void*),
                              void* arg) noexcept {
    static std::atomic<long> calls{0};
    const long call = ++calls;
    const char* count = std::getenv("VELNOR_COUNT_THREADS");
    if (count != nullptr) {
        std::FILE* file = std::fopen(count, "a");
        if (file != nullptr) {
            std::fprintf(file, "%ld\n", call);
            std::fclose(file);
        }
    }
    const char* fail = std::getenv("VELNOR_FAIL_THREADS");
    if (fail != nullptr && (std::strcmp(fail, "all") == 0 || std::atol(fail) == call)) {
        return EAGAIN;
    }
    void* symbol = dlsym(RTLD_NEXT, "pthread_create");
    Create real = nullptr;
    std::memcpy(&real, &symbol,
                sizeof real); // a data pointer to a function pointer, as POSIX allows
    return real != nullptr ? real(thread, attr, start, arg) : EAGAIN;
}
