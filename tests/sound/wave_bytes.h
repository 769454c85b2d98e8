#pragma once

// Builds RIFF WAVE images byte by byte, including broken ones.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace wavetest {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v & 0xFF));
    b.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

inline void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

inline void PutId(Bytes& b, const char* id)
{
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::uint8_t>(id[i]));
    }
}

inline void Append(Bytes& b, const Bytes& more)
{
    for (std::uint8_t v : more) {
        b.push_back(v);
    }
}

// A chunk with the size written as `claimed` (its real size when -1), padded to even length.
inline Bytes Chunk(const char* id, const Bytes& body, std::int64_t claimed = -1, bool pad = true)
{
    Bytes b;
    PutId(b, id);
    Put32(b, claimed < 0 ? static_cast<std::uint32_t>(body.size()) : static_cast<std::uint32_t>(claimed));
    Append(b, body);
    if (pad && (body.size() & 1u) != 0) {
        b.push_back(0);
    }
    return b;
}

inline Bytes FmtBody(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate, std::uint16_t bits)
{
    Bytes b;
    const std::uint16_t align = static_cast<std::uint16_t>(channels * (bits / 8));
    Put16(b, tag);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, rate * align);
    Put16(b, align);
    Put16(b, bits);
    return b;
}

// "RIFF" <size> "WAVE" followed by the given chunks; riffSize -1 writes the true size.
inline Bytes Riff(const std::vector<Bytes>& chunks, std::int64_t riffSize = -1, const char* form = "WAVE")
{
    Bytes inner;
    PutId(inner, form);
    for (const Bytes& c : chunks) {
        Append(inner, c);
    }
    Bytes b;
    PutId(b, "RIFF");
    Put32(b, riffSize < 0 ? static_cast<std::uint32_t>(inner.size()) : static_cast<std::uint32_t>(riffSize));
    Append(b, inner);
    return b;
}

inline Bytes Pcm16Samples(const std::vector<std::int16_t>& samples)
{
    Bytes b;
    for (std::int16_t s : samples) {
        Put16(b, static_cast<std::uint16_t>(s));
    }
    return b;
}

// A plain PCM wave of the given samples.
inline Bytes SimpleWave(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const Bytes& samples)
{
    return Riff({Chunk("fmt ", FmtBody(1, channels, rate, bits)), Chunk("data", samples)});
}

inline bool WriteFile(const std::string& path, const Bytes& bytes)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace wavetest
