#include "sound/wave_reader.h"

#include <climits>
#include <cstring>
#include <new>
#include <string>

#include "platform/files/files.h"
#include "platform/files/resources.h"

namespace {

constexpr std::uint32_t FourCc(char a, char b, char c, char d)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(a)) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(d)) << 24);
}

constexpr std::uint32_t kRiff = FourCc('R', 'I', 'F', 'F');
constexpr std::uint32_t kWave = FourCc('W', 'A', 'V', 'E');
constexpr std::uint32_t kFmt = FourCc('f', 'm', 't', ' ');
constexpr std::uint32_t kData = FourCc('d', 'a', 't', 'a');

constexpr DWORD kFormatHeaderBytes = 18;
constexpr DWORD kPcmFieldsBytes = 16;

std::uint32_t Le32(const BYTE* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Le16(const BYTE* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

WaveReader::~WaveReader()
{
    Close();
    FreeFormat();
}

void WaveReader::FreeFormat()
{
    if (format != nullptr) {
        format->~WAVEFORMATEX();
        ::operator delete(format);
        format = nullptr;
    }
}

HRESULT WaveReader::Open(const char* name)
{
    if (name == nullptr) {
        return E_INVALIDARG;
    }
    FreeFormat();
    Close();
    size_ = 0;

    // Only a regular file counts: a folder, FIFO or device of that name falls through to the
    // resources, and is never waited on.
    const DWORD attributes = GetFileAttributesW(name);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        std::string why;
        file_ = OpenRegularFile(name, &length_, &why);
    }
    if (file_ != nullptr) {
        position_ = 0;
    } else {
        HMODULE module = GetModuleHandleW(nullptr);
        HRSRC resource = FindResourceW(module, name, "WAVE");
        if (resource == nullptr) {
            resource = FindResourceW(module, name, "WAV");
        }
        if (resource == nullptr) {
            return E_FAIL;
        }
        HGLOBAL loaded = LoadResource(module, resource);
        const DWORD bytes = SizeofResource(module, resource);
        const void* locked = LockResource(loaded);
        if (loaded == nullptr || bytes == 0 || locked == nullptr) {
            return E_FAIL;
        }
        const HRESULT copied = OpenCopy(locked, bytes);
        if (FAILED(copied)) {
            return copied;
        }
    }

    return ParseAndRewind();
}

HRESULT WaveReader::OpenMemory(const void* data, DWORD size)
{
    if (data == nullptr || size == 0) {
        return E_INVALIDARG;
    }
    FreeFormat();
    Close();
    size_ = 0;
    const HRESULT copied = OpenCopy(data, size);
    if (FAILED(copied)) {
        return copied;
    }
    return ParseAndRewind();
}

HRESULT WaveReader::ParseAndRewind()
{
    const HRESULT parsed = ParseHeader();
    if (FAILED(parsed)) {
        Close();
        return parsed;
    }
    // A failed rewind leaves the file open, with no size.
    const HRESULT rewound = RewindToData();
    if (FAILED(rewound)) {
        return rewound;
    }
    size_ = data_.size;
    return S_OK;
}

HRESULT WaveReader::OpenCopy(const void* data, DWORD size)
{
    memory_ = new (std::nothrow) BYTE[size];
    if (memory_ == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(memory_, data, size);
    length_ = size;
    position_ = 0;
    return S_OK;
}

bool WaveReader::Seek(std::uint64_t position)
{
    if (file_ != nullptr) {
        if (position > static_cast<std::uint64_t>(LONG_MAX) ||
            std::fseek(file_, static_cast<long>(position), SEEK_SET) != 0) {
            return false;
        }
    } else if (memory_ == nullptr) {
        return false;
    }
    position_ = position;
    return true;
}

DWORD WaveReader::Read(void* dest, DWORD bytes)
{
    if (file_ != nullptr) {
        const std::size_t got = std::fread(dest, 1, bytes, file_);
        position_ += got;
        return static_cast<DWORD>(got);
    }
    if (memory_ == nullptr || position_ >= length_) {
        return 0;
    }
    const std::uint64_t left = length_ - position_;
    const DWORD got = left < bytes ? static_cast<DWORD>(left) : bytes;
    std::memcpy(dest, memory_ + position_, got);
    position_ += got;
    return got;
}

bool WaveReader::DescendRiff(Chunk* riff)
{
    BYTE header[12];
    const std::uint64_t start = position_;
    if (Read(header, sizeof header) != sizeof header) {
        return false;
    }
    riff->id = Le32(header);
    riff->size = Le32(header + 4);
    riff->formType = Le32(header + 8);
    riff->dataOffset = start + 8;
    // The whole RIFF chunk must be in the file, and hold at least its form type.
    return riff->id == kRiff && riff->formType == kWave && riff->size >= 4 && riff->dataOffset + riff->size <= length_;
}

bool WaveReader::FindChunk(std::uint32_t id, const Chunk& parent, Chunk* found)
{
    const std::uint64_t end = parent.dataOffset + parent.size;
    for (;;) {
        BYTE header[8];
        const std::uint64_t start = position_;
        if (start + sizeof header > end || Read(header, sizeof header) != sizeof header) {
            return false;
        }
        const std::uint32_t chunkId = Le32(header);
        const std::uint32_t chunkSize = Le32(header + 4);
        const std::uint64_t dataOffset = start + sizeof header;
        // A chunk claiming more than its parent holds is damage, not something to skip over.
        if (dataOffset + chunkSize > end) {
            return false;
        }
        if (chunkId == id) {
            found->id = chunkId;
            found->size = chunkSize;
            found->formType = 0;
            found->dataOffset = dataOffset;
            return true;
        }
        // Chunks are padded to an even length.
        if (!Seek(dataOffset + chunkSize + (chunkSize & 1u))) {
            return false;
        }
    }
}

HRESULT WaveReader::ParseHeader()
{
    FreeFormat();
    if (!IsOpen() || !Seek(0) || !DescendRiff(&riff_)) {
        return E_FAIL;
    }
    Chunk fmt;
    if (!FindChunk(kFmt, riff_, &fmt) || fmt.size < kPcmFieldsBytes) {
        return E_FAIL;
    }
    BYTE fields[kPcmFieldsBytes];
    if (Read(fields, sizeof fields) != sizeof fields) {
        return E_FAIL;
    }
    const std::uint16_t tag = Le16(fields);
    std::uint16_t extra = 0;
    if (tag != WAVE_FORMAT_PCM) {
        BYTE extraField[2];
        // The extra size and its bytes must lie inside the "fmt " chunk itself.
        if (fmt.size < kFormatHeaderBytes || Read(extraField, sizeof extraField) != sizeof extraField) {
            return E_FAIL;
        }
        extra = Le16(extraField);
        if (kFormatHeaderBytes + static_cast<DWORD>(extra) > fmt.size) {
            return E_FAIL;
        }
    }
    void* memory = ::operator new(kFormatHeaderBytes + extra, std::nothrow);
    if (memory == nullptr) {
        return E_FAIL;
    }
    format = new (memory) WAVEFORMATEX{};
    format->wFormatTag = tag;
    format->nChannels = Le16(fields + 2);
    format->nSamplesPerSec = Le32(fields + 4);
    format->nAvgBytesPerSec = Le32(fields + 8);
    format->nBlockAlign = Le16(fields + 12);
    format->wBitsPerSample = Le16(fields + 14);
    format->cbSize = extra;
    if (extra > 0 && Read(static_cast<BYTE*>(memory) + kFormatHeaderBytes, extra) != extra) {
        FreeFormat();
        return E_FAIL;
    }
    // Out of "fmt ", past its pad byte.
    if (!Seek(fmt.dataOffset + fmt.size + (fmt.size & 1u))) {
        FreeFormat();
        return E_FAIL;
    }
    return S_OK;
}

HRESULT WaveReader::RewindToData()
{
    if (!IsOpen()) {
        return CO_E_NOTINITIALIZED;
    }
    if (!Seek(riff_.dataOffset + 4)) {
        return E_FAIL;
    }
    if (!FindChunk(kData, riff_, &data_)) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT WaveReader::ReadData(BYTE* buffer, DWORD count, DWORD* read)
{
    if (!IsOpen()) {
        return CO_E_NOTINITIALIZED;
    }
    if (buffer == nullptr || read == nullptr) {
        return E_INVALIDARG;
    }
    *read = 0;
    const DWORD n = count < data_.size ? count : data_.size;
    data_.size -= n;
    if (n > 0 && Read(buffer, n) != n) {
        // The file ended early; RewindToData restores the count.
        return E_FAIL;
    }
    *read = n;
    return S_OK;
}

HRESULT WaveReader::Close()
{
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    delete[] memory_;
    memory_ = nullptr;
    length_ = 0;
    position_ = 0;
    return S_OK;
}
