// Extensions: the table of GL entry points beyond GL 1.1, fetched by name from the
// current context's driver. Every slot is null until Extensions::Load fills it; a
// missing entry point stops the load with a Zemb::Exception naming it.
// Calls such as glCreateShader(...) anywhere in the program go through these slots.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

// Mesa's gl.h claims GL 1.3, so glext.h leaves this one pointer type out.
typedef void(APIENTRYP KelvoClientActiveTextureProc)(GLenum texture);

// The 42 entry points, in load order: X(name, pointer type).
#define KELVO_GL_ENTRY_POINTS(X)                                                                   \
    X(glTexImage3D, PFNGLTEXIMAGE3DPROC)                                                           \
    X(glCreateShader, PFNGLCREATESHADERPROC)                                                       \
    X(glDeleteShader, PFNGLDELETESHADERPROC)                                                       \
    X(glShaderSource, PFNGLSHADERSOURCEPROC)                                                       \
    X(glCompileShader, PFNGLCOMPILESHADERPROC)                                                     \
    X(glAttachShader, PFNGLATTACHSHADERPROC)                                                       \
    X(glDetachShader, PFNGLDETACHSHADERPROC)                                                       \
    X(glGetShaderiv, PFNGLGETSHADERIVPROC)                                                         \
    X(glGetShaderInfoLog, PFNGLGETSHADERINFOLOGPROC)                                               \
    X(glCreateProgram, PFNGLCREATEPROGRAMPROC)                                                     \
    X(glDeleteProgram, PFNGLDELETEPROGRAMPROC)                                                     \
    X(glLinkProgram, PFNGLLINKPROGRAMPROC)                                                         \
    X(glUseProgram, PFNGLUSEPROGRAMPROC)                                                           \
    X(glGetProgramiv, PFNGLGETPROGRAMIVPROC)                                                       \
    X(glGetProgramInfoLog, PFNGLGETPROGRAMINFOLOGPROC)                                             \
    X(glActiveTexture, PFNGLACTIVETEXTUREPROC)                                                     \
    X(glGetUniformLocation, PFNGLGETUNIFORMLOCATIONPROC)                                           \
    X(glUniform1f, PFNGLUNIFORM1FPROC)                                                             \
    X(glUniform2f, PFNGLUNIFORM2FPROC)                                                             \
    X(glUniform3f, PFNGLUNIFORM3FPROC)                                                             \
    X(glUniform4f, PFNGLUNIFORM4FPROC)                                                             \
    X(glUniform1i, PFNGLUNIFORM1IPROC)                                                             \
    X(glUniform2i, PFNGLUNIFORM2IPROC)                                                             \
    X(glUniform3i, PFNGLUNIFORM3IPROC)                                                             \
    X(glUniform4i, PFNGLUNIFORM4IPROC)                                                             \
    X(glUniformMatrix4fv, PFNGLUNIFORMMATRIX4FVPROC)                                               \
    X(glGenRenderbuffers, PFNGLGENRENDERBUFFERSPROC)                                               \
    X(glDeleteRenderbuffers, PFNGLDELETERENDERBUFFERSPROC)                                         \
    X(glBindRenderbuffer, PFNGLBINDRENDERBUFFERPROC)                                               \
    X(glRenderbufferStorage, PFNGLRENDERBUFFERSTORAGEPROC)                                         \
    X(glGenFramebuffers, PFNGLGENFRAMEBUFFERSPROC)                                                 \
    X(glDeleteFramebuffers, PFNGLDELETEFRAMEBUFFERSPROC)                                           \
    X(glBindFramebuffer, PFNGLBINDFRAMEBUFFERPROC)                                                 \
    X(glFramebufferTexture2D, PFNGLFRAMEBUFFERTEXTURE2DPROC)                                       \
    X(glFramebufferTextureLayer, PFNGLFRAMEBUFFERTEXTURELAYERPROC)                                 \
    X(glFramebufferRenderbuffer, PFNGLFRAMEBUFFERRENDERBUFFERPROC)                                 \
    X(glDrawBuffers, PFNGLDRAWBUFFERSPROC)                                                         \
    X(glGenBuffers, PFNGLGENBUFFERSPROC)                                                           \
    X(glDeleteBuffers, PFNGLDELETEBUFFERSPROC)                                                     \
    X(glBindBuffer, PFNGLBINDBUFFERPROC)                                                           \
    X(glBufferData, PFNGLBUFFERDATAPROC)                                                           \
    X(glClientActiveTexture, KelvoClientActiveTextureProc)

