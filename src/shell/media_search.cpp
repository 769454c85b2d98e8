#include "shell/media_search.h"

#include <cstdio>
#include <cstring>

#include "platform/files/files.h"

namespace {

bool Exists(const char* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

// Bounded copy: at most capacity - 1 characters and a terminator. True when nothing was cut.
bool CopyBounded(char* destination, int capacity, const char* text)
{
    const std::size_t length = std::strlen(text);
    const std::size_t room = static_cast<std::size_t>(capacity) - 1;
    const std::size_t n = length < room ? length : room;
    std::memmove(destination, text, n);
    destination[n] = '\0';
    return length <= room;
}

bool Fits(int written, int capacity) { return written >= 0 && written < capacity; }

struct ProgramLocation {
    char folder[kMaxPath] = {};
    char name[kMaxPath] = {};
};

void LocateProgram(ProgramLocation& where)
{
    char path[kMaxPath] = {};
    GetModuleFileNameW(nullptr, path, kMaxPath);
    path[kMaxPath - 1] = '\0';
    char* slash = std::strrchr(path, '/');
    char* backslash = std::strrchr(path, '\\');
    char* last = slash > backslash ? slash : backslash;
    if (last == nullptr) {
        CopyBounded(where.folder, kMaxPath, path);
        where.name[0] = '\0';
        return;
    }
    CopyBounded(where.name, kMaxPath, last + 1);
    if (char* dot = std::strrchr(where.name, '.')) {
        *dot = '\0';
    }
    *last = '\0';
    CopyBounded(where.folder, kMaxPath, path);
}

bool NearSearch(char* destination, int capacity, const ProgramLocation& where, const char* leaf)
{
    const char* folder = where.folder;
    const char* program = where.name;
    for (int candidate = 1; candidate <= 8; ++candidate) {
        int written = -1;
        switch (candidate) {
        case 1: written = std::snprintf(destination, capacity, "%s", leaf); break;
        case 2: written = std::snprintf(destination, capacity, "../%s", leaf); break;
        case 3: written = std::snprintf(destination, capacity, "../../%s", leaf); break;
        case 4: written = std::snprintf(destination, capacity, "%s/%s", folder, leaf); break;
        case 5: written = std::snprintf(destination, capacity, "%s/../%s", folder, leaf); break;
        case 6: written = std::snprintf(destination, capacity, "%s/../../%s", folder, leaf); break;
        case 7: written = std::snprintf(destination, capacity, "%s/../%s/%s", folder, program, leaf); break;
        default: written = std::snprintf(destination, capacity, "%s/../../%s/%s", folder, program, leaf); break;
        }
        if (Fits(written, capacity) && Exists(destination)) {
            return true;
        }
    }
    return false;
}

// Where `cmake --install` puts the data: <prefix>/share/tarnwick beside <prefix>/bin.
bool InstalledSearch(char* destination, int capacity, const ProgramLocation& where, const char* leaf)
{
    const int written = std::snprintf(destination, capacity, "%s/../%s/%s", where.folder, kInstalledDataFolder, leaf);
    return Fits(written, capacity) && Exists(destination);
}

bool UpwardSearch(char* destination, int capacity, const char* start, const char* leaf)
{
    char full[kMaxPath];
    char candidate[kMaxPath];
    char* lastComponent = nullptr;
    DWORD length = GetFullPathNameW(start, kMaxPath, full, &lastComponent);
    // Each step removes one component, so the climb ends at the root; the bound only
    // guards against a path layer that never reports one.
    for (int depth = 0; depth < kMaxPath; ++depth) {
        if (length == 0 || length >= static_cast<DWORD>(kMaxPath) || lastComponent == nullptr ||
            *lastComponent == '\0') {
            return false;
        }
        const int written = std::snprintf(candidate, sizeof candidate, "%s/%s", full, leaf);
        if (Fits(written, kMaxPath) && Exists(candidate) && static_cast<int>(std::strlen(candidate)) < capacity) {
            CopyBounded(destination, capacity, candidate);
            return true;
        }
        char parent[kMaxPath];
        if (!Fits(std::snprintf(parent, sizeof parent, "%s/..", full), kMaxPath)) {
            return false;
        }
        lastComponent = nullptr;
        length = GetFullPathNameW(parent, kMaxPath, full, &lastComponent);
    }
    return false;
}

}  // namespace

bool FindWorkingOrInstalledFile(char* destination, int capacity, const char* name)
{
    if (name == nullptr || destination == nullptr || capacity < kMediaMinCapacity) {
        return false;
    }
    char leaf[kMaxPath];
    CopyBounded(leaf, kMaxPath, name);
    if (Exists(leaf)) {
        return CopyBounded(destination, capacity, leaf);
    }
    ProgramLocation where;
    LocateProgram(where);
    // An unpacked copy keeps data/ beside the program, and may be started from anywhere.
    const int written = std::snprintf(destination, capacity, "%s/%s", where.folder, leaf);
    if (Fits(written, capacity) && Exists(destination)) {
        return true;
    }
    if (InstalledSearch(destination, capacity, where, leaf)) {
        return true;
    }
    CopyBounded(destination, capacity, leaf);
    return false;
}

HRESULT FindMediaFile(char* destination, int capacity, const char* name)
{
    if (name == nullptr || name[0] == '\0' || destination == nullptr || capacity < kMediaMinCapacity) {
        return E_INVALIDARG;
    }

    // Our own copy: the caller may hand in its destination as the name.
    char leaf[kMaxPath];
    CopyBounded(leaf, kMaxPath, name);
    char mediaLeaf[kMaxPath];
    const bool mediaFits = Fits(std::snprintf(mediaLeaf, sizeof mediaLeaf, "media/%s", leaf), kMaxPath);

    ProgramLocation where;
    LocateProgram(where);

    if (NearSearch(destination, capacity, where, leaf)) {
        return S_OK;
    }
    if (mediaFits && NearSearch(destination, capacity, where, mediaLeaf)) {
        return S_OK;
    }
    if (InstalledSearch(destination, capacity, where, leaf)) {
        return S_OK;
    }
    if (UpwardSearch(destination, capacity, ".", leaf) || UpwardSearch(destination, capacity, where.folder, leaf)) {
        return S_OK;
    }
    if (mediaFits && (UpwardSearch(destination, capacity, ".", mediaLeaf) ||
                      UpwardSearch(destination, capacity, where.folder, mediaLeaf))) {
        return S_OK;
    }
    CopyBounded(destination, capacity, leaf);
    return kMediaNotFound;
}
