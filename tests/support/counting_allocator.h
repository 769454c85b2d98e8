#pragma once

// Linking tarnwick_test_counting_allocator replaces every form of global operator new in the
// test program with one that counts, so a test can show a pass allocates nothing.

namespace counting_allocator {

long Count();
// For hooks that count another allocator (SDL's, say) into the same total.
void Add();

}  // namespace counting_allocator
