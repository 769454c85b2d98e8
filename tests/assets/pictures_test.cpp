// Every shipped picture loads through the game's texture loader with the size and alpha its
// role needs.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pictures.h"
#include "platform/gfx/d3d9.h"
#include "platform/gfx/d3dx9.h"
#include "platform/gfx/recording.h"

namespace {

}  // namespace

// Names the picture in test output instead of dumping its bytes.
void PrintTo(const PictureSpec& spec, std::ostream* out) { *out << spec.file; }

namespace {

struct Texels {
    UINT width = 0;
    UINT height = 0;
    std::vector<std::uint32_t> argb;  // top row first
    std::uint32_t At(UINT x, UINT y) const { return argb[static_cast<std::size_t>(y) * width + x]; }
};

class Pictures : public ::testing::TestWithParam<PictureSpec> {
protected:
    void SetUp() override
    {
        device_ = GfxCreateRecordingDevice(&recorder_);
        ASSERT_NE(device_, nullptr);
    }
    void TearDown() override
    {
        if (device_ != nullptr) {
            device_->Release();
        }
    }
    // Loads data/<file> with D3DXCreateTextureFromFileW and reads its texels back.
    Texels Load(const std::string& file)
    {
        Texels t;
        const std::string path = std::string(TARNWICK_SOURCE_DIR) + "/data/" + file;
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileW(device_, path.c_str(), &texture), S_OK) << path;
        if (texture == nullptr) {
            return t;
        }
        D3DSURFACE_DESC desc{};
        EXPECT_EQ(texture->GetLevelDesc(0, &desc), S_OK);
        D3DLOCKED_RECT rect{};
        EXPECT_EQ(texture->LockRect(0, &rect, nullptr, D3DLOCK_READONLY), S_OK);
        t.width = desc.Width;
        t.height = desc.Height;
        for (UINT y = 0; rect.pBits != nullptr && y < desc.Height; ++y) {
            const auto* row = static_cast<const std::uint8_t*>(rect.pBits) + static_cast<std::size_t>(y) * rect.Pitch;
            for (UINT x = 0; x < desc.Width; ++x) {
                const std::uint8_t* p = row + x * 4;
                t.argb.push_back((static_cast<std::uint32_t>(p[3]) << 24) | (static_cast<std::uint32_t>(p[2]) << 16) |
                                 (static_cast<std::uint32_t>(p[1]) << 8) | p[0]);
            }
        }
        texture->UnlockRect(0);
        texture->Release();
        return t;
    }

    GfxRecorder recorder_;
    IDirect3DDevice9* device_ = nullptr;
};

bool PowerOfTwo(UINT n) { return n != 0 && (n & (n - 1)) == 0; }

TEST_P(Pictures, LoadsWithItsSizeAndAlpha)
{
    const PictureSpec& spec = GetParam();
    const Texels t = Load(spec.file);
    ASSERT_EQ(t.width, static_cast<UINT>(spec.width));
    ASSERT_EQ(t.height, static_cast<UINT>(spec.height));
    EXPECT_TRUE(PowerOfTwo(t.width) && PowerOfTwo(t.height));
    ASSERT_EQ(t.argb.size(), static_cast<std::size_t>(t.width) * t.height);
    const auto clear = std::count_if(t.argb.begin(), t.argb.end(), [](std::uint32_t c) { return (c >> 24) == 0; });
    const auto solid = std::count_if(t.argb.begin(), t.argb.end(), [](std::uint32_t c) { return (c >> 24) == 255; });
    if (spec.alpha) {
        // Cut out: both see-through and solid parts.
        EXPECT_GT(clear, 0) << spec.file;
        EXPECT_GT(solid, 0) << spec.file;
    } else {
        EXPECT_EQ(static_cast<std::size_t>(solid), t.argb.size()) << spec.file;
    }
}

INSTANTIATE_TEST_SUITE_P(Shipped, Pictures, ::testing::ValuesIn(::Pictures()),
                         [](const ::testing::TestParamInfo<PictureSpec>& info) {
                             std::string name = info.param.file;
                             return name.substr(0, name.find('.'));
                         });

