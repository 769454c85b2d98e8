// Whole files for pictures and effects, with the failure reason put as the callers want it.

#include "platform/gfx/internal/read_file.h"

#include <cstring>

#include "platform/files/files.h"

bool GfxReadFile(const char* path, std::uint64_t maxBytes, std::vector<std::uint8_t>* bytes, std::string* why)
{
    if (ReadRegularFile(path, maxBytes, bytes, why)) {
        return true;
    }
    // The callers put the path in front themselves.
    const std::size_t named = std::strlen(path) + 1;
    if (why->size() > named) {
        why->erase(0, named);
    }
    return false;
}
