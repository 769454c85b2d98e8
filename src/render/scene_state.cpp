#include "render/scene_state.h"

SceneState Scene;
