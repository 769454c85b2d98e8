#include "sound/wave_reader.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files/resources.h"
#include "support/temp_folder.h"
#include "wave_bytes.h"

using namespace wavetest;

namespace {

class WaveReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(folder_.Path().empty());
        dir_ = folder_.Path().string();
        ClearResources();
    }
    void TearDown() override { ClearResources(); }
    std::string Write(const char* name, const Bytes& bytes)
    {
        std::string path = dir_ + "/" + name;
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    TempFolder folder_{"wavereader"};
    std::string dir_;
};

Bytes Ramp(std::size_t n)
{
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) {
        b[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return b;
}

TEST_F(WaveReaderTest, ReadsFormatAndSamplesFromAFile)
{
    const Bytes samples = Ramp(100);
    const std::string path = Write("ok.wav", SimpleWave(2, 22050, 16, samples));
    WaveReader reader;
    ASSERT_EQ(reader.Open(path.c_str()), S_OK);
    EXPECT_EQ(reader.GetSize(), 100u);
    ASSERT_NE(reader.format, nullptr);
    EXPECT_EQ(reader.format->wFormatTag, 1);
    EXPECT_EQ(reader.format->nChannels, 2);
    EXPECT_EQ(reader.format->nSamplesPerSec, 22050u);
    EXPECT_EQ(reader.format->nAvgBytesPerSec, 88200u);
    EXPECT_EQ(reader.format->nBlockAlign, 4);
    EXPECT_EQ(reader.format->wBitsPerSample, 16);
    EXPECT_EQ(reader.format->cbSize, 0);

    BYTE out[100] = {};
    DWORD read = 0;
    ASSERT_EQ(reader.ReadData(out, 100, &read), S_OK);
    EXPECT_EQ(read, 100u);
    EXPECT_EQ(std::memcmp(out, samples.data(), 100), 0);
}

TEST_F(WaveReaderTest, ReadsInPiecesAndStopsAtTheEndThenRewinds)
{
    const Bytes samples = Ramp(10);
    WaveReader reader;
    const Bytes wave = SimpleWave(1, 8000, 8, samples);
    ASSERT_EQ(reader.OpenMemory(wave.data(), static_cast<DWORD>(wave.size())), S_OK);

    BYTE out[16] = {};
    DWORD read = 99;
    ASSERT_EQ(reader.ReadData(out, 4, &read), S_OK);
    EXPECT_EQ(read, 4u);
    EXPECT_EQ(std::memcmp(out, samples.data(), 4), 0);
    // More than remains: only the rest.
    ASSERT_EQ(reader.ReadData(out, 16, &read), S_OK);
    EXPECT_EQ(read, 6u);
    EXPECT_EQ(std::memcmp(out, samples.data() + 4, 6), 0);
    // Nothing left: 0 bytes, still S_OK.
    read = 99;
    EXPECT_EQ(reader.ReadData(out, 16, &read), S_OK);
    EXPECT_EQ(read, 0u);

    ASSERT_EQ(reader.RewindToData(), S_OK);
    ASSERT_EQ(reader.ReadData(out, 16, &read), S_OK);
    EXPECT_EQ(read, 10u);
    EXPECT_EQ(std::memcmp(out, samples.data(), 10), 0);
    EXPECT_EQ(reader.GetSize(), 10u);
}

TEST_F(WaveReaderTest, FirstChunkMustBeRiffWaveEvenIfOneFollows)
{
    const Bytes good = SimpleWave(1, 8000, 8, Ramp(8));
    Bytes junkFirst = Chunk("JUNK", Ramp(6));
    Append(junkFirst, good);
    WaveReader reader;
    EXPECT_EQ(reader.OpenMemory(junkFirst.data(), static_cast<DWORD>(junkFirst.size())), E_FAIL);
    EXPECT_EQ(reader.GetSize(), 0u);
    EXPECT_EQ(reader.format, nullptr);

    const Bytes notWave = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("data", Ramp(8))}, -1, "AVI ");
    EXPECT_EQ(reader.OpenMemory(notWave.data(), static_cast<DWORD>(notWave.size())), E_FAIL);
    // The reader was closed by the failure.
    DWORD read = 0;
    BYTE out[4];
    EXPECT_EQ(reader.ReadData(out, 4, &read), CO_E_NOTINITIALIZED);
}

