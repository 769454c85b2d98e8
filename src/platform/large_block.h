#pragma once

#if !defined(_WIN32)
#include <sys/mman.h>
#endif

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Large, long-lived, zero-filled blocks (sound buffers, box arrays); free with the same byte
// count. A fresh page faults when first written, which on virtual machines can cost
// milliseconds per megabyte: blocks of 1 MB or more are mapped in whole, aligned 2 MB pages
// and offered huge pages. Smaller blocks come from calloc.

constexpr std::size_t kLargeBlockPage = std::size_t{2} << 20;
constexpr std::size_t kLargeBlockMinimum = std::size_t{1} << 20;

inline std::size_t LargeBlockMapped(std::size_t bytes)
{
    return (bytes + kLargeBlockPage - 1) & ~(kLargeBlockPage - 1);
}
#ifdef __EMSCRIPTEN__
// A page's memory is one growable array with no pages to map: every block comes from calloc.
inline bool IsLargeBlock(std::size_t) { return false; }
#else
inline bool IsLargeBlock(std::size_t bytes) { return bytes >= kLargeBlockMinimum && bytes <= (std::size_t{1} << 40); }
#endif

inline void* AllocateLargeBlock(std::size_t bytes)
{
#if defined(_WIN32)
    // Windows' heap already gives blocks this big pages of their own, zero-filled.
    return bytes == 0 ? nullptr : std::calloc(bytes, 1);
#else
    if (!IsLargeBlock(bytes)) {
        return bytes == 0 ? nullptr : std::calloc(bytes, 1);
    }
    const std::size_t mapped = LargeBlockMapped(bytes);
    void* raw = mmap(nullptr, mapped + kLargeBlockPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        return nullptr;
    }
    // Trim to an aligned run so whole 2 MB pages fit.
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kLargeBlockPage - 1) & ~(std::uintptr_t{kLargeBlockPage} - 1);
    if (aligned > start) {
        munmap(raw, aligned - start);
    }
    const std::uintptr_t end = start + mapped + kLargeBlockPage;
    if (end > aligned + mapped) {
        munmap(reinterpret_cast<void*>(aligned + mapped), end - (aligned + mapped));
    }
    void* block = reinterpret_cast<void*>(aligned);
    madvise(block, mapped, MADV_HUGEPAGE);  // advice only: a refusal leaves normal pages
    return block;
#endif
}

inline void FreeLargeBlock(void* block, std::size_t bytes)
{
#if defined(_WIN32)
    (void)bytes;
    std::free(block);
#else
    if (!IsLargeBlock(bytes)) {
        std::free(block);  // null included
    } else if (block != nullptr) {
        munmap(block, LargeBlockMapped(bytes));
    }
#endif
}
