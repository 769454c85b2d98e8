// The module (the program's own path), file attributes, full paths by text, Sleep, the
// regular-file readers, and the test hook they consult.

#include "platform/files/files.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/files/files_hook.h"
#include "platform/files/internal/native_files.h"

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
    return native_files::ProgramPath();
}

// The one-line refusal of both readers: the path, then why.
std::string Refusal(const char* path, const std::string& reason)
{
    return std::string(path != nullptr ? path : "") + " " + reason;
}

// A regular file opened for reading and its length, or null and the reason (no path).
std::FILE* OpenChecked(const char* path, std::uint64_t* length, std::string* reason)
{
    if (path == nullptr || path[0] == '\0') {
        *reason = "cannot be opened: no file name";
        return nullptr;
    }
    const std::string native = NativePath(path);
    if (const FilesHook* hook = FilesHook::Active(); hook != nullptr && hook->beforeOpen != nullptr) {
        hook->beforeOpen(path);
    }
    return native_files::OpenRegular(native, length, reason);
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
    switch (native_files::KindOf(NativePath(path))) {
    case native_files::PathKind::Missing: return INVALID_FILE_ATTRIBUTES;
    case native_files::PathKind::Folder: return FILE_ATTRIBUTE_DIRECTORY;
    case native_files::PathKind::Other: break;
    }
    return FILE_ATTRIBUTE_NORMAL;
}

DWORD GetFullPathNameW(const char* path, DWORD bufferLength, char* buffer, char** filePart)
{
    if (path == nullptr || path[0] == '\0') {
        return 0;
    }
    std::string joined;
    if (native_files::RootLength(path) == 0) {
        const std::string folder = native_files::WorkingFolder();
        if (folder.empty()) {
            return 0;
        }
        // A path that starts at a separator but has no drive is on the working folder's drive.
        joined = IsSeparator(path[0]) ? folder.substr(0, native_files::RootLength(folder)) : folder + '/';
    }
    joined += path;
    const bool trailingSeparator = IsSeparator(joined.back());
    const size_t root = native_files::RootLength(joined);

    // Lexical only: ".." removes the previous component and stops at the root. Every
    // component is followed by '/' until the end.
    std::string full = NativePath(joined.substr(0, root).c_str());
    for (size_t start = root; start <= joined.size();) {
        const size_t end = std::min(joined.find_first_of("/\\", start), joined.size());
        const std::string part = joined.substr(start, end - start);
        if (part == ".." && full.size() > root) {
            full.erase(full.rfind('/', full.size() - 2) + 1);
        } else if (!part.empty() && part != "." && part != "..") {
            full += part + '/';
        }
        start = end + 1;
    }
    if (!trailingSeparator && full.size() > root) {
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
    std::FILE* file = OpenChecked(path, &length, &reason);
    if (file != nullptr && length > maxBytes) {
        reason = "is " + std::to_string(length) + " bytes, more than any such file can need";
    } else if (file != nullptr) {
        bytes->resize(static_cast<std::size_t>(length));
        if (std::fread(bytes->data(), 1, bytes->size(), file) != bytes->size()) {
            reason = std::feof(file) != 0 ? "cannot be read: it became shorter while read" : "cannot be read";
        }
    }
    if (file != nullptr) {
        std::fclose(file);
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
    std::FILE* file = OpenChecked(path, length, &reason);
    if (file == nullptr) {
        *why = Refusal(path, reason);
    }
    return file;
}

std::uint64_t ResidentMemoryBytes() { return native_files::ResidentBytes(false); }
std::uint64_t PeakResidentMemoryBytes() { return native_files::ResidentBytes(true); }
double ProcessAgeMilliseconds() { return native_files::ProcessAgeMs(); }
