// VrelSucks: the production's one scene effect. Owns its four shaders, two programs, two
// render targets, the sky cube map and the 17 overlay images, all made at its first
// use; a missing or bad asset throws from that construction. Render draws one frame.
#pragma once

#include "Effect.h"
#include "Overlay.h"

class CubeTexture;
class Matrix4;
class Program;
class RenderTarget;
class Shader;
class Texture;

class VrelSucks : public Effect
{
public:
    static VrelSucks* Instance();

    void Render(double seconds) override;

    // The finished 1280 x 720 frame, before it is shown letterboxed on the window.
    RenderTarget* GetFinalTarget() const { return finalTarget; }

    struct Eye
    {
        float yaw, pitch, roll; // degrees
        float offsetX, offsetY, offsetZ;
        float distance; // along -z
    };

    // viewRotation = Ry(yaw) Rx(pitch) Rz(roll); view = viewRotation T(offset) T(0, 0, -distance).
    static void CameraMatrices(const Eye& eye, Matrix4& viewRotation, Matrix4& view);

    ~VrelSucks();

private:
    VrelSucks();
    VrelSucks(const VrelSucks&) = delete;
    VrelSucks& operator=(const VrelSucks&) = delete;
    void Release();

    Shader* vertexShader;
    Shader* fragmentShader;
    Program* program;
    Shader* blitVertexShader;
    Shader* blitFragmentShader;
    Program* blitProgram;
    RenderTarget* sceneTarget;
    RenderTarget* finalTarget;
    CubeTexture* skybox;
    Texture* overlays[overlayCount];
};
