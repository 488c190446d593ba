#pragma once
// The defaults the display and the 3D self-test start with where the design
// leaves the choice open. One place, so the application, the display and the
// tests agree on them.

namespace Lumo
{

// Run the 3D self-test on the display's first Init. It costs a fraction of a
// second once per run and keeps a card that blends or clips wrongly from
// being used for drawing.
constexpr bool kD3DRunSelfTest = true;

// The self-test may veto 3D but not switch it on: turning acceleration on stays
// the player's choice (the options screen and the "Is3D" setting), so a run
// never changes renderer behind the player's back.
constexpr bool kD3DSelfTestMayEnable3D = false;

// The self-test keeps no "Test3D" record in the registry: each run tests
// afresh, which costs little and never trusts a result made for another driver.
// Tests turn the record on with a key of their own.
constexpr bool kD3DSelfTestUsesRegistry = false;

// Full screen presents through a flip chain. Only Tablet PCs, whose pen
// overlay does not survive flipping, turn it off.
constexpr bool kDisplayFlipDefault = true;

// A wider desktop shows the 4:3 picture with black bars rather than stretched:
// stretching distorts every sprite and the text.
constexpr bool kDisplayStretchDefault = false;

// A window keeps the logical 1024 x 768 client area; widening it to a
// wide-screen aspect would only add bars the window does not need.
constexpr bool kDisplayAspectCorrectionDefault = false;

// Video memory the application asks of the self-test, in megabytes.
constexpr int kD3DMinVidMemoryMB = 6;
constexpr int kD3DRecVidMemoryMB = 14;

} // namespace Lumo
