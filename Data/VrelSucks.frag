// The Kelvorandum scene: two nested frames and a gyroscope ring around a pulsing core, over a
// polished stone floor inside a ring of monoliths, ray marched through the camera of View /
// ViewRotation. A key light with soft shadows, a low sun behind as rim, the floor's bounce and
// the core's own light; the floor reflects what stands on it; low mist swallows a sinking floor.
//   RotationTime  spin of the sculpture        RotationMix  twist along its height
//   Cutouts       holes drilled through it     Slashes      glowing diagonal cuts
//   AoFactor      ambient occlusion depth      Color        palette, 0..1 around the hue wheel
//   PlaneDistance how far the floor sinks      SkyboxMix    sky cube instead of the graded dusk
// Work is in linear light; the last step maps it exactly as the sky cube was encoded, so a full
// SkyboxMix shows the cube's own colours.
#version 120

uniform float Time;
uniform float RotationTime;
uniform mat4 View;
uniform mat4 ViewRotation;
uniform samplerCube SkyboxTex;
uniform float SkyboxMix;
uniform float Color;
uniform float AoFactor;
uniform float Cutouts;
uniform float Slashes;
uniform float PlaneDistance;
uniform float RotationMix;

varying vec2 screen;

const vec3 sculptureCentre = vec3(0.0, 0.0, -6.0);
const float sculptureBound = 2.1;  // a ball this wide holds the outer frame in every pose
const float ringRadius = 9.0;      // the monoliths stand on this circle around the sculpture
const float pillarCount = 12.0;
const float pillarTop = 3.6;
const float solidTop = 3.8;        // nothing solid reaches above this height
const float mistLevel = -1.9;      // the mist thickens below the floor's resting height
const float farDistance = 60.0;
const float exposure = 1.5;        // the sky cube's encoding: 1 - exp(-1.5 x), then gamma 2.2

// Values that depend on the uniforms only, set once at the top of main.
mat2 spin;
mat2 tilt;
mat3 innerTurn;
mat2 ringTurn;
float floorHeight;
float coreRadius;
float corePulse;
float solidScale;
vec3 keyDirection;
vec3 sunDirection;
vec3 horizonColour;
vec3 zenithColour;
vec3 accentColour;
vec3 sunColour;
vec3 keyColour;

vec3 Hue(float t)
{
    return 0.5 + 0.5 * cos(6.28318 * (t + vec3(0.0, 0.33, 0.67)));
}

mat2 Rotation(float angle)
{
    float c = cos(angle);
    float s = sin(angle);
    return mat2(c, -s, s, c);
}

float Hash(vec2 p)
{
    return fract(sin(dot(p, vec2(127.1, 311.7))) * 43758.5453);
}

float Box(vec3 p, vec3 size)
{
    vec3 d = abs(p) - size;
    return length(max(d, 0.0)) + min(max(d.x, max(d.y, d.z)), 0.0);
}

// The twelve edges of a box, each a square bar of half-width `bar`.
float BoxFrame(vec3 p, vec3 size, float bar)
{
    p = abs(p) - size;
    vec3 q = abs(p + bar) - bar;
    return min(min(length(max(vec3(p.x, q.y, q.z), 0.0)) + min(max(p.x, max(q.y, q.z)), 0.0),
                   length(max(vec3(q.x, p.y, q.z), 0.0)) + min(max(q.x, max(p.y, q.z)), 0.0)),
               length(max(vec3(q.x, q.y, p.z), 0.0)) + min(max(q.x, max(q.y, p.z)), 0.0));
}

// ---------------------------------------------------------------- sky

vec3 SkyCube(vec3 direction)
{
    // Undo the cube's encoding so it mixes with the rest in linear light.
    vec3 encoded = pow(textureCube(SkyboxTex, direction).rgb, vec3(2.2));
    return -log(1.0 - min(encoded, vec3(0.995))) / exposure;
}