namespace Extensions
{
#define KELVO_DECLARE_SLOT(name, type) extern type name;
    KELVO_GL_ENTRY_POINTS(KELVO_DECLARE_SLOT)
#undef KELVO_DECLARE_SLOT

    constexpr int entryPointCount = 42;

    // Looks a GL function up by name in the current context; null when the driver lacks it.
    using Lookup = void* (*)(const char* name);

    // Fills the table through SDL_GL_GetProcAddress.
    void Load();

    // Fills the table through the given lookup, in table order, stopping at the first miss.
    void LoadWith(Lookup lookup);

    const char* EntryPointName(int index);
    void* EntryPointAddress(int index);

    // Empties the table again (tests only; the program loads once).
    void Reset();
}

// From here on the GL names mean the table's slots. The system header declares some of
// them (glActiveTexture, glTexImage3D, glClientActiveTexture) as plain functions of the
// GL library; those declarations come first, so the names below win in our code.
#define glTexImage3D ::Extensions::glTexImage3D
#define glCreateShader ::Extensions::glCreateShader
#define glDeleteShader ::Extensions::glDeleteShader
#define glShaderSource ::Extensions::glShaderSource
#define glCompileShader ::Extensions::glCompileShader
#define glAttachShader ::Extensions::glAttachShader
#define glDetachShader ::Extensions::glDetachShader
#define glGetShaderiv ::Extensions::glGetShaderiv
#define glGetShaderInfoLog ::Extensions::glGetShaderInfoLog
#define glCreateProgram ::Extensions::glCreateProgram
#define glDeleteProgram ::Extensions::glDeleteProgram
#define glLinkProgram ::Extensions::glLinkProgram
#define glUseProgram ::Extensions::glUseProgram
#define glGetProgramiv ::Extensions::glGetProgramiv
#define glGetProgramInfoLog ::Extensions::glGetProgramInfoLog
#define glActiveTexture ::Extensions::glActiveTexture
#define glGetUniformLocation ::Extensions::glGetUniformLocation
#define glUniform1f ::Extensions::glUniform1f
#define glUniform2f ::Extensions::glUniform2f
#define glUniform3f ::Extensions::glUniform3f
#define glUniform4f ::Extensions::glUniform4f
#define glUniform1i ::Extensions::glUniform1i
#define glUniform2i ::Extensions::glUniform2i
#define glUniform3i ::Extensions::glUniform3i
#define glUniform4i ::Extensions::glUniform4i
#define glUniformMatrix4fv ::Extensions::glUniformMatrix4fv
#define glGenRenderbuffers ::Extensions::glGenRenderbuffers
#define glDeleteRenderbuffers ::Extensions::glDeleteRenderbuffers
#define glBindRenderbuffer ::Extensions::glBindRenderbuffer
#define glRenderbufferStorage ::Extensions::glRenderbufferStorage
#define glGenFramebuffers ::Extensions::glGenFramebuffers
#define glDeleteFramebuffers ::Extensions::glDeleteFramebuffers
#define glBindFramebuffer ::Extensions::glBindFramebuffer
#define glFramebufferTexture2D ::Extensions::glFramebufferTexture2D
#define glFramebufferTextureLayer ::Extensions::glFramebufferTextureLayer
#define glFramebufferRenderbuffer ::Extensions::glFramebufferRenderbuffer
#define glDrawBuffers ::Extensions::glDrawBuffers
#define glGenBuffers ::Extensions::glGenBuffers
#define glDeleteBuffers ::Extensions::glDeleteBuffers
#define glBindBuffer ::Extensions::glBindBuffer
#define glBufferData ::Extensions::glBufferData
#define glClientActiveTexture ::Extensions::glClientActiveTexture
