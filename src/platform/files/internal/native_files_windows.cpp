// The files area on Windows. The only file of the area that sees <windows.h>; it includes
// none of our Win32-shaped headers, whose names the system's would clash with. Paths cross
// as UTF-8 here and UTF-16 to the system, so folders with any letters work.

#include "platform/files/internal/native_files.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <psapi.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <cwchar>

namespace native_files {

namespace {

std::wstring Wide(const std::string& text)
{
    if (text.empty()) {
        return {};
    }
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    }
    return wide;
}

std::string Narrow(const wchar_t* text, size_t length)
{
    if (length == 0) {
        return {};
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), narrow.data(), n, nullptr, nullptr);
    }
    return narrow;
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::string ProgramPath()
{
    // Long paths exist; grow until the whole name fits.
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::wstring path(size, L'\0');
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), size);
        if (n == 0) {
            return {};
        }
        if (n < size) {
            return Narrow(path.data(), n);
        }
    }
    return {};
}

std::string WorkingFolder()
{
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) {
        return {};
    }
    std::wstring folder(size, L'\0');
    const DWORD n = GetCurrentDirectoryW(size, folder.data());
    return n > 0 && n < size ? Narrow(folder.data(), n) : std::string();
}

std::size_t RootLength(const std::string& path)
{
    if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) {
        return 3;  // C:\...
    }
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return 2;  // \\server\share\...
    }
    return 0;
}

PathKind KindOf(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return PathKind::Missing;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder : PathKind::Other;
}

std::FILE* OpenRegular(const std::string& path, std::uint64_t* length, std::string* reason)
{
    const std::wstring wide = Wide(path);
    if (KindOf(path) == PathKind::Folder) {
        *reason = "is a folder, not a file";
        return nullptr;
    }
    std::FILE* file = _wfopen(wide.c_str(), L"rbN");
    if (file == nullptr) {
        *reason = std::string("cannot be opened: ") + std::strerror(errno);
        return nullptr;
    }
    struct _stat64 info {};
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) {
        *reason = "is not a regular file";
        std::fclose(file);
        return nullptr;
    }
    *length = static_cast<std::uint64_t>(info.st_size);
    return file;
}

std::uint64_t ResidentBytes(bool peak)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters)) == 0) {
        return 0;
    }
    return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

double ProcessAgeMs()
{
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user) == 0) {
        return -1.0;
    }
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    // FILETIME counts 100 ns.
    return static_cast<double>(ticks(now) - ticks(created)) / 1e4;
}

}  // namespace native_files
