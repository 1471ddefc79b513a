// Resamples the whole source onto the target: a box filter over the footprint of one
// target pixel (4 x 4 bilinear taps), so reductions keep every source pixel's light
// and enlargements stay bilinear.
#version 120

uniform sampler2D Tex;
uniform float Width;
uniform float Height;

varying vec2 texCoord;

void main()
{
    vec2 footprint = vec2(1.0 / Width, 1.0 / Height);
    vec4 sum = vec4(0.0);
    for (int y = 0; y < 4; ++y)
    {
        for (int x = 0; x < 4; ++x)
        {
            vec2 offset = (vec2(float(x), float(y)) + 0.5) / 4.0 - 0.5;
            sum += texture2D(Tex, texCoord + offset * footprint);
        }
    }
    gl_FragColor = sum / 16.0;
}