vec3 Dusk(vec3 direction)
{
    float elevation = direction.y;
    // The glow along the horizon is strongest on the sun's side.
    float sunSide = max(dot(normalize(direction.xz + 1e-5), normalize(sunDirection.xz)), 0.0);
    vec3 glow = horizonColour * (0.45 + 0.9 * sunSide * sunSide);
    vec3 colour = mix(glow, zenithColour, pow(smoothstep(0.0, 0.6, elevation), 0.45));
    colour = mix(colour, glow * 0.3, smoothstep(0.0, -0.3, elevation));
    // Thin bands of high cloud catching the last light.
    float streak = sin(direction.x / (elevation + 0.35) * 3.0 + 1.7 + Time * 0.02) * sin(elevation * 41.0 + direction.x * 2.3);
    colour += glow * 0.35 * smoothstep(0.3, 1.0, streak) * smoothstep(0.03, 0.1, elevation) *
              (1.0 - smoothstep(0.12, 0.4, elevation));
    float sun = max(dot(direction, sunDirection), 0.0);
    colour += sunColour * (0.05 * pow(sun, 8.0) + 0.25 * pow(sun, 90.0));
    colour += sunColour * 5.0 * smoothstep(0.99975, 0.99988, sun);
    return colour;
}

vec3 Background(vec3 direction)
{
    vec3 colour = Dusk(direction);
    if (SkyboxMix > 0.0)
        colour = mix(colour, SkyCube(direction), min(SkyboxMix, 1.0));
    return colour;
}

// What the air in a direction glows with: the horizon's light, dimmed, with the sun's glare.
vec3 Haze(vec3 direction)
{
    vec3 level = normalize(vec3(direction.x, 0.0, direction.z) + 1e-5);
    float sunSide = max(dot(level.xz, normalize(sunDirection.xz)), 0.0);
    vec3 dusk = horizonColour * (0.22 + 0.5 * sunSide * sunSide) + sunColour * 0.04 * pow(sunSide, 8.0);
    if (SkyboxMix > 0.0)
        dusk = mix(dusk, SkyCube(normalize(level + vec3(0.0, 0.04, 0.0))) * 0.8, min(SkyboxMix, 1.0));
    return dusk;
}

// ---------------------------------------------------------------- shapes

vec3 SculptureSpace(vec3 p)
{
    p -= sculptureCentre;
    if (RotationMix != 0.0)
        p.xz = Rotation(p.y * RotationMix * 0.9) * p.xz;
    p.xz = spin * p.xz;
    p.yz = tilt * p.yz;
    return p;
}

float SlashField(vec3 q)
{
    // Thin slabs across the body along a tilted axis, drifting slowly through it.
    float along = dot(q, vec3(0.620, 0.744, 0.248));
    return abs(mod(along + Time * 0.15, 0.7) - 0.35) - 0.035 * Slashes;
}

// part: 0 outer frame, 1 inner frame, 2 ring, 3 core.
float Sculpture(vec3 p, out float part)
{
    vec3 q = SculptureSpace(p);

    float outer = BoxFrame(q, vec3(1.1), 0.12) - 0.08;
    if (Cutouts > 0.0)
    {
        // Round holes drilled along all three axes, a row of them through every bar.
        vec3 cell = mod(q + 0.25, 0.5) - 0.25;
        float holes = min(min(length(cell.xy), length(cell.yz)), length(cell.zx)) - 0.15 * Cutouts;
        outer = max(outer, -holes);
    }

    // The inner frame, ring and core fit in a ball of radius 1.1.
    float inner = length(q) - 1.1;
    float ring = inner;
    float core = inner;
    if (inner < 0.1)
    {
        vec3 r = innerTurn * q;
        inner = BoxFrame(r, vec3(0.6), 0.045) - 0.02;
        r.xy = ringTurn * r.xy;
        ring = length(vec2(length(r.xz) - 0.47, r.y)) - 0.022;
        core = length(q) - coreRadius;
    }
    if (Slashes > 0.0)
    {
        float slash = SlashField(q);
        outer = max(outer, -slash);
        inner = max(inner, -slash);
    }

    float d = outer;
    part = 0.0;
    if (inner < d)
    {
        d = inner;
        part = 1.0;
    }
    if (ring < d)
    {
        d = ring;
        part = 2.0;
    }
    if (core < d)
    {
        d = core;
        part = 3.0;
    }
    return d;
}