TEST(PictureTable, TwentyFilesAndOnlyTheTuftsAre64By128)
{
    // The effect sways exactly the pictures of the tufts' size.
    const auto& all = ::Pictures();
    ASSERT_EQ(all.size(), 20u);
    for (const PictureSpec& spec : all) {
        const bool tuftSize = spec.width == 64 && spec.height == 128;
        EXPECT_EQ(tuftSize, std::string(spec.file) == "Grass2.tga") << spec.file;
    }
}

class PictureLooks : public Pictures {};

TEST_F(PictureLooks, DigitTexelAndJointCorners)
{
    // The digits take texel (0, 0) of the antenna picture; filtering there mixes all four
    // corners, so they share one opaque colour, and the joint itself is round.
    const Texels t = Load("Antenna.tga");
    ASSERT_EQ(t.width, 64u);
    const std::uint32_t corner = t.At(0, 0);
    EXPECT_EQ(corner >> 24, 255u);
    EXPECT_EQ(t.At(t.width - 1, 0), corner);
    EXPECT_EQ(t.At(0, t.height - 1), corner);
    EXPECT_EQ(t.At(t.width - 1, t.height - 1), corner);
    EXPECT_EQ(t.At(3, 3) >> 24, 0u);
    EXPECT_EQ(t.At(32, 32) >> 24, 255u);
    // Bright enough to read on the sky: every channel's sum well above the middle.
    EXPECT_GT(((corner >> 16) & 0xFF) + ((corner >> 8) & 0xFF) + (corner & 0xFF), 500u);
}

TEST_F(PictureLooks, SkyIsLightEnoughToAddOntoBlackAndWarmerAtTheBottom)
{
    const Texels t = Load("sky.tga");
    ASSERT_EQ(t.argb.size(), 512u * 512u);
    const auto luma = [](std::uint32_t c) { return ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF); };
    const std::uint32_t darkest = luma(*std::min_element(
        t.argb.begin(), t.argb.end(), [&](std::uint32_t a, std::uint32_t b) { return luma(a) < luma(b); }));
    EXPECT_GT(darkest, 150u);
    // Row 0 is the sky's bottom (v grows with world y): the horizon is warmer than the zenith.
    const std::uint32_t bottom = t.At(40, 30);
    const std::uint32_t top = t.At(40, t.height - 20);
    EXPECT_GT((bottom >> 16) & 0xFF, (top >> 16) & 0xFF);
    EXPECT_GT(top & 0xFF, (top >> 16) & 0xFF);
}

TEST_F(PictureLooks, TuftRootsAndSpikeBasesAreSolidTheirTipsNarrow)
{
    // v = 1 is the root of a tuft and the base of a standing spike; v = 0 their tip.
    for (const char* file : {"Grass2.tga", "spikes.tga"}) {
        const Texels t = Load(file);
        ASSERT_FALSE(t.argb.empty()) << file;
        const auto solidIn = [&](UINT y) {
            UINT n = 0;
            for (UINT x = 0; x < t.width; ++x) {
                n += (t.At(x, y) >> 24) > 128 ? 1u : 0u;
            }
            return n;
        };
        // The very last row is kept clear: the texture wraps into the open tip.
        EXPECT_EQ(solidIn(t.height - 1), 0u) << file;
        EXPECT_GT(solidIn(t.height - 3), t.width / 3) << file;
        EXPECT_LT(solidIn(t.height / 16), solidIn(t.height - 3) / 2) << file;
    }
}

TEST_F(PictureLooks, ArrowPointsTowardsVOne)
{
    const Texels t = Load("arrow.tga");
    ASSERT_FALSE(t.argb.empty());
    // The head is wide in the middle rows and narrows to a point near the v = 1 edge.
    const auto width = [&](UINT y) {
        UINT n = 0;
        for (UINT x = 0; x < t.width; ++x) {
            n += (t.At(x, y) >> 24) > 128 ? 1u : 0u;
        }
        return n;
    };
    EXPECT_GT(width(t.height / 2), width(t.height / 6) * 2);
    EXPECT_GT(width(t.height / 2), width(t.height * 7 / 8) * 2);
    EXPECT_GT(width(t.height * 7 / 8), 0u);
}

}  // namespace
