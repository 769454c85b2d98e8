#pragma once

// Private to the files area: what differs between systems, in plain C++ types only, so the
// Windows side can include the system's own headers without meeting our Win32-shaped names.
// Paths are UTF-8; either separator is accepted.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace native_files {

// The running program's full path; empty when it cannot be told.
std::string ProgramPath();
// The working folder; empty when it cannot be told.
std::string WorkingFolder();
// The length of an absolute path's root ("/" here, "C:/" on Windows); 0 for a relative path.
std::size_t RootLength(const std::string& path);

enum class PathKind { Missing, Folder, Other };
PathKind KindOf(const std::string& path);

// A regular file opened for binary reading and its length, or null and why (without the path).
std::FILE* OpenRegular(const std::string& path, std::uint64_t* length, std::string* reason);

// The process's resident memory now, or its peak; 0 where the system does not say.
std::uint64_t ResidentBytes(bool peak);
double ProcessAgeMs();

}  // namespace native_files
