#include "shell/input_state.h"

PointerSize PointerSpan = kWindowedPointerSpan;
int ClickHeld = 0;
bool KeyPressed = false;
