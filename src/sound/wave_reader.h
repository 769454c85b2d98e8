#pragma once

// Reads a RIFF WAVE sound: its format and its samples, from a file or, when no such file
// opens, from a module resource of that name (type "WAVE", then "WAV"). The input is
// untrusted: every chunk must lie inside the RIFF chunk and the file.

#include <cstdint>
#include <cstdio>

#include "platform/audio/dsound.h"
#include "platform/platform_types.h"

class WaveReader {
public:
    WaveReader() = default;
    ~WaveReader();
    WaveReader(const WaveReader&) = delete;
    WaveReader& operator=(const WaveReader&) = delete;

    // Opens, parses and positions at the first sample. E_INVALIDARG for a null name, E_FAIL
    // for no file and no resource or a malformed header, E_OUTOFMEMORY when the resource
    // cannot be copied.
    HRESULT Open(const char* name);
    // Reads a wave held in memory (a copy is taken), as the resource path does.
    HRESULT OpenMemory(const void* data, DWORD size);

    HRESULT ParseHeader();
    HRESULT RewindToData();
    // Reads up to `count` bytes of samples; fewer once the data runs out, then 0 with S_OK.
    HRESULT ReadData(BYTE* buffer, DWORD count, DWORD* read);
    DWORD GetSize() const { return size_; }
    HRESULT Close();

    // The "fmt " chunk: an 18-byte header followed by cbSize extra bytes; null until parsed.
    WAVEFORMATEX* format = nullptr;

private:
    struct Chunk {
        std::uint32_t id = 0;
        std::uint32_t size = 0;
        std::uint32_t formType = 0;
        std::uint64_t dataOffset = 0;
    };

    bool IsOpen() const { return file_ != nullptr || memory_ != nullptr; }
    HRESULT OpenCopy(const void* data, DWORD size);
    HRESULT ParseAndRewind();
    void FreeFormat();
    bool Seek(std::uint64_t position);
    DWORD Read(void* dest, DWORD bytes);
    bool DescendRiff(Chunk* riff);
    bool FindChunk(std::uint32_t id, const Chunk& parent, Chunk* found);

    std::FILE* file_ = nullptr;
    BYTE* memory_ = nullptr;  // the resource copy
    std::uint64_t length_ = 0;
    std::uint64_t position_ = 0;
    Chunk riff_;
    Chunk data_;  // data_.size counts down the bytes not yet read
    DWORD size_ = 0;
};
