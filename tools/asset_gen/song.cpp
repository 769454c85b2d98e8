#include "song.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "math/random.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr int kStepsPerBeat = 4;
constexpr int kBeats = 128;

// Start of a sixteenth step in samples; steps past the end wrap round the loop.
int StepFrame(int step)
{
    return static_cast<int>(static_cast<std::int64_t>(step) * kSongFrames / (kBeats * kStepsPerBeat));
}

float MidiHz(int note) { return 440.0f * std::exp2(static_cast<float>(note - 69) / 12.0f); }

class SineTable {
public:
    SineTable()
    {
        for (int i = 0; i <= kSize; ++i) {
            table_[static_cast<std::size_t>(i)] = std::sin(2.0f * kPi * static_cast<float>(i) / kSize);
        }
    }
    // phase in turns, 0..1
    float operator()(float phase) const
    {
        const float p = (phase - std::floor(phase)) * kSize;
        const int i = std::min(static_cast<int>(p), kSize - 1);
        const float t = p - static_cast<float>(i);
        return table_[static_cast<std::size_t>(i)] +
               (table_[static_cast<std::size_t>(i) + 1] - table_[static_cast<std::size_t>(i)]) * t;
    }

private:
    static constexpr int kSize = 4096;
    std::array<float, kSize + 1> table_{};
};

const SineTable& Sine()
{
    static const SineTable table;
    return table;
}

enum class Voice { Pad, Bass, Bell, Lead, Kick, Hat, Snare };

struct Note {
    Voice voice;
    int step;    // start, in sixteenths
    int length;  // in sixteenths
    int pitch;   // MIDI note
    float gain;
    float pan;  // -1 left .. 1 right
};

// A value that starts at 1 and falls by e every `seconds`, one sample per call.
class Fall {
public:
    explicit Fall(float seconds) : factor_(std::exp(-1.0f / (seconds * static_cast<float>(kSongRate)))) {}
    float Next()
    {
        const float v = value_;
        value_ *= factor_;
        return v;
    }

private:
    float factor_;
    float value_ = 1.0f;
};

// Attack, then an exponential fall towards `sustain`, and a release after the note's length;
// one sample per call.
class Envelope {
public:
    Envelope(float length, float attack, float decay, float sustain, float release)
        : attack_(attack), length_(length), sustain_(sustain), decay_(decay), release_(release)
    {
    }
    float Next(float t)
    {
        float level = t < attack_ ? t / attack_ : sustain_ + (1.0f - sustain_) * decay_.Next();
        if (t > length_) {
            level *= release_.Next();
        }
        return level;
    }

private:
    float attack_;
    float length_;
    float sustain_;
    Fall decay_;
    Fall release_;
};

// Seconds of sound a voice makes after its note ends.
float Tail(Voice v)
{
    switch (v) {
    case Voice::Pad: return 1.8f;
    case Voice::Bell: return 0.6f;
    case Voice::Lead: return 0.6f;
    case Voice::Hat: return 0.2f;
    default: return 0.5f;
    }
}

class Mixer {
public:
    Mixer() : left_(kSongFrames, 0.0f), right_(kSongFrames, 0.0f) {}

