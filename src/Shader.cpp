// Shader: compiles one stage from its file. On a compile failure the shader object is
// left to the end of the program, as the failure ends the program anyway.
#include "Shader.h"

#include "File.h"
#include "GLContext.h"
#include "Zemb/Exception.h"

Shader::Shader(const Zemb::String& path, GLenum type) : id(0), type(type)
{
    // Checked before the file is read, so a wrong type is reported as such even for a missing file.
    if (type != GL_VERTEX_SHADER && type != GL_FRAGMENT_SHADER)
        ZEMB_THROW("Invalid shader type specified");

    Zemb::String source = File::ReadText(path);
    id = glCreateShader(type);
    const GLchar* text = source.CStr() != nullptr ? source.CStr() : "";
    glShaderSource(id, 1, &text, nullptr);
    glCompileShader(id);

    GLint status = GL_FALSE;
    glGetShaderiv(id, GL_COMPILE_STATUS, &status);
    if (status == GL_TRUE)
        return;

    GLchar log[4096] = {};
    glGetShaderInfoLog(id, sizeof(log), nullptr, log);
    ZEMB_THROW(Zemb::String("Shader compile failed:\n") + log);
}

Shader::~Shader()
{
    if (GLContextIsCurrent())
        glDeleteShader(id);
}