TEST_F(WaveReaderTest, SkipsUnknownChunksIncludingOddSizedOnes)
{
    const Bytes samples = Ramp(6);
    const Bytes wave = Riff({Chunk("LIST", Ramp(5)), Chunk("fmt ", FmtBody(1, 1, 11025, 8)), Chunk("fact", Ramp(3)),
                             Chunk("data", samples), Chunk("smpl", Ramp(4))});
    WaveReader reader;
    ASSERT_EQ(reader.OpenMemory(wave.data(), static_cast<DWORD>(wave.size())), S_OK);
    EXPECT_EQ(reader.format->nSamplesPerSec, 11025u);
    EXPECT_EQ(reader.GetSize(), 6u);
    BYTE out[6];
    DWORD read = 0;
    ASSERT_EQ(reader.ReadData(out, 6, &read), S_OK);
    EXPECT_EQ(std::memcmp(out, samples.data(), 6), 0);
}

TEST_F(WaveReaderTest, DataBeforeFmtIsFoundBySearchingFromTheStart)
{
    const Bytes samples = Ramp(4);
    const Bytes wave = Riff({Chunk("data", samples), Chunk("fmt ", FmtBody(1, 1, 8000, 8))});
    WaveReader reader;
    ASSERT_EQ(reader.OpenMemory(wave.data(), static_cast<DWORD>(wave.size())), S_OK);
    EXPECT_EQ(reader.GetSize(), 4u);
    BYTE out[4];
    DWORD read = 0;
    ASSERT_EQ(reader.ReadData(out, 4, &read), S_OK);
    EXPECT_EQ(std::memcmp(out, samples.data(), 4), 0);
}

TEST_F(WaveReaderTest, FmtChunkSizeRules)
{
    WaveReader reader;
    Bytes short14 = FmtBody(1, 1, 8000, 8);
    short14.resize(14);
    const Bytes refused = Riff({Chunk("fmt ", short14), Chunk("data", Ramp(4))});
    EXPECT_EQ(reader.OpenMemory(refused.data(), static_cast<DWORD>(refused.size())), E_FAIL);
    EXPECT_EQ(reader.format, nullptr);

    // 16 bytes of PCM: an 18-byte format whose extra size is 0.
    const Bytes pcm = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("data", Ramp(4))});
    ASSERT_EQ(reader.OpenMemory(pcm.data(), static_cast<DWORD>(pcm.size())), S_OK);
    EXPECT_EQ(reader.format->cbSize, 0);

    // No "fmt " at all, or no "data" at all.
    const Bytes noFmt = Riff({Chunk("data", Ramp(4))});
    EXPECT_EQ(reader.OpenMemory(noFmt.data(), static_cast<DWORD>(noFmt.size())), E_FAIL);
    const Bytes noData = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8))});
    EXPECT_EQ(reader.OpenMemory(noData.data(), static_cast<DWORD>(noData.size())), E_FAIL);
    EXPECT_EQ(reader.GetSize(), 0u);
}

TEST_F(WaveReaderTest, NonPcmFormatKeepsItsExtraBytes)
{
    Bytes fmt = FmtBody(2, 1, 8000, 4);
    Put16(fmt, 2);
    fmt.push_back(0xAB);
    fmt.push_back(0xCD);
    const Bytes wave = Riff({Chunk("fmt ", fmt), Chunk("data", Ramp(4))});
    WaveReader reader;
    ASSERT_EQ(reader.OpenMemory(wave.data(), static_cast<DWORD>(wave.size())), S_OK);
    ASSERT_NE(reader.format, nullptr);
    EXPECT_EQ(reader.format->wFormatTag, 2);
    EXPECT_EQ(reader.format->cbSize, 2);
    const auto* extra = reinterpret_cast<const BYTE*>(reader.format) + 18;
    EXPECT_EQ(extra[0], 0xAB);
    EXPECT_EQ(extra[1], 0xCD);
}

