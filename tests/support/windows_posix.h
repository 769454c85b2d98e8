#pragma once

// Windows test programs only (force-included by tarnwick_test): the few POSIX calls the tests
// use to set up folders and the environment, over the C runtime's own. Where Windows has no
// counterpart (FIFOs, Unix sockets, SIGHUP, resource limits) the call fails with ENOSYS and
// the tests that need it are left out of the Windows run (tests/CMakeLists.txt says which).

#include <direct.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef SIGHUP
#define SIGHUP 1
#endif

inline int setenv(const char* name, const char* value, int overwrite)
{
    if (overwrite == 0 && std::getenv(name) != nullptr) {
        return 0;
    }
    return _putenv_s(name, value);
}

// An empty value removes the variable from the C runtime's environment.
inline int unsetenv(const char* name) { return _putenv_s(name, ""); }

inline int mkdir(const char* path, int /*mode*/) { return _mkdir(path); }

inline char* mkdtemp(char* pattern)
{
    const std::size_t length = std::strlen(pattern);
    if (length < 6 || std::strcmp(pattern + length - 6, "XXXXXX") != 0) {
        errno = EINVAL;
        return nullptr;
    }
    char* tail = pattern + length - 6;
    for (unsigned tries = 0; tries < 1000; ++tries) {
        std::snprintf(tail, 7, "%06u", (static_cast<unsigned>(_getpid()) * 7919u + tries * 104729u) % 1000000u);
        if (_mkdir(pattern) == 0) {
            return pattern;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    std::memcpy(tail, "XXXXXX", 6);
    return nullptr;
}

inline int mkfifo(const char* /*path*/, int /*mode*/)
{
    errno = ENOSYS;
    return -1;
}
