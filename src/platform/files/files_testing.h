#pragma once

// Hooks for tests of the file calls. Game code never calls these.

// Called with the path just before ReadRegularFile or OpenRegularFile opens it, after any
// search that found it: a test swaps the file there, as another process could. Null: none.
void SetBeforeOpenHookForTests(void (*hook)(const char* path));
