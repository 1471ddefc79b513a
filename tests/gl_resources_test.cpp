// Shaders, programs, textures, cube textures and render targets on the real headless GL
// context: one GLWindow for the whole process, fixture files written to a temporary
// directory, results read back from GL itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <SDL.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include "CubeTexture.h"
#include "GL.h"
#include "GLContext.h"
#include "Program.h"
#include "RenderTarget.h"
#include "ScratchFolder.h"
#include "Shader.h"
#include "Texture.h"
#include "Window.h"
#include "Zemb/Exception.h"

namespace
{
    // GL queries the tests need beyond what the program itself calls.
    PFNGLGETUNIFORMFVPROC getUniformfv;
    PFNGLGETUNIFORMIVPROC getUniformiv;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
    PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC getAttachmentParameter;
    PFNGLISFRAMEBUFFERPROC isFramebuffer;
    PFNGLISRENDERBUFFERPROC isRenderbuffer;
    PFNGLISSHADERPROC isShader;
    PFNGLISPROGRAMPROC isProgram;

    template <typename T> void Fetch(T& slot, const char* name)
    {
        slot = reinterpret_cast<T>(SDL_GL_GetProcAddress(name));
        ASSERT_NE(slot, nullptr) << name;
    }

    class GLEnvironment : public ::testing::Environment
    {
    public:
        void SetUp() override
        {
            window.emplace("test", false, 1024, 768, 0);
            Extensions::Load();
            Fetch(getUniformfv, "glGetUniformfv");
            Fetch(getUniformiv, "glGetUniformiv");
            Fetch(checkFramebufferStatus, "glCheckFramebufferStatus");
            Fetch(getAttachmentParameter, "glGetFramebufferAttachmentParameteriv");
            Fetch(isFramebuffer, "glIsFramebuffer");
            Fetch(isRenderbuffer, "glIsRenderbuffer");
            Fetch(isShader, "glIsShader");
            Fetch(isProgram, "glIsProgram");
        }

        void TearDown() override { window.reset(); }

    private:
        std::optional<GLWindow> window;
    };

    ::testing::Environment* const glEnvironment = ::testing::AddGlobalTestEnvironment(new GLEnvironment);

    GLint GetInteger(GLenum name)
    {
        GLint value = 0;
        glGetIntegerv(name, &value);
        return value;
    }

    // Runs `body` and returns the message of the Zemb::Exception it throws; fails the test
    // when it throws nothing. The thrower's file goes to `file` when asked for.
    std::string MessageOf(const std::function<void()>& body, std::string* file = nullptr)
    {
        try
        {
            body();
        }
        catch (const Zemb::Exception& e)
        {
            if (file != nullptr)
                *file = e.GetFile().CStr();
            return e.GetMessage().CStr();
        }
        ADD_FAILURE() << "no Zemb::Exception thrown";
        return "";
    }

    class GLResourcesTest : public ::testing::Test
    {
    protected:
        void SetUp() override
        {
            ASSERT_FALSE(directory.empty());
            ASSERT_TRUE(GLContextIsCurrent());
            while (glGetError() != GL_NO_ERROR)
            {
            }
        }

        void TearDown() override
        {
            EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        }

        std::string Path(const char* name) const { return directory + "/" + name; }

        std::string Write(const char* name, const std::string& text) const
        {
            return scratch.Write(name, text);
        }

        ScratchFolder scratch{"kelvo_gl"};
        const std::string directory = scratch.Path().string();
    };

    const char* const passThroughVertex = "#version 110\nvoid main() { gl_Position = gl_Vertex; }\n";

    // The driver's own log for a source, compiled here without the class under test.
    std::string CompileLog(GLenum type, const std::string& source)
    {
        GLuint id = glCreateShader(type);
        const GLchar* text = source.c_str();
        glShaderSource(id, 1, &text, nullptr);
        glCompileShader(id);
        GLint length = 0;
        glGetShaderiv(id, GL_INFO_LOG_LENGTH, &length);
        std::vector<GLchar> log(static_cast<size_t>(length) + 1);
        glGetShaderInfoLog(id, static_cast<GLsizei>(log.size()), nullptr, log.data());
        glDeleteShader(id);
        return log.data();
    }

    struct Pixel
    {
        unsigned char r, g, b, a;
        bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
    };

