// Bloom: the glow stage. The caller draws the frame into `sceneTarget`; Blur reduces it
// to 128 x 128 in three steps and blurs it six times; Mix draws sharp and blurred images
// together into the bound framebuffer. One process-wide object, made on first use;
// construction throws on a bad shader.
#pragma once

class Program;
class RenderTarget;
class Shader;

class Bloom
{
public:
    static Bloom* Instance();

    // Leaves framebuffer 0 bound, no program in use and the caller's viewport.
    static void Blur();

    // intensity weighs the blurred image ("Bloom Wet"), bgIntensity the sharp one ("Bloom Dry").
    static void Mix(float intensity, float bgIntensity);

    RenderTarget* sceneTarget;

    ~Bloom();

private:
    Bloom();
    Bloom(const Bloom&) = delete;
    Bloom& operator=(const Bloom&) = delete;
    void Release();

    RenderTarget* downsampleTargets[3];
    RenderTarget* blurTargets[2];
    Shader* vertexShaders[3];
    Shader* fragmentShaders[3];
    Program* blitProgram;
    Program* blurProgram;
    Program* mixProgram;
};
