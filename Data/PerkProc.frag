// PerkProc: wave and glitch displacement (Distortion), lens bulge with colour fringes
// (Distortion2), a graded "film" look blended in by Mix, a white flash (Flash) and inversion
// (Invert), all moving with Time. Each effect is skipped at strength zero, so with all of them
// at zero every pixel is its own source texel, unchanged.
#version 120

uniform sampler2D Tex;
uniform float Time;
uniform float Distortion;
uniform float Distortion2;
uniform float Flash;
uniform float Mix;
uniform float Invert;

varying vec2 texCoord;

// The picture is 1280 x 720; its texture repeats, so samples stay half a texel inside.
const vec2 texel = vec2(1.0 / 1280.0, 1.0 / 720.0);

float Hash(vec2 p)
{
    return fract(sin(dot(p, vec2(127.1, 311.7))) * 43758.5453);
}

vec3 Sample(vec2 uv)
{
    return texture2D(Tex, clamp(uv, texel * 0.5, 1.0 - texel * 0.5)).rgb;
}

void main()
{
    vec2 uv = texCoord;
    vec2 split = vec2(0.0);

    if (Distortion > 0.0)
    {
        // A travelling wave, plus bands of rows torn sideways; the tearing re-rolls 15 times a
        // second and the torn bands also pull the colours apart.
        float tick = floor(Time * 15.0);
        float band = floor(uv.y * 24.0 + floor(Time * 12.0) * 7.0);
        float torn = step(0.6, Hash(vec2(band, 3.0 + tick * 0.01)));
        float tear = (Hash(vec2(band, tick)) - 0.5) * torn;
        uv.x += Distortion * (0.02 * sin(uv.y * 38.0 + Time * 9.0) + 0.08 * tear);
        // At full strength, rectangular blocks jump out of place as well.
        vec2 block = floor(uv * vec2(16.0, 9.0)) + tick;
        float jump = step(1.0 - 0.12 * Distortion, Hash(block));
        uv += (vec2(Hash(block + 1.3), Hash(block + 2.9)) - 0.5) * 0.06 * jump;
        split.x += Distortion * 0.01 * (torn + jump);
    }

    if (Distortion2 > 0.0)
    {
        // Barrel bulge from the centre, with red and blue pulled apart towards the edges.
        vec2 centred = uv - 0.5;
        float radius2 = dot(centred, centred);
        uv = 0.5 + centred * (1.0 - Distortion2 * 0.45 * radius2);
        split += centred * Distortion2 * 0.025;
    }

    vec3 colour;
    if (split == vec2(0.0))
        colour = Sample(uv);
    else
        colour = vec3(Sample(uv + split).r, Sample(uv).g, Sample(uv - split).b);

    if (Mix > 0.0)
    {
        // Film: a gentle S-curve, cool shadows and warm highlights, vignette, fine scanlines
        // and moving grain.
        vec3 graded = colour * colour * (3.0 - 2.0 * colour);
        graded = mix(colour, graded, 0.6);
        float luma = dot(graded, vec3(0.299, 0.587, 0.114));
        graded += mix(vec3(-0.02, 0.0, 0.03), vec3(0.04, 0.015, -0.03), smoothstep(0.1, 0.8, luma));
        vec2 centred = texCoord - 0.5;
        graded *= 1.0 - 1.1 * dot(centred, centred);
        graded *= 0.93 + 0.07 * sin(texCoord.y * 720.0 * 3.14159);
        graded += (Hash(texCoord * 800.0 + fract(Time) * 61.0) - 0.5) * 0.05;
        colour = mix(colour, graded, min(Mix, 1.0));
    }

    if (Flash > 0.0)
    {
        // Towards white, brightening what is already bright first.
        colour = mix(colour, vec3(1.0), min(Flash, 1.0) * 0.85) + colour * Flash * 0.3;
    }

    if (Invert > 0.0)
        colour = mix(colour, vec3(1.0) - clamp(colour, 0.0, 1.0), min(Invert, 1.0));

    gl_FragColor = vec4(colour, 1.0);
}
