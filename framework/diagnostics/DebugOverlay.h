// The diagnostics overlay: small text boxes at the bottom right of the screen
// with the frame rate or the pointer position, and the demo clock during
// playback. Each text is rendered into an image of its own only when it
// changes, in one process-wide "Tahoma" 8 point font, and the images are drawn
// over the finished frame just before it is presented. The boxes are opaque
// and never narrower than before, so a frame that redraws only dirty widgets
// still covers the previous text completely.
#pragma once

namespace Lumo
{

class LumoAppBase;

// Draws the overlays that are on into the application's screen image: the
// frame rate (mode 0) or the pointer (mode 1), and the demo clock while a demo
// plays. Called by the frame drawing while the overlay flag is on.
void DrawDiagnosticsOverlay(LumoAppBase* app);

// The next frame-rate figure starts counting afresh (and shows 0 until then).
void RestartFrameRateCount();

// Drops the font and the images; the application's destructor calls it while
// the display still exists.
void ReleaseDiagnosticsOverlay();

} // namespace Lumo
