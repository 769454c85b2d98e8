#pragma once

// Kernel-shaped file and module calls over the system's own. Strings are UTF-8; the W names stay so the
// game's calls read as they were written. Both '/' and '\' are accepted as separators.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform_types.h"

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10u;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80u;

// The handle of the running program. Any other name is not a module we know: null.
HMODULE GetModuleHandleW(const char* moduleName);

// Copies the running program's path. Only the program itself is a module here: `module` must
// be null or GetModuleHandleW(nullptr), else 0. Truncates to size - 1 characters plus the
// terminator and then returns `size`; otherwise returns the characters copied. 0 on failure.
DWORD GetModuleFileNameW(HMODULE module, char* buffer, DWORD size);

// INVALID_FILE_ATTRIBUTES when the path does not exist (or is empty or null);
// FILE_ATTRIBUTE_DIRECTORY for a folder; FILE_ATTRIBUTE_NORMAL for anything else.
DWORD GetFileAttributesW(const char* path);

// `path` made absolute against the working folder, "." and ".." resolved by text alone, with
// '/'. Its length when it fits in `bufferLength`, else the size needed with the terminator
// (buffer untouched); 0 for no path. `*filePart` (if given): the last component, or null.
DWORD GetFullPathNameW(const char* path, DWORD bufferLength, char* buffer, char** filePart);

void Sleep(DWORD milliseconds);

// The whole file if it is a regular file of at most maxBytes, opened without blocking; else
// false with a one-line reason such as "PATH is not a regular file".
bool ReadRegularFile(const char* path, std::uint64_t maxBytes, std::vector<std::uint8_t>* bytes, std::string* why);

// The same open and check for a reader that streams: the file and its *length, or null and
// the reason.
std::FILE* OpenRegularFile(const char* path, std::uint64_t* length, std::string* why);

// The process's resident memory in bytes; 0 where the system does not say.
std::uint64_t ResidentMemoryBytes();
// The most it has been so far.
std::uint64_t PeakResidentMemoryBytes();
// Milliseconds since the process started, by the system's record; negative where it does not say.
double ProcessAgeMilliseconds();
