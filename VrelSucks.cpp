// VrelSucks: resources in field order at construction and release; each frame runs the
// scene pass, the copy, the overlays, PerkProc, bloom and the letterboxed present.
#include "VrelSucks.h"

#include "Bloom.h"
#include "CubeTexture.h"
#include "GL.h"
#include "Matrix4.h"
#include "PerkProc.h"
#include "Program.h"
#include "RenderTarget.h"
#include "Shader.h"
#include "Sync.h"
#include "Texture.h"

VrelSucks* VrelSucks::Instance()
{
    static VrelSucks instance;
    return &instance;
}

VrelSucks::VrelSucks()
    : vertexShader(nullptr), fragmentShader(nullptr), program(nullptr), blitVertexShader(nullptr),
      blitFragmentShader(nullptr), blitProgram(nullptr), sceneTarget(nullptr), finalTarget(nullptr),
      skybox(nullptr), overlays{}
{
    try
    {
        vertexShader = new Shader("Data/VrelSucks.vert", GL_VERTEX_SHADER);
        fragmentShader = new Shader("Data/VrelSucks.frag", GL_FRAGMENT_SHADER);
        program = new Program(vertexShader, fragmentShader);
        blitVertexShader = new Shader("Data/Blit.vert", GL_VERTEX_SHADER);
        blitFragmentShader = new Shader("Data/Blit.frag", GL_FRAGMENT_SHADER);
        blitProgram = new Program(blitVertexShader, blitFragmentShader);
        sceneTarget = new RenderTarget(960, 540, false);
        finalTarget = new RenderTarget(1280, 720, false);
        skybox = new CubeTexture("Data/skyboxlol.jpg");
        for (int i = 0; i < overlayCount; ++i)
            overlays[i] = new Texture(overlayFiles[i]);
    }
    catch (...)
    {
        Release();
        throw;
    }
}

VrelSucks::~VrelSucks() { Release(); }

void VrelSucks::Release()
{
    // Field order, first field first: each program goes after the shaders it was linked from.
    delete vertexShader;
    delete fragmentShader;
    delete program;
    delete blitVertexShader;
    delete blitFragmentShader;
    delete blitProgram;
    delete sceneTarget;
    delete finalTarget;
    delete skybox;
    for (Texture*& overlay : overlays)
    {
        delete overlay;
        overlay = nullptr;
    }
    vertexShader = fragmentShader = blitVertexShader = blitFragmentShader = nullptr;
    program = blitProgram = nullptr;
    sceneTarget = finalTarget = nullptr;
    skybox = nullptr;
}

void VrelSucks::CameraMatrices(const Eye& eye, Matrix4& viewRotation, Matrix4& view)
{
    viewRotation.SetIdentity();
    viewRotation = viewRotation.Rotate(eye.yaw, Vector3{0.0f, 1.0f, 0.0f});
    viewRotation = viewRotation.Rotate(eye.pitch, Vector3{1.0f, 0.0f, 0.0f});
    viewRotation = viewRotation.Rotate(eye.roll, Vector3{0.0f, 0.0f, 1.0f});
    Matrix4 translation;
    translation.SetIdentity();
    translation.Translate(eye.offsetX, eye.offsetY, eye.offsetZ);
    translation.Translate(0.0f, 0.0f, -eye.distance);
    view = viewRotation * translation;
}

void VrelSucks::Render(double seconds)
{
    // Tracks are read in this order: yaw, pitch, roll, then the offset from z to x, then distance.
    Eye eye;
    eye.yaw = Sync::GetValue("EyeYaw");
    eye.pitch = Sync::GetValue("EyePitch");
    eye.roll = Sync::GetValue("EyeRoll");
    eye.offsetZ = Sync::GetValue("EyeOffsetZ");
    eye.offsetY = Sync::GetValue("EyeOffsetY");
    eye.offsetX = Sync::GetValue("EyeOffsetX");
    eye.distance = Sync::GetValue("EyeDistance");
    Matrix4 viewRotation;
    Matrix4 view;
    CameraMatrices(eye, viewRotation, view);

    // Scene: a 1280 x 720 raster of which the 960 x 540 target keeps the lower-left part.
    sceneTarget->Bind();
    glViewport(0, 0, 1280, 720);
    program->Use();
    glBindTexture(GL_TEXTURE_CUBE_MAP, skybox->GetId());
    program->SetUniform("Time", static_cast<float>(seconds));
    program->SetUniform("RotationTime", Sync::GetValue("Rotation Time"));
    program->SetUniform("View", view.Data());
    program->SetUniform("ViewRotation", viewRotation.Data());
    program->SetUniform("SkyboxTex", 0);
    program->SetUniform("SkyboxMix", Sync::GetValue("Skybox Mix"));
    program->SetUniform("Color", Sync::GetValue("Color"));
    program->SetUniform("AoFactor", Sync::GetValue("Ao Factor"));
    program->SetUniform("Cutouts", Sync::GetValue("Cutouts"));
    program->SetUniform("Slashes", Sync::GetValue("Slashes"));
    program->SetUniform("PlaneDistance", Sync::GetValue("Plane Distance"));
    program->SetUniform("RotationMix", Sync::GetValue("Rotation Mix"));
    DrawFullScreenQuad();
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
    Program::Unuse();

    // Copy, stretching the kept region over PerkProc's full frame.
    PerkProc* perkProc = PerkProc::Instance();
    perkProc->target->Bind();
    glViewport(0, 0, 1280, 720);
    blitProgram->Use();
    glBindTexture(GL_TEXTURE_2D, sceneTarget->GetTexture(0)->GetId());
    blitProgram->SetUniform("Tex", 0);
    blitProgram->SetUniform("Width", 1280.0f);
    blitProgram->SetUniform("Height", 720.0f);
    DrawFullScreenQuad();
    glBindTexture(GL_TEXTURE_2D, 0);
    Program::Unuse();

    DrawOverlays(overlays);

    Bloom* bloom = Bloom::Instance();
    bloom->sceneTarget->Bind();
    glViewport(0, 0, 1280, 720);
    PerkProc::Apply(Sync::GetValue("PerkProc Mix"));
    Bloom::Blur();
    finalTarget->Bind();
    glViewport(0, 0, 1280, 720);
    float dry = Sync::GetValue("Bloom Dry");
    float wet = Sync::GetValue("Bloom Wet");
    Bloom::Mix(wet, dry);

    // Present the 16:9 frame on the middle 1024 x 576 of the 4:3 window.
    RenderTarget::Unbind();
    glViewport(0, 0, 1024, 768);
    glBindTexture(GL_TEXTURE_2D, finalTarget->GetTexture(0)->GetId());
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2i(0, 0);
    glVertex2f(-1.0f, -0.75f);
    glTexCoord2i(1, 0);
    glVertex2f(1.0f, -0.75f);
    glTexCoord2i(1, 1);
    glVertex2f(1.0f, 0.75f);
    glTexCoord2i(0, 1);
    glVertex2f(-1.0f, 0.75f);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
}
