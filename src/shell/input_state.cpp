#include "shell/input_state.h"

InputState Input;
