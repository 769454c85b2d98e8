// Feeds arbitrary bytes to the wave reader: from a file, from memory and through the
// resource fallback.
// Anything read must stay inside what the input holds, and a wave that opens must hand out
// exactly its data size.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "platform/files/resources.h"
#include "sound/wave_reader.h"

namespace {

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
        FuzzCheck(SUCCEEDED(hr));
        FuzzCheck(read <= piece);
        if (read == 0) {
            break;
        }
        total += read;
    }
    FuzzCheck(total == reader.GetSize());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > 1u << 20) {
        return 0;
    }
    const DWORD piece = 1 + static_cast<DWORD>(data[0] % 97);

    WaveReader reader;
    const bool memoryOk = SUCCEEDED(reader.OpenMemory(data, static_cast<DWORD>(size)));
    if (memoryOk) {
        FuzzCheck(reader.format != nullptr);
        FuzzCheck(reader.GetSize() <= size);
        ReadAll(reader, piece);
        FuzzCheck(reader.RewindToData() == S_OK);
        ReadAll(reader, piece + 13);
    } else {
        FuzzCheck(reader.GetSize() == 0);
    }

    const std::string path = FuzzFolder() + "/sound.wav";
    FuzzWriteFile(path, data, size);
    WaveReader fromFile;
    const bool fileOk = SUCCEEDED(fromFile.Open(path.c_str()));
    FuzzCheck(fileOk == memoryOk);
    if (fileOk) {
        FuzzCheck(fromFile.GetSize() == reader.GetSize());
        ReadAll(fromFile, piece);
        FuzzCheck(fromFile.RewindToData() == S_OK);
        ReadAll(fromFile, piece + 29);
    }

    ClearResources();
    FuzzCheck(RegisterResource("fuzz-input", "WAV", data, static_cast<DWORD>(size)));
    WaveReader fromResource;
    const HRESULT hr = fromResource.Open("fuzz-input");
    if (SUCCEEDED(hr)) {
        ReadAll(fromResource, piece);
    }
    ClearResources();
    return 0;
}