// Outside its ball the sculpture is not evaluated; `near` then stays large, so that a bound is
// never mistaken for a real distance (soft shadows would darken around the ball).
float SculptureBounded(vec3 p, out float near)
{
    near = 1e3;
    float ball = length(p - sculptureCentre) - sculptureBound;
    if (ball > 0.2)
        return ball;
    float part;
    near = Sculpture(p, part) * solidScale;
    return near;
}

float SculptureBounded(vec3 p)
{
    float near;
    return SculptureBounded(p, near);
}

// The monolith nearest to p, in its own frame: x across its face, y up, z outwards from the
// ring. The twelve stand at 15 + 30k degrees, so mirroring about both axes, the diagonal and the
// 30 degree line brings every point into the cell of the one at 15 degrees; the cells are exact
// sectors, so the folded distance is the true one.
vec3 PillarSpace(vec3 p)
{
    vec2 r = abs(p.xz - sculptureCentre.xz);
    if (r.x > r.y)
        r = r.yx;
    const vec2 across30 = vec2(0.866025, -0.5);
    r -= 2.0 * max(dot(r, across30), 0.0) * across30;
    const vec2 axis = vec2(0.258819, 0.965926);
    return vec3(dot(r, vec2(axis.y, -axis.x)), p.y, dot(r, axis) - ringRadius);
}

float PillarIndex(vec3 p)
{
    vec2 r = p.xz - sculptureCentre.xz;
    return floor(atan(r.x, r.y) / (6.28318 / pillarCount));
}

float Pillars(vec3 p, out float near)
{
    near = 1e3;
    float away = abs(length(p.xz - sculptureCentre.xz) - ringRadius) - 0.7;
    float above = p.y - solidTop;
    if (away > 0.5 || above > 0.5)
        return max(away, above);
    vec3 q = PillarSpace(p);
    float height = 0.5 * (pillarTop - floorHeight) + 0.1;
    float shaft = Box(q - vec3(0.0, pillarTop - height, 0.0), vec3(0.36, height, 0.2)) - 0.03;
    float cap = Box(q - vec3(0.0, pillarTop - 0.1, 0.0), vec3(0.46, 0.1, 0.29)) - 0.02;
    float base = Box(q - vec3(0.0, floorHeight + 0.1, 0.0), vec3(0.48, 0.14, 0.31)) - 0.02;
    near = min(shaft, min(cap, base));
    return near;
}

float Pillars(vec3 p)
{
    float near;
    return Pillars(p, near);
}

// Everything the rays march against; the floor is a plane and is met exactly instead.
float Solid(vec3 p)
{
    return min(SculptureBounded(p), Pillars(p));
}

float SceneDistance(vec3 p)
{
    return min(Solid(p), p.y - floorHeight);
}

vec3 SolidNormal(vec3 p)
{
    const vec2 k = vec2(1.0, -1.0);
    const float e = 0.0015;
    return normalize(k.xyy * Solid(p + k.xyy * e) + k.yyx * Solid(p + k.yyx * e) + k.yxy * Solid(p + k.yxy * e) +
                     k.xxx * Solid(p + k.xxx * e));
}

