// The resource table: a fixed number of named, typed blobs the build or a test registers.

#include "platform/files/resources.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <iterator>

struct ResourceEntry {
    static constexpr int kMaxName = 64;
    char name[kMaxName];
    char type[kMaxName];
    const void* data;  // null: a free slot
    DWORD size;
};

namespace {

constexpr int kMaxResources = 64;
ResourceEntry Table[kMaxResources];

bool FitsName(const char* s)
{
    return s != nullptr && s[0] != '\0' && std::strlen(s) < static_cast<std::size_t>(ResourceEntry::kMaxName);
}

ResourceEntry* Find(const char* name, const char* type)
{
    for (ResourceEntry& e : Table) {
        if (e.data != nullptr && strcasecmp(e.name, name) == 0 && strcasecmp(e.type, type) == 0) {
            return &e;
        }
    }
    return nullptr;
}

bool IsEntry(HRSRC resource)
{
    return resource >= Table && resource < Table + kMaxResources && resource->data != nullptr;
}

}  // namespace

HRSRC FindResourceW(HMODULE, const char* name, const char* type)
{
    return name != nullptr && type != nullptr ? Find(name, type) : nullptr;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource) { return IsEntry(resource) ? resource->data : nullptr; }
DWORD SizeofResource(HMODULE, HRSRC resource) { return IsEntry(resource) ? resource->size : 0; }
const void* LockResource(HGLOBAL loaded) { return loaded; }

bool RegisterResource(const char* name, const char* type, const void* data, DWORD size)
{
    if (!FitsName(name) || !FitsName(type) || data == nullptr) {
        return false;
    }
    ResourceEntry* entry = Find(name, type);
    if (entry == nullptr) {
        const auto isFree = [](const ResourceEntry& e) { return e.data == nullptr; };
        entry = std::find_if(std::begin(Table), std::end(Table), isFree);
    }
    if (entry == std::end(Table)) {
        return false;
    }
    std::strcpy(entry->name, name);
    std::strcpy(entry->type, type);
    entry->data = data;
    entry->size = size;
    return true;
}

void ClearResources() { std::fill(std::begin(Table), std::end(Table), ResourceEntry{}); }
