// The user's state folder (the XDG rules; the application-data folder on Windows), and the
// write-then-rename file replacement.

#include "platform/files/user_state.h"

#include <fcntl.h>
#include <sys/stat.h>
#if defined(_WIN32)
#include <io.h>

#include <cstdio>
#include <filesystem>
#else
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/files/files_hook.h"

namespace {

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

#if !defined(_WIN32)
bool WriteAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}
#endif

}  // namespace

std::string UserStateFolder()
{
    const char* own = std::getenv("TARNWICK_STATE_DIR");
    if (own != nullptr && own[0] != '\0') {
        return own;
    }
#if defined(_WIN32)
    // Beside the keys file, in the roaming application data.
    const char* appData = std::getenv("APPDATA");
    if (appData != nullptr && appData[0] != '\0') {
        return std::string(appData) + "/Tarnwick";
    }
    return {};
#else
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') {
        return std::string(state) + "/tarnwick";
    }
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') {
        return std::string(home) + "/.local/state/tarnwick";
    }
    return {};
#endif
}

const char* ProgressFileForHelp()
{
#if defined(_WIN32)
    return "%APPDATA%\\Tarnwick\\progress.txt";
#else
    return "$XDG_STATE_HOME/tarnwick/progress.txt (~/.local/state/tarnwick/progress.txt)";
#endif
}

#if defined(_WIN32)
bool ReplaceFile(const std::string& path, const std::string& text, std::string* why)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(fs::u8path(FolderOf(path)), error);
    if (error) {
        *why = FolderOf(path) + " cannot be made: " + error.message();
        return false;
    }
    const std::string temporary = path + ".new";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        *why = path + " cannot be written: " + std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size() && std::fflush(file) == 0 &&
                         _commit(_fileno(file)) == 0;
    std::fclose(file);
    const FilesHook* hook = FilesHook::Active();
    if (written && hook != nullptr && hook->beforeRename != nullptr && !hook->beforeRename(temporary.c_str())) {
        *why = path + " was not replaced: stopped before the rename";
        return false;  // as a crash would leave it: the temporary file stays
    }
    if (written) {
        // Replaces an existing file in one step (MoveFileEx underneath).
        fs::rename(fs::u8path(temporary), fs::u8path(path), error);
    }
    if (!written || error) {
        *why = path + " cannot be written: " + (written ? error.message() : std::string("the write failed"));
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
#else
bool ReplaceFile(const std::string& path, const std::string& text, std::string* why)
{
    const std::string folder = FolderOf(path);
    // The folder and any missing above it (a fresh home has no ~/.local/state).
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string step = folder.substr(0, slash);
        if (mkdir(step.c_str(), 0700) != 0 && errno != EEXIST) {
            *why = step + " cannot be made: " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
    }
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) {
        *why = path + " cannot be written: " + std::strerror(errno);
        return false;
    }
    const bool written = WriteAll(fd, text) && fsync(fd) == 0;
    const int writeError = errno;
    close(fd);
    const FilesHook* hook = FilesHook::Active();
    if (written && hook != nullptr && hook->beforeRename != nullptr && !hook->beforeRename(temporary.c_str())) {
        *why = path + " was not replaced: stopped before the rename";
        return false;  // as a crash would leave it: the temporary file stays
    }
    if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
        *why = path + " cannot be written: " + std::strerror(written ? errno : writeError);
        unlink(temporary.c_str());
        return false;
    }
    return true;
}
#endif