    std::ostream& operator<<(std::ostream& out, const Pixel& p)
    {
        return out << "(" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a) << ")";
    }

    // Level 0 of a bound texture target (GL_TEXTURE_2D or one cube face) as RGBA rows, row 0 first.
    std::vector<Pixel> ReadImage(GLenum target, int* width = nullptr, int* height = nullptr)
    {
        GLint w = 0, h = 0;
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_HEIGHT, &h);
        std::vector<Pixel> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(target, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        if (width != nullptr)
            *width = w;
        if (height != nullptr)
            *height = h;
        return pixels;
    }

    std::vector<Pixel> ReadTexture(GLuint id, int* width = nullptr, int* height = nullptr)
    {
        glBindTexture(GL_TEXTURE_2D, id);
        std::vector<Pixel> pixels = ReadImage(GL_TEXTURE_2D, width, height);
        glBindTexture(GL_TEXTURE_2D, 0);
        return pixels;
    }
}

// ---------------------------------------------------------------------------------------
// Shaders and programs

class ShaderTest : public GLResourcesTest
{
};

TEST_F(ShaderTest, LinksUsesAndSetsUniformsByName)
{
    std::string fragment = "#version 110\n"
                           "uniform float level;\n"
                           "uniform int unit;\n"
                           "uniform mat4 transform;\n"
                           "void main() { gl_FragColor = transform * vec4(level, float(unit), 0.0, 1.0); }\n";
    Shader vertexShader(Write("a.vert", passThroughVertex).c_str(), GL_VERTEX_SHADER);
    Shader fragmentShader(Write("a.frag", fragment).c_str(), GL_FRAGMENT_SHADER);
    EXPECT_EQ(vertexShader.GetType(), static_cast<GLenum>(GL_VERTEX_SHADER));
    EXPECT_EQ(fragmentShader.GetType(), static_cast<GLenum>(GL_FRAGMENT_SHADER));

    Program program(&vertexShader, &fragmentShader);
    program.Use();
    EXPECT_EQ(GetInteger(GL_CURRENT_PROGRAM), static_cast<GLint>(program.GetId()));

    const float matrix[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    program.SetUniform("level", 0.75f);
    program.SetUniform("unit", 3);
    program.SetUniform("transform", matrix);
    program.SetUniform("notInTheProgram", 1.0f); // location -1: sets nothing, reports nothing
    program.SetUniform("notInTheProgram", 1);
    program.SetUniform("notInTheProgram", matrix);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    GLfloat level = 0;
    GLint unit = 0;
    GLfloat transform[16] = {};
    getUniformfv(program.GetId(), glGetUniformLocation(program.GetId(), "level"), &level);
    getUniformiv(program.GetId(), glGetUniformLocation(program.GetId(), "unit"), &unit);
    getUniformfv(program.GetId(), glGetUniformLocation(program.GetId(), "transform"), transform);
    EXPECT_EQ(level, 0.75f);
    EXPECT_EQ(unit, 3);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(transform[i], matrix[i]) << "element " << i << " (column-major, not transposed)";

    Program::Unuse();
    EXPECT_EQ(GetInteger(GL_CURRENT_PROGRAM), 0);
}

TEST_F(ShaderTest, DestructorsDeleteTheirObjects)
{
    Shader* vertexShader = new Shader(Write("a.vert", passThroughVertex).c_str(), GL_VERTEX_SHADER);
    Shader* fragmentShader =
        new Shader(Write("a.frag", "#version 110\nvoid main() { gl_FragColor = vec4(1.0); }\n").c_str(),
                   GL_FRAGMENT_SHADER);
    Program* program = new Program(vertexShader, fragmentShader);
    GLuint programId = program->GetId(), vertexId = vertexShader->GetId(),
           fragmentId = fragmentShader->GetId();

    // A shader may go before the program that uses it: GL keeps it while it is attached.
    delete vertexShader;
    delete fragmentShader;
    program->Use();
    delete program;
    EXPECT_EQ(GetInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_FALSE(isProgram(programId));
    EXPECT_FALSE(isShader(vertexId));
    EXPECT_FALSE(isShader(fragmentId));
}

TEST_F(ShaderTest, CompileFailureCarriesTheDriverLog)
{
    struct Case
    {
        GLenum type;
        const char* source;
    };
    const Case cases[] = {
        {GL_VERTEX_SHADER, "#version 110\nvoid main() { gl_Position = undeclared; }\n"},
        {GL_FRAGMENT_SHADER, "#version 110\nvoid main() { gl_FragColor = vec4(1.0) }\n"},
        // An empty file reaches the driver as empty text, which is no translation unit.
        {GL_FRAGMENT_SHADER, ""},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.source);
        std::string log = CompileLog(c.type, c.source);
        ASSERT_FALSE(log.empty());
        std::string path = Write("broken.glsl", c.source);
        std::string file;
        std::string message = MessageOf([&] { Shader shader(path.c_str(), c.type); }, &file);
        EXPECT_EQ(message, "Shader compile failed:\n" + log);
        EXPECT_EQ(file, "src/Shader.cpp");
    }
}

TEST_F(ShaderTest, LongCompileLogIsCutTo4095Characters)
{
    std::string source = "#version 110\nvoid main()\n{\n";
    for (int i = 0; i < 300; ++i)
        source += "    float value" + std::to_string(i) + " = vec3(1.0);\n";
    source += "    gl_FragColor = vec4(1.0);\n}\n";
    std::string log = CompileLog(GL_FRAGMENT_SHADER, source);
    ASSERT_GT(log.size(), 4095u) << "the driver must report enough errors for this test";

    std::string path = Write("long.frag", source);
    std::string message = MessageOf([&] { Shader shader(path.c_str(), GL_FRAGMENT_SHADER); });
    EXPECT_EQ(message, "Shader compile failed:\n" + log.substr(0, 4095));
}

TEST_F(ShaderTest, LinkFailureCarriesTheDriverLog)
{
    // Declared, never defined: compiles, cannot link.
    std::string fragment =
        "#version 110\nfloat missing();\nvoid main() { gl_FragColor = vec4(missing()); }\n";
    Shader vertexShader(Write("a.vert", passThroughVertex).c_str(), GL_VERTEX_SHADER);
    Shader fragmentShader(Write("a.frag", fragment).c_str(), GL_FRAGMENT_SHADER);

    GLuint reference = glCreateProgram();
    glAttachShader(reference, vertexShader.GetId());
    glAttachShader(reference, fragmentShader.GetId());
    glLinkProgram(reference);
    GLchar log[16384] = {};
    glGetProgramInfoLog(reference, sizeof(log), nullptr, log);
    glDeleteProgram(reference);
    ASSERT_GT(std::strlen(log), 0u);

    std::string file;
    std::string message = MessageOf([&] { Program program(&vertexShader, &fragmentShader); }, &file);
    EXPECT_EQ(message, std::string("Program link failed:\n") + log);
    EXPECT_EQ(file, "src/Program.cpp");
}

TEST_F(ShaderTest, TypeIsCheckedBeforeTheFileIsRead)
{
    const GLenum badTypes[] = {0, GL_GEOMETRY_SHADER, GL_COMPUTE_SHADER, GL_TEXTURE_2D};
    for (GLenum type : badTypes)
    {
        SCOPED_TRACE(type);
        std::string file;
        EXPECT_EQ(MessageOf([&] { Shader shader(Path("absent.glsl").c_str(), type); }, &file),
                  "Invalid shader type specified");
        EXPECT_EQ(file, "src/Shader.cpp");
    }
}

TEST_F(ShaderTest, MissingFileGivesTheFileMessage)
{
    std::string path = Path("absent.vert");
    std::string file;
    EXPECT_EQ(MessageOf([&] { Shader shader(path.c_str(), GL_VERTEX_SHADER); }, &file),
              "Could not open input file: \"" + path + "\"");
    EXPECT_EQ(file, "src/File.cpp");
}

TEST_F(ShaderTest, SourceEndsAtItsFirstNulByte)
{
    // Everything after the NUL would break the compile if it reached the driver.
    std::string source =
        std::string("#version 110\nvoid main() { gl_Position = gl_Vertex; }\n") + '\0' + "this is not GLSL";
    Shader shader(Write("nul.vert", source).c_str(), GL_VERTEX_SHADER);
    GLint status = GL_FALSE;
    glGetShaderiv(shader.GetId(), GL_COMPILE_STATUS, &status);
    EXPECT_EQ(status, GL_TRUE);
}

TEST_F(ShaderTest, NullShaderFailsBeforeAnyGLCall)
{
    Shader vertexShader(Write("a.vert", passThroughVertex).c_str(), GL_VERTEX_SHADER);
    Shader fragmentShader(
        Write("a.frag", "#version 110\nvoid main() { gl_FragColor = vec4(1.0); }\n").c_str(),
        GL_FRAGMENT_SHADER);
    struct Case
    {
        Shader* vertex;
        Shader* fragment;
    };
    const Case cases[] = {{&vertexShader, nullptr}, {nullptr, &fragmentShader}, {nullptr, nullptr}};

    // With the entry points emptied any GL call of the program would crash the test.
    Extensions::Reset();
    std::vector<std::string> messages;
    for (const Case& c : cases)
        messages.push_back(MessageOf([&] { Program program(c.vertex, c.fragment); }));
    Extensions::Load();

    for (const std::string& message : messages)
        EXPECT_EQ(message, "Invalid vertex or fragment shader.");
}

// ---------------------------------------------------------------------------------------
// Textures

class TextureTest : public GLResourcesTest
{
};

TEST_F(TextureTest, EveryChannelLayoutArrivesAsRgba)
{
    // 3 x 2 pixels, every one different, so a flip or a channel shift shows.
    const int width = 3, height = 2;
    const Pixel source[width * height] = {{10, 20, 30, 40},     {50, 60, 70, 80},     {90, 100, 110, 120},
                                          {130, 140, 150, 160}, {170, 180, 190, 200}, {210, 220, 230, 250}};
    struct Case
    {
        const char* name;
        int components;
        bool jpeg;
        std::function<Pixel(const Pixel&)> expected;
    };
    const Case cases[] = {
        {"rgba.png", 4, false, [](const Pixel& p) { return p; }},
        {"rgb.png", 3, false,
         [](const Pixel& p) {
             return Pixel{p.r, p.g, p.b, 255};
         }},
        {"grey.png", 1, false,
         [](const Pixel& p) {
             return Pixel{p.r, p.r, p.r, 255};
         }},
        {"greyalpha.png", 2, false,
         [](const Pixel& p) {
             return Pixel{p.r, p.r, p.r, p.g};
         }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<unsigned char> bytes;
        for (const Pixel& p : source)
        {
            const unsigned char channels[4] = {p.r, p.g, p.b, p.a};
            bytes.insert(bytes.end(), channels, channels + c.components);
        }
        std::string path = Path(c.name);
        ASSERT_NE(
            stbi_write_png(path.c_str(), width, height, c.components, bytes.data(), width * c.components), 0);

        Texture texture(path.c_str());
        EXPECT_EQ(texture.GetWidth(), width);
        EXPECT_EQ(texture.GetHeight(), height);
        EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), 0);
        int w = 0, h = 0;
        std::vector<Pixel> pixels = ReadTexture(texture.GetId(), &w, &h);
        ASSERT_EQ(w, width);
        ASSERT_EQ(h, height);
        for (int i = 0; i < width * height; ++i)
            EXPECT_EQ(pixels[i], c.expected(source[i])) << "pixel " << i;
    }
}

