// Window and GLWindow: the program's one top-level window on SDL2, with an optional
// switch of the display to a full-screen mode, and (GLWindow) an OpenGL compatibility
// context made current on the creating thread. Create throws Zemb::Exception on failure;
// Close and destruction release everything and give the desktop its mode back.
#pragma once

#include <cstdint>

#include <SDL.h>

class Window
{
public:
    Window();
    ~Window();

    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    virtual void Create(const char* title, bool fullscreen, int width, int height, uint32_t style);
    virtual void Close();
    virtual void Update();
    virtual void SetTitle(const char* text);
    virtual void SetSize(int width, int height);
    virtual bool IsOpen();
    virtual int GetWidth();
    virtual int GetHeight();
    virtual float GetAspectRatio();
    virtual void HandleMessage(const SDL_Event& event);

    int GetX() const { return x; }
    int GetY() const { return y; }
    SDL_Window* GetHandle() const { return handle; }

protected:
    // SDL window flags a subclass needs at creation (GLWindow asks for an OpenGL window).
    uint32_t creationFlags;

private:
    bool open;
    SDL_Window* handle;
    bool videoStarted; // our reference on SDL's video subsystem, the stand-in for the window class
    int x, y;
    int width, height;
    uint32_t style;
    bool fullscreen;
};

class GLWindow : public Window
{
public:
    GLWindow(const char* title, bool fullscreen, int width, int height, uint32_t style);
    ~GLWindow();

    void Create(const char* title, bool fullscreen, int width, int height, uint32_t style) override;
    void Close() override;
    void Update() override;

    // Whether buffer swaps wait for the display's refresh (false where the driver refuses).
    bool IsSwapSynchronised() const { return swapSynchronised; }

private:
    SDL_GLContext renderContext;
    bool swapSynchronised;
};
