#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include <gtest/gtest.h>

#include "gfx_test_util.h"
#include "platform/gfx/internal/pictures.h"
#include "platform/gfx/internal/present.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

// Checks and decodes as the picture loader does.
bool DecodeTga(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>* bgra, std::uint32_t* width,
               std::uint32_t* height, std::string* why)
{
    if (!GfxCheckTga(data, size, width, height, why)) {
        return false;
    }
    bgra->resize(static_cast<std::size_t>(*width) * *height * 4);
    return GfxDecodeTgaInto(data, size, *width, *height, bgra->data(), why);
}

const std::vector<Bgra> kFour = {{10, 20, 30, 40}, {50, 60, 70, 80}, {90, 100, 110, 120}, {130, 140, 150, 160}};

TEST(Tga, DecodesBothOriginsAndBothCodingsToTheSameRows)
{
    for (bool rle : {false, true}) {
        for (bool top : {false, true}) {
            SCOPED_TRACE(std::string(rle ? "rle" : "raw") + (top ? " top" : " bottom"));
            const auto file = Bytes(MakeTga(2, 2, kFour, 32, top, rle));
            std::vector<std::uint8_t> out;
            std::uint32_t w = 0;
            std::uint32_t h = 0;
            std::string why;
            ASSERT_TRUE(DecodeTga(file.data(), file.size(), &out, &w, &h, &why)) << why;
            ASSERT_EQ(out.size(), 16u);
            for (std::size_t i = 0; i < 4; ++i) {
                EXPECT_EQ(out[i * 4 + 0], kFour[i].b);
                EXPECT_EQ(out[i * 4 + 1], kFour[i].g);
                EXPECT_EQ(out[i * 4 + 2], kFour[i].r);
                EXPECT_EQ(out[i * 4 + 3], kFour[i].a);
            }
        }
    }
}

TEST(Tga, RunLengthPacketsRepeatTheirPixel)
{
    std::string file = MakeTga(3, 1, std::vector<Bgra>(3, Bgra{1, 2, 3, 4}), 24, true, false).substr(0, 18);
    file[2] = 10;
    file += static_cast<char>(0x82);  // a run of three
    file += std::string("\x07\x08\x09", 3);
    const auto bytes = Bytes(file);
    std::vector<std::uint8_t> out;
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    std::string why;
    ASSERT_TRUE(DecodeTga(bytes.data(), bytes.size(), &out, &w, &h, &why)) << why;
    ASSERT_EQ(out.size(), 12u);
    EXPECT_EQ(out[8], 7);
    EXPECT_EQ(out[9], 8);
    EXPECT_EQ(out[10], 9);
    EXPECT_EQ(out[11], 255);  // 24-bit pictures are opaque
}

TEST(Tga, ShortOversizedAndForeignFilesAreRefused)
{
    std::vector<std::uint8_t> out;
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    std::string why;
    const auto good = Bytes(MakeTga(2, 2, kFour, 32, true, false));
    // Every truncation of a good file fails, down to the bare header.
    for (std::size_t n = 0; n < good.size(); ++n) {
        EXPECT_FALSE(DecodeTga(good.data(), n, &out, &w, &h, &why)) << n;
    }
    const auto rle = Bytes(MakeTga(2, 2, kFour, 32, true, true));
    for (std::size_t n = 18; n < rle.size(); ++n) {
        EXPECT_FALSE(DecodeTga(rle.data(), n, &out, &w, &h, &why)) << n;
    }
    // A 19-byte file whose header claims 65535 x 65535 is refused before any decoding.
    auto huge = Bytes(MakeTga(1, 1, kFour, 32, true, false));
    huge.resize(19);
    huge[12] = huge[13] = huge[14] = huge[15] = 0xFF;
    EXPECT_FALSE(GfxCheckTga(huge.data(), huge.size(), &w, &h, &why));
    EXPECT_NE(why.find("4096"), std::string::npos) << why;
    // Just over the cap, with all its pixels present, is still refused.
    auto wide = Bytes(MakeTga(1, 1, kFour, 32, true, false).substr(0, 18));
    wide[12] = 0x01;
    wide[13] = 0x10;  // 4097
    wide.resize(18 + 4097 * 4, 0);
    EXPECT_FALSE(GfxCheckTga(wide.data(), wide.size(), &w, &h, &why));
    auto zero = good;
    zero[12] = zero[13] = 0;
    EXPECT_FALSE(GfxCheckTga(zero.data(), zero.size(), &w, &h, &why));
    auto png = good;
    png[1] = 'P';
    EXPECT_FALSE(GfxCheckTga(png.data(), png.size(), &w, &h, &why));
    auto type = good;
    type[2] = 5;
    EXPECT_FALSE(GfxCheckTga(type.data(), type.size(), &w, &h, &why));
    auto bits = good;
    bits[16] = 12;
    EXPECT_FALSE(GfxCheckTga(bits.data(), bits.size(), &w, &h, &why));
    ASSERT_TRUE(GfxCheckTga(good.data(), good.size(), &w, &h, &why));
    EXPECT_EQ(w, 2u);
    EXPECT_EQ(h, 2u);
}