TEST_F(TextureTest, JpegArrivesOpaque)
{
    // A flat colour survives the lossy coding almost exactly; alpha must be exactly 255.
    const int width = 16, height = 16;
    std::vector<unsigned char> bytes;
    for (int i = 0; i < width * height; ++i)
        bytes.insert(bytes.end(), {200, 100, 50});
    std::string path = Path("flat.jpg");
    ASSERT_NE(stbi_write_jpg(path.c_str(), width, height, 3, bytes.data(), 100), 0);

    Texture texture(path.c_str());
    std::vector<Pixel> pixels = ReadTexture(texture.GetId());
    ASSERT_EQ(pixels.size(), static_cast<size_t>(width * height));
    for (const Pixel& p : pixels)
    {
        EXPECT_NEAR(p.r, 200, 4);
        EXPECT_NEAR(p.g, 100, 4);
        EXPECT_NEAR(p.b, 50, 4);
        ASSERT_EQ(p.a, 255);
    }
}

TEST_F(TextureTest, FiltersAreLinearWithoutMipmapsAndWrapIsDefault)
{
    const unsigned char pixel[4] = {1, 2, 3, 4};
    std::string path = Path("one.png");
    ASSERT_NE(stbi_write_png(path.c_str(), 1, 1, 4, pixel, 4), 0);
    Texture fromFile(path.c_str());
    Texture empty(320, 200);

    for (const Texture* texture : {&fromFile, &empty})
    {
        glBindTexture(GL_TEXTURE_2D, texture->GetId());
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
        EXPECT_EQ(value, GL_REPEAT);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &value);
        EXPECT_EQ(value, GL_REPEAT);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &value);
        EXPECT_EQ(value, GL_RGBA);
        glBindTexture(GL_TEXTURE_2D, 0);
    }

    EXPECT_EQ(empty.GetWidth(), 320);
    EXPECT_EQ(empty.GetHeight(), 200);
    int w = 0, h = 0;
    ReadTexture(empty.GetId(), &w, &h);
    EXPECT_EQ(w, 320);
    EXPECT_EQ(h, 200);
}

