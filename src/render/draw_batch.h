#pragma once

// The draw batch: everything but the world mesh is drawn through it. A builder empties it,
// appends vertices one at a time into SharedVertexBuffer, closes triangle strips (joined
// to the next strip by repeated vertices), and flushes it with one draw call.

#include <cstdint>

#include "math/vector.h"
#include "platform/gfx/d3dx9.h"

// Vertices one batch can hold: the size SharedVertexBuffer is created with.
constexpr std::int32_t kBatchVertexCapacity = 2000000;

// Empties the batch. The restart flag and the last position carry over to the next batch.
void ResetBatch();

// Appends one vertex (the position's w is not stored). Returns false when the vertex was
// written, true when it was dropped: its lock was refused, there is no buffer, or the batch
// is full. Without a texture coordinate, (0, 0) is written.
bool AddVertex(const Vector4& position, float r, float g, float b, float a, float nx, float ny, float nz, float u,
               float v);
bool AddVertex(const Vector4& position, float r, float g, float b, float a, float nx, float ny, float nz);

// Closes the current strip by repeating its last position; the next vertex is written twice.
// Returns the result of the vertex it adds.
bool EndStrip();

// Draws the batch up to the last EndStrip as one triangle strip through the effect's
// "WorldLighting" technique, alpha blended.
void DrawBatch(int textureIndex);
// The same through another of the effect's techniques.
void DrawBatch(int textureIndex, D3DXHANDLE technique);
// A screen's picture, in front of everything and drawn last: through the screens' technique
// and without the depth test, which would pass everywhere (the test on again after).
void DrawScreenPicture(int textureIndex);
// The same strips through the fixed-function pipeline, added onto the target. Leaves
// additive blending and depth writes off in force. Without `blend`, written over the target
// (for a first layer, where adding to black changes nothing), blending then left off.
void DrawBatchAdditive(int textureIndex, bool blend = true);

// The frame driver clears the pending restart once per frame, before the number display.
void ClearBatchRestart();

// The batch's state, kept from frame to frame: vertices written, the end of the last closed
// strip, the pending restart and the last position written.
struct BatchState {
    std::int32_t count = 0;
    std::int32_t closedEnd = -1;  // -1: no strip closed since the last ResetBatch
    bool restartPending = false;
    Vector4 lastPosition{0.0f, 0.0f, 0.0f, 1.0f};

    // Back to the state of a fresh process.
    void Reset() { *this = BatchState{}; }
};
extern BatchState Batch;
