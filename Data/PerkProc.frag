// PerkProc: wave and glitch displacement (Distortion), lens bulge with colour
// fringes (Distortion2), a graded "film" look blended in by Mix, a white flash (Flash)
// and inversion (Invert). All strengths at zero give the picture back unchanged.
#version 120

uniform sampler2D Tex;
uniform float Time;
uniform float Distortion;
uniform float Distortion2;
uniform float Flash;
uniform float Mix;
uniform float Invert;

varying vec2 texCoord;

float Hash(vec2 p)
{
    return fract(sin(dot(p, vec2(127.1, 311.7))) * 43758.5453);
}

void main()
{
    vec2 uv = texCoord;

    // Distortion: a travelling sine wave plus horizontal slices torn sideways.
    float band = floor(uv.y * 24.0 + floor(Time * 12.0) * 7.0);
    float tear = (Hash(vec2(band, floor(Time * 15.0))) - 0.5) * step(0.6, Hash(vec2(band, 3.0)));
    uv.x += Distortion * (0.02 * sin(uv.y * 38.0 + Time * 9.0) + 0.08 * tear);

    // Distortion2: barrel bulge from the centre, with red and blue pulled apart.
    vec2 centred = uv - 0.5;
    float radius2 = dot(centred, centred);
    vec2 bulged = 0.5 + centred * (1.0 - Distortion2 * 0.45 * radius2);
    vec2 fringe = centred * Distortion2 * 0.02;
    vec3 colour;
    colour.r = texture2D(Tex, bulged + fringe).r;
    colour.g = texture2D(Tex, bulged).g;
    colour.b = texture2D(Tex, bulged - fringe).b;

    // Mix: vignette, lifted contrast, scanlines and moving grain.
    vec3 graded = colour;
    graded = pow(graded, vec3(0.9)) * vec3(1.05, 1.0, 1.08);
    graded *= 1.0 - 0.55 * radius2 * 2.0;
    graded *= 0.92 + 0.08 * sin(texCoord.y * 720.0 * 3.14159);
    graded += (Hash(texCoord * 800.0 + fract(Time) * 61.0) - 0.5) * 0.06;
    colour = mix(colour, graded, Mix);

    // Flash: towards white, brightening what is already bright first.
    colour = mix(colour, vec3(1.0), clamp(Flash, 0.0, 1.0) * 0.85) + colour * max(Flash, 0.0) * 0.3;

    colour = mix(colour, vec3(1.0) - colour, clamp(Invert, 0.0, 1.0));
    gl_FragColor = vec4(colour, 1.0);
}