TEST_F(TextureTest, UndecodableFileNamesThePath)
{
    Write("notes.png", "this is not an image");
    Write("empty.png", "");
    const char* const names[] = {"absent.png", "notes.png", "empty.png"};
    for (const char* name : names)
    {
        SCOPED_TRACE(name);
        std::string path = Path(name);
        std::string file;
        EXPECT_EQ(MessageOf([&] { Texture texture(path.c_str()); }, &file),
                  "Could not load texture \"" + path + "\"");
        EXPECT_EQ(file, "src/Texture.cpp");
        EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), 0);
    }
}

TEST_F(TextureTest, DestructorDeletesTheTexture)
{
    Texture* texture = new Texture(4, 4);
    GLuint id = texture->GetId();
    ASSERT_TRUE(glIsTexture(id));
    delete texture;
    EXPECT_FALSE(glIsTexture(id));
}

// ---------------------------------------------------------------------------------------
// Cube textures

namespace
{
    // A pixel of the cross image's grid that names its cell and its place in the cell, so a
    // face read back shows where each of its pixels came from.
    Pixel GridPixel(int x, int y, int cellWidth, int cellHeight)
    {
        int column = x / cellWidth, row = y / cellHeight;
        int localX = x % cellWidth, localY = y % cellHeight;
        return Pixel{static_cast<unsigned char>(20 * (row * 3 + column) + 5),
                     static_cast<unsigned char>(localX & 255), static_cast<unsigned char>(localY & 255),
                     static_cast<unsigned char>(200 + (localX >> 8) + 4 * (localY >> 8))};
    }

