#pragma once

// Module resources: named blobs built into the program, found by name and type. The table
// is empty unless the build (or a test) registers entries; lookups then simply fail.

#include "platform/platform_types.h"

struct ResourceEntry;
using HRSRC = const ResourceEntry*;
using HGLOBAL = const void*;

// Win32 shapes. `module` is accepted but there is only the one module. Names and types
// compare without regard to ASCII case. A missing entry gives null (or 0 for the size).
HRSRC FindResourceW(HMODULE module, const char* name, const char* type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
DWORD SizeofResource(HMODULE module, HRSRC resource);
const void* LockResource(HGLOBAL loaded);

// Adds one of at most 64 resources, names and types under 64 bytes; the bytes are not copied
// and must outlive every lookup. The same name and type again replaces the entry. False on
// null or over-long names, null data or a full table.
bool RegisterResource(const char* name, const char* type, const void* data, DWORD size);

// Drops every entry; for tests.
void ClearResources();
