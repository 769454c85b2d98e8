#pragma once

// Shared by the fuzz targets: the game's load paths take file names, so each input is
// written to a file of this process before it is loaded. A failed check traps, so the
// fuzzer keeps the input.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

inline void FuzzCheck(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

// A private folder under the temporary folder, made once per process and removed with
// what it holds when the process exits normally.
inline const std::string& FuzzFolder()
{
    struct Folder {
        std::string path;
        ~Folder()
        {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder{[] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/tarnwick-fuzz-XXXXXX";
        FuzzCheck(mkdtemp(pattern.data()) != nullptr);
        return pattern;
    }()};
    return folder.path;
}

inline void FuzzWriteFile(const std::string& path, const std::uint8_t* data, std::size_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    FuzzCheck(file != nullptr);
    FuzzCheck(size == 0 || std::fwrite(data, 1, size, file) == size);
    FuzzCheck(std::fclose(file) == 0);
}
