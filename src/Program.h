// Program: a linked GLSL program of one vertex and one fragment Shader. Owns its GL
// program object, not the shaders. A null shader or a failed link throws Zemb::Exception
// (the link failure carries the driver's log).
#pragma once

#include "GL.h"

class Shader;

class Program
{
public:
    Program(Shader* vertexShader, Shader* fragmentShader);
    ~Program();

    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    void Use();
    static void Unuse();

    // Set a uniform of the current program (Use this one first). The location is looked up
    // on every call; a name the program does not use sets nothing.
    void SetUniform(const char* name, float value);
    void SetUniform(const char* name, int value);
    // A 4 x 4 matrix of 16 floats, column-major as GL expects.
    void SetUniform(const char* name, const float matrix[16]);

    GLuint GetId() const { return id; }
    Shader* GetVertexShader() const { return vertexShader; }
    Shader* GetFragmentShader() const { return fragmentShader; }

private:
    GLuint id;
    Shader* vertexShader;
    Shader* fragmentShader;
};
