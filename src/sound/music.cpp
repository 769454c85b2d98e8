#include "sound/music.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "platform/files/files.h"

GameAudio Audio;

std::string MusicProblem(const char* file, HRESULT createResult)
{
    const DWORD attributes = GetFileAttributesW(file);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return "not found";
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return "is a folder, not a wave file";
    }
    std::uint64_t length = 0;
    std::string why;
    if (std::FILE* probe = OpenRegularFile(file, &length, &why)) {
        std::fclose(probe);
    } else {
        const std::size_t named = std::strlen(file) + 1;
        return why.size() > named ? why.substr(named) : why;
    }
    WaveReader wave;
    if (FAILED(wave.Open(file)) || wave.format == nullptr) {
        return "not a wave file we can read (damaged, cut short or another format)";
    }
    const WAVEFORMATEX& f = *wave.format;
    const std::string bits = std::to_string(f.wBitsPerSample) + "-bit";
    if (f.wFormatTag == kWaveFormatIeeeFloat) {
        return bits + " float samples are not supported";
    }
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) {
        return bits + " samples are not supported";
    }
    if (f.wFormatTag != WAVE_FORMAT_PCM) {
        char tag[16];
        std::snprintf(tag, sizeof tag, "0x%04X", static_cast<unsigned>(f.wFormatTag));
        return std::string("sample format ") + tag + " is not supported (only plain PCM)";
    }
    if (f.nChannels != 1 && f.nChannels != 2) {
        return std::to_string(f.nChannels) + " channels are not supported";
    }
    if (f.nSamplesPerSec < DSBFREQUENCY_MIN || f.nSamplesPerSec > DSBFREQUENCY_MAX) {
        return "a sample rate of " + std::to_string(f.nSamplesPerSec) + " Hz is not supported";
    }
    if (f.nBlockAlign != f.nChannels * (f.wBitsPerSample / 8) ||
        f.nAvgBytesPerSec != f.nSamplesPerSec * f.nBlockAlign) {
        return "its block size or byte rate does not match its format";
    }
    if (wave.GetSize() == 0) {
        return "holds no samples";
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(createResult));
    return std::string("the sound output refused it (") + code + ")";
}

namespace {

void SayNoMusic(const char* file, const std::string& why)
{
    std::fprintf(stderr, "Tarnwick: music %s: %s; playing without music\n", file, why.c_str());
}

}  // namespace

void StartMusic(HWND window, const char* file)
{
    // A second start would orphan the first device; keep the one that runs.
    if (Audio.soundSystem != nullptr) {
        return;
    }
    Audio.soundSystem = new (std::nothrow) SoundSystem();
    if (Audio.soundSystem == nullptr) {
        return;
    }
    // Sound never stops the game, but a silent game says once why it is silent.
    if (FAILED(Audio.soundSystem->Initialize(window, kMusicCooperativeLevel))) {
        SayNoMusic(file, "no audio device could be opened");
        return;
    }
    // The output refuses this primary format; the mix converts anyway.
    Audio.soundSystem->SetPrimaryFormat(kPrimaryChannels, kPrimarySamplesPerSecond, kPrimaryBitsPerSample);
    const HRESULT created =
        Audio.soundSystem->CreateSound(&Audio.music, file, kMusicCreationFlags, GUID_NULL, kMusicBufferCount);
    if (Audio.music == nullptr) {
        SayNoMusic(file, MusicProblem(file, created));
        return;
    }
    Audio.music->Play(kMusicPriority, kMusicPlayFlags, kMusicVolume, kMusicFrequency, kMusicPan);
}

namespace {

LONG MusicVolume() { return Audio.muted ? DSBVOLUME_MIN : kMusicVolume; }

}  // namespace

void RestartMusicIfStopped()
{
    if (Audio.music != nullptr && !Audio.music->IsPlaying()) {
        Audio.music->Play(kMusicPriority, kMusicPlayFlags, MusicVolume(), kMusicFrequency, kMusicPan);
    }
}

void SetMusicMuted(bool muted)
{
    Audio.muted = muted;
    for (DWORD i = 0; Audio.music != nullptr && i < Audio.music->BufferCount(); ++i) {
        if (IDirectSoundBuffer* buffer = Audio.music->Buffer(i)) {
            buffer->SetVolume(MusicVolume());
        }
    }
}

bool MusicMuted() { return Audio.muted; }

void GameAudio::Reset()
{
    delete music;
    delete soundSystem;
    *this = GameAudio{};
}