    const Pixel outsideGrid = {255, 0, 255, 255};

    // Writes a cross of the given size whose grid cells are cellWidth x cellHeight; pixels
    // beyond the grid are magenta.
    void WriteCross(const std::string& path, int width, int height, int cellWidth, int cellHeight)
    {
        std::vector<Pixel> image(static_cast<size_t>(width) * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image[static_cast<size_t>(y) * width + x] = (x < 3 * cellWidth && y < 4 * cellHeight)
                                                                ? GridPixel(x, y, cellWidth, cellHeight)
                                                                : outsideGrid;
        ASSERT_NE(stbi_write_png(path.c_str(), width, height, 4, image.data(), width * 4), 0);
    }

    std::vector<Pixel> ReadFace(const CubeTexture& texture, int face, int* width, int* height)
    {
        glBindTexture(GL_TEXTURE_CUBE_MAP, texture.GetId());
        std::vector<Pixel> pixels = ReadImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, width, height);
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
        return pixels;
    }

    // Compares every face with its cell of the vertical cross; -Z is the bottom cell turned
    // by 180 degrees.
    void ExpectCrossFaces(const CubeTexture& texture, int size)
    {
        struct Face
        {
            const char* name;
            int column, row;
        };
        const Face faces[6] = {{"+X", 2, 1}, {"-X", 0, 1}, {"+Y", 1, 0},
                               {"-Y", 1, 2}, {"+Z", 1, 1}, {"-Z", 1, 3}};
        for (int f = 0; f < 6; ++f)
        {
            SCOPED_TRACE(faces[f].name);
            int w = 0, h = 0;
            std::vector<Pixel> pixels = ReadFace(texture, f, &w, &h);
            ASSERT_EQ(w, size);
            ASSERT_EQ(h, size);
            int mismatches = 0;
            for (int r = 0; r < size && mismatches < 5; ++r)
                for (int c = 0; c < size && mismatches < 5; ++c)
                {
                    Pixel expected =
                        f == 5 ? GridPixel(size + size - 1 - c, 4 * size - 1 - r, size, size)
                               : GridPixel(faces[f].column * size + c, faces[f].row * size + r, size, size);
                    Pixel actual = pixels[static_cast<size_t>(r) * size + c];
                    if (!(actual == expected))
                    {
                        ++mismatches;
                        ADD_FAILURE()
                            << "row " << r << " column " << c << ": " << actual << " expected " << expected;
                    }
                }
        }
    }
}

class CubeTextureTest : public GLResourcesTest
{
};

