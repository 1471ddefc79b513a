// The whole demo running in the test's own process on the headless GL context, with the
// clock held by the paused music player: FrameAt draws exactly the given moment.
// Needs Data/ with the music, since the clock is the music's position.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "Demo.h"
#include "GL.h"
#include "RenderTarget.h"
#include "Texture.h"
#include "VrelSucks.h"
#include "Window.h"

class HeadlessDemo
{
public:
    HeadlessDemo()
    {
        window.emplace("Morvane - Kelvorandum", false, 1024, 768, 0x00CA0000);
        Extensions::Load();
        demo.emplace();
        demo->GetAudio().Pause();
    }

    // The demo goes before the window that holds its GL context.
    ~HeadlessDemo()
    {
        demo.reset();
        window.reset();
    }

    HeadlessDemo(const HeadlessDemo&) = delete;
    HeadlessDemo& operator=(const HeadlessDemo&) = delete;

    Audio& GetAudio() { return demo->GetAudio(); }

    // Draws the frame at that moment; false once the timeline has ended.
    bool FrameAt(double seconds)
    {
        demo->GetAudio().SetPosition(seconds);
        return demo->Update();
    }

    // The finished 1280 x 720 frame of the last FrameAt, RGBA, bottom row first.
    static std::vector<unsigned char> FinalFrame()
    {
        Texture* frame = VrelSucks::Instance()->GetFinalTarget()->GetTexture(0);
        std::vector<unsigned char> pixels(static_cast<std::size_t>(frame->GetWidth()) * frame->GetHeight() * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glBindTexture(GL_TEXTURE_2D, frame->GetId());
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        return pixels;
    }

private:
    std::optional<GLWindow> window;
    std::optional<Demo> demo;
};
