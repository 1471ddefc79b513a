// Texture: uploads a decoded image or allocates empty storage, with linear filtering and
// no mipmaps, and leaves GL_TEXTURE_2D unbound. The decoded pixels go back to the decoder
// right after the upload. This file also holds the image decoder's implementation.
#define STB_IMAGE_IMPLEMENTATION
#include "StbImage.h"

#include "Texture.h"

#include "GLContext.h"
#include "Zemb/Exception.h"

Texture::Texture() : id(0), width(0), height(0) {}

Texture::Texture(const Zemb::String& path) : id(0), width(0), height(0)
{
    int components = 0;
    stbi_uc* pixels = stbi_load(path.CStr() != nullptr ? path.CStr() : "", &width, &height, &components, 4);
    if (pixels == nullptr)
        ZEMB_THROW(Zemb::String("Could not load texture \"") + path + "\"");

    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    stbi_image_free(pixels);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
}

Texture::Texture(int width, int height) : id(0), width(width), height(height)
{
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
}

Texture::~Texture()
{
    if (GLContextIsCurrent())
        glDeleteTextures(1, &id);
}
