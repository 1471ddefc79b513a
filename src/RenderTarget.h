// RenderTarget: an off-screen framebuffer with one RGBA8 colour Texture and, if asked, a
// 24-bit depth renderbuffer. Owns all three until destroyed. Nothing is checked: a GL
// error while building stays pending and an incomplete target shows as wrong output.
#pragma once

#include "GL.h"

class Texture;

class RenderTarget
{
public:
    RenderTarget(int width, int height, bool withDepth);
    ~RenderTarget();

    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // Draws go here from now on. The viewport is left as it is: set it to the target's size.
    void Bind();
    // Back to the window's framebuffer.
    static void Unbind();

    // Colour texture i (0 is the only one); sample it once the target is no longer bound.
    Texture* GetTexture(int i) const;

    int GetWidth() const { return width; }
    int GetHeight() const { return height; }

private:
    GLuint framebuffer;
    GLuint depthBuffer; // 0 without depth
    Texture** colorTextures;
    int colorTextureCount;
    int width;
    int height;
};

// The rectangle from (-1, -1) to (1, 1): with identity matrices it covers the viewport.
// Positions only; vertex shaders derive their texture coordinates from them.
void DrawFullScreenQuad();
