// The Kelvorandum scene: a carved, twisting sculpture above a glossy floor, ray
// marched through the camera of View / ViewRotation, lit by a key light, its own
// glowing slashes and the sky.
//   RotationTime  spin of the sculpture        RotationMix  twist along its height
//   Cutouts       holes carved through it      Slashes      glowing diagonal cuts
//   Ao Factor     ambient occlusion depth      Color        palette, 0..1 around the hue wheel
//   PlaneDistance how far the floor sinks      SkyboxMix    sky cube instead of the graded dusk
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
const float farDistance = 60.0;

vec3 Palette(float t)
{
    // A cosine palette; Color slides the phase around the wheel.
    return 0.5 + 0.5 * cos(6.28318 * (vec3(0.0, 0.33, 0.67) + t));
}

mat2 Rotation(float angle)
{
    float c = cos(angle);
    float s = sin(angle);
    return mat2(c, -s, s, c);
}

float Box(vec3 p, vec3 size)
{
    vec3 d = abs(p) - size;
    return length(max(d, 0.0)) + min(max(d.x, max(d.y, d.z)), 0.0);
}

float FloorHeight()
{
    return -1.9 - PlaneDistance * 2.0;
}

// The sculpture's local frame: spun by RotationTime, twisted by RotationMix.
vec3 SculptureSpace(vec3 p)
{
    p -= sculptureCentre;
    p.xz = Rotation(RotationTime * 0.8 + p.y * RotationMix * 0.9) * p.xz;
    p.yz = Rotation(RotationTime * 0.35) * p.yz;
    return p;
}

float SlashField(vec3 q)
{
    // Thin diagonal slabs through the body, repeating along a tilted axis.
    float along = dot(q, normalize(vec3(1.0, 1.2, 0.4)));
    float slab = abs(mod(along + Time * 0.15, 0.7) - 0.35) - 0.035 * Slashes;
    return slab;
}

float Sculpture(vec3 p)
{
    vec3 q = SculptureSpace(p);
    // A rounded cube with a frame-like inner cut.
    float body = Box(q, vec3(1.15)) - 0.08;
    float hollow = Box(q, vec3(0.95, 0.95, 1.6));
    hollow = min(hollow, Box(q, vec3(1.6, 0.95, 0.95)));
    hollow = min(hollow, Box(q, vec3(0.95, 1.6, 0.95)));
    float frame = max(body, -hollow);
    float core = length(q) - 0.55 - 0.08 * sin(Time * 2.0 + q.y * 6.0);
    float d = min(frame, core);

    // Cutouts: a lattice of round holes drilled through.
    vec3 cell = mod(q + 0.25, 0.5) - 0.25;
    float holes = length(cell.xy) - 0.18 * Cutouts;
    holes = min(holes, length(cell.yz) - 0.18 * Cutouts);
    d = max(d, -holes);

    if (Slashes > 0.0)
        d = max(d, -SlashField(q));
    return d;
}

float Scene(vec3 p, out float material)
{
    float sculpture = Sculpture(p);
    float ground = p.y - FloorHeight();
    // Pillars around the stage give depth and parallax as the camera moves.
    vec3 r = p - sculptureCentre;
    r.xz = mod(r.xz + 6.0, 12.0) - 6.0;
    float pillars = max(length(r.xz - vec2(4.5)) - 0.35, -(p.y - FloorHeight()) - 0.1);
    pillars = max(pillars, p.y - 3.0);
    material = 0.0;
    float d = sculpture;
    if (ground < d)
    {
        d = ground;
        material = 1.0;
    }
    if (pillars < d)
    {
        d = pillars;
        material = 2.0;
    }
    return d;
}

float SceneDistance(vec3 p)
{
    float material;
    return Scene(p, material);
}

vec3 Normal(vec3 p)
{
    vec2 e = vec2(0.002, 0.0);
    return normalize(vec3(SceneDistance(p + e.xyy) - SceneDistance(p - e.xyy),
                          SceneDistance(p + e.yxy) - SceneDistance(p - e.yxy),
                          SceneDistance(p + e.yyx) - SceneDistance(p - e.yyx)));
}

float Occlusion(vec3 p, vec3 n)
{
    float shade = 0.0;
    float weight = 1.0;
    for (int i = 1; i <= 4; ++i)
    {
        float h = 0.07 * float(i);
        shade += weight * (h - SceneDistance(p + n * h));
        weight *= 0.6;
    }
    return clamp(1.0 - shade * 3.5 * AoFactor, 0.0, 1.0);
}