float March(vec3 origin, vec3 direction, float limit, int steps, float tolerance)
{
    float t = 0.0;
    for (int i = 0; i < 100; ++i)
    {
        if (i >= steps)
            break;
        vec3 p = origin + direction * t;
        float d = Solid(p);
        if (d < tolerance * (1.0 + t))
            return t;
        t += d;
        // Past the limit, or above and leaving everything: nothing more to meet.
        vec2 fromCentre = p.xz - sculptureCentre.xz;
        bool outside = length(fromCentre) > ringRadius + 1.0 && dot(fromCentre, direction.xz) > 0.0;
        if (t > limit || (p.y > solidTop && direction.y >= 0.0) || outside)
            break;
    }
    return -1.0;
}

float Shadow(vec3 origin, vec3 direction)
{
    float light = 1.0;
    float t = 0.02;
    for (int i = 0; i < 24; ++i)
    {
        vec3 p = origin + direction * t;
        float nearSculpture;
        float nearPillar;
        float h = min(SculptureBounded(p, nearSculpture), Pillars(p, nearPillar));
        light = min(light, 7.0 * min(nearSculpture, nearPillar) / t);
        t += clamp(h, 0.03, 1.5);
        if (light < 0.005 || p.y > solidTop)
            break;
    }
    light = clamp(light, 0.0, 1.0);
    return light * light * (3.0 - 2.0 * light);
}

float Occlusion(vec3 p, vec3 n)
{
    float shade = 0.0;
    float weight = 1.0;
    for (int i = 1; i <= 5; ++i)
    {
        float h = 0.03 + 0.09 * float(i);
        shade += weight * max(h - SceneDistance(p + n * h), 0.0);
        weight *= 0.7;
    }
    // Some occlusion always, for contact; AoFactor deepens it.
    return clamp(1.0 - shade * (1.2 + 3.5 * AoFactor), 0.0, 1.0);
}

// ---------------------------------------------------------------- surfaces

struct Surface
{
    vec3 albedo;
    vec3 specular;   // reflectance at normal incidence
    float shininess;
    float rim;       // how much the low sun wraps around its silhouettes
    vec3 emission;
};

Surface SculptureSurface(vec3 p, vec3 n, vec3 toEye)
{
    float part;
    Sculpture(p, part);
    vec3 q = SculptureSpace(p);
    Surface s;
    s.emission = vec3(0.0);
    s.rim = 0.35;
    if (part < 0.5)
    {
        // Dark polished metal, with a lit line inlaid along the middle of every face of every bar.
        s.albedo = vec3(0.02);
        s.specular = vec3(0.42, 0.41, 0.4);
        s.shininess = 90.0;
        vec3 a = abs(q);
        float smallest = min(a.x, min(a.y, a.z));
        vec3 offCentre = abs(a - 0.98) + step(a, vec3(smallest + 1e-4)) * 9.0;
        float inlay = 1.0 - smoothstep(0.012, 0.022, min(offCentre.x, min(offCentre.y, offCentre.z)));
        s.emission = mix(horizonColour * 3.0, accentColour, 0.25) * inlay * (0.5 + 0.8 * Slashes);
    }
    else if (part < 1.5)
    {
        // Glazed ceramic, barely tinted by the palette.
        s.albedo = mix(vec3(0.62), accentColour, 0.12);
        s.specular = vec3(0.05);
        s.shininess = 150.0;
    }
    else if (part < 2.5)
    {
        s.albedo = vec3(0.05);
        s.specular = vec3(0.3);
        s.shininess = 80.0;
        s.emission = accentColour * (0.8 + 1.2 * corePulse);
    }
    else
    {
        s.albedo = vec3(0.2);
        s.specular = vec3(0.04);
        s.shininess = 40.0;
        // Hot at the centre, cooler where the surface turns away.
        float facing = max(dot(n, toEye), 0.0);
        float bands = 0.8 + 0.2 * sin(q.y * 40.0 - Time * 3.0);
        s.emission = mix(accentColour * (1.0 + 1.2 * corePulse) * bands, vec3(2.5 + 2.0 * corePulse), pow(facing, 3.0));
    }
    if (Slashes > 0.0 && part < 1.5)
    {
        // The walls of the cuts glow from inside.
        float edge = abs(SlashField(q));
        s.emission += accentColour * Slashes * (2.2 * exp(-edge * 160.0) + 0.6 * exp(-edge * 40.0));
    }
    return s;
}

