#pragma once

#include <cstdint>

#include "math/vector.h"
#include "world/box_index.h"

struct VerletParticle;

// One axis-aligned rectangle in the plane z = 0: a block, a spike, a grass cap or a
// collision box. What `kind` means depends on the list that holds the box; -1 always
// means "absorbed by a merge".
struct Box {
    Vector4 min{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 max{0.0f, 0.0f, 0.0f, 1.0f};
    Vector4 center{0.0f, 0.0f, 0.0f, 1.0f};
    std::int32_t kind = 0;

    void Set(const Vector4& c, float halfWidth, float halfHeight, std::int32_t boxKind);
};

constexpr std::int32_t kBoxAbsorbed = -1;
constexpr std::int32_t kBoxGrassCap = -2;

constexpr std::int32_t kWorldBoxCapacity = 32768;
constexpr std::int32_t kCollisionBoxCapacity = 16384;

// A fixed array of boxes and the count in use. Entries are only appended, never removed;
// emptying resets the count and leaves the old entries in place.
class BoxList {
public:
    explicit BoxList(std::int32_t capacity);
    ~BoxList();
    BoxList(const BoxList&) = delete;
    BoxList& operator=(const BoxList&) = delete;

    std::int32_t count = 0;
    Box* entries = nullptr;

    std::int32_t Capacity() const { return capacity_; }

    Box& operator[](std::int32_t index) { return entries[index]; }
    const Box& operator[](std::int32_t index) const { return entries[index]; }

    // Sets the entry at `count` and advances the count. Returns false, changing nothing,
    // when the list is full; the level scan cannot fill a list, but a bad caller must not
    // write past the array.
    bool Append(const Vector4& c, float halfWidth, float halfHeight, std::int32_t boxKind);

    void Empty()
    {
        count = 0;
        index_.Clear();
    }

    // Rectangle merge of the collision boxes (world/merge.cpp), then the index that lets the
    // collision tests below visit only nearby boxes. Append and Empty drop the index; entries
    // written directly after a merge need MergeBoxes again.
    void MergeBoxes();
    bool Indexed() const { return index_.BuiltFor(count); }

    // Bounds and box-edge collision of one particle, and the head's push away from
    // the box centres (defined with the creature's simulation).
    void CollideParticle(VerletParticle& p) const;
    void PushPointOut(Vector4& point, float radius) const;

private:
    std::int32_t capacity_;
    BoxIndex index_;
};