float Shadow(vec3 origin, vec3 direction)
{
    float light = 1.0;
    float t = 0.03;
    for (int i = 0; i < 20; ++i)
    {
        float h = SceneDistance(origin + direction * t);
        light = min(light, 10.0 * h / t);
        t += clamp(h, 0.04, 0.5);
        if (light < 0.01 || t > 12.0)
            break;
    }
    return clamp(light, 0.0, 1.0);
}

vec3 Background(vec3 direction)
{
    vec3 horizon = Palette(Color + 0.05) * 0.55 + 0.15;
    vec3 zenith = Palette(Color + 0.55) * 0.18;
    vec3 dusk = mix(horizon, zenith, smoothstep(-0.1, 0.7, direction.y));
    dusk += vec3(1.0, 0.8, 0.6) * pow(max(dot(direction, normalize(vec3(0.4, 0.25, -1.0))), 0.0), 24.0) * 0.6;
    vec3 sky = textureCube(SkyboxTex, direction).rgb;
    return mix(dusk, sky, clamp(SkyboxMix, 0.0, 1.0));
}

void main()
{
    // The kept region is 16:9; x runs over the wider side.
    vec2 p = (screen * 2.0 - 1.0) * vec2(16.0 / 9.0, 1.0);
    mat3 rotation = mat3(ViewRotation);
    vec3 eyeDirection = normalize(vec3(p, -1.8));
    // View maps the world to the eye: the eye sits at -R^T t and looks along R^T d.
    vec3 origin = -(transpose(mat3(View)) * View[3].xyz);
    vec3 direction = transpose(rotation) * eyeDirection;

    float t = 0.0;
    float material = -1.0;
    for (int i = 0; i < 96; ++i)
    {
        float m;
        float d = Scene(origin + direction * t, m);
        if (d < 0.0015 * (1.0 + t))
        {
            material = m;
            break;
        }
        t += d * 0.9;
        if (t > farDistance)
            break;
    }

    vec3 background = Background(direction);
    vec3 colour = background;
    if (material >= 0.0)
    {
        vec3 position = origin + direction * t;
        vec3 normal = Normal(position);
        vec3 lightDirection = normalize(vec3(0.6, 0.9, 0.35));
        float diffuse = max(dot(normal, lightDirection), 0.0) * Shadow(position + normal * 0.01, lightDirection);
        float occlusion = Occlusion(position, normal);
        vec3 reflected = reflect(direction, normal);
        float fresnel = pow(1.0 - max(dot(-direction, normal), 0.0), 4.0);

        vec3 albedo;
        float gloss;
        if (material < 0.5)
        {
            albedo = mix(vec3(0.85), Palette(Color + 0.1 * position.y), 0.55);
            gloss = 0.35;
            // The slash walls glow from inside.
            if (Slashes > 0.0)
            {
                float edge = abs(SlashField(SculptureSpace(position)));
                albedo += Palette(Color + 0.5) * 3.0 * Slashes * exp(-edge * 60.0);
            }
        }
        else if (material < 1.5)
        {
            // The floor: a dim grid that catches the sculpture's light.
            vec2 grid = abs(fract(position.xz * 0.5) - 0.5);
            float line = 1.0 - smoothstep(0.0, 0.03, min(grid.x, grid.y));
            albedo = vec3(0.08) + Palette(Color + 0.3) * line * 0.5;
            gloss = 0.6;
        }
        else
        {
            albedo = vec3(0.25) + Palette(Color + 0.7) * 0.15;
            gloss = 0.15;
        }

        vec3 ambient = mix(Palette(Color + 0.55) * 0.25, Background(normal) * 0.5, 0.5);
        vec3 lit = albedo * (diffuse * vec3(1.1, 1.0, 0.9) + ambient * occlusion);
        float specular = pow(max(dot(reflected, lightDirection), 0.0), 40.0) * diffuse;
        lit += specular * gloss * 2.0;
        lit += Background(reflected) * gloss * (0.15 + 0.6 * fresnel) * occlusion;
        colour = lit;

        // Distance haze into the background.
        float haze = 1.0 - exp(-0.0015 * t * t);
        colour = mix(colour, background, haze);
    }

    // A soft pulse of the stage light with the clock keeps stills alive.
    colour *= 0.96 + 0.04 * sin(Time * 3.0);
    colour = colour / (1.0 + colour * 0.35);
    gl_FragColor = vec4(pow(colour, vec3(0.92)), 1.0);
}
