// Bloom: eight render targets and three programs made at start-up; per frame three
// reductions, six blur passes at 128 x 128 and one mix.
#include "Bloom.h"

#include "GL.h"
#include "Program.h"
#include "RenderTarget.h"
#include "Shader.h"
#include "Texture.h"

namespace
{
    // The small targets clamp so the blur does not wrap the picture's edges around.
    void ClampToEdges(RenderTarget* target)
    {
        glBindTexture(GL_TEXTURE_2D, target->GetTexture(0)->GetId());
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<float>(GL_CLAMP));
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, static_cast<float>(GL_CLAMP));
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    void DrawFrom(RenderTarget* source)
    {
        glBindTexture(GL_TEXTURE_2D, source->GetTexture(0)->GetId());
        DrawFullScreenQuad();
    }
}

Bloom* Bloom::Instance()
{
    static Bloom instance;
    return &instance;
}

Bloom::Bloom()
    : sceneTarget(nullptr), downsampleTargets{}, blurTargets{}, vertexShaders{}, fragmentShaders{},
      blitProgram(nullptr), blurProgram(nullptr), mixProgram(nullptr)
{
    try
    {
        sceneTarget = new RenderTarget(1280, 720, true);
        const int reductions[3] = {512, 256, 128};
        for (int i = 0; i < 3; ++i)
        {
            downsampleTargets[i] = new RenderTarget(reductions[i], reductions[i], false);
            ClampToEdges(downsampleTargets[i]);
        }
        for (RenderTarget*& target : blurTargets)
        {
            target = new RenderTarget(128, 128, false);
            ClampToEdges(target);
        }
        const char* fragmentFiles[3] = {"Data/Blit.frag", "Data/Blur.frag", "Data/Mix.frag"};
        Program** programs[3] = {&blitProgram, &blurProgram, &mixProgram};
        for (int i = 0; i < 3; ++i)
        {
            vertexShaders[i] = new Shader("Data/Blit.vert", GL_VERTEX_SHADER);
            fragmentShaders[i] = new Shader(fragmentFiles[i], GL_FRAGMENT_SHADER);
            *programs[i] = new Program(vertexShaders[i], fragmentShaders[i]);
        }
    }
    catch (...)
    {
        Release();
        throw;
    }
}

Bloom::~Bloom() { Release(); }

void Bloom::Release()
{
    delete sceneTarget;
    sceneTarget = nullptr;
    for (int i = 0; i < 3; ++i)
    {
        delete downsampleTargets[i];
        downsampleTargets[i] = nullptr;
        if (i < 2)
        {
            delete blurTargets[i];
            blurTargets[i] = nullptr;
        }
    }
    Program** programs[3] = {&blitProgram, &blurProgram, &mixProgram};
    for (int i = 0; i < 3; ++i)
    {
        delete vertexShaders[i];
        delete fragmentShaders[i];
        delete *programs[i];
        vertexShaders[i] = nullptr;
        fragmentShaders[i] = nullptr;
        *programs[i] = nullptr;
    }
}

void Bloom::Blur()
{
    Bloom* self = Instance();
    glPushAttrib(GL_VIEWPORT_BIT);
    glDisable(GL_DEPTH_TEST);

    const int sizes[3] = {512, 256, 128};
    RenderTarget* source = self->sceneTarget;
    self->blitProgram->Use();
    self->blitProgram->SetUniform("Tex", 0);
    for (int i = 0; i < 3; ++i)
    {
        glViewport(0, 0, sizes[i], sizes[i]);
        self->blitProgram->SetUniform("Width", static_cast<float>(sizes[i]));
        self->blitProgram->SetUniform("Height", static_cast<float>(sizes[i]));
        self->downsampleTargets[i]->Bind();
        if (i == 0)
            glActiveTexture(GL_TEXTURE0);
        DrawFrom(source);
        source = self->downsampleTargets[i];
    }

    self->blurProgram->Use();
    self->blurProgram->SetUniform("Tex", 0);
    self->blurProgram->SetUniform("Delta", 1.0f);
    self->blurTargets[1]->Bind();
    DrawFrom(self->downsampleTargets[2]);
    for (int pass = 0; pass < 5; ++pass)
    {
        self->blurProgram->SetUniform("Delta", pass == 0 ? 1.0f : 0.25f);
        // The source of the previous pass is the target of this one: unbind it first.
        glBindTexture(GL_TEXTURE_2D, 0);
        self->blurTargets[pass % 2]->Bind();
        DrawFrom(self->blurTargets[1 - pass % 2]);
    }

    RenderTarget::Unbind();
    glBindTexture(GL_TEXTURE_2D, 0);
    Program::Unuse();
    glPopAttrib();
}

void Bloom::Mix(float intensity, float bgIntensity)
{
    Bloom* self = Instance();
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, self->blurTargets[0]->GetTexture(0)->GetId());
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, self->sceneTarget->GetTexture(0)->GetId());
    self->mixProgram->Use();
    self->mixProgram->SetUniform("Tex", 0);
    self->mixProgram->SetUniform("BlurTex", 1);
    self->mixProgram->SetUniform("Intensity", intensity);
    self->mixProgram->SetUniform("BgIntensity", bgIntensity);
    DrawFullScreenQuad();
    Program::Unuse();
}
