// RenderTarget: builds its framebuffer, leaves framebuffer and renderbuffer 0 bound, and
// releases everything on destruction (GL objects only while a context is current; the
// Texture objects always).
#include "RenderTarget.h"

#include "GLContext.h"
#include "Texture.h"
#include "Zemb/Exception.h"

namespace
{
    const GLenum drawBuffers[9] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2,
                                   GL_COLOR_ATTACHMENT3, GL_COLOR_ATTACHMENT4, GL_COLOR_ATTACHMENT5,
                                   GL_COLOR_ATTACHMENT6, GL_COLOR_ATTACHMENT7, GL_COLOR_ATTACHMENT8};
}

RenderTarget::RenderTarget(int width, int height, bool withDepth)
    : framebuffer(0), depthBuffer(0), colorTextures(nullptr), colorTextureCount(1), width(width),
      height(height)
{
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);

    colorTextures = new Texture*[colorTextureCount]();
    colorTextures[0] = new Texture(width, height);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTextures[0]->GetId(), 0);
    glDrawBuffers(colorTextureCount, drawBuffers);

    if (withDepth)
    {
        glGenRenderbuffers(1, &depthBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
    }

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

RenderTarget::~RenderTarget()
{
    if (GLContextIsCurrent())
    {
        glDeleteFramebuffers(1, &framebuffer);
        if (depthBuffer != 0)
            glDeleteRenderbuffers(1, &depthBuffer);
    }
    for (int i = 0; i < colorTextureCount; ++i)
        delete colorTextures[i];
    delete[] colorTextures;
}

void RenderTarget::Bind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void RenderTarget::Unbind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

Texture* RenderTarget::GetTexture(int i) const
{
    if (i < 0 || i >= colorTextureCount)
        ZEMB_THROW("Render target has no colour texture at that index");
    return colorTextures[i];
}

void DrawFullScreenQuad()
{
    glRecti(-1, -1, 1, 1);
}
