#include "shell/level_load.h"
