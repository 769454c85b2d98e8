# A plain effect with every parameter the game sets: textured, vertex-coloured, unlit.
matrix mWorldViewProjection
vector CamerPosition
vector LightPosition
float MagicValue
float DistortionPosx
float DistortionPosy
float WindAmount
float RenderTargetWidth
float RenderTargetHeight
texture RenderTargetTexture linear wrap

vertex PlainVs
out vec2 uv;
out vec4 color;
void main()
{
    uv = inTexCoord;
    color = inColor;
    gl_Position = mWorldViewProjection * vec4(inPosition, 1.0);
}
end

fragment PlainFs
in vec2 uv;
in vec4 color;
out vec4 fragColor;
void main() { fragColor = texture(RenderTargetTexture, uv) * color; }
end

technique WorldLighting
    pass PlainVs PlainFs
end
