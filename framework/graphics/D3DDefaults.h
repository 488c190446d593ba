#pragma once
// The display options the application object starts with. Most are choices
// the design leaves open; a few are the design's own values, kept here too so
// that the application and a display without one (tests) agree. Each says
// which it is.

namespace Lumo
{

// Open choice. Run the 3D self-test on the display's first Init. It costs a
// fraction of a second once per run and keeps a card that blends or clips
// wrongly from being used for drawing.
constexpr bool kD3DRunSelfTest = true;

// Open choice. The self-test may veto 3D but not switch it on: turning
// acceleration on stays the player's choice (the "Is3D" setting), so a run
// never changes renderer behind the player's back.
constexpr bool kD3DSelfTestMayEnable3D = false;

// Open choice. The self-test keeps no "Test3D" record in the registry: each
// run tests afresh, which costs little and never trusts a result made for
// another driver. Tests turn the record on with a key of their own.
constexpr bool kD3DSelfTestUsesRegistry = false;

// Not open: full screen presents through a flip chain, and only Tablet PCs,
// whose pen overlay does not survive flipping, turn it off (the application
// asks the system).
constexpr bool kDisplayFlipDefault = true;

// Open choice. A wider desktop shows the 4:3 picture with black bars rather
// than stretched: stretching distorts every sprite and the text.
constexpr bool kDisplayStretchDefault = false;

// Open choice. A window keeps the logical 1024 x 768 client area; widening it
// to a wide-screen aspect would only add bars the window does not need.
constexpr bool kDisplayAspectCorrectionDefault = false;

// Not open: the wide-screen aspect a window may widen to is 4:3.
constexpr int kDisplayWidescreenNumerator = 4;
constexpr int kDisplayWidescreenDenominator = 3;

// Not open: the video memory the application asks of the self-test, in megabytes.
constexpr int kD3DMinVidMemoryMB = 6;
constexpr int kD3DRecVidMemoryMB = 14;

} // namespace Lumo
