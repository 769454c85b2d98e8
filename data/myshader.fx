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
out vec2 uv;
out vec4 color;
out vec4 clip;
out vec3 world;
out float facing;
out float flatness;
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
    world = p;
    // Only faces turned to the viewer, normal (0, 0, -1), are lit. Screen pictures and digits
    // carry (1, 1, 1): drawn flat and nearly undistorted.
    facing = inNormal.z < -0.5 ? 1.0 : 0.0;
    flatness = (inNormal.x > 0.5 && inNormal.y > 0.5 && inNormal.z > 0.5) ? 1.0 : 0.0;
    gl_Position = mWorldViewProjection * vec4(p, 1.0);
    clip = gl_Position;
}
end

fragment WorldFs
in vec2 uv;
in vec4 color;
in vec4 clip;
in vec3 world;
in float facing;
in float flatness;
out vec4 fragColor;
void main()
{
    // A broad lamp up and to the left of the camera, worked out per pixel (the world's
    // blocks are large quads): the middle of the view bright, its edges a little dimmer.
    vec3 lamp = CamerPosition.xyz + vec3(-4.0, 7.0, 0.0) + LightPosition.xyz;
    float lit = max(normalize(lamp - world).z * -1.0, 0.0);
    float light = mix(1.0, 0.70 + 0.40 * lit * lit * lit * lit, facing);

    vec2 ndc = clip.xy / clip.w;
    float aspect = RenderTargetWidth / max(RenderTargetHeight, 1.0);
    vec2 pointer = vec2(DistortionPosx, -DistortionPosy);
    vec2 d = (ndc - pointer) * vec2(aspect, 1.0);
    float r = length(d);
    float strength = MagicValue * (1.0 - 0.8 * flatness);
    // Rings drifting outwards (they move while the world is drawn), and a gentle swelling lens.
    float ring = sin(r * 38.0 - WindAmount * 0.8) * exp(-r * 5.0);
    float lens = exp(-r * r * 30.0);
    vec2 away = r > 0.0001 ? d / r : vec2(0.0);
    vec2 shift = (away * ring * 0.18 - d * lens * 5.0) * strength / vec2(aspect, 1.0);
    // Turn the screen-space shift into texture space through the derivatives, so the ripple
    // looks the same on every surface whatever its texture scale.
    mat2 screenPerPixel = mat2(dFdx(ndc), dFdy(ndc));
    mat2 texPerPixel = mat2(dFdx(uv), dFdy(uv));
    vec2 offset = abs(determinant(screenPerPixel)) > 1e-12 ? texPerPixel * (inverse(screenPerPixel) * shift)
                                                           : vec2(0.0);
    // Stay inside the picture's own repeat, so neither the shift nor the filter at a sprite's
    // edge wraps round to its far side.
    vec2 halfTexel = 0.5 / vec2(textureSize(RenderTargetTexture, 0));
    vec2 cell = floor(uv);
    vec2 at = clamp(uv + offset, cell + halfTexel, cell + 1.0 - halfTexel);
    vec4 c = texture(RenderTargetTexture, at) * color;
    float glint = 1.0 + (ring * 0.14 + lens * 0.10) * (1.0 - flatness);
    fragColor = vec4(min(c.rgb * light * glint, vec3(1.0)), c.a);
}
end

technique WorldLighting
    pass WorldVs WorldFs
end
