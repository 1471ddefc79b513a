// Demo: start-up order, the per-frame timeline and the end of the run.
#include "Demo.h"

#include <SDL.h>

#include "Bloom.h"
#include "GL.h"
#include "PerkProc.h"
#include "Sync.h"
#include "VrelSucks.h"
#include "Zemb/Exception.h"

namespace
{
    // The "Part" value truncated toward zero. A value no int can hold (or NaN) names no
    // effect at all, so the list's bounds check reports it instead of undefined behaviour.
    int EffectIndex(float part)
    {
        if (!(part > -2147483648.0f && part < 2147483648.0f))
            return -1;
        return static_cast<int>(part);
    }
}

Demo::Demo()
{
    Sync& sync = Sync::Instance();
    sync.audio = &audio;
    sync.rowRate = 56.0 / 3.0;

    glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_POINT_SMOOTH);
    glLineWidth(1.0f);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_TEXTURE_CUBE_MAP_SEAMLESS);

    // Every asset loads here, before the music starts, so the first frame is at time ~0.
    PerkProc::Instance();
    Bloom::Instance();
    effects.Add(VrelSucks::Instance());

    audio.PlayStream(Zemb::String(musicFile));
}

Demo::~Demo() { effects.Clear(); }

bool Demo::Update()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Audio& player = audio;
    player.Update();
    double seconds = Sync::GetTime();
    if (seconds >= endTime)
        return false;

    effects[EffectIndex(Sync::GetValue("Part"))]->Render(seconds);
    glFlush();

    GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        ZEMB_THROW(Zemb::String("GL error has occurred: ") +
                   reinterpret_cast<const char*>(gluErrorString(error)));
    SDL_Delay(1);
    return true;
}
