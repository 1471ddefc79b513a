// One blur pass over a 128 x 128 image: a 5 x 5 binomial kernel whose taps lie
// Delta x 1.5 source pixels apart, so Delta 1 spreads wide and 0.25 smooths.
#version 120

uniform sampler2D Tex;
uniform float Delta;

varying vec2 texCoord;

void main()
{
    float weights[5];
    weights[0] = 1.0;
    weights[1] = 4.0;
    weights[2] = 6.0;
    weights[3] = 4.0;
    weights[4] = 1.0;
    float step = Delta * 1.5 / 128.0;
    vec4 sum = vec4(0.0);
    for (int y = 0; y < 5; ++y)
    {
        for (int x = 0; x < 5; ++x)
        {
            vec2 offset = vec2(float(x - 2), float(y - 2)) * step;
            sum += weights[x] * weights[y] * texture2D(Tex, texCoord + offset);
        }
    }
    gl_FragColor = sum / 256.0;
}