TEST(Tga, ImageIdAndColourMapAreSkippedAndCounted)
{
    // A colour-mapped picture: two palette entries, four indices.
    std::string file(18, '\0');
    file[0] = 3;  // id length
    file[1] = 1;
    file[2] = 1;
    file[5] = 2;  // palette length
    file[7] = 24;
    file[12] = 2;
    file[14] = 2;
    file[16] = 8;
    file[17] = 0x20;
    file += "abc";
    file += std::string("\x01\x02\x03\x04\x05\x06", 6);
    file += std::string("\x00\x01\x01\x00", 4);
    const auto bytes = Bytes(file);
    std::vector<std::uint8_t> out;
    std::uint32_t w = 0;
    std::uint32_t h = 0;
    std::string why;
    ASSERT_TRUE(DecodeTga(bytes.data(), bytes.size(), &out, &w, &h, &why)) << why;
    EXPECT_EQ(out[0], 1);  // palette entry 0 is B G R = 1 2 3
    EXPECT_EQ(out[4], 4);  // entry 1
    EXPECT_FALSE(DecodeTga(bytes.data(), bytes.size() - 1, &out, &w, &h, &why));
}

// ---- matrices ----

D3DXVECTOR4 Transform(const D3DXVECTOR4& v, const D3DXMATRIX& m)
{
    return D3DXVECTOR4(
        v.x * m._11 + v.y * m._21 + v.z * m._31 + v.w * m._41, v.x * m._12 + v.y * m._22 + v.z * m._32 + v.w * m._42,
        v.x * m._13 + v.y * m._23 + v.z * m._33 + v.w * m._43, v.x * m._14 + v.y * m._24 + v.z * m._34 + v.w * m._44);
}

TEST(Matrices, CameraOfTheGameMapsItsViewEdgesToClipEdges)
{
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(3.0f, -2.0f, -8.0f);
    const D3DXVECTOR3 at(3.0f, -2.0f, 92.0f);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    ASSERT_EQ(D3DXMatrixLookAtLH(&view, &eye, &at, &up), &view);
    // Straight along +z: no rotation, the eye moved to the origin.
    EXPECT_FLOAT_EQ(view._11, 1.0f);
    EXPECT_FLOAT_EQ(view._22, 1.0f);
    EXPECT_FLOAT_EQ(view._33, 1.0f);
    EXPECT_FLOAT_EQ(view._41, -3.0f);
    EXPECT_FLOAT_EQ(view._42, 2.0f);
    EXPECT_FLOAT_EQ(view._43, 8.0f);

    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, std::numbers::pi_v<float> / 2.0f, 1.0f, 1.0f, 1000.0f);
    EXPECT_NEAR(projection._11, 1.0f, 1e-6f);
    EXPECT_NEAR(projection._22, 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(projection._33, 1000.0f / 999.0f);
    EXPECT_FLOAT_EQ(projection._34, 1.0f);
    EXPECT_FLOAT_EQ(projection._43, -1000.0f / 999.0f);
    EXPECT_FLOAT_EQ(projection._44, 0.0f);

    D3DXMATRIX both;
    D3DXMatrixMultiply(&both, &view, &projection);
    // At the level plane (distance 8) the 90 degree view reaches 8 units each way.
    const D3DXVECTOR4 right = Transform(D3DXVECTOR4(3.0f + 8.0f, -2.0f, 0.0f, 1.0f), both);
    EXPECT_NEAR(right.x / right.w, 1.0f, 1e-5f);
    const D3DXVECTOR4 top = Transform(D3DXVECTOR4(3.0f, -2.0f + 8.0f, 0.0f, 1.0f), both);
    EXPECT_NEAR(top.y / top.w, 1.0f, 1e-5f);
    // Depth runs 0 at the near plane to 1 at the far plane.
    const D3DXVECTOR4 nearPoint = Transform(D3DXVECTOR4(3.0f, -2.0f, -7.0f, 1.0f), both);
    EXPECT_NEAR(nearPoint.z / nearPoint.w, 0.0f, 1e-6f);
    const D3DXVECTOR4 farPoint = Transform(D3DXVECTOR4(3.0f, -2.0f, 992.0f, 1.0f), both);
    EXPECT_NEAR(farPoint.z / farPoint.w, 1.0f, 1e-5f);
}

