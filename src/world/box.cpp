#include "world/box.h"

#include <memory>
#include <new>
#include <type_traits>

#include "platform/large_block.h"

void Box::Set(const Vector4& c, float halfWidth, float halfHeight, std::int32_t boxKind)
{
    center = c;
    min = c;
    min.x = c.x - halfWidth;
    min.y = c.y - halfHeight;
    max = c;
    max.x = c.x + halfWidth;
    max.y = c.y + halfHeight;
    kind = boxKind;
}

// The arrays are allocated once, when the owning global is constructed; they are large
// (up to 1.6 MB) so they live in large blocks rather than in every object that embeds a list.
static_assert(std::is_trivially_destructible_v<Box>, "entries are freed without destructor calls");

BoxList::BoxList(std::int32_t capacity)
    : entries(static_cast<Box*>(AllocateLargeBlock(sizeof(Box) * static_cast<std::size_t>(capacity)))),
      capacity_(capacity)
{
    if (entries == nullptr) {
        throw std::bad_alloc();
    }
    std::uninitialized_default_construct_n(entries, capacity);
}

BoxList::~BoxList() { FreeLargeBlock(entries, sizeof(Box) * static_cast<std::size_t>(capacity_)); }

bool BoxList::Append(const Vector4& c, float halfWidth, float halfHeight, std::int32_t boxKind)
{
    if (count < 0 || count >= capacity_) {
        return false;
    }
    index_.Clear();
    entries[count].Set(c, halfWidth, halfHeight, boxKind);
    ++count;
    return true;
}
