// Program: links two shaders when constructed. On a link failure the program object is
// left to the end of the program, as the failure ends the program anyway.
#include "Program.h"

#include "GLContext.h"
#include "Shader.h"
#include "Zemb/Exception.h"

Program::Program(Shader* vertexShader, Shader* fragmentShader)
    : id(0), vertexShader(nullptr), fragmentShader(nullptr)
{
    if (vertexShader == nullptr || fragmentShader == nullptr)
        ZEMB_THROW("Invalid vertex or fragment shader.");
    this->vertexShader = vertexShader;
    this->fragmentShader = fragmentShader;

    id = glCreateProgram();
    glAttachShader(id, vertexShader->GetId());
    glAttachShader(id, fragmentShader->GetId());
    glLinkProgram(id);

    GLint status = GL_FALSE;
    glGetProgramiv(id, GL_LINK_STATUS, &status);
    if (status == GL_TRUE)
        return;

    GLchar log[4096] = {};
    glGetProgramInfoLog(id, sizeof(log), nullptr, log);
    ZEMB_THROW(Zemb::String("Program link failed:\n") + log);
}

Program::~Program()
{
    if (!GLContextIsCurrent())
        return;
    glUseProgram(0);
    glDeleteProgram(id);
}

void Program::Use()
{
    glUseProgram(id);
}

void Program::Unuse()
{
    glUseProgram(0);
}

void Program::SetUniform(const char* name, float value)
{
    glUniform1f(glGetUniformLocation(id, name), value);
}

void Program::SetUniform(const char* name, int value)
{
    glUniform1i(glGetUniformLocation(id, name), value);
}

void Program::SetUniform(const char* name, const float matrix[16])
{
    glUniformMatrix4fv(glGetUniformLocation(id, name), 1, GL_FALSE, matrix);
}
