// Shader: one compiled GLSL stage (vertex or fragment) made from a source file. Owns its
// GL shader object from construction to destruction; a bad type, an unreadable file or a
// failed compile throws Zemb::Exception (the compile failure carries the driver's log).
#pragma once

#include "GL.h"
#include "Zemb/String.h"

class Shader
{
public:
    // type: GL_VERTEX_SHADER or GL_FRAGMENT_SHADER.
    Shader(const Zemb::String& path, GLenum type);
    ~Shader();

    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    GLuint GetId() const { return id; }
    GLenum GetType() const { return type; }

private:
    GLuint id;
    GLenum type;
};
