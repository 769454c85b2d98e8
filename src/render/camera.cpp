#include "render/camera.h"

#include <cstdint>

#include "creature/creature.h"
#include "render/gpu/graphics_objects.h"

namespace {

constexpr float kLimitX = 22.0f;
constexpr float kLimitY = 21.5f;
constexpr float kFollow = 0.5f;
constexpr float kEyeZ = -8.0f;
constexpr float kLookDistance = 100.0f;
// The effect is told of a viewer ten units behind the real eye.
constexpr float kEffectCameraZ = -18.0f;
// A quarter turn, spelled exactly (bits 0x3FC90FDB) so every build gets the same float.
const float kFieldOfView = 0x1.921FB6p+0f;

float Clamp(float value, float limit)
{
    if (value > limit) {
        value = limit;
    }
    if (value < -limit) {
        value = -limit;
    }
    return value;
}

}  // namespace

void UpdateCamera()
{
    const Vector4 target = Creature.GetPosition();
    const float tx = Clamp(target.x, kLimitX);
    const float ty = Clamp(target.y, kLimitY);
    Scene.cameraPoint.x = Scene.cameraPoint.x + (tx - Scene.cameraPoint.x) * kFollow;
    Scene.cameraPoint.y = Scene.cameraPoint.y + (ty - Scene.cameraPoint.y) * kFollow;
    Scene.cameraPoint.z = kEyeZ;

    if (Gpu.device == nullptr || Gpu.effect == nullptr) {
        return;
    }
    const D3DXVECTOR4 effectCamera(Scene.cameraPoint.x, Scene.cameraPoint.y, kEffectCameraZ, 0.0f);
    Gpu.effect->SetVector("CamerPosition", &effectCamera);

    const D3DXVECTOR3 eye(Scene.cameraPoint.x, Scene.cameraPoint.y, kEyeZ);
    const D3DXVECTOR3 at(Scene.cameraPoint.x, Scene.cameraPoint.y, kEyeZ + kLookDistance);
    const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
    D3DXMATRIX view;
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    Gpu.device->SetTransform(D3DTS_VIEW, &view);

    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, kFieldOfView, 1.0f, 1.0f, 1000.0f);
    Gpu.device->SetTransform(D3DTS_PROJECTION, &projection);

    D3DXMATRIX viewProjection;
    D3DXMatrixMultiply(&viewProjection, &view, &projection);
    Gpu.effect->SetMatrix(Gpu.worldViewProjectionParam, &viewProjection);
    Scene.viewProjection = viewProjection;
    Scene.viewKnown = true;
}