TEST_F(WaveReaderTest, UntrustedSizesAreRefused)
{
    WaveReader reader;
    // Extra size far beyond the "fmt " chunk.
    Bytes hugeExtra = FmtBody(2, 1, 8000, 4);
    Put16(hugeExtra, 0xFFFF);
    const Bytes a = Riff({Chunk("fmt ", hugeExtra), Chunk("data", Ramp(4))});
    EXPECT_EQ(reader.OpenMemory(a.data(), static_cast<DWORD>(a.size())), E_FAIL);

    // Non-PCM "fmt " of 16 bytes: the extra size would come from the next chunk.
    const Bytes b = Riff({Chunk("fmt ", FmtBody(2, 1, 8000, 4)), Chunk("data", Ramp(4))});
    EXPECT_EQ(reader.OpenMemory(b.data(), static_cast<DWORD>(b.size())), E_FAIL);

    // A skipped chunk that claims to run past the RIFF chunk.
    const Bytes c =
        Riff({Chunk("JUNK", Ramp(4), 0x7FFFFFF0), Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("data", Ramp(4))});
    EXPECT_EQ(reader.OpenMemory(c.data(), static_cast<DWORD>(c.size())), E_FAIL);

    // "fmt " shorter than it claims (the file ends inside it).
    Bytes d = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8), 40)});
    EXPECT_EQ(reader.OpenMemory(d.data(), static_cast<DWORD>(d.size())), E_FAIL);

    // A data chunk claiming more than the file holds.
    const Bytes e = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("data", Ramp(4), 1000)});
    EXPECT_EQ(reader.OpenMemory(e.data(), static_cast<DWORD>(e.size())), E_FAIL);
    EXPECT_EQ(reader.GetSize(), 0u);

    // A RIFF size past the end of the file, and one too small for its form type.
    const Bytes f = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("data", Ramp(4))}, 5000);
    EXPECT_EQ(reader.OpenMemory(f.data(), static_cast<DWORD>(f.size())), E_FAIL);
    const Bytes g = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("data", Ramp(4))}, 2);
    EXPECT_EQ(reader.OpenMemory(g.data(), static_cast<DWORD>(g.size())), E_FAIL);

    // A data chunk inside the file but past the end of a RIFF chunk that stops short.
    const Bytes inner = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("data", Ramp(4))});
    const Bytes h = Riff({Chunk("fmt ", FmtBody(1, 1, 8000, 8)), Chunk("data", Ramp(4))},
                         static_cast<std::int64_t>(inner.size() - 8 - 2));
    EXPECT_EQ(reader.OpenMemory(h.data(), static_cast<DWORD>(h.size())), E_FAIL);

    // Truncated headers.
    for (std::size_t n : {std::size_t{3}, std::size_t{11}, std::size_t{15}, std::size_t{20}}) {
        const Bytes full = SimpleWave(1, 8000, 8, Ramp(4));
        EXPECT_EQ(reader.OpenMemory(full.data(), static_cast<DWORD>(n)), E_FAIL) << n;
    }
}

TEST_F(WaveReaderTest, CallsWithoutAnOpenFileOrWithNullArguments)
{
    WaveReader reader;
    BYTE out[4];
    DWORD read = 7;
    EXPECT_EQ(reader.RewindToData(), CO_E_NOTINITIALIZED);
    EXPECT_EQ(reader.ReadData(out, 4, &read), CO_E_NOTINITIALIZED);
    EXPECT_EQ(reader.ParseHeader(), E_FAIL);
    EXPECT_EQ(reader.Open(nullptr), E_INVALIDARG);
    EXPECT_EQ(reader.Close(), S_OK);

    const Bytes wave = SimpleWave(1, 8000, 8, Ramp(4));
    ASSERT_EQ(reader.OpenMemory(wave.data(), static_cast<DWORD>(wave.size())), S_OK);
    EXPECT_EQ(reader.ReadData(nullptr, 4, &read), E_INVALIDARG);
    EXPECT_EQ(reader.ReadData(out, 4, nullptr), E_INVALIDARG);
    EXPECT_EQ(reader.Close(), S_OK);
    EXPECT_EQ(reader.ReadData(out, 4, &read), CO_E_NOTINITIALIZED);
    // The format outlives Close; the caller may still need it.
    EXPECT_NE(reader.format, nullptr);
}

TEST_F(WaveReaderTest, MissingFileWithoutResourceFails)
{
    WaveReader reader;
    const std::string path = dir_ + "/nothing.wav";
    EXPECT_EQ(reader.Open(path.c_str()), E_FAIL);
    EXPECT_EQ(reader.GetSize(), 0u);
    EXPECT_EQ(reader.format, nullptr);
    // A folder of that name is not a wave file either.
    EXPECT_EQ(reader.Open(dir_.c_str()), E_FAIL);
}

