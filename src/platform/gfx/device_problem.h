#pragma once

// Why the last CreateDevice on OpenGL could not make its context ("no OpenGL 3.3 core
// context: ..."), for the program's one line; empty when it could.
const char* GfxDeviceProblem();
