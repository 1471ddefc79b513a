// Demo: the timeline of the run. Owns the music player and the list of effects (not the
// effects); construction loads everything and starts the music last, Update draws one
// frame and returns false once the clock reaches 65 seconds. Throws Zemb::Exception on
// a failed load, a bad "Part" value or a GL error after a frame.
#pragma once

#include "Effect.h"
#include "FmodAudio.h"
#include "Zemb/List.h"

class Demo
{
public:
    static constexpr double endTime = 65.0;
    static constexpr const char* musicFile = "Data/pell00r-wirlow.mp3";

    Demo();
    ~Demo();

    Demo(const Demo&) = delete;
    Demo& operator=(const Demo&) = delete;

    virtual bool Update();

    // The music player, for tools that drive the clock themselves (the capture tool).
    Audio& GetAudio() { return audio; }

private:
    FmodAudio audio;
    Zemb::List<Effect*> effects;
};