Surface PillarSurface(vec3 p)
{
    vec3 q = PillarSpace(p);
    float index = PillarIndex(p);
    Surface s;
    // Stacked blocks of dark stone, each a little different, with fine joints between them.
    float course = q.y / 0.9;
    float block = Hash(vec2(floor(course), index));
    float joint = smoothstep(0.0, 0.04, abs(fract(course) - 0.5) * -1.0 + 0.5);
    s.albedo = vec3(0.075, 0.07, 0.068) * (0.75 + 0.5 * block) * (0.35 + 0.65 * joint);
    s.specular = vec3(0.04);
    s.shininess = 24.0;
    s.rim = 0.2;
    // A lit seam down the face turned to the sculpture, with a slow pulse climbing it.
    float seam = (1.0 - smoothstep(0.018, 0.03, abs(q.x))) * step(q.z, -0.18);
    seam *= step(floorHeight + 0.3, q.y) * step(q.y, pillarTop - 0.22);
    float climb = 0.55 + 0.45 * sin(q.y * 1.3 - Time * 2.2 + index * 1.7);
    s.emission = accentColour * seam * climb * (0.7 + 1.6 * Slashes);
    return s;
}

Surface FloorSurface(vec3 p)
{
    Surface s;
    vec2 tile = floor(p.xz * 0.5);
    float shade = Hash(tile);
    s.albedo = vec3(0.014, 0.0135, 0.013) * (0.7 + 0.6 * shade);
    s.specular = vec3(0.1);
    s.shininess = 200.0;
    s.rim = 0.0;
    // Thin lit joints between the tiles, blurred with distance so they never shimmer.
    vec2 joint = abs(fract(p.xz * 0.5) - 0.5);
    vec2 width = fwidth(p.xz * 0.5) + 0.005;
    vec2 lines = 1.0 - smoothstep(vec2(0.0), width, 0.5 - joint);
    float line = max(lines.x, lines.y) * min(0.01 / (width.x + width.y), 1.0);
    s.emission = mix(accentColour, horizonColour, 0.4) * line * 0.25;
    return s;
}

// Direct light, bounce, sky and core light on a surface, plus `world`, what its gloss mirrors.
vec3 Shade(Surface s, vec3 p, vec3 n, vec3 toEye, float occlusion, float shadow, vec3 world)
{
    float facing = max(dot(n, keyDirection), 0.0);
    float view = max(dot(n, toEye), 0.0);
    vec3 fresnel = s.specular + (1.0 - s.specular) * pow(1.0 - view, 5.0);

    vec3 halfway = normalize(keyDirection + toEye);
    float highlight = pow(max(dot(n, halfway), 0.0), s.shininess) * (s.shininess + 8.0) / 25.0;
    vec3 colour = (s.albedo + fresnel * highlight) * keyColour * facing * shadow;

    // The low sun behind: a rim around the silhouettes and a glint on what faces it.
    float sunFacing = max(dot(n, sunDirection), 0.0);
    float rim = pow(1.0 - view, 3.0) * max(dot(n, sunDirection) + 0.5, 0.0);
    vec3 sunHalf = normalize(sunDirection + toEye);
    float glint = pow(max(dot(n, sunHalf), 0.0), s.shininess) * (s.shininess + 8.0) / 25.0;
    colour += sunColour * (s.albedo * sunFacing + fresnel * glint * sunFacing + rim * s.rim) * occlusion;

    // Sky from above, the lit floor from below (fading as it sinks), both occluded.
    vec3 sky = mix(horizonColour * 0.35, zenithColour * 2.5 + horizonColour * 0.1, n.y * 0.5 + 0.5);
    float bounce = max(-n.y, 0.0) * exp(-0.5 * max(p.y - floorHeight, 0.0));
    colour += s.albedo * (sky + keyColour * 0.12 * bounce) * occlusion;

    // The core lights its surroundings.
    vec3 toCore = sculptureCentre - p;
    float coreDistance2 = dot(toCore, toCore);
    float coreFacing = max(dot(n, toCore * inversesqrt(coreDistance2)), 0.0);
    colour += s.albedo * accentColour * coreFacing * (1.0 + 1.8 * corePulse) * 1.6 / (1.0 + coreDistance2);

    return colour + world * fresnel * occlusion + s.emission;
}

