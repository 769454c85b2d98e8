#pragma once

namespace window_internal {

// True once for each time it is asked after one or more quit signals arrived.
bool TakeQuitSignal();

}  // namespace window_internal
