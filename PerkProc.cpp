// PerkProc: construction loads "Data/PerkProc.vert" and "Data/PerkProc.frag"; every
// frame sets seven uniforms and draws one full-screen rectangle.
#include "PerkProc.h"

#include "GL.h"
#include "Program.h"
#include "RenderTarget.h"
#include "Shader.h"
#include "Sync.h"
#include "Texture.h"

PerkProc* PerkProc::Instance()
{
    // A construction that throws leaves the object unmade; the next call tries again.
    static PerkProc instance;
    return &instance;
}

PerkProc::PerkProc() : target(nullptr), vertexShader(nullptr), fragmentShader(nullptr), program(nullptr)
{
    try
    {
        target = new RenderTarget(1280, 720, true);
        vertexShader = new Shader("Data/PerkProc.vert", GL_VERTEX_SHADER);
        fragmentShader = new Shader("Data/PerkProc.frag", GL_FRAGMENT_SHADER);
        program = new Program(vertexShader, fragmentShader);
    }
    catch (...)
    {
        Release();
        throw;
    }
}

PerkProc::~PerkProc() { Release(); }

void PerkProc::Release()
{
    delete target;
    delete vertexShader;
    delete fragmentShader;
    delete program;
    target = nullptr;
    vertexShader = nullptr;
    fragmentShader = nullptr;
    program = nullptr;
}

void PerkProc::Apply(float mix)
{
    PerkProc* self = Instance();
    self->program->Use();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, self->target->GetTexture(0)->GetId());
    self->program->SetUniform("Tex", 0);
    self->program->SetUniform("Time", static_cast<float>(Sync::GetTime()));
    self->program->SetUniform("Distortion", Sync::GetValue("Distortion"));
    self->program->SetUniform("Distortion2", Sync::GetValue("Distortion2"));
    self->program->SetUniform("Flash", Sync::GetValue("Flash"));
    self->program->SetUniform("Mix", mix);
    self->program->SetUniform("Invert", Sync::GetValue("Invert"));
    DrawFullScreenQuad();
    glBindTexture(GL_TEXTURE_2D, 0);
    Program::Unuse();
}