float KeyShadow(vec3 p, vec3 n)
{
    return dot(n, keyDirection) > 0.0 ? Shadow(p + n * 0.01, keyDirection) : 1.0;
}

vec3 ShadeSolid(vec3 p, vec3 direction, bool detailed)
{
    vec3 n = SolidNormal(p);
    bool sculpture = length(p - sculptureCentre) < sculptureBound + 0.1 && SculptureBounded(p) <= Pillars(p);
    Surface s = sculpture ? SculptureSurface(p, n, -direction) : PillarSurface(p);
    if (!detailed)
        return Shade(s, p, n, -direction, 1.0, 1.0, horizonColour * 0.3);
    // The world mirrored in the glossy parts: sky above the horizon, dark floor below.
    vec3 mirrored = reflect(direction, n);
    vec3 world = mix(Haze(mirrored) * 0.2, Background(mirrored), smoothstep(-0.2, 0.15, mirrored.y));
    return Shade(s, p, n, -direction, Occlusion(p, n), KeyShadow(p, n), world);
}

// ---------------------------------------------------------------- the frame

void SetUp()
{
    spin = Rotation(RotationTime * 0.8);
    tilt = Rotation(RotationTime * 0.35);
    // The inner frame turns about two axes of its own, against the outer one.
    mat2 a = Rotation(-RotationTime * 1.3 + Time * 0.21);
    mat2 b = Rotation(RotationTime * 0.9 + 0.6 + Time * 0.13);
    innerTurn = mat3(a[0][0], 0.0, a[0][1], 0.0, 1.0, 0.0, a[1][0], 0.0, a[1][1]) *
                mat3(1.0, 0.0, 0.0, 0.0, b[0][0], b[0][1], 0.0, b[1][0], b[1][1]);
    ringTurn = Rotation(Time * 0.7 + RotationTime * 2.0);
    floorHeight = -1.9 - PlaneDistance * 2.0;

    // A throb on every beat of the music (140 per minute), over a slow breath.
    float beat = fract(Time * 140.0 / 60.0);
    corePulse = exp(-beat * 5.0) * 0.6 + 0.2 + 0.2 * sin(Time * 0.9);
    coreRadius = 0.3 + 0.03 * corePulse;
    solidScale = 1.0 / (1.0 + 0.8 * abs(RotationMix));

    keyDirection = normalize(vec3(0.55, 0.75, 0.49));
    sunDirection = normalize(vec3(-0.45, 0.2, -1.0));
    horizonColour = pow(Hue(Color - 0.05), vec3(1.6)) * 0.3 + 0.004;
    zenithColour = Hue(Color + 0.3) * 0.03 + 0.003;
    accentColour = Hue(Color + 0.5) * 0.9 + 0.05;
    sunColour = mix(Hue(Color - 0.08), vec3(1.0), 0.45) * 1.1;
    keyColour = mix(vec3(0.85, 0.9, 1.0), accentColour, 0.12) * 1.3;
}

