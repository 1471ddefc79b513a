// Demo: the timeline of the run. Stand-in until the effects exist: clears the window
// and ends 65 seconds after it was made.
#pragma once

#include <cstdint>

class Demo
{
public:
    Demo();
    virtual bool Update();

private:
    uint32_t start;
};
