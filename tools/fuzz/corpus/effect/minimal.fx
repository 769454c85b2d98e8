float Alpha = 1
vertex V
void main() { gl_Position = vec4(inPosition, 1.0); }
end
fragment F
out vec4 c;
void main() { c = vec4(Alpha); }
end
technique T
    pass V F
end
