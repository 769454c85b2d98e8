#include "map_recipes.h"

#include "math/random.h"

namespace {

struct Colour {
    std::uint8_t r, g, b;
};

Colour ColourOf(PixelClass what)
{
    switch (what) {
    case PixelClass::Solid: return {255, 255, 255};
    case PixelClass::SpikeUp: return {255, 0, 255};
    case PixelClass::SpikeDown: return {255, 255, 0};
    case PixelClass::Start: return {255, 0, 0};
    case PixelClass::Goal: return {0, 0, 255};
    case PixelClass::Scenery: return {0, 255, 0};
    case PixelClass::Empty: break;
    }
    return {0, 0, 0};
}

// Draws from the game's stream, which is put back as it was when the map is done.
class Draws {
public:
    explicit Draws(std::uint32_t seed) : saved_(GetRandState()) { SetRandState(seed * 2654435761u + 12345u); }
    ~Draws() { SetRandState(saved_); }
    Draws(const Draws&) = delete;
    Draws& operator=(const Draws&) = delete;

    // 0..n-1
    int Below(int n) { return n <= 1 ? 0 : (Rand() * (kRandMax + 1) + Rand()) % n; }
    bool Chance(int percent) { return Below(100) < percent; }

private:
    std::uint32_t saved_;
};

// A pixel class drawn from weights that are themselves drawn per map, so some maps are
// nearly all one class and others a mix of everything.
class ClassMix {
public:
    explicit ClassMix(Draws& d)
    {
        static constexpr PixelClass kClasses[6] = {PixelClass::Solid,     PixelClass::Scenery, PixelClass::SpikeUp,
                                                   PixelClass::SpikeDown, PixelClass::Start,   PixelClass::Goal};
        for (int k = 0; k < 6; ++k) {
            classes_[k] = kClasses[k];
            // Solid and scenery are the ones that merge: weight them up.
            weights_[k] = d.Below(k < 2 ? 100 : 20) + (k == 0 ? 1 : 0);
            total_ += weights_[k];
        }
    }

    PixelClass Pick(Draws& d) const
    {
        int x = d.Below(total_);
        for (int k = 0; k < 6; ++k) {
            if (x < weights_[k]) {
                return classes_[k];
            }
            x -= weights_[k];
        }
        return PixelClass::Solid;
    }

private:
    PixelClass classes_[6];
    int weights_[6] = {};
    int total_ = 0;
};

PixelClass Block(Draws& d, int sceneryPercent)
{
    return d.Chance(sceneryPercent) ? PixelClass::Scenery : PixelClass::Solid;
}

void Scatter(MapBits& m, Draws& d)
{
    const ClassMix mix(d);
    const int density = d.Below(101);
    for (int c = 0; c < kMapSize; ++c) {
        for (int r = 0; r < kMapSize; ++r) {
            if (d.Chance(density)) {
                m.Set(c, r, mix.Pick(d));
            }
        }
    }
}

void Rectangles(MapBits& m, Draws& d)
{
    const int count = 1 + d.Below(d.Chance(50) ? 12 : 120);
    const int scenery = d.Below(60);
    const int maxSide = 2 + d.Below(60);
    for (int k = 0; k < count; ++k) {
        const int c0 = d.Below(kMapSize);
        const int r0 = d.Below(kMapSize);
        const int w = 1 + d.Below(maxSide);
        const int h = 1 + d.Below(maxSide);
        const PixelClass what = d.Chance(10) ? PixelClass::Empty : Block(d, scenery);
        for (int c = c0; c < c0 + w && c < kMapSize; ++c) {
            for (int r = r0; r < r0 + h && r < kMapSize; ++r) {
                m.Set(c, r, what);
            }
        }
    }
}

void StackedRuns(MapBits& m, Draws& d)
{
    const int repeat = d.Below(101);
    const int gaps = d.Below(50);
    const int scenery = d.Below(40);
    std::vector<PixelClass> row(kMapSize, PixelClass::Empty);
    for (int r = 0; r < kMapSize; ++r) {
        if (!d.Chance(repeat)) {
            // New runs: alternate filled and empty stretches of random lengths.
            int c = 0;
            bool filled = d.Chance(50);
            while (c < kMapSize) {
                const int len = 1 + d.Below(d.Chance(50) ? 4 : 40);
                const PixelClass what = filled ? Block(d, scenery) : PixelClass::Empty;
                for (int k = 0; k < len && c < kMapSize; ++k, ++c) {
                    row[static_cast<std::size_t>(c)] = what;
                }
                filled = !filled && !d.Chance(gaps);
            }
        } else if (d.Chance(20)) {
            // Same spans shifted or trimmed by one cell: almost, but not quite, a stack.
            const int c = d.Below(kMapSize);
            row[static_cast<std::size_t>(c)] =
                row[static_cast<std::size_t>(c)] == PixelClass::Empty ? Block(d, scenery) : PixelClass::Empty;
        }
        for (int c = 0; c < kMapSize; ++c) {
            m.Set(c, r, row[static_cast<std::size_t>(c)]);
        }
    }
}

void Stripes(MapBits& m, Draws& d)
{
    const bool across = d.Chance(50);
    const int every = 1 + d.Below(5);
    const int gaps = d.Below(30);
    const int scenery = d.Below(50);
    for (int a = 0; a < kMapSize; ++a) {
        if (a % every != 0) {
            continue;
        }
        for (int b = 0; b < kMapSize; ++b) {
            if (!d.Chance(gaps)) {
                m.Set(across ? b : a, across ? a : b, Block(d, scenery));
            }
        }
    }
}

void Holes(MapBits& m, Draws& d)
{
    const int scenery = d.Below(100) < 70 ? d.Below(20) : d.Below(100);
    const int holes = d.Below(40);
    const ClassMix mix(d);
    for (int c = 0; c < kMapSize; ++c) {
        for (int r = 0; r < kMapSize; ++r) {
            if (!d.Chance(holes)) {
                m.Set(c, r, Block(d, scenery));
            } else if (d.Chance(30)) {
                m.Set(c, r, mix.Pick(d));
            }
        }
    }
}

void Axes(MapBits& m, Draws& d)
{
    const int reach = 1 + d.Below(8);
    const int density = 30 + d.Below(71);
    const ClassMix mix(d);
    for (int c = 0; c < kMapSize; ++c) {
        for (int r = 0; r < kMapSize; ++r) {
            const bool nearAxis = (c >= 64 - reach && c < 64 + reach) || (r >= 64 - reach && r < 64 + reach);
            if (nearAxis && d.Chance(density)) {
                m.Set(c, r, d.Chance(70) ? Block(d, 20) : mix.Pick(d));
            }
        }
    }
}

}  // namespace

