// PerkProc: the first post-process. The scene effect draws the frame (scene and
// overlays) into `target`; Apply redraws it through the PerkProc program, distorted,
// flashed and inverted by its tracks, into whatever framebuffer is bound. One
// process-wide object, made on first use; construction throws on a bad shader.
#pragma once

class Program;
class RenderTarget;
class Shader;

class PerkProc
{
public:
    static PerkProc* Instance();

    // Draws target's picture over the bound framebuffer's viewport; mix is the caller's
    // "PerkProc Mix". Leaves framebuffer and viewport as they were.
    static void Apply(float mix);

    RenderTarget* target;

    ~PerkProc();

private:
    PerkProc();
    PerkProc(const PerkProc&) = delete;
    PerkProc& operator=(const PerkProc&) = delete;
    void Release();

    Shader* vertexShader;
    Shader* fragmentShader;
    Program* program;
};
