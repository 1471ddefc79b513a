// The title and credit images: each faded over the frame by its own track, the last
// one flickering while the end logo is up. Fixed-function drawing into whatever
// framebuffer and viewport are bound; detects no errors.
#pragma once

class Texture;

constexpr int overlayCount = 17;

// The image files, in drawing order.
extern const char* const overlayFiles[overlayCount];

// The fade track of each image, in the same order.
extern const char* const overlayFadeTracks[overlayCount];

// Draws texture over the whole viewport, its alpha scaled by opacity.
void DrawOverlay(const Texture& texture, float opacity);

// One frame's overlays: every image whose fade is above 0, in order.
void DrawOverlays(Texture* const overlays[overlayCount]);

// The last image's per-frame factor, 0.6 up to (not including) 1, from one rand() value.
float OverlayFlicker(int randomValue);
