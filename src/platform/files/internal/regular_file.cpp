// Opening with O_NONBLOCK makes a FIFO with no writer, or a device, answer at once; the
// check then looks at what was actually opened, so a file swapped after any earlier look is
// judged as what it has become.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/files/files.h"
#include "platform/files/files_hook.h"
#include "platform/files/internal/native_path.h"

namespace {

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

bool ReadRegularFile(const char* path, std::uint64_t maxBytes, std::vector<std::uint8_t>* bytes, std::string* why)
{
    std::string reason;
    std::uint64_t length = 0;
    const int fd = OpenChecked(path, &length, &reason);
    if (fd >= 0 && length > maxBytes) {
        reason = "is " + std::to_string(length) + " bytes, more than any such file can need";
    } else if (fd >= 0) {
        bytes->resize(static_cast<std::size_t>(length));
        std::size_t done = 0;
        while (done < bytes->size()) {
            const ssize_t n = read(fd, bytes->data() + done, bytes->size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                reason = n == 0 ? "cannot be read: it became shorter while read" : "cannot be read";
                break;
            }
            done += static_cast<std::size_t>(n);
        }
    }
    if (fd >= 0) {
        close(fd);
    }
    if (!reason.empty()) {
        bytes->clear();
        *why = std::string(path != nullptr ? path : "") + " " + reason;
        return false;
    }
    return true;
}

std::FILE* OpenRegularFile(const char* path, std::uint64_t* length, std::string* why)
{
    std::string reason;
    const int fd = OpenChecked(path, length, &reason);
    if (fd < 0) {
        *why = std::string(path != nullptr ? path : "") + " " + reason;
        return nullptr;
    }
    // Reads of a regular file never wait; the flag only mattered for the open.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        *why = std::string(path) + " cannot be opened: " + std::strerror(errno);
        close(fd);
    }
    return file;
}
