// The module (the program's own path), file attributes, full paths by text, Sleep, the
// regular-file readers, and the test hook they consult.

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

namespace {

// What GetModuleHandleW(nullptr) hands out: any stable, non-null address will do.
char ProgramModule;

FilesHook* ActiveHook = nullptr;

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

// A path with either separator as the system takes it.
std::string NativePath(const char* path)
{
    std::string text(path);
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
}

std::string ProgramPath()
{
    if (ActiveHook != nullptr && !ActiveHook->modulePath.empty()) {
        return ActiveHook->modulePath;
    }
    std::string path(static_cast<size_t>(kMaxPath), '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    path.resize(n > 0 && static_cast<size_t>(n) < path.size() ? static_cast<size_t>(n) : 0);  // none: empty
    return path;
}

std::string WorkingFolder()
{
    std::vector<char> buffer(static_cast<size_t>(kMaxPath) + 1);
    const char* folder = getcwd(buffer.data(), buffer.size());
    return folder != nullptr ? folder : "";
}

// The one-line refusal of both readers: the path, then why.
std::string Refusal(const char* path, const std::string& reason)
{
    return std::string(path != nullptr ? path : "") + " " + reason;
}

// Why `path` did not open: a socket or a link loop is no file to read either.
std::string OpenProblem(const std::string& native, int error)
{
    if (error == ELOOP) {
        return "is not a regular file (a loop of symbolic links)";
    }
    struct stat info {};
    if (error != ENOENT && stat(native.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return S_ISDIR(info.st_mode) ? "is a folder, not a file" : "is not a regular file";
    }
    return std::string("cannot be opened: ") + std::strerror(error);
}

// The open descriptor of a regular file and its length, or -1 and the reason (no path).
// O_NONBLOCK makes a FIFO with no writer, or a device, answer at once; the check then judges
// what was actually opened, whatever an earlier look saw.
int OpenChecked(const char* path, std::uint64_t* length, std::string* reason)
{
    if (path == nullptr || path[0] == '\0') {
        *reason = "cannot be opened: no file name";
        return -1;
    }
    const std::string native = NativePath(path);
    if (const FilesHook* hook = FilesHook::Active(); hook != nullptr && hook->beforeOpen != nullptr) {
        hook->beforeOpen(path);
    }
    const int fd = open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *reason = OpenProblem(native, errno);
        return -1;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        *reason = S_ISDIR(info.st_mode) ? "is a folder, not a file" : "is not a regular file";
        close(fd);
        return -1;
    }
    *length = static_cast<std::uint64_t>(info.st_size);
    return fd;
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

    // Lexical only: ".." removes the previous component and stops at the root. Every
    // component is followed by '/' until the end.
    std::string full = "/";
    for (size_t start = 0; start <= joined.size();) {
        const size_t end = std::min(joined.find_first_of("/\\", start), joined.size());
        const std::string part = joined.substr(start, end - start);
        if (part == ".." && full.size() > 1) {
            full.erase(full.rfind('/', full.size() - 2) + 1);
        } else if (!part.empty() && part != "." && part != "..") {
            full += part + '/';
        }
        start = end + 1;
    }
    if (!trailingSeparator && full.size() > 1) {
        full.pop_back();
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

bool ReadRegularFile(const char* path, std::uint64_t maxBytes, std::vector<std::uint8_t>* bytes, std::string* why)
{
    std::string reason;
    std::uint64_t length = 0;
    const int fd = OpenChecked(path, &length, &reason);
    if (fd >= 0 && length > maxBytes) {
        reason = "is " + std::to_string(length) + " bytes, more than any such file can need";
    } else if (fd >= 0) {
        bytes->resize(static_cast<std::size_t>(length));
        for (std::size_t done = 0; done < bytes->size() && reason.empty();) {
            const ssize_t n = read(fd, bytes->data() + done, bytes->size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n == 0 || errno != EINTR) {
                reason = n == 0 ? "cannot be read: it became shorter while read" : "cannot be read";
            }
        }
    }
    if (fd >= 0) {
        close(fd);
    }
    if (reason.empty()) {
        return true;
    }
    bytes->clear();
    *why = Refusal(path, reason);
    return false;
}

std::FILE* OpenRegularFile(const char* path, std::uint64_t* length, std::string* why)
{
    std::string reason;
    const int fd = OpenChecked(path, length, &reason);
    if (fd < 0) {
        *why = Refusal(path, reason);
        return nullptr;
    }
    // Reads of a regular file never wait; the flag only mattered for the open.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        *why = Refusal(path, std::string("cannot be opened: ") + std::strerror(errno));
        close(fd);
    }
    return file;
}
