// CubeTexture: a GL cube map cut from one image laid out as a vertical cross (3 x 4 cells:
// +Y; -X +Z +X; -Y; -Z turned by 180 degrees). Owns its GL texture through the Texture
// base; an undecodable image or a GL error after a face upload throws Zemb::Exception.
#pragma once

#include "Texture.h"

class CubeTexture : public Texture
{
public:
    explicit CubeTexture(const Zemb::String& path);
};