void main()
{
    SetUp();

    // The kept region is 16:9; x runs over the wider side.
    vec2 p = (screen * 2.0 - 1.0) * vec2(16.0 / 9.0, 1.0);
    mat3 rotation = mat3(ViewRotation);
    vec3 eyeDirection = normalize(vec3(p, -1.8));
    // View maps the world to the eye: the eye sits at -R^T t and looks along R^T d.
    vec3 origin = -(transpose(mat3(View)) * View[3].xyz);
    vec3 direction = transpose(rotation) * eyeDirection;

    // The floor is met exactly; the march only looks for what stands before it.
    float floorT = -1.0;
    if (abs(direction.y) > 1e-5)
        floorT = (floorHeight - origin.y) / direction.y;
    float limit = floorT > 0.0 ? min(floorT, farDistance) : farDistance;
    float t = March(origin, direction, limit, 100, 0.0012);

    vec3 colour;
    float distance;
    if (t > 0.0)
    {
        distance = t;
        colour = ShadeSolid(origin + direction * t, direction, true);
    }
    else if (floorT > 0.0)
    {
        distance = floorT;
        vec3 position = origin + direction * floorT;
        // Each tile lies a little out of true, which breaks up the mirror image at the joints.
        vec2 tile = floor(position.xz * 0.5);
        vec3 normal = normalize(vec3(Hash(tile + 3.1) - 0.5, 60.0, Hash(tile + 7.7) - 0.5));
        if (origin.y < floorHeight)
            normal = -normal;
        Surface s = FloorSurface(position);
        // Far tiles are lost in the haze anyway.
        bool near = floorT < 45.0;
        vec3 mirrored = reflect(direction, normal);
        vec3 world = Background(mirrored);
        float occlusion = 1.0;
        float shadow = 1.0;
        if (near)
        {
            float bounce = March(position + normal * 0.01, mirrored, 30.0, 32, 0.004);
            if (bounce > 0.0)
            {
                // Glossy rather than mirror-sharp: the image fades with the distance it travels.
                vec3 seen = ShadeSolid(position + mirrored * bounce, mirrored, false);
                world = mix(seen, world * 0.5, 1.0 - exp(-0.06 * bounce));
            }
            // Only what stands within reach of the taps can occlude the floor.
            if (Solid(position) < 1.0)
                occlusion = Occlusion(position, normal);
            shadow = KeyShadow(position, normal);
        }
        colour = Shade(s, position, normal, -direction, occlusion, shadow, world);
    }
    else
    {
        distance = farDistance * 4.0;
        colour = Background(direction);
    }

    // The core's glow in the air, hidden when something solid stands in front of it.
    vec3 toCore = sculptureCentre - origin;
    float along = dot(toCore, direction);
    if (along > 0.0)
    {
        float miss = length(toCore - direction * along);
        float visible = smoothstep(along - 1.0, along + 0.4, distance);
        colour += accentColour * (0.25 + 0.5 * corePulse) * visible * 0.35 / (1.0 + miss * miss * 6.0);
    }

    // Haze with distance, and mist that thickens towards and below the floor's resting height.
    if (t > 0.0 || floorT > 0.0)
    {
        float rise = abs(direction.y) > 1e-4 ? direction.y : 1e-4;
        float height = origin.y - mistLevel;
        const float falloff = 0.8;
        float mist = 0.02 * exp(-falloff * height) * (1.0 - exp(-falloff * rise * distance)) / (falloff * rise);
        float fog = 1.0 - exp(-(0.006 * distance + max(mist, 0.0)));
        colour = mix(colour, Haze(direction), fog);
    }

    // A faint breath of the stage light keeps stills alive.
    colour *= 0.97 + 0.03 * sin(Time * 2.1);
    vec3 mapped = pow(1.0 - exp(-max(colour, 0.0) * exposure), vec3(1.0 / 2.2));
    mapped += (Hash(gl_FragCoord.xy + fract(Time) * 17.0) - 0.5) / 255.0;
    gl_FragColor = vec4(mapped, 1.0);
}
