// Feeds arbitrary bytes to the wave reader, from memory and through the resource fallback.
// Anything read must stay inside what the input holds, and a wave that opens must hand out
// exactly its data size.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/files/resources.h"
#include "sound/wave_reader.h"

namespace {

void Check(bool condition)
{
    if (!condition) {
        __builtin_trap();
    }
}

void ReadAll(WaveReader& reader, DWORD piece)
{
    static std::vector<BYTE> scratch;
    if (scratch.size() < piece) {
        scratch.resize(piece);
    }
    DWORD total = 0;
    for (;;) {
        DWORD read = 0;
        const HRESULT hr = reader.ReadData(scratch.data(), piece, &read);
        Check(SUCCEEDED(hr));
        Check(read <= piece);
        if (read == 0) {
            break;
        }
        total += read;
    }
    Check(total == reader.GetSize());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > 1u << 20) {
        return 0;
    }
    const DWORD piece = 1 + static_cast<DWORD>(data[0] % 97);

    WaveReader reader;
    if (SUCCEEDED(reader.OpenMemory(data, static_cast<DWORD>(size)))) {
        Check(reader.format != nullptr);
        Check(reader.GetSize() <= size);
        ReadAll(reader, piece);
        Check(reader.RewindToData() == S_OK);
        ReadAll(reader, piece + 13);
    } else {
        Check(reader.GetSize() == 0);
    }

    ClearResources();
    Check(RegisterResource("fuzz-input", "WAV", data, static_cast<DWORD>(size)));
    WaveReader fromResource;
    const HRESULT hr = fromResource.Open("fuzz-input");
    if (SUCCEEDED(hr)) {
        ReadAll(fromResource, piece);
    }
    ClearResources();
    return 0;
}
