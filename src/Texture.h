// Texture: a 2D GL texture, either decoded from an image file (8-bit RGBA, first file row
// is texture row 0) or empty storage of a given size. Owns its GL texture until destroyed;
// an image that cannot be decoded throws Zemb::Exception naming the path.
#pragma once

#include "GL.h"
#include "Zemb/String.h"

class Texture
{
public:
    explicit Texture(const Zemb::String& path);
    Texture(int width, int height);
    ~Texture();

    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    GLuint GetId() const { return id; }
    int GetWidth() const { return width; }
    int GetHeight() const { return height; }

protected:
    // The start of a CubeTexture: no GL texture yet, so a failure before one exists deletes nothing.
    Texture();

    GLuint id;
    int width;
    int height;
};
