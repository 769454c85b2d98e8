# The test scene's effect: textured, vertex-coloured, with a soft light falling off from a point.
matrix mWorldViewProjection
texture RenderTargetTexture linear wrap
vector LightPosition = 0 2 -2 0
float LightReach = 18

vertex LitVs
out vec2 uv;
out vec4 color;
out vec3 world;
void main()
{
    uv = inTexCoord;
    color = inColor;
    world = inPosition;
    gl_Position = mWorldViewProjection * vec4(inPosition, 1.0);
}
end

fragment LitFs
in vec2 uv;
in vec4 color;
in vec3 world;
out vec4 fragColor;
void main()
{
    float light = clamp(1.25 - distance(world, LightPosition.xyz) / LightReach, 0.35, 1.0);
    vec4 texel = texture(RenderTargetTexture, uv) * color;
    fragColor = vec4(texel.rgb * light, texel.a);
}
end

technique WorldLighting
    pass LitVs LitFs
end
