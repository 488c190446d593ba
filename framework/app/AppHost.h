// Lumo::AppHost is the application object as the layers below it see it.
// Images, the display, resources and widgets are built before the application
// and never include it, yet images join its image set, the display reads its
// options and widgets set its cursor: they ask through this interface, which
// the application implements. A null host means there is no application
// (tests, tools); every caller then skips the request.
#pragma once

#include <cstdint>
#include <string>

namespace Lumo
{

class DDInterface;
class Dialog;
class DialogListener;
class Graphics;
class MemoryImage;
class Rect;
struct DisplayOptions;

// Cursor numbers for SetCursor; widgets use the first three.
enum AppCursor
{
    CURSOR_POINTER = 0,
    CURSOR_HAND = 1,
    CURSOR_DRAGGING = 2,
    CURSOR_TEXT = 3,
    CURSOR_CIRCLE_SLASH = 4,
    CURSOR_SIZEALL = 5,
    CURSOR_SIZENESW = 6,
    CURSOR_SIZENS = 7,
    CURSOR_SIZENWSE = 8,
    CURSOR_SIZEWE = 9,
    CURSOR_WAIT = 10,
    CURSOR_NONE = 11,
    CURSOR_CUSTOM = 12,
    NUM_CURSORS = 13
};

class AppHost
{
public:
    // --- image set; the display lock guards it
    virtual void AddMemoryImage(MemoryImage* image) = 0;
    // Leaves the set and drops the image's textures from the display.
    virtual void RemoveMemoryImage(MemoryImage* image) = 0;
    virtual void ForgetImageOnDisplay(MemoryImage* image) = 0;
    // A shared image lost its last holder; unused entries go at the next purge.
    virtual void SharedImageReleased() = 0;
    // Reads the file the image was loaded from into `pixels` (width x height);
    // false when it cannot be read or no longer has the image's size.
    virtual bool ReloadPixels(MemoryImage* image, uint32_t* pixels) = 0;
    // A picture got no memory (its file name, empty for one made in memory;
    // its size, 0 when unknown): the application names it in a box and ends
    // the run. It does not return.
    virtual void PictureMemoryRanOut(const std::string& picture, int width, int height) = 0;

    // --- display
    virtual DDInterface* GetDisplay() = 0; // null until the first window
    virtual bool Is3DAccelerated() = 0;
    virtual bool IsMinimized() = 0;
    // The application's settings the display reads before each Init and present.
    virtual void ReadDisplayOptions(DisplayOptions& options) = 0;
    // The display's picture, centred in the logical screen, after an Init.
    virtual void SetScreenRect(const Rect& rect) = 0;
    // The monitor's refresh rate is a guess: vsync pacing cannot trust it.
    virtual void SetVSyncBroken() = 0;
    // The 3D self-test ran afresh.
    virtual void After3DTest() = 0;

    // --- settings and demo playback
    virtual std::string GetRegistryKey() = 0; // relative to HKCU\SOFTWARE
    virtual bool WriteRegistryString(const std::string& valueName, const std::string& value) = 0;
    virtual bool IsPlayingDemo() = 0;
    virtual void SyncDemoString(std::string& value) = 0;
    virtual void SyncDemoBool(bool& value) = 0;

    // --- widgets and dialogs
    virtual void SetCursor(int cursorNumber) = 0;
    virtual void DrawOverlay(Graphics* g) = 0;
    // One step of the main loop; false once the application shuts down.
    virtual bool StepApp(bool& updated) = 0;
    virtual Dialog* GetDialog(int id) = 0;
    virtual bool KillDialog(int id) = 0;
    // Receives the buttons of dialogs made without a listener of their own.
    virtual DialogListener* GetDialogListener() = 0;

protected:
    ~AppHost() = default; // never deleted through this interface
};

} // namespace Lumo

// The running application; null without one.
inline Lumo::AppHost* gAppHost = nullptr;
