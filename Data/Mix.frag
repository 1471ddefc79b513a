// Sharp frame weighted by BgIntensity plus the glow weighted by Intensity. With both
// weights at zero (no bloom tracks at all) the frame passes through untouched rather
// than going black.
#version 120

uniform sampler2D Tex;
uniform sampler2D BlurTex;
uniform float Intensity;
uniform float BgIntensity;

varying vec2 texCoord;

void main()
{
    vec4 sharp = texture2D(Tex, texCoord);
    vec4 glow = texture2D(BlurTex, texCoord);
    if (Intensity <= 0.0 && BgIntensity <= 0.0)
        gl_FragColor = sharp;
    else
        gl_FragColor = vec4(sharp.rgb * BgIntensity + glow.rgb * Intensity, 1.0);
}
