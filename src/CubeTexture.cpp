// CubeTexture: decodes the cross, copies each cell into one reused face buffer and uploads
// it, checking for a GL error after every face. Pixels beyond the 3 x 4 grid are never
// read. On failure the base's destructor deletes the texture name made so far.
#include "CubeTexture.h"

#include <cstring>
#include <memory>
#include <vector>

#include "StbImage.h"
#include "Zemb/Exception.h"

namespace
{
    struct FreeImage
    {
        void operator()(stbi_uc* pixels) const { stbi_image_free(pixels); }
    };

    // GLU's text for the error; its number for a code that GLU does not know.
    Zemb::String ErrorText(GLenum error)
    {
        const GLubyte* text = gluErrorString(error);
        if (text == nullptr)
            return Zemb::String(static_cast<int>(error));
        return Zemb::String(reinterpret_cast<const char*>(text));
    }

    struct Cell
    {
        int column;
        int row;
        bool turned; // copied turned by 180 degrees
    };

    // Face f of GL_TEXTURE_CUBE_MAP_POSITIVE_X + f: +X, -X, +Y, -Y, +Z, -Z.
    const Cell cross[6] = {{2, 1, false}, {0, 1, false}, {1, 0, false},
                           {1, 2, false}, {1, 1, false}, {1, 3, true}};
}

CubeTexture::CubeTexture(const Zemb::String& path)
{
    int components = 0;
    std::unique_ptr<stbi_uc, FreeImage> pixels(
        stbi_load(path.CStr() != nullptr ? path.CStr() : "", &width, &height, &components, 4));
    if (pixels == nullptr)
        ZEMB_THROW(Zemb::String("Could not load texture \"") + path + "\"");

    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_CUBE_MAP, id);

    const int faceWidth = width / 3;
    const int faceHeight = height / 4;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    const size_t faceRowBytes = static_cast<size_t>(faceWidth) * 4;
    const stbi_uc* image = pixels.get();
    std::vector<stbi_uc> face(faceRowBytes * static_cast<size_t>(faceHeight));

    for (int f = 0; f < 6; ++f)
    {
        const Cell& cell = cross[f];
        for (int r = 0; r < faceHeight; ++r)
        {
            stbi_uc* target = face.data() + static_cast<size_t>(r) * faceRowBytes;
            if (!cell.turned)
            {
                const stbi_uc* source = image + static_cast<size_t>(cell.row * faceHeight + r) * rowBytes +
                                        static_cast<size_t>(cell.column * faceWidth) * 4;
                std::memcpy(target, source, faceRowBytes);
            }
            else
            {
                // Last grid row first, each row right to left.
                const stbi_uc* source = image + static_cast<size_t>(4 * faceHeight - 1 - r) * rowBytes;
                for (int c = 0; c < faceWidth; ++c)
                    std::memcpy(target + static_cast<size_t>(c) * 4,
                                source + static_cast<size_t>(faceWidth + faceWidth - 1 - c) * 4, 4);
            }
        }
        glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_RGBA, faceWidth, faceHeight, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, face.data());
        GLenum error = glGetError();
        if (error != GL_NO_ERROR)
            ZEMB_THROW(Zemb::String("GL error has occurred: ") + ErrorText(error));
    }
    face.clear();
    face.shrink_to_fit();
    pixels.reset();

    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}