TEST_F(CubeTextureTest, CutsTheSixFacesFromAVerticalCross)
{
    struct Case
    {
        int width, height, face;
    };
    // Full-size crosses as the demo's own, with and without remainders that must be ignored.
    const Case cases[] = {{12, 16, 4}, {14, 19, 4}, {1200, 1600, 400}, {1202, 1603, 400}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        std::string path = Path("cross.png");
        WriteCross(path, c.width, c.height, c.face, c.face);
        CubeTexture texture(path.c_str());
        EXPECT_EQ(texture.GetWidth(), c.width);
        EXPECT_EQ(texture.GetHeight(), c.height);
        EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_CUBE_MAP), 0);
        ExpectCrossFaces(texture, c.face);
    }
}

TEST_F(CubeTextureTest, NegativeZIsTheBottomCellUpsideDown)
{
    // An arrow pointing up in the bottom cell: a column with its tip at the cell's top,
    // slightly left of centre so that a mirror alone does not pass.
    const int size = 8;
    std::vector<Pixel> image(static_cast<size_t>(3 * size) * (4 * size), Pixel{0, 0, 0, 255});
    auto at = [&](int x, int y) -> Pixel& { return image[static_cast<size_t>(y) * 3 * size + x]; };
    for (int y = 3 * size + 1; y < 4 * size; ++y)
        at(size + 2, y) = Pixel{255, 255, 255, 255};
    at(size + 2, 3 * size) = Pixel{255, 0, 0, 255};         // the tip
    at(2 * size - 1, 4 * size - 1) = Pixel{0, 0, 255, 255}; // the cell's bottom-right pixel
    std::string path = Path("arrow.png");
    ASSERT_NE(stbi_write_png(path.c_str(), 3 * size, 4 * size, 4, image.data(), 3 * size * 4), 0);

    CubeTexture texture(path.c_str());
    int w = 0, h = 0;
    std::vector<Pixel> face = ReadFace(texture, 5, &w, &h);
    ASSERT_EQ(w, size);
    auto faceAt = [&](int c, int r) { return face[static_cast<size_t>(r) * size + c]; };
    EXPECT_EQ(faceAt(0, 0), (Pixel{0, 0, 255, 255})) << "first pixel is the cell's bottom-right one";
    EXPECT_EQ(faceAt(size - 1 - 2, size - 1), (Pixel{255, 0, 0, 255})) << "the tip points down, mirrored";
    for (int r = 0; r < size - 1; ++r)
        EXPECT_EQ(faceAt(size - 1 - 2, r), (Pixel{255, 255, 255, 255})) << "row " << r;
}

TEST_F(CubeTextureTest, NonSquareCellsStopAtTheFirstUpload)
{
    std::string path = Path("flat.png");
    WriteCross(path, 30, 32, 10, 8); // cells of 10 x 8
    std::string file;
    EXPECT_EQ(MessageOf([&] { CubeTexture texture(path.c_str()); }, &file),
              std::string("GL error has occurred: ") +
                  reinterpret_cast<const char*>(gluErrorString(GL_INVALID_VALUE)));
    EXPECT_EQ(file, "src/CubeTexture.cpp");
    // The half-made texture was deleted on the way out, which also unbinds it.
    EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_CUBE_MAP), 0);
}

TEST_F(CubeTextureTest, ErrorPendingBeforeTheFirstUploadIsReported)
{
    std::string path = Path("cross.png");
    WriteCross(path, 12, 16, 4, 4);
    glEnable(0x7FFF); // not a capability: leaves GL_INVALID_ENUM pending
    EXPECT_EQ(MessageOf([&] { CubeTexture texture(path.c_str()); }),
              std::string("GL error has occurred: ") +
                  reinterpret_cast<const char*>(gluErrorString(GL_INVALID_ENUM)));
}

TEST_F(CubeTextureTest, UndecodableFileNamesThePath)
{
    Write("notes.jpg", "not a JPEG");
    for (const char* name : {"absent.jpg", "notes.jpg"})
    {
        SCOPED_TRACE(name);
        std::string path = Path(name);
        std::string file;
        EXPECT_EQ(MessageOf([&] { CubeTexture texture(path.c_str()); }, &file),
                  "Could not load texture \"" + path + "\"");
        EXPECT_EQ(file, "src/CubeTexture.cpp");
    }
}

