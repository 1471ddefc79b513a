// Overlay drawing: blended, textured full-viewport quads with the default modulate
// texture environment, so the opacity only scales the image's own alpha.
#include "Overlay.h"

#include <cstdlib>

#include "GL.h"
#include "Sync.h"
#include "Texture.h"

const char* const overlayFiles[overlayCount] = {
    "Data/morvane.png", "Data/t0mbel.png", "Data/pell00r.png", "Data/not.png",       "Data/0ptimize.png",
    "Data/at.png",      "Data/function.png", "Data/tjue.png",  "Data/fucking.png",   "Data/tolv.png",
    "Data/kel.png",     "Data/vor.png",     "Data/an.png",      "Data/dum.png",       "Data/butterfly.png",
    "Data/endlogo.png", "Data/lame.png",
};

const char* const overlayFadeTracks[overlayCount] = {
    "Morvane Fade", "T0mbel Fade", "Pell00r Fade", "Not Fade",       "0ptimize Fade", "At Fade",
    "Function Fade", "Tjue Fade",  "Fucking Fade", "Tolv Fade",      "Kel Fade",      "Vor Fade",
    "An Fade",       "Dum Fade",   "Butterfly Fade", "End Logo Fade", "Lame Fade",
};

void DrawOverlay(const Texture& texture, float opacity)
{
    glBindTexture(GL_TEXTURE_2D, texture.GetId());
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glBegin(GL_QUADS);
    glColor4f(1.0f, 1.0f, 1.0f, opacity);
    // Texture row 0 is the image's first (top) row: it goes to the top of the frame.
    glTexCoord2i(0, 0);
    glVertex2i(-1, 1);
    glTexCoord2i(1, 0);
    glVertex2i(1, 1);
    glTexCoord2i(1, 1);
    glVertex2i(1, -1);
    glTexCoord2i(0, 1);
    glVertex2i(-1, -1);
    glEnd();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
}

float OverlayFlicker(int randomValue)
{
    // 0.39999998 is 1 - 0.6 in single precision; the factor never reaches 1.
    return static_cast<float>(randomValue % 2500) / 2500.0f * 0.39999998f + 0.6f;
}

void DrawOverlays(Texture* const overlays[overlayCount])
{
    const int endLogo = overlayCount - 2;
    float endLogoFade = 0.0f;
    for (int i = 0; i < overlayCount - 1; ++i)
    {
        float fade = Sync::GetValue(overlayFadeTracks[i]);
        if (i == endLogo)
            endLogoFade = fade;
        if (fade > 0.0f)
            DrawOverlay(*overlays[i], fade);
    }
    // Drawn every frame, whatever the fades, so the sequence does not depend on the tracks.
    float flicker = OverlayFlicker(std::rand());
    float opacity = Sync::GetValue(overlayFadeTracks[overlayCount - 1]) * endLogoFade * flicker;
    if (opacity > 0.0f)
        DrawOverlay(*overlays[overlayCount - 1], opacity);
}
