#include "world/box.h"

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
// (up to 1.6 MB) so they live on the heap rather than in every object that embeds a list.
BoxList::BoxList(std::int32_t capacity) : entries(new Box[static_cast<std::size_t>(capacity)]), capacity_(capacity) {}

BoxList::~BoxList() { delete[] entries; }

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
