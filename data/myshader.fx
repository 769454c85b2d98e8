# The game's one effect, technique WorldLighting: textured, vertex-coloured drawing under a
# soft light that follows the camera, grass tufts that sway in the wind, and a lens with
# drifting rings round the mouse pointer. Written by hand.

texture  RenderTargetTexture linear wrap
float    RenderTargetWidth = 640
float    RenderTargetHeight = 480
matrix   mWorldViewProjection
vector   CamerPosition = 0 0 -18 0
# The strength of the pointer's lens.
float    MagicValue = 0.059328
# Added to the lamp's place above the camera.
vector   LightPosition
# The pointer, -1..1 from left to right and from top to bottom.
float    DistortionPosx
float    DistortionPosy
# Grows by 0.1 with every frame in which the world is drawn.
float    WindAmount

vertex WorldVs
// Everything drawn lies in a plane facing the camera, so w is the same over each triangle and
// interpolating straight across the screen gives the same values for less work. Colours and
// normals are one per quad: they need no interpolation at all.
noperspective out vec2 uv;
flat out vec4 color;
noperspective out vec2 ndc;
noperspective out vec3 toLamp;
flat out float facing;
flat out float flatness;
void main()
{
    vec3 p = inPosition;
    // The tuft picture is the only one of this size. Only its top edge (v = 0) moves, so the
    // roots stay planted in the block.
    if (textureSize(RenderTargetTexture, 0) == ivec2(64, 128) && inTexCoord.y < 0.5) {
        float phase = WindAmount * 0.35 + p.x * 0.9;
        float gust = 0.65 + 0.35 * sin(WindAmount * 0.05 + p.x * 0.11);
        p.x += (sin(phase) * 0.16 + sin(phase * 2.3 + 1.7) * 0.05) * gust;
        p.y -= abs(sin(phase)) * 0.03;
    }
    uv = inTexCoord;
    color = inColor;
    // A broad lamp up and to the left of the camera. The way to it is linear across a face,
    // so it is interpolated; its length and the light are worked out per pixel, since the
    // world's blocks are large quads.
    toLamp = CamerPosition.xyz + vec3(-4.0, 7.0, 0.0) + LightPosition.xyz - p;
    // Only faces turned to the viewer, normal (0, 0, -1), are lit. Screen pictures and digits
    // carry (1, 1, 1): drawn flat and nearly undistorted.
    facing = inNormal.z < -0.5 ? 1.0 : 0.0;
    flatness = (inNormal.x > 0.5 && inNormal.y > 0.5 && inNormal.z > 0.5) ? 1.0 : 0.0;
    gl_Position = mWorldViewProjection * vec4(p, 1.0);
    ndc = gl_Position.xy / gl_Position.w;
}
end

