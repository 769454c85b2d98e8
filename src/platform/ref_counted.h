#pragma once

// AddRef and Release for the platform's COM-shaped objects: the object deletes itself when
// the last reference goes. `Interface` is the abstract class whose AddRef and Release these
// implement, where there is one; `Self` befriends RefCounted if its destructor is private.
// ReleaseOnce is for their holders.

#include <atomic>

#include "platform/platform_types.h"

struct NoInterface {};

template <class Self, class Interface = NoInterface>
class RefCounted : public Interface {
public:
    ULONG AddRef() { return ++refs_; }
    ULONG Release()
    {
        const ULONG left = --refs_;
        if (left == 0) {
            delete static_cast<Self*>(this);
        }
        return left;
    }

protected:
    RefCounted() = default;
    ~RefCounted() = default;

private:
    std::atomic<ULONG> refs_{1};
};

// Releases a held object and forgets it, so a second release of the same holder is harmless.
template <typename T>
void ReleaseOnce(T*& object)
{
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}
