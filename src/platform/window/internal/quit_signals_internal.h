#pragma once

namespace window_internal {

// True once, the first time it is asked after a quit signal arrived.
bool TakeQuitSignal();

}  // namespace window_internal