    void Play(const Note& n)
    {
        const float stepSeconds = 60.0f / (128.0f * kStepsPerBeat);
        const float length = static_cast<float>(n.length) * stepSeconds;
        const int frames = static_cast<int>((length + Tail(n.voice)) * kSongRate);
        const int start = StepFrame(n.step);
        const float hz = MidiHz(n.pitch);
        const float gl = n.gain * std::sqrt(0.5f * (1.0f - n.pan));
        const float gr = n.gain * std::sqrt(0.5f * (1.0f + n.pan));
        const SineTable& sine = Sine();
        float phase = 0.0f;
        float modPhase = 0.0f;
        float low = 0.0f;
        Envelope pad(length, 0.45f, 1.0f, 0.8f, 0.7f);
        Envelope bass(length, 0.008f, 0.35f, 0.35f, 0.08f);
        Envelope bell(length, 0.004f, 0.30f, 0.0f, 0.2f);
        Envelope lead(length, 0.03f, 0.4f, 0.7f, 0.15f);
        Fall index(0.12f);
        Fall body(0.16f);
        Fall sweep(0.04f);
        Fall hiss(0.035f);
        Fall rattle(0.10f);
        Fall tone(0.05f);
        for (int i = 0; i < frames; ++i) {
            const float t = static_cast<float>(i) / kSongRate;
            float s = 0.0f;
            switch (n.voice) {
            case Voice::Pad: {
                const float e = pad.Next(t);
                const float vib = 1.0f + 0.003f * sine(t * 5.0f);
                phase += hz * vib / kSongRate;
                s = e * (sine(phase) + 0.3f * sine(phase * 2.0f + 0.1f) + 0.12f * sine(phase * 3.0f));
                break;
            }
            case Voice::Bass: {
                const float e = bass.Next(t);
                phase += hz / kSongRate;
                s = e * (sine(phase) + 0.25f * sine(phase * 2.0f) + 0.1f * sine(phase * 3.0f));
                break;
            }
            case Voice::Bell: {
                const float e = bell.Next(t);
                phase += hz / kSongRate;
                modPhase += hz * 2.0f / kSongRate;
                const float depth = 1.6f * index.Next();
                s = e * sine(phase + depth * sine(modPhase) / (2.0f * kPi));
                break;
            }
            case Voice::Lead: {
                const float e = lead.Next(t);
                const float vib = 1.0f + 0.006f * sine(t * 5.5f) * std::min(1.0f, t / 0.3f);
                phase += hz * vib / kSongRate;
                s = e *
                    (sine(phase) + 0.28f * sine(phase * 3.0f) + 0.1f * sine(phase * 5.0f) + 0.2f * sine(phase * 2.0f));
                break;
            }
            case Voice::Kick: {
                const float e = body.Next() * std::min(1.0f, t / 0.002f);
                phase += (45.0f + 90.0f * sweep.Next()) / kSongRate;
                s = e * sine(phase);
                break;
            }
            case Voice::Hat: {
                const float noise = static_cast<float>(Rand()) / kRandMax * 2.0f - 1.0f;
                const float high = noise - low;  // a first difference keeps the hiss bright
                low = noise;
                s = hiss.Next() * std::min(1.0f, t / 0.001f) * high * 0.5f;
                break;
            }
            case Voice::Snare: {
                const float noise = static_cast<float>(Rand()) / kRandMax * 2.0f - 1.0f;
                low += (noise - low) * 0.45f;
                phase += 190.0f / kSongRate;
                s = std::min(1.0f, t / 0.002f) * (rattle.Next() * low + 0.5f * tone.Next() * sine(phase));
                break;
            }
            }
            // The last 10 ms fade out, so cutting the tail leaves no step.
            s *= std::min(1.0f, static_cast<float>(frames - i) / (0.01f * kSongRate));
            const int at = (start + i) % kSongFrames;
            left_[static_cast<std::size_t>(at)] += s * gl;
            right_[static_cast<std::size_t>(at)] += s * gr;
        }
    }

    // A soft stereo echo and a gentle low-pass, both run round the loop so the joint is seamless.
    void Finish()
    {
        const int delay = StepFrame(3);
        std::vector<float> wetL(left_.size());
        std::vector<float> wetR(right_.size());
        for (int i = 0; i < kSongFrames; ++i) {
            const auto back = [&](int k) {
                return static_cast<std::size_t>(((i - k * delay) % kSongFrames + kSongFrames) % kSongFrames);
            };
            wetL[static_cast<std::size_t>(i)] =
                0.22f * right_[back(1)] + 0.10f * left_[back(2)] + 0.05f * right_[back(3)];
            wetR[static_cast<std::size_t>(i)] =
                0.22f * left_[back(1)] + 0.10f * right_[back(2)] + 0.05f * left_[back(3)];
        }
        for (std::size_t i = 0; i < left_.size(); ++i) {
            left_[i] += wetL[i];
            right_[i] += wetR[i];
        }
        for (std::vector<float>* channel : {&left_, &right_}) {
            float state = 0.0f;
            std::vector<float> out(channel->size());
            for (int pass = 0; pass < 2; ++pass) {  // the second pass starts in the steady state
                for (std::size_t i = 0; i < channel->size(); ++i) {
                    state += ((*channel)[i] - state) * 0.55f;
                    out[i] = state;
                }
            }
            *channel = std::move(out);
        }
    }

    std::vector<std::int16_t> Samples() const
    {
        float peak = 1e-6f;
        for (std::size_t i = 0; i < left_.size(); ++i) {
            peak = std::max({peak, std::fabs(left_[i]), std::fabs(right_[i])});
        }
        const float scale = 0.82f * 32767.0f / peak;  // about -1.7 dBFS at the loudest sample
        std::vector<std::int16_t> out;
        out.reserve(left_.size() * 2);
        for (std::size_t i = 0; i < left_.size(); ++i) {
            out.push_back(static_cast<std::int16_t>(std::lround(left_[i] * scale)));
            out.push_back(static_cast<std::int16_t>(std::lround(right_[i] * scale)));
        }
        return out;
    }

private:
    std::vector<float> left_;
    std::vector<float> right_;
};

struct Chord {
    int root;  // MIDI note of the bass
    std::array<int, 3> tones;
};

// Two bars per chord, in D major: verse, bridge, verse with the tune, and a turn back home.
constexpr Chord kD{38, {62, 66, 69}};
constexpr Chord kBm{35, {62, 66, 71}};
constexpr Chord kG{43, {62, 67, 71}};
constexpr Chord kA{45, {61, 64, 69}};
constexpr Chord kFsm{42, {61, 66, 69}};
constexpr Chord kEm{40, {64, 67, 71}};
constexpr std::array<Chord, 16> kChords = {kD, kBm, kG, kA, kG, kA, kFsm, kBm, kD, kBm, kG, kA, kEm, kG, kA, kA};

