// The module (the program's own path), file attributes, full paths by text, Sleep, and the
// test hook they consult.

#include "platform/files/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/files/files_hook.h"
#include "platform/files/internal/native_path.h"

namespace {

// What GetModuleHandleW(nullptr) hands out: any stable, non-null address will do.
char ProgramModule;

FilesHook* ActiveHook = nullptr;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string ProgramPath()
{
    if (ActiveHook != nullptr && !ActiveHook->modulePath.empty()) {
        return ActiveHook->modulePath;
    }
    std::string path(static_cast<size_t>(kMaxPath), '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<size_t>(n) >= path.size()) {
        return {};
    }
    path.resize(static_cast<size_t>(n));
    return path;
}

std::string WorkingFolder()
{
    std::vector<char> buffer(static_cast<size_t>(kMaxPath) + 1);
    if (getcwd(buffer.data(), buffer.size()) == nullptr) {
        return {};
    }
    return buffer.data();
}

}  // namespace

HMODULE GetModuleHandleW(const char* moduleName)
{
    return moduleName == nullptr ? static_cast<HMODULE>(&ProgramModule) : nullptr;
}

DWORD GetModuleFileNameW(HMODULE module, char* buffer, DWORD size)
{
    if ((module != nullptr && module != GetModuleHandleW(nullptr)) || buffer == nullptr || size == 0) {
        return 0;
    }
    const std::string path = ProgramPath();
    const size_t copied = std::min<size_t>(path.size(), size - 1);
    std::memcpy(buffer, path.data(), copied);
    buffer[copied] = '\0';
    return path.size() >= size ? size : static_cast<DWORD>(copied);
}

DWORD GetFileAttributesW(const char* path)
{
    if (path == nullptr || path[0] == '\0') {
        return INVALID_FILE_ATTRIBUTES;
    }
    const std::string native = NativePath(path);
    struct stat info {};
    if (stat(native.c_str(), &info) != 0) {
        // A loop of links is there all the same: whoever opens it learns what is wrong.
        return errno == ELOOP && lstat(native.c_str(), &info) == 0 ? FILE_ATTRIBUTE_NORMAL : INVALID_FILE_ATTRIBUTES;
    }
    return S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

DWORD GetFullPathNameW(const char* path, DWORD bufferLength, char* buffer, char** filePart)
{
    if (path == nullptr || path[0] == '\0') {
        return 0;
    }
    std::string joined;
    if (!IsSeparator(path[0])) {
        joined = WorkingFolder();
        if (joined.empty()) {
            return 0;
        }
        joined += '/';
    }
    joined += path;
    const bool trailingSeparator = IsSeparator(joined.back());

    // Lexical only: ".." removes the previous component and stops at the root.
    std::vector<std::string> parts;
    for (size_t start = 0; start <= joined.size();) {
        const size_t end = std::min(joined.find_first_of("/\\", start), joined.size());
        const std::string part = joined.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }

    std::string full = "/";
    for (size_t i = 0; i < parts.size(); ++i) {
        full += parts[i];
        if (i + 1 < parts.size() || trailingSeparator) {
            full += '/';
        }
    }

    if (buffer == nullptr || full.size() + 1 > bufferLength) {
        if (filePart != nullptr) {
            *filePart = nullptr;
        }
        return static_cast<DWORD>(full.size() + 1);
    }
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    if (filePart != nullptr) {
        *filePart = full.back() == '/' ? nullptr : buffer + full.rfind('/') + 1;
    }
    return static_cast<DWORD>(full.size());
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

FilesHook::FilesHook() : previous_(ActiveHook) { ActiveHook = this; }
FilesHook::~FilesHook() { ActiveHook = previous_; }
const FilesHook* FilesHook::Active() { return ActiveHook; }

