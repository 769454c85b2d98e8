#include "platform/gfx/internal/read_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool GfxReadFile(const char* path, std::uint64_t maxBytes, std::vector<std::uint8_t>* bytes, std::string* why)
{
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        *why = std::string("cannot be opened: ") + std::strerror(errno);
        return false;
    }
    struct stat info {};
    bool ok = fstat(fileno(file), &info) == 0;
    if (!ok || !S_ISREG(info.st_mode)) {
        *why = ok && S_ISDIR(info.st_mode) ? "is a folder, not a file" : "is not a regular file";
        ok = false;
    } else if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        *why = "is " + std::to_string(info.st_size) + " bytes, more than any such file can need";
        ok = false;
    } else {
        bytes->resize(static_cast<std::size_t>(info.st_size));
        ok = bytes->empty() || std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
        if (!ok) {
            *why = "cannot be read";
        }
    }
    std::fclose(file);
    return ok;
}