fragment WorldFs
noperspective in vec2 uv;
flat in vec4 color;
noperspective in vec2 ndc;
noperspective in vec3 toLamp;
flat in float facing;
flat in float flatness;
out vec4 fragColor;
void main()
{
    // The middle of the view bright, its edges a little dimmer: the fourth power of the
    // lamp direction's depth part, without a square root.
    float towards = max(-toLamp.z, 0.0);
    float lit2 = towards * towards / dot(toLamp, toLamp);
    float light = mix(1.0, 0.70 + 0.40 * lit2 * lit2, facing);

#ifdef GFX_OUTSIDE_FOCUS
    // Far from the pointer the rings shift by under a tenth of a pixel and brighten by under
    // a step of colour: only the light and the picture.
    vec2 halfTexel = 0.5 / vec2(textureSize(RenderTargetTexture, 0));
    vec2 cell = floor(uv);
    vec4 c = texture(RenderTargetTexture, clamp(uv, cell + halfTexel, cell + 1.0 - halfTexel)) * color;
    fragColor = vec4(min(c.rgb * light, vec3(1.0)), c.a);
#else
    // The pointer, as a ratio-correct distance in the view.
    vec2 fromPointer = ndc - vec2(DistortionPosx, -DistortionPosy);
    vec2 d = fromPointer * vec2(RenderTargetWidth / max(RenderTargetHeight, 1.0), 1.0);
    float r2 = dot(d, d);
    float r = sqrt(r2);
    // Rings drifting outwards (they move while the world is drawn), and a gentle swelling lens.
    // The ring's sine is a parabola with one correction (within 0.001 of it) and the fades
    // are powers of two: every pixel pays for them, and sin() and exp() cost several times more.
    float y = 2.0 * fract((r * 38.0 - WindAmount * 0.8) * 0.15915494) - 1.0;
    float arch = 4.0 * y * (1.0 - abs(y));
    float ring = -arch * (0.775 + 0.225 * abs(arch)) * exp2(r * -7.2134752);
    float lens = exp2(r2 * -43.280851);
    // Outwards by the ring, inwards by the lens, in the view's own units.
    float pull = (r > 0.0001 ? ring * 0.18 / r : 0.0) - lens * 5.0;
    vec2 shift = fromPointer * (pull * MagicValue * (1.0 - 0.8 * flatness));
    // The shift in pixels, then in texture space through the picture's own slope, so the
    // ripple looks the same on every surface whatever its texture scale. A view position
    // moves along x only across a row and along y only down a column.
    vec2 pixels = shift / vec2(dFdx(ndc.x), dFdy(ndc.y));
    vec2 offset = dFdx(uv) * pixels.x + dFdy(uv) * pixels.y;
    // Stay inside the picture's own repeat, so neither the shift nor the filter at a sprite's
    // edge wraps round to its far side.
    vec2 halfTexel = 0.5 / vec2(textureSize(RenderTargetTexture, 0));
    vec2 cell = floor(uv);
    vec2 at = clamp(uv + offset, cell + halfTexel, cell + 1.0 - halfTexel);
    vec4 c = texture(RenderTargetTexture, at) * color;
    float glint = 1.0 + (ring * 0.14 + lens * 0.10) * (1.0 - flatness);
    fragColor = vec4(min(c.rgb * light * glint, vec3(1.0)), c.a);
#endif
}
end

fragment PictureFs
noperspective in vec2 uv;
flat in vec4 color;
noperspective in vec2 ndc;
out vec4 fragColor;
void main()
{
    // WorldFs for a picture drawn flat: unlit, no glint, a fifth of the shift.
#ifdef GFX_OUTSIDE_FOCUS
    vec2 halfTexel = 0.5 / vec2(textureSize(RenderTargetTexture, 0));
    vec2 cell = floor(uv);
    vec4 c = texture(RenderTargetTexture, clamp(uv, cell + halfTexel, cell + 1.0 - halfTexel)) * color;
    fragColor = vec4(min(c.rgb, vec3(1.0)), c.a);
#else
    vec2 fromPointer = ndc - vec2(DistortionPosx, -DistortionPosy);
    vec2 d = fromPointer * vec2(RenderTargetWidth / max(RenderTargetHeight, 1.0), 1.0);
    float r2 = dot(d, d);
    float r = sqrt(r2);
    float y = 2.0 * fract((r * 38.0 - WindAmount * 0.8) * 0.15915494) - 1.0;
    float arch = 4.0 * y * (1.0 - abs(y));
    float ring = -arch * (0.775 + 0.225 * abs(arch)) * exp2(r * -7.2134752);
    float lens = exp2(r2 * -43.280851);
    float pull = (r > 0.0001 ? ring * 0.18 / r : 0.0) - lens * 5.0;
    vec2 shift = fromPointer * (pull * MagicValue * (1.0 - 0.8));
    vec2 pixels = shift / vec2(dFdx(ndc.x), dFdy(ndc.y));
    vec2 offset = dFdx(uv) * pixels.x + dFdy(uv) * pixels.y;
    vec2 halfTexel = 0.5 / vec2(textureSize(RenderTargetTexture, 0));
    vec2 cell = floor(uv);
    vec2 at = clamp(uv + offset, cell + halfTexel, cell + 1.0 - halfTexel);
    vec4 c = texture(RenderTargetTexture, at) * color;
    fragColor = vec4(min(c.rgb, vec3(1.0)), c.a);
#endif
}
end

# The lens and rings fade with the distance from the pointer: beyond 0.8 half heights the
# shader's cheaper build draws. The wind moves a tuft's top by under 0.25 units.
technique WorldLighting
    pass WorldVs WorldFs focus DistortionPosx DistortionPosy 0.8 reach mWorldViewProjection 0.25
end

# The screens' pictures (normal (1, 1, 1)). A fifth of the shift and no glint reach under a
# tenth of a pixel from 0.5 half heights on.
technique ScreenPicture
    pass WorldVs PictureFs focus DistortionPosx DistortionPosy 0.5
end
