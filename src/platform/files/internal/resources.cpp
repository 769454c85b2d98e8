// The resource table: a fixed number of named, typed blobs the build or a test registers.

#include "platform/files/resources.h"

#include <cstring>

namespace {
constexpr int kMaxResources = 64;
constexpr int kMaxResourceName = 64;
}  // namespace

struct ResourceEntry {
    char name[kMaxResourceName];
    char type[kMaxResourceName];
    const void* data;
    DWORD size;
    bool used;
};

namespace {

ResourceEntry Table[kMaxResources];

bool SameName(const char* a, const char* b)
{
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    for (; upper(*a) == upper(*b); ++a, ++b) {
        if (*a == '\0') {
            return true;
        }
    }
    return false;
}

bool FitsName(const char* s)
{
    return s != nullptr && s[0] != '\0' && std::strlen(s) < static_cast<std::size_t>(kMaxResourceName);
}

ResourceEntry* Find(const char* name, const char* type)
{
    for (ResourceEntry& e : Table) {
        if (e.used && SameName(e.name, name) && SameName(e.type, type)) {
            return &e;
        }
    }
    return nullptr;
}

bool IsEntry(HRSRC resource)
{
    return resource >= Table && resource < Table + kMaxResources && resource->used;
}

}  // namespace

HRSRC FindResourceW(HMODULE, const char* name, const char* type)
{
    if (name == nullptr || type == nullptr) {
        return nullptr;
    }
    return Find(name, type);
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    return IsEntry(resource) ? resource->data : nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    return IsEntry(resource) ? resource->size : 0;
}

const void* LockResource(HGLOBAL loaded)
{
    return loaded;
}

bool RegisterResource(const char* name, const char* type, const void* data, DWORD size)
{
    if (!FitsName(name) || !FitsName(type) || data == nullptr) {
        return false;
    }
    ResourceEntry* entry = Find(name, type);
    if (entry == nullptr) {
        for (ResourceEntry& e : Table) {
            if (!e.used) {
                entry = &e;
                break;
            }
        }
    }
    if (entry == nullptr) {
        return false;
    }
    std::strcpy(entry->name, name);
    std::strcpy(entry->type, type);
    entry->data = data;
    entry->size = size;
    entry->used = true;
    return true;
}

void ClearResources()
{
    for (ResourceEntry& e : Table) {
        e = ResourceEntry{};
    }
}