void MapBits::Set(int column, int row, PixelClass what)
{
    const Colour colour = ColourOf(what);
    std::uint8_t* p = &bytes[static_cast<std::size_t>(row) * kMapRowBytes + static_cast<std::size_t>(column) * 4];
    p[0] = colour.b;
    p[1] = colour.g;
    p[2] = colour.r;
    p[3] = 255;
}

PixelClass MapBits::At(int column, int row) const
{
    const std::uint8_t* p = &bytes[static_cast<std::size_t>(row) * kMapRowBytes + static_cast<std::size_t>(column) * 4];
    return ClassifyPixel(p[2], p[1], p[0]);
}

int MapBits::Count(PixelClass what) const
{
    int n = 0;
    for (int c = 0; c < kMapSize; ++c) {
        for (int r = 0; r < kMapSize; ++r) {
            n += At(c, r) == what ? 1 : 0;
        }
    }
    return n;
}

MapBits SparseFloorMap()
{
    MapBits m;
    for (int c = 0; c < kMapSize; ++c) {
        m.Set(c, 120, PixelClass::Solid);
    }
    for (int c = 20; c < 30; ++c) {
        m.Set(c, 100, PixelClass::Solid);
        m.Set(c + 50, 90, PixelClass::Scenery);
    }
    m.Set(40, 119, PixelClass::SpikeUp);
    m.Set(60, 101, PixelClass::SpikeDown);
    m.Set(5, 119, PixelClass::Start);
    m.Set(120, 119, PixelClass::Goal);
    return m;
}

MapBits CheckerboardMap()
{
    // Every other cell of rows 0..107: 108 x 64 = 6,912 cells, each one exposed.
    MapBits m;
    for (int r = 0; r < 108; ++r) {
        for (int c = r % 2; c < kMapSize; c += 2) {
            m.Set(c, r, PixelClass::Solid);
        }
    }
    return m;
}

MapBits SolidMap()
{
    MapBits m;
    for (int c = 0; c < kMapSize; ++c) {
        for (int r = 0; r < kMapSize; ++r) {
            m.Set(c, r, PixelClass::Solid);
        }
    }
    return m;
}

MapBits RandomMap(Recipe recipe, std::uint32_t seed)
{
    MapBits m;
    Draws d(seed ^ (static_cast<std::uint32_t>(recipe) << 24));
    switch (recipe) {
    case Recipe::Scatter: Scatter(m, d); break;
    case Recipe::Rectangles: Rectangles(m, d); break;
    case Recipe::StackedRuns: StackedRuns(m, d); break;
    case Recipe::Stripes: Stripes(m, d); break;
    case Recipe::Holes: Holes(m, d); break;
    case Recipe::Axes: Axes(m, d); break;
    }
    return m;
}

const char* RecipeName(Recipe recipe)
{
    static constexpr const char* kNames[kRecipeCount] = {"scatter", "rectangles", "stacked-runs",
                                                         "stripes", "holes",      "axes"};
    return kNames[static_cast<int>(recipe)];
}