TEST(Matrices, LookAtIsLeftHandedForAnyDirection)
{
    D3DXMATRIX view;
    const D3DXVECTOR3 eye(0.0f, 0.0f, 0.0f);
    const D3DXVECTOR3 at(1.0f, 0.0f, 0.0f);  // looking along +x
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    const D3DXVECTOR4 ahead = Transform(D3DXVECTOR4(5.0f, 0.0f, 0.0f, 1.0f), view);
    EXPECT_NEAR(ahead.z, 5.0f, 1e-6f);
    // Left-handed: with +x ahead and +y up, -z is to the right.
    const D3DXVECTOR4 right = Transform(D3DXVECTOR4(0.0f, 0.0f, -1.0f, 1.0f), view);
    EXPECT_NEAR(right.x, 1.0f, 1e-6f);
}

TEST(Matrices, MultiplyIsRowTimesColumnAndMayAlias)
{
    D3DXMATRIX a;
    D3DXMATRIX b;
    for (int i = 0; i < 16; ++i) {
        a.m[i / 4][i % 4] = static_cast<float>(i + 1);
        b.m[i / 4][i % 4] = static_cast<float>(16 - i);
    }
    D3DXMATRIX ab;
    D3DXMatrixMultiply(&ab, &a, &b);
    // (row 0 of a) . (column 0 of b) = 1*16 + 2*12 + 3*8 + 4*4
    EXPECT_FLOAT_EQ(ab._11, 80.0f);
    EXPECT_FLOAT_EQ(ab._43, 13.0f * 14 + 14.0f * 10 + 15.0f * 6 + 16.0f * 2);
    D3DXMATRIX ba;
    D3DXMatrixMultiply(&ba, &b, &a);
    EXPECT_NE(ab._11, ba._11);
    D3DXMATRIX alias = a;
    D3DXMatrixMultiply(&alias, &alias, &b);
    EXPECT_EQ(std::memcmp(&alias, &ab, sizeof ab), 0);
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    D3DXMATRIX same;
    D3DXMatrixMultiply(&same, &a, &id);
    EXPECT_EQ(std::memcmp(&same, &a, sizeof a), 0);
}

// ---- frame pacing ----

TEST(FramePacer, HoldsSixtyPerSecondFromAFixedOrigin)
{
    GfxFramePacer pacer;
    const std::int64_t t0 = 5'000'000'000;
    EXPECT_EQ(pacer.Schedule(t0), 0);  // the first present goes at once
    // Presents that arrive early wait for their slot: frame k is due at t0 + k/60 s.
    EXPECT_EQ(pacer.Schedule(t0 + 1'000'000), 16'666'666 - 1'000'000);
    EXPECT_EQ(pacer.Schedule(t0 + 16'666'666), 33'333'333 - 16'666'666);
    // 60 frames after the origin the schedule is exactly one second on: no drift.
    std::int64_t due = 0;
    for (int k = 3; k <= 60; ++k) {
        const std::int64_t now = t0 + GfxFramePacer::Due(k - 1);
        due = now + pacer.Schedule(now);
    }
    EXPECT_EQ(due, t0 + 1'000'000'000);
    // A slightly late present does not wait.
    EXPECT_EQ(pacer.Schedule(t0 + GfxFramePacer::Due(61) + 100), 0);
}

TEST(FramePacer, AStallRestartsTheScheduleInsteadOfBursting)
{
    GfxFramePacer pacer;
    pacer.Schedule(0);
    pacer.Schedule(GfxFramePacer::Due(1));
    // Half a second lost: the next presents are paced from now, not rushed to catch up.
    const std::int64_t late = 500'000'000;
    EXPECT_EQ(pacer.Schedule(late), 0);
    EXPECT_EQ(pacer.Schedule(late + 1000), GfxFramePacer::Due(1) - 1000);
}

TEST(FramePacer, SleepsToAbsoluteDeadlinesOnTheClockItReads)
{
    // Never wakes before the deadline, and a deadline already past returns at once.
    // (The upper bound only catches a wrong unit or clock, as a loaded machine may be slow.)
    for (const std::int64_t ahead : {3'000'000LL, 0LL, -5'000'000LL}) {
        const std::int64_t start = GfxFramePacer::NowNs();
        const std::int64_t deadline = start + ahead;
        GfxFramePacer::SleepUntil(deadline);
        const std::int64_t woke = GfxFramePacer::NowNs();
        EXPECT_GE(woke, deadline) << ahead;
        EXPECT_LT(woke - std::max(deadline, start), 500'000'000) << ahead;
    }
}

}  // namespace
