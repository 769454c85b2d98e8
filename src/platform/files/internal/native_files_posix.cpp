// The files area on POSIX systems.

#include "platform/files/internal/native_files.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <vector>

namespace native_files {

namespace {

// Why `path` did not open: a socket or a link loop is no file to read either.
std::string OpenProblem(const std::string& path, int error)
{
    if (error == ELOOP) {
        return "is not a regular file (a loop of symbolic links)";
    }
    struct stat info {};
    if (error != ENOENT && stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        return S_ISDIR(info.st_mode) ? "is a folder, not a file" : "is not a regular file";
    }
    return std::string("cannot be opened: ") + std::strerror(error);
}

}  // namespace

std::string ProgramPath()
{
    std::string path(static_cast<size_t>(PATH_MAX), '\0');
    const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
    path.resize(n > 0 && static_cast<size_t>(n) < path.size() ? static_cast<size_t>(n) : 0);  // none: empty
    return path;
}

std::string WorkingFolder()
{
    std::vector<char> buffer(static_cast<size_t>(PATH_MAX) + 1);
    const char* folder = getcwd(buffer.data(), buffer.size());
    return folder != nullptr ? folder : "";
}

std::size_t RootLength(const std::string& path) { return !path.empty() && (path[0] == '/' || path[0] == '\\') ? 1 : 0; }

PathKind KindOf(const std::string& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        // A loop of links is there all the same: whoever opens it learns what is wrong.
        return errno == ELOOP && lstat(path.c_str(), &info) == 0 ? PathKind::Other : PathKind::Missing;
    }
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
}

// O_NONBLOCK makes a FIFO with no writer, or a device, answer at once; the check then judges
// what was actually opened, whatever an earlier look saw.
std::FILE* OpenRegular(const std::string& path, std::uint64_t* length, std::string* reason)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *reason = OpenProblem(path, errno);
        return nullptr;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        *reason = S_ISDIR(info.st_mode) ? "is a folder, not a file" : "is not a regular file";
        close(fd);
        return nullptr;
    }
    *length = static_cast<std::uint64_t>(info.st_size);
    // Reads of a regular file never wait; the flag only mattered for the open.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr) {
        *reason = std::string("cannot be opened: ") + std::strerror(errno);
        close(fd);
    }
    return file;
}

std::uint64_t ResidentBytes(bool peak)
{
    if (peak) {
        rusage usage{};
        return getrusage(RUSAGE_SELF, &usage) == 0 && usage.ru_maxrss > 0
                   ? static_cast<std::uint64_t>(usage.ru_maxrss) * 1024
                   : 0;
    }
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    long size = 0;
    long resident = 0;
    const bool read = statm != nullptr && std::fscanf(statm, "%ld %ld", &size, &resident) == 2;
    if (statm != nullptr) {
        std::fclose(statm);
    }
    const long page = sysconf(_SC_PAGESIZE);
    return read && resident > 0 && page > 0 ? static_cast<std::uint64_t>(resident) * static_cast<std::uint64_t>(page)
                                            : 0;
}

double ProcessAgeMs()
{
    std::FILE* stat = std::fopen("/proc/self/stat", "r");
    char line[1024] = {};
    const bool read = stat != nullptr && std::fgets(line, sizeof line, stat) != nullptr;
    if (stat != nullptr) {
        std::fclose(stat);
    }
    const char* close = read ? std::strrchr(line, ')') : nullptr;
    if (close == nullptr) {
        return -1.0;
    }
    // Fields from the state (the third) on; the start time, in clock ticks after boot, is the twenty-second.
    const char* field = close + 2;
    for (int i = 3; i < 22 && field != nullptr; ++i) {
        field = std::strchr(field, ' ');
        field = field != nullptr ? field + 1 : nullptr;
    }
    timespec boot{};
    const long ticks = sysconf(_SC_CLK_TCK);
    if (field == nullptr || ticks <= 0 || clock_gettime(CLOCK_BOOTTIME, &boot) != 0) {
        return -1.0;
    }
    const double nowMs = static_cast<double>(boot.tv_sec) * 1e3 + static_cast<double>(boot.tv_nsec) / 1e6;
    return nowMs - std::strtod(field, nullptr) * 1e3 / static_cast<double>(ticks);
}

}  // namespace native_files