TEST_F(CubeTextureTest, FiltersAreLinearAndNothingStaysBound)
{
    std::string path = Path("cross.png");
    WriteCross(path, 12, 16, 4, 4);
    CubeTexture* texture = new CubeTexture(path.c_str());
    EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_CUBE_MAP), 0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture->GetId());
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(value, GL_LINEAR);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

    GLuint id = texture->GetId();
    delete texture;
    EXPECT_FALSE(glIsTexture(id));
}

// ---------------------------------------------------------------------------------------
// Render targets

namespace
{
    int renderbufferDeletions = 0;
    PFNGLDELETERENDERBUFFERSPROC realDeleteRenderbuffers = nullptr;

    void APIENTRY CountingDeleteRenderbuffers(GLsizei n, const GLuint* names)
    {
        ++renderbufferDeletions;
        realDeleteRenderbuffers(n, names);
    }

    GLint Attachment(GLenum attachment, GLenum parameter)
    {
        GLint value = 0;
        getAttachmentParameter(GL_FRAMEBUFFER, attachment, parameter, &value);
        return value;
    }
}

class RenderTargetTest : public GLResourcesTest
{
protected:
    // Draws the full-screen rectangle in opaque white through a shader program.
    void FillViewport()
    {
        Shader vertexShader(Write("fill.vert", passThroughVertex).c_str(), GL_VERTEX_SHADER);
        Shader fragmentShader(
            Write("fill.frag", "#version 110\nvoid main() { gl_FragColor = vec4(1.0); }\n").c_str(),
            GL_FRAGMENT_SHADER);
        Program program(&vertexShader, &fragmentShader);
        program.Use();
        DrawFullScreenQuad();
        Program::Unuse();
    }