struct TuneNote {
    int pitch;   // 0 is a rest
    int length;  // sixteenths
};

// Eight bars each.
constexpr TuneNote kVerseTune[] = {
    {66, 4}, {69, 4},  {74, 8}, {71, 2}, {69, 2}, {66, 4}, {64, 8}, {66, 4}, {71, 4}, {74, 6},
    {73, 2}, {71, 12}, {0, 4},  {67, 4}, {71, 4}, {74, 4}, {76, 4}, {74, 4}, {71, 4}, {67, 8},
    {69, 4}, {73, 4},  {76, 4}, {73, 4}, {71, 4}, {69, 4}, {64, 4}, {73, 4},
};
constexpr TuneNote kTurnTune[] = {
    {71, 8}, {67, 4}, {64, 4}, {66, 4}, {67, 4}, {71, 8}, {74, 8}, {71, 4}, {67, 4}, {69, 4}, {71, 4},  {67, 8},
    {69, 6}, {71, 2}, {73, 4}, {76, 4}, {78, 8}, {76, 8}, {73, 4}, {71, 4}, {69, 4}, {64, 4}, {69, 12}, {0, 4},
};

void PlayTune(Mixer& mix, const TuneNote* tune, std::size_t count, int firstStep)
{
    int step = firstStep;
    for (std::size_t i = 0; i < count; ++i) {
        if (tune[i].pitch != 0) {
            mix.Play({Voice::Lead, step, tune[i].length - 1, tune[i].pitch, 0.085f, 0.15f});
        }
        step += tune[i].length;
    }
}

}  // namespace

std::vector<std::int16_t> RenderSong()
{
    const std::uint32_t saved = GetRandState();
    SetRandState(1234);
    Mixer mix;
    constexpr int kBar = 16;
    for (int c = 0; c < static_cast<int>(kChords.size()); ++c) {
        const Chord& chord = kChords[static_cast<std::size_t>(c)];
        const int first = c * 2 * kBar;
        const int section = c / 4;
        for (int k = 0; k < 3; ++k) {
            mix.Play({Voice::Pad, first, 2 * kBar - 2, chord.tones[static_cast<std::size_t>(k)], 0.045f,
                      -0.5f + 0.5f * static_cast<float>(k)});
        }
        for (int bar = 0; bar < 2; ++bar) {
            const int b = first + bar * kBar;
            const int absoluteBar = c * 2 + bar;
            // Bass: root, root, fifth with a pickup.
            mix.Play({Voice::Bass, b, 6, chord.root, 0.20f, 0.0f});
            mix.Play({Voice::Bass, b + 8, 4, chord.root + 12, 0.13f, 0.0f});
            mix.Play({Voice::Bass, b + 12, 3, chord.root + 7, 0.15f, 0.0f});
            // Bell arpeggio in eighths, from the second section on, and softly at the start.
            const float bellGain = section == 0 ? 0.035f : 0.06f;
            const int pattern[8] = {0, 1, 2, 1, 2, 0, 1, 2};
            for (int e = 0; e < 8; ++e) {
                const int tone = chord.tones[static_cast<std::size_t>(pattern[e])] + 12;
                mix.Play({Voice::Bell, b + e * 2, 2, tone, bellGain, (e % 2 == 0) ? -0.45f : 0.45f});
            }
            if (absoluteBar >= 2) {
                mix.Play({Voice::Kick, b, 2, 36, 0.42f, 0.0f});
                mix.Play({Voice::Kick, b + 8, 2, 36, 0.38f, 0.0f});
                if (section >= 1) {
                    mix.Play({Voice::Kick, b + 11, 1, 36, 0.22f, 0.0f});
                }
            }
            for (int e = 0; e < 8; ++e) {
                const float gain = e % 2 == 1 ? 0.16f : 0.07f;
                mix.Play({Voice::Hat, b + e * 2, 1, 90, gain, 0.35f});
            }
            if (section == 1 || section == 3) {
                mix.Play({Voice::Snare, b + 4, 2, 50, 0.22f, -0.1f});
                mix.Play({Voice::Snare, b + 12, 2, 50, 0.22f, -0.1f});
            }
        }
    }
    PlayTune(mix, kVerseTune, std::size(kVerseTune), 16 * kBar);
    PlayTune(mix, kTurnTune, std::size(kTurnTune), 24 * kBar);
    mix.Finish();
    SetRandState(saved);
    return mix.Samples();
}

std::vector<std::uint8_t> MakeMusicFile()
{
    const std::vector<std::int16_t> samples = RenderSong();
    std::vector<std::uint8_t> out;
    const auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        }
    };
    const auto put16 = [&](std::uint32_t v) {
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    const auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) {
            out.push_back(static_cast<std::uint8_t>(t[i]));
        }
    };
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    tag("RIFF");
    put32(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);  // PCM
    put16(2);
    put32(kSongRate);
    put32(kSongRate * 4);
    put16(4);
    put16(16);
    tag("data");
    put32(dataBytes);
    for (std::int16_t s : samples) {
        put16(static_cast<std::uint16_t>(s));
    }
    return out;
}
