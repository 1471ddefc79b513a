// Window and GLWindow on SDL2. The window "class" of the original design is our hold on
// SDL's video subsystem: one window of ours at a time. A full-screen window switches
// the display to its own mode, and SDL gives the desktop its mode back on destruction.
#include "Window.h"

#include "Input.h"
#include "Zemb/Exception.h"

namespace
{
    bool classRegistered = false;

    // With no display at all SDL falls back to drawing into memory. The demo would then run
    // unseen, so that fallback counts only when the user asked for it by name.
    bool InvisibleWithoutAsking()
    {
        const char* driver = SDL_GetCurrentVideoDriver();
        bool invisible = driver != nullptr && (SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0);
        return invisible && SDL_getenv("SDL_VIDEODRIVER") == nullptr;
    }

    // The display mode closest to the request, accepted only if it is exactly that size
    // with 32-bit pixels.
    bool FindFullscreenMode(int width, int height, SDL_DisplayMode& mode)
    {
        SDL_DisplayMode wanted = {SDL_PIXELFORMAT_RGB888, width, height, 0, nullptr};
        if (SDL_GetClosestDisplayMode(0, &wanted, &mode) == nullptr)
            return false;
        return mode.w == width && mode.h == height && SDL_BYTESPERPIXEL(mode.format) == 4;
    }
}

Window::Window()
    : creationFlags(0), open(false), handle(nullptr), videoStarted(false), x(0), y(0), width(0), height(0),
      style(0), fullscreen(false)
{
}

Window::~Window() { Window::Close(); }

void Window::Create(const char* title, bool fullscreen, int width, int height, uint32_t style)
{
    this->style = style;
    this->width = width;
    this->height = height;
    this->fullscreen = fullscreen;

    if (classRegistered)
        ZEMB_THROW("Could not register window class");
    if (!videoStarted)
    {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
            ZEMB_THROW(Zemb::String("Could not open a display: ") + SDL_GetError());
        videoStarted = true;
        if (InvisibleWithoutAsking())
        {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            videoStarted = false;
            ZEMB_THROW("Could not open a display: none was found (SDL_VIDEODRIVER=offscreen runs headless)");
        }
    }
    classRegistered = true;

    uint32_t flags = creationFlags | SDL_WINDOW_HIDDEN;
    SDL_DisplayMode mode;
    if (fullscreen)
    {
        if (!FindFullscreenMode(width, height, mode))
            ZEMB_THROW("Could not create fullscreen window");
        handle = SDL_CreateWindow(title, 0, 0, width, height, flags);
        if (handle == nullptr)
            ZEMB_THROW("Could not create window");
        if (SDL_SetWindowDisplayMode(handle, &mode) != 0 ||
            SDL_SetWindowFullscreen(handle, SDL_WINDOW_FULLSCREEN) != 0)
        {
            SDL_DestroyWindow(handle);
            handle = nullptr;
            ZEMB_THROW("Could not create fullscreen window");
        }
        SDL_ShowCursor(SDL_DISABLE);
    }
    else
    {
        // SDL sizes are client sizes already: the frame is added by the window manager.
        handle = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height, flags);
        if (handle == nullptr)
            ZEMB_THROW("Could not create window");
    }

    SDL_GetWindowPosition(handle, &x, &y);
    SDL_ShowWindow(handle);
    SDL_RaiseWindow(handle);
    open = true;
}

void Window::Close()
{
    if (!open && handle == nullptr && !videoStarted)
        return;
    if (handle != nullptr)
    {
        if (fullscreen)
            SDL_ShowCursor(SDL_ENABLE);
        SDL_DestroyWindow(handle);
        handle = nullptr;
    }
    if (videoStarted)
    {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        videoStarted = false;
        classRegistered = false;
    }
    open = false;
}

void Window::Update()
{
    SDL_Event event;
    while (SDL_PollEvent(&event))
    {
        Input::NoteEvent(event);
        if (event.type == SDL_WINDOWEVENT && handle != nullptr && event.window.windowID == SDL_GetWindowID(handle))
            HandleMessage(event);
    }
}

void Window::SetTitle(const char* text)
{
    if (open)
        SDL_SetWindowTitle(handle, text);
}

void Window::SetSize(int width, int height)
{
    this->width = width;
    this->height = height;
    if (handle != nullptr)
        SDL_SetWindowSize(handle, width, height);
}

bool Window::IsOpen() { return open; }

int Window::GetWidth() { return width; }

int Window::GetHeight() { return height; }

float Window::GetAspectRatio() { return static_cast<float>(width) / static_cast<float>(height); }

void Window::HandleMessage(const SDL_Event& event)
{
    switch (event.window.event)
    {
    case SDL_WINDOWEVENT_MOVED:
        x = event.window.data1;
        y = event.window.data2;
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        width = event.window.data1;
        height = event.window.data2;
        break;
    case SDL_WINDOWEVENT_CLOSE:
        // The window stays open; the frame loop ends the run at its next poll.
        Input::RequestQuit();
        break;
    default:
        break;
    }
}

GLWindow::GLWindow(const char* title, bool fullscreen, int width, int height, uint32_t style)
    : renderContext(nullptr), swapSynchronised(false)
{
    creationFlags = SDL_WINDOW_OPENGL;
    GLWindow::Create(title, fullscreen, width, height, style);
}

GLWindow::~GLWindow() { GLWindow::Close(); }

void GLWindow::Create(const char* title, bool fullscreen, int width, int height, uint32_t style)
{
    // The attributes must be set before the window exists: they choose its visual.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        ZEMB_THROW(Zemb::String("Could not open a display: ") + SDL_GetError());
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    try
    {
        Window::Create(title, fullscreen, width, height, style);
    }
    catch (...)
    {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        throw;
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO); // the window holds its own reference now

    renderContext = SDL_GL_CreateContext(GetHandle());
    if (renderContext == nullptr)
    {
        Zemb::String reason = SDL_GetError();
        Window::Close();
        ZEMB_THROW(Zemb::String("Could not create GL context: ") + reason);
    }
    SDL_GL_MakeCurrent(GetHandle(), renderContext);
    // Wait for the display's refresh so frames never tear; headless drivers may refuse.
    swapSynchronised = SDL_GL_SetSwapInterval(1) == 0;
}

void GLWindow::Close()
{
    if (renderContext != nullptr)
    {
        SDL_GL_MakeCurrent(GetHandle(), nullptr);
        SDL_GL_DeleteContext(renderContext);
        renderContext = nullptr;
    }
    Window::Close();
}

void GLWindow::Update()
{
    Window::Update();
    if (IsOpen())
        SDL_GL_SwapWindow(GetHandle());
}