    void ClearTarget(RenderTarget& target)
    {
        target.Bind();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
};

TEST_F(RenderTargetTest, BuildsAFramebufferAndLeavesNothingBound)
{
    for (bool withDepth : {false, true})
    {
        SCOPED_TRACE(withDepth ? "with depth" : "without depth");
        RenderTarget target(1280, 720, withDepth);
        EXPECT_EQ(GetInteger(GL_FRAMEBUFFER_BINDING), 0);
        EXPECT_EQ(GetInteger(GL_RENDERBUFFER_BINDING), 0);
        EXPECT_EQ(GetInteger(GL_TEXTURE_BINDING_2D), 0);

        Texture* colour = target.GetTexture(0);
        ASSERT_NE(colour, nullptr);
        EXPECT_EQ(colour->GetWidth(), 1280);
        EXPECT_EQ(colour->GetHeight(), 720);
        EXPECT_EQ(target.GetWidth(), 1280);
        EXPECT_EQ(target.GetHeight(), 720);

        target.Bind();
        EXPECT_NE(GetInteger(GL_FRAMEBUFFER_BINDING), 0);
        EXPECT_EQ(checkFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        EXPECT_EQ(GetInteger(GL_DRAW_BUFFER0), GL_COLOR_ATTACHMENT0);
        EXPECT_EQ(Attachment(GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_TEXTURE);
        EXPECT_EQ(Attachment(GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME),
                  static_cast<GLint>(colour->GetId()));
        EXPECT_EQ(Attachment(GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_RED_SIZE), 8);
        EXPECT_EQ(Attachment(GL_COLOR_ATTACHMENT0, GL_FRAMEBUFFER_ATTACHMENT_ALPHA_SIZE), 8);
        if (withDepth)
        {
            EXPECT_EQ(Attachment(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE),
                      GL_RENDERBUFFER);
            EXPECT_EQ(Attachment(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE), 24);
        }
        else
            EXPECT_EQ(Attachment(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_NONE);
        EXPECT_EQ(Attachment(GL_STENCIL_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE), GL_NONE);
        RenderTarget::Unbind();
        EXPECT_EQ(GetInteger(GL_FRAMEBUFFER_BINDING), 0);
    }
}

TEST_F(RenderTargetTest, AskingForAMissingColourTextureThrows)
{
    RenderTarget target(16, 16, false);
    for (int i : {-1, 1, 8})
        EXPECT_FALSE(MessageOf([&] { target.GetTexture(i); }).empty()) << i;
}

TEST_F(RenderTargetTest, DestructionReleasesExactlyWhatWasMade)
{
    realDeleteRenderbuffers = glDeleteRenderbuffers;
    glDeleteRenderbuffers = CountingDeleteRenderbuffers;
    for (bool withDepth : {false, true})
    {
        SCOPED_TRACE(withDepth ? "with depth" : "without depth");
        renderbufferDeletions = 0;
        RenderTarget* target = new RenderTarget(64, 32, withDepth);
        GLuint texture = target->GetTexture(0)->GetId();
        target->Bind();
        GLuint framebuffer = static_cast<GLuint>(GetInteger(GL_FRAMEBUFFER_BINDING));
        GLuint depth =
            static_cast<GLuint>(Attachment(GL_DEPTH_ATTACHMENT, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME));
        RenderTarget::Unbind();

        delete target;
        EXPECT_FALSE(isFramebuffer(framebuffer));
        EXPECT_FALSE(glIsTexture(texture));
        EXPECT_EQ(renderbufferDeletions, withDepth ? 1 : 0);
        if (withDepth)
        {
            EXPECT_FALSE(isRenderbuffer(depth));
        }
    }
    glDeleteRenderbuffers = realDeleteRenderbuffers;
}

TEST_F(RenderTargetTest, BindingKeepsTheViewport)
{
    RenderTarget target(1280, 720, true);
    glViewport(0, 0, 1024, 768);
    target.Bind();
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);
    RenderTarget::Unbind();
}

TEST_F(RenderTargetTest, FullScreenQuadCoversTheViewport)
{
    struct Case
    {
        int width, height; // of the target
        int viewportWidth, viewportHeight;
    };
    const Case cases[] = {{128, 128, 128, 128}, {1280, 720, 1024, 768}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " target, " +
                     std::to_string(c.viewportWidth) + " x " + std::to_string(c.viewportHeight) +
                     " viewport");
        RenderTarget target(c.width, c.height, false);
        ClearTarget(target);
        glViewport(0, 0, c.viewportWidth, c.viewportHeight);
        FillViewport();
        RenderTarget::Unbind();

        int w = 0, h = 0;
        std::vector<Pixel> pixels = ReadTexture(target.GetTexture(0)->GetId(), &w, &h);
        ASSERT_EQ(w, c.width);
        ASSERT_EQ(h, c.height);
        // Texture row 0 is the framebuffer's bottom row, so the viewport is the lower-left block.
        int written = 0, wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
            {
                bool inside = x < c.viewportWidth && y < c.viewportHeight;
                const Pixel& p = pixels[static_cast<size_t>(y) * w + x];
                bool white = p == Pixel{255, 255, 255, 255};
                written += white ? 1 : 0;
                if (white != inside || (!white && !(p == Pixel{0, 0, 0, 0})))
                    ++wrong;
            }
        int expected = std::min(c.width, c.viewportWidth) * std::min(c.height, c.viewportHeight);
        EXPECT_EQ(written, expected);
        EXPECT_EQ(wrong, 0);
    }
}

// ---------------------------------------------------------------------------------------
// Teardown at process exit

TEST_F(GLResourcesTest, DestructorsTouchNoGLWithoutACurrentContext)
{
    std::string cross = Path("cross.png");
    WriteCross(cross, 12, 16, 4, 4);
    Shader* vertexShader = new Shader(Write("a.vert", passThroughVertex).c_str(), GL_VERTEX_SHADER);
    Shader* fragmentShader =
        new Shader(Write("a.frag", "#version 110\nvoid main() { gl_FragColor = vec4(1.0); }\n").c_str(),
                   GL_FRAGMENT_SHADER);
    Program* program = new Program(vertexShader, fragmentShader);
    Texture* texture = new Texture(8, 8);
    CubeTexture* cubeTexture = new CubeTexture(cross.c_str());
    RenderTarget* target = new RenderTarget(32, 32, true);
    GLuint programId = program->GetId(), textureId = texture->GetId();

    SDL_Window* window = SDL_GL_GetCurrentWindow();
    SDL_GLContext context = SDL_GL_GetCurrentContext();
    ASSERT_EQ(SDL_GL_MakeCurrent(window, nullptr), 0);
    ASSERT_FALSE(GLContextIsCurrent());
    // As at exit, after the window is gone: any call through the table would crash here.
    Extensions::Reset();
    delete target;
    delete cubeTexture;
    delete texture;
    delete program;
    delete fragmentShader;
    delete vertexShader;
    ASSERT_EQ(SDL_GL_MakeCurrent(window, context), 0);
    Extensions::Load();

    // Nothing was deleted: the objects are the context's to drop when it goes.
    EXPECT_TRUE(isProgram(programId));
    EXPECT_TRUE(glIsTexture(textureId));
    glDeleteProgram(programId);
    glDeleteTextures(1, &textureId);
}
