// Effect: a scene effect that draws one whole frame, ending with the window's
// framebuffer bound. Effects are process-wide objects; nothing deletes them through
// this interface.
#pragma once

class Effect
{
public:
    virtual void Render(double seconds) = 0;

protected:
    Effect() = default;
    ~Effect() = default;
};
