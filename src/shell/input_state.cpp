#include "shell/input_state.h"

float PointerX = 0.0f;
float PointerY = 0.0f;
PointerSize PointerSpan = kWindowedPointerSpan;
int ClickHeld = 0;
bool KeyPressed = false;