TEST_F(WaveReaderTest, FallsBackToWaveThenWavResources)
{
    static const Bytes asWave = SimpleWave(1, 8000, 8, Ramp(5));
    static const Bytes asWav = SimpleWave(2, 44100, 16, Ramp(12));
    WaveReader reader;

    ASSERT_TRUE(RegisterResource("music-only-wav", "WAV", asWav.data(), static_cast<DWORD>(asWav.size())));
    ASSERT_EQ(reader.Open("music-only-wav"), S_OK);
    EXPECT_EQ(reader.GetSize(), 12u);
    EXPECT_EQ(reader.format->nChannels, 2);

    // Both types registered: "WAVE" wins.
    ASSERT_TRUE(RegisterResource("both", "WAV", asWav.data(), static_cast<DWORD>(asWav.size())));
    ASSERT_TRUE(RegisterResource("both", "WAVE", asWave.data(), static_cast<DWORD>(asWave.size())));
    ASSERT_EQ(reader.Open("both"), S_OK);
    EXPECT_EQ(reader.GetSize(), 5u);
    BYTE out[5];
    DWORD read = 0;
    ASSERT_EQ(reader.ReadData(out, 5, &read), S_OK);
    EXPECT_EQ(std::memcmp(out, Ramp(5).data(), 5), 0);

    // Another type does not count.
    ASSERT_TRUE(RegisterResource("picture", "TGA", asWave.data(), static_cast<DWORD>(asWave.size())));
    EXPECT_EQ(reader.Open("picture"), E_FAIL);
    EXPECT_EQ(reader.GetSize(), 0u);

    // An empty resource is refused.
    static const BYTE nothing[1] = {0};
    ASSERT_TRUE(RegisterResource("empty", "WAVE", nothing, 0));
    EXPECT_EQ(reader.Open("empty"), E_FAIL);
}

TEST_F(WaveReaderTest, AFileWinsOverAResourceOfTheSameName)
{
    static const Bytes asResource = SimpleWave(1, 8000, 8, Ramp(5));
    const std::string path = Write("same.wav", SimpleWave(1, 8000, 8, Ramp(9)));
    ASSERT_TRUE(RegisterResource(path.c_str(), "WAVE", asResource.data(), static_cast<DWORD>(asResource.size())));
    WaveReader reader;
    ASSERT_EQ(reader.Open(path.c_str()), S_OK);
    EXPECT_EQ(reader.GetSize(), 9u);
}

TEST_F(WaveReaderTest, AFileCutShortAfterOpeningFailsTheReadUntilRewound)
{
    // Larger than any read-ahead, so the cut is really seen.
    const Bytes samples = Ramp(200000);
    const Bytes wave = SimpleWave(1, 8000, 8, samples);
    const std::string path = Write("cut.wav", wave);
    WaveReader reader;
    ASSERT_EQ(reader.Open(path.c_str()), S_OK);
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(wave.size() - 100000)), 0);

    std::vector<BYTE> out(samples.size());
    DWORD read = 5;
    EXPECT_EQ(reader.ReadData(out.data(), static_cast<DWORD>(out.size()), &read), E_FAIL);
    EXPECT_EQ(read, 0u);
    // The count was already taken: nothing is left to read.
    EXPECT_EQ(reader.ReadData(out.data(), 64, &read), S_OK);
    EXPECT_EQ(read, 0u);
    // Rewinding restores it; what the file still holds reads fine.
    ASSERT_EQ(reader.RewindToData(), S_OK);
    EXPECT_EQ(reader.ReadData(out.data(), 10, &read), S_OK);
    EXPECT_EQ(read, 10u);
    EXPECT_EQ(std::memcmp(out.data(), samples.data(), 10), 0);
}

TEST_F(WaveReaderTest, ReopeningReplacesTheFormerWave)
{
    const std::string first = Write("a.wav", SimpleWave(1, 8000, 8, Ramp(20)));
    const std::string second = Write("b.wav", SimpleWave(2, 16000, 16, Ramp(8)));
    WaveReader reader;
    ASSERT_EQ(reader.Open(first.c_str()), S_OK);
    ASSERT_EQ(reader.Open(second.c_str()), S_OK);
    EXPECT_EQ(reader.GetSize(), 8u);
    EXPECT_EQ(reader.format->nSamplesPerSec, 16000u);
    // A failed reopen leaves no stale size behind.
    EXPECT_EQ(reader.Open((dir_ + "/none.wav").c_str()), E_FAIL);
    EXPECT_EQ(reader.GetSize(), 0u);
}

}  // namespace
