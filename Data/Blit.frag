// Resamples the whole source onto the target: a box filter over the footprint of one
// target pixel (4 x 4 bilinear taps), so reductions keep every source pixel's light
// and enlargements stay bilinear. Source textures may repeat, so taps keep three quarters
// of a target pixel inside the edges: that is past half a source texel for every use here,
// the 4/3 enlargement of the scene included, and nothing from the far edge bleeds in.
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
            sum += texture2D(Tex, clamp(texCoord + offset * footprint, footprint * 0.75, 1.0 - footprint * 0.75));
        }
    }
    gl_FragColor = sum / 16.0;
}
