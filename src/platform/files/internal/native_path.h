#pragma once

// Private to the file calls: a path with either separator as the system takes it.

#include <string>

inline std::string NativePath(const char* path)
{
    std::string text(path);
    for (char& c : text) {
        c = c == '\\' ? '/' : c;
    }
    return text;
}
