// The application object's demo recording and playback, and its debug keys
// and overlays.
//
// A demo is every outside value that reached the application, stamped with
// the update count: while recording, each owner of such a value writes a
// record; while playing, input and window records are replayed here at their
// update, and the owners of the other values (registry, files, transfers,
// syncs) take their records themselves in the same order. Anything that does
// not line up is a divergence, reported with its update count.
//
// Contents: recording, playback (headers, taking records, the replay), syncs,
// system box answers, the demo file and markers, the debug hooks.
#include "framework/app/LumoAppBase.h"
#include "framework/app/MersenneRandom.h"
#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"

#include <windowsx.h>

#include <cstdio>
#include <cstdlib>

namespace Lumo
{

static void DemoOut(const std::string& text)
{
    OutputDebugStringA(text.c_str());
}

bool LumoAppBase::IsPlayingDemo()
{
    return mPlayingDemo;
}

bool LumoAppBase::RecordingDemoHere()
{
    return mRecordingDemo && (mPrimaryThreadId == 0 || GetCurrentThreadId() == mPrimaryThreadId);
}

bool LumoAppBase::PlayingDemoHere()
{
    return mPlayingDemo && (mPrimaryThreadId == 0 || GetCurrentThreadId() == mPrimaryThreadId);
}

// ---------------------------------------------------------------- recording

void LumoAppBase::WriteDemoTiming()
{
    mDemo.WriteTiming(mUpdateCount);
}

void LumoAppBase::WriteDemoCommand(int command)
{
    mDemo.WriteCommand(mUpdateCount, command);
}

void LumoAppBase::WriteDemoPointer(int kind)
{
    mDemo.WritePointer(mUpdateCount, kind);
}

// Queued input is handed out one message a step, and between two steps of one
// update a box's own loop may end and give the focus elsewhere: a replay must
// hand out the rest in a later step too, so the stream marks where it went on.
void LumoAppBase::MarkDemoInputStep()
{
    if (mDemoMarkedUpdate == mUpdateCount && mDemoMarkedStep != mDemoInputStep)
        WriteDemoCommand(DEMO_NEXT_STEP);
    mDemoMarkedUpdate = mUpdateCount;
    mDemoMarkedStep = mDemoInputStep;
}

// Moves go in against the last recorded position: relative while both steps
// are below 32, else absolute. An absolute position is held to its 12-bit
// field, so the position kept here is always the one a replay will find.
void LumoAppBase::RecordDemoPointerMove(int x, int y)
{
    int dx = x - mDemoMouseX;
    int dy = y - mDemoMouseY;
    if (dx == 0 && dy == 0)
        return;
    MarkDemoInputStep();
    if (abs(dx) < 32 && abs(dy) < 32)
    {
        WriteDemoPointer(DEMO_POINTER_MOVE);
        mDemo.mBuffer.WriteNumBits((unsigned)dx, 6);
        mDemo.mBuffer.WriteNumBits((unsigned)dy, 6);
    }
    else
    {
        x = x < 0 ? 0 : (x > 4095 ? 4095 : x);
        y = y < 0 ? 0 : (y > 4095 ? 4095 : y);
        WriteDemoCommand(DEMO_MOUSE_ABSOLUTE);
        mDemo.mBuffer.WriteNumBits((unsigned)x, 12);
        mDemo.mBuffer.WriteNumBits((unsigned)y, 12);
    }
    mDemoMouseX = x;
    mDemoMouseY = y;
}

void LumoAppBase::RecordDemoMessage(const QueuedMessage& record)
{
    if (!RecordingDemoHere() || mShutdown)
        return;
    Buffer& out = mDemo.mBuffer;
    bool fromMain = record.hwnd == mHWnd;
    WPARAM wParam = record.wParam;
    switch (record.message)
    {
    case WM_SIZE:
        if (fromMain)
        {
            MarkDemoInputStep();
            WriteDemoCommand(DEMO_MINIMIZE);
            out.WriteBoolean(wParam == SIZE_MINIMIZED);
        }
        return;
    case WM_CLOSE:
        if (fromMain || record.hwnd == mInvisHWnd)
        {
            MarkDemoInputStep();
            WriteDemoCommand(DEMO_CLOSE);
        }
        return;
    case WM_ACTIVATEAPP:
        if (fromMain)
        {
            MarkDemoInputStep();
            WriteDemoCommand(DEMO_ACTIVATE);
            out.WriteNumBits(wParam != 0, 1);
        }
        return;
    case WM_SYSKEYDOWN:
        // Alt+Enter reaches no widget: it switches the screen mode, which a
        // replay in a window of its own has nothing to repeat of, or does
        // nothing where the mode cannot change.
        if (wParam == VK_RETURN)
            return;
        // fall through
    case WM_KEYDOWN:
        MarkDemoInputStep();
        WriteDemoCommand(DEMO_KEY_DOWN);
        out.WriteNumBits((unsigned)wParam, 8);
        return;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        MarkDemoInputStep();
        WriteDemoCommand(DEMO_KEY_UP);
        out.WriteNumBits((unsigned)wParam, 8);
        return;
    case WM_CHAR:
        MarkDemoInputStep();
        WriteDemoCommand(DEMO_CHAR);
        out.WriteNumBits(1, 1);
        out.WriteNumBits((unsigned)wParam, 16);
        return;
    case WM_MOUSEWHEEL:
        MarkDemoInputStep();
        WriteDemoCommand(DEMO_WHEEL);
        out.WriteNumBits((unsigned)(((short)HIWORD(wParam)) / 120), 8);
        return;
    }

    int button = 0;
    bool down = true;
    switch (record.message)
    {
    case WM_MOUSEMOVE:
        break;
    case WM_LBUTTONDOWN:
        button = 1;
        break;
    case WM_LBUTTONDBLCLK:
        button = 2;
        break;
    case WM_RBUTTONDOWN:
        button = -1;
        break;
    case WM_RBUTTONDBLCLK:
        button = -2;
        break;
    case WM_MBUTTONDOWN:
        button = 3;
        break;
    case WM_LBUTTONUP:
        button = 1;
        down = false;
        break;
    case WM_RBUTTONUP:
        button = -1;
        down = false;
        break;
    case WM_MBUTTONUP:
        button = 3;
        down = false;
        break;
    default:
        return;
    }
    // The logical position, as the widgets get it: a full-screen recording
    // with bars then replays at the same places in a window.
    int x, y;
    QueuedMousePosition(record, &x, &y);
    RecordDemoPointerMove(x, y);
    if (button != 0)
    {
        MarkDemoInputStep();
        WriteDemoPointer(DEMO_POINTER_BUTTON);
        out.WriteNumBits(down ? 1 : 0, 1);
        out.WriteNumBits((unsigned)button, 3);
    }
}

void LumoAppBase::RecordDemoPointerInside(bool inside)
{
    if (!RecordingDemoHere() || mShutdown)
        return;
    MarkDemoInputStep();
    WriteDemoCommand(inside ? DEMO_MOUSE_ENTER : DEMO_MOUSE_LEAVE);
}

void LumoAppBase::RecordDemoDisplay()
{
    if (!RecordingDemoHere())
        return;
    WriteDemoCommand(DEMO_DISPLAY);
    mDemo.mBuffer.WriteBoolean(mVSyncWanted);
    mDemo.mBuffer.WriteByte((unsigned char)(mRefreshRate > 255 ? 255 : mRefreshRate));
}

// ---------------------------------------------------------------- playback

bool LumoAppBase::ReadDemoTiming(bool)
{
    if (!mDemo.ReadHeaderIfTaken())
    {
        EndDemoPlayback();
        return false;
    }
    return mDemo.mLastRecordUpdate == mUpdateCount;
}

bool LumoAppBase::DemoEndedForCallers()
{
    if (mDemo.AtEnd())
    {
        EndDemoPlayback();
        return true;
    }
    // Handed back, the live game takes nothing recorded: a save, a level load
    // or a box of its own would take values that belong to the recording's end.
    if (mDemoEnded)
        return !mDemoRunEnding;
    return mDemoClosing;
}

void LumoAppBase::NoteRunEnding(bool ending)
{
    mDemoRunEnding = ending;
}

// Playback has nothing more to hand out: the game is the player's again.
// Input, the keys, the updates and the window's focus and minimized state are
// live; the registry, the player's files and the window's mode stay a
// replay's, and what the recording's own end left in the stream (the saves of
// a session that ended without a close) waits for this run's end.
void LumoAppBase::EndDemoPlayback()
{
    if (!mPlayingDemo || mDemoEnded)
        return;
    mDemoEnded = true;
    // The viewer's controls have nothing left to play.
    mDemoFastForwardTarget = -1;
    mDemoRunToEnd = false;
    mDemoSingleStep = false;
    mDemoPause = false;
    mUpdateMultiplier = 1.0;
    if (mDemoMutedForFastForward)
    {
        Unmute(true);
        mDemoMutedForFastForward = false;
    }
    // The keys the recording held are not the player's, and the time spent
    // holding the last picture is not caught up.
    ClearHeldKeys();
    ResetFrameTiming();
    // A recording may end minimized or in the background (a session ends
    // so): the real window, shown and maybe in front, says what the game is.
    TakeWindowFocusState(mHWnd != nullptr && IsIconic(mHWnd));
    ApplyCursor();
    DemoOut(StrFormat("Demo playback ended at update %d: the game takes live input again\r\n",
                      mUpdateCount));
}

// What is left once the last update's input is all out is what the
// recording's own end wrote: playback ends there.
bool LumoAppBase::EndDemoPlaybackAtLastUpdate()
{
    if (!ReplayHoldsInput() || mUpdateCount < mDemoLastUpdate ||
        mDemoHandedOutUpdate < mUpdateCount)
        return false;
    if (!mDemoEndNoted)
    {
        mDemoEndNoted = true;
        DemoOut(StrFormat("Demo playback: reached the last update of the recording (%d)\r\n",
                          mDemoLastUpdate));
    }
    EndDemoPlayback();
    return true;
}

void LumoAppBase::NoteDemoDivergence(const std::string& what)
{
    mDemoDivergences++;
    DemoOut(StrFormat("WARNING: Demo playback diverged at update %d: %s\r\n", mUpdateCount,
                      what.c_str()));
}

static std::string DescribeRecord(const DemoStream& demo)
{
    return StrFormat("%s %d of update %d", demo.mPointerKind ? "pointer record" : "command",
                     demo.mPendingCommand, demo.mLastRecordUpdate);
}

bool LumoAppBase::DemoRecordIsPending(int command)
{
    if (!mPlayingDemo || DemoEndedForCallers())
        return false;
    return ReadDemoTiming(false) && !mDemo.mRecordTaken && !mDemo.mPointerKind &&
           mDemo.mPendingCommand == command;
}

bool LumoAppBase::TakeDemoRecord(int command)
{
    if (DemoEndedForCallers())
        return false;
    // Past the end of playback what the recording's end left is this run's
    // end's, at whatever update it comes.
    bool due = ReadDemoTiming(true) || mDemoEnded;
    // A display record comes from the display's own set-up, which a replay
    // does in a window of its own (no full-screen fallback, no mode switch):
    // one that stands before a caller's record is simply applied there.
    while (due && !mDemo.mPointerKind && mDemo.mPendingCommand == DEMO_DISPLAY)
    {
        mDemo.mRecordTaken = true;
        ApplyDemoRecord();
        due = ReadDemoTiming(true);
    }
    if (mDemo.AtEnd())
        return false;
    if (due && !mDemo.mPointerKind && mDemo.mPendingCommand == command)
    {
        mDemo.mRecordTaken = true;
        return true;
    }
    // The record stays for whoever it belongs to; this caller goes without.
    NoteDemoDivergence(StrFormat("command %d was asked for, the stream holds ", command) +
                       DescribeRecord(mDemo));
    return false;
}

bool LumoAppBase::ReplayDemoEvents()
{
    if (!mPlayingDemo)
        return false;
    // Unless input is left for a later step, everything due now is out.
    mDemoHandedOutUpdate = mUpdateCount;
    if (mDemoEnded)
        return false;
    bool handedOut = false;
    while (!mShutdown)
    {
        ReadDemoTiming(false);
        if (mDemoEnded)
            return false;
        int stamp = mDemo.mLastRecordUpdate;
        if (stamp > mUpdateCount)
            return false;
        bool late = stamp < mUpdateCount;
        if (IsDemoRecordTakenByCaller(mDemo.mPointerKind, mDemo.mPendingCommand))
        {
            // Its caller may still ask during this update; once the update has
            // moved on nobody will, and its payload is passed over whole.
            if (!late)
                return false;
            NoteDemoDivergence(DescribeRecord(mDemo) + " was never taken");
            mDemo.SkipPayload();
            mDemo.mRecordTaken = true;
            continue;
        }
        if (!mDemo.mPointerKind && mDemo.mPendingCommand == DEMO_NEXT_STEP)
        {
            // The recording handed out what follows in a later step.
            if (handedOut && !late)
            {
                mDemoHandedOutUpdate = mUpdateCount - 1;
                return true;
            }
            mDemo.mRecordTaken = true;
            continue;
        }
        if (late)
            NoteDemoDivergence(DescribeRecord(mDemo) + " replayed late");
        mDemo.mRecordTaken = true;
        handedOut = true;
        ApplyDemoRecord();
    }
    return false;
}

// Acts on the record just taken, as the window message it stands for would.
void LumoAppBase::ApplyDemoRecord()
{
    Buffer& in = mDemo.mBuffer;
    WidgetManager* wm = mWidgetManager;
    if (mDemo.mPointerKind)
    {
        if (mDemo.mPendingCommand == DEMO_POINTER_MOVE)
        {
            mDemoMouseX += in.ReadNumBits(6, true);
            mDemoMouseY += in.ReadNumBits(6, true);
            if (wm)
                wm->MouseMoveOrDrag(mDemoMouseX, mDemoMouseY);
            return;
        }
        bool down = in.ReadNumBits(1, false) != 0;
        int button = in.ReadNumBits(3, true);
        if (button == 0 || !wm)
            return;
        // As the window's own messages go: a press moves and presses with one
        // hit test, a release drags to its place first.
        if (down)
            wm->MousePress(mDemoMouseX, mDemoMouseY, button);
        else
        {
            wm->MouseMoveOrDrag(mDemoMouseX, mDemoMouseY);
            wm->MouseUp(mDemoMouseX, mDemoMouseY, button);
        }
        return;
    }

    switch (mDemo.mPendingCommand)
    {
    case DEMO_MOUSE_ABSOLUTE:
        mDemoMouseX = in.ReadNumBits(12, false);
        mDemoMouseY = in.ReadNumBits(12, false);
        if (wm)
            wm->MouseMoveOrDrag(mDemoMouseX, mDemoMouseY);
        break;
    case DEMO_ACTIVATE:
        mHasFocus = in.ReadNumBits(1, false) != 0;
        UpdateFocusState();
        if (mHasFocus && !mIsWindowed && wm)
            wm->SetAllDirty();
        break;
    case DEMO_MINIMIZE:
    {
        bool minimized = in.ReadBoolean();
        if (minimized != mMinimized)
        {
            mMinimized = minimized;
            if (minimized && mMuteOnLostFocus)
                Mute(true);
            if (!minimized)
            {
                if (mMuteOnLostFocus)
                    Unmute(true);
                if (wm)
                    wm->SetAllDirty();
            }
        }
        UpdateFocusState();
        break;
    }
    case DEMO_KEY_DOWN:
    {
        int key = in.ReadNumBits(8, false);
        if (wm)
            wm->KeyDown(key);
        break;
    }
    case DEMO_KEY_UP:
    {
        int key = in.ReadNumBits(8, false);
        OnKeyUp(key);
        if (wm)
            wm->KeyUp(key);
        break;
    }
    case DEMO_CHAR:
    {
        bool wide = in.ReadNumBits(1, false) != 0;
        int c = in.ReadNumBits(wide ? 16 : 8, false);
        if (wm)
            wm->KeyChar((wchar_t)c);
        break;
    }
    case DEMO_CLOSE:
        mClosedByWindow = true;
        Shutdown();
        break;
    case DEMO_MOUSE_ENTER:
        mMouseInWindow = true;
        ApplyCursor();
        break;
    case DEMO_MOUSE_LEAVE:
        if (wm)
            wm->MouseExit();
        mMouseInWindow = false;
        ApplyCursor();
        break;
    case DEMO_LOADED:
        mDemoLoadingCompleted = true;
        break;
    case DEMO_WHEEL:
    {
        int delta = in.ReadNumBits(8, true);
        if (wm)
            wm->MouseWheel(delta);
        break;
    }
    case DEMO_DISPLAY:
    {
        mVSyncWanted = in.ReadBoolean();
        int refresh = in.ReadByte();
        if (refresh > 0)
            mRefreshRate = refresh;
        break;
    }
    default:
        break; // fillers, and numbers that carry nothing
    }
}

// ---------------------------------------------------------------- syncs

void LumoAppBase::SyncDemoBuffer(Buffer& value)
{
    if (PlayingDemoHere())
    {
        if (!TakeDemoRecord(DEMO_SYNC))
            return;
        // The count was checked against the stream when the file was read.
        uint32_t count = (uint32_t)mDemo.mBuffer.ReadLong();
        value.Clear();
        for (uint32_t i = 0; i < count; i++)
            value.WriteByte(mDemo.mBuffer.ReadByte());
        return;
    }
    if (RecordingDemoHere())
    {
        WriteDemoCommand(DEMO_SYNC);
        mDemo.mBuffer.WriteLong(value.GetDataLen());
        if (value.GetDataLen() > 0)
            mDemo.mBuffer.WriteBytes(value.GetDataPtr(), value.GetDataLen());
    }
}

void LumoAppBase::SyncDemoString(std::string& value)
{
    Buffer buffer;
    buffer.WriteString(value);
    SyncDemoBuffer(buffer);
    value = buffer.ReadString();
}

void LumoAppBase::SyncDemoBool(bool& value)
{
    Buffer buffer;
    buffer.WriteBoolean(value);
    SyncDemoBuffer(buffer);
    value = buffer.ReadBoolean();
}

// The answer of a system box is an outside value like any other: it goes into
// the stream as a sync of four bytes, and a replay shows no box.
bool LumoAppBase::TakeDemoBoxAnswer(int* answer)
{
    if (!PlayingDemoHere() || !TakeDemoRecord(DEMO_SYNC))
        return false;
    uint32_t count = (uint32_t)mDemo.mBuffer.ReadLong();
    Buffer bytes;
    for (uint32_t i = 0; i < count; i++)
        bytes.WriteByte(mDemo.mBuffer.ReadByte());
    *answer = bytes.ReadLong();
    return true;
}

void LumoAppBase::RecordDemoBoxAnswer(int answer)
{
    if (!RecordingDemoHere())
        return;
    Buffer buffer;
    buffer.WriteLong(answer);
    SyncDemoBuffer(buffer);
}

// ---------------------------------------------------------------- demo file

bool LumoAppBase::ReadDemoFile(std::string& errorText)
{
    std::string bytes;
    switch (ReadDemoFileBytes(mDemoFileName, &bytes))
    {
    case DemoFileRead::Read:
        break;
    case DemoFileRead::NotFound:
        errorText = "Demo file not found: " + mDemoFileName;
        return false;
    case DemoFileRead::TooLarge:
        errorText = "Invalid demo file.";
        return false;
    }
    DemoFileContents contents;
    bool seedRead = false;
    bool ok = ParseDemoFile(bytes, mProductVersion, &contents, &seedRead, &errorText);
    if (seedRead)
    {
        mDemoRandomSeed = contents.randomSeed;
        ::SeedRandom(contents.randomSeed);
    }
    if (!ok)
        return false;
    if (!mDemo.Load((const unsigned char*)contents.stream.data(), (int)contents.stream.size()))
    {
        errorText = "Invalid demo file.";
        return false;
    }
    mDemoMarkers = contents.markers;
    mDemoLastUpdate = contents.totalUpdates;
    mDemoEnded = false;
    mDemoEndNoted = false;
    mDemoDivergences = 0;
    mDemoFormatVersion = contents.formatVersion;
    // The user's own volumes come back when the replay ends.
    mSavedMusicVolume = mMusicVolume;
    mSavedSfxVolume = mSfxVolume;
    return true;
}

bool LumoAppBase::WriteDemoFile()
{
    if (!mRecordingDemo)
        return true;
    DemoFileContents contents;
    contents.randomSeed = mDemoRandomSeed;
    contents.programVersion = mProductVersion;
    contents.markers = mDemoMarkers;
    contents.totalUpdates = mUpdateCount;
    if (mDemo.mBuffer.GetDataLen() > 0)
        contents.stream.assign((const char*)mDemo.mBuffer.GetDataPtr(),
                               (size_t)mDemo.mBuffer.GetDataLen());
    std::string bytes = BuildDemoFile(contents);

    // The folder may not exist yet on a first recording.
    MakeDirectories(GetFileDir(mDemoFileName, true));
    std::string temporary = mDemoFileName + kDemoTemporarySuffix;
    FILE* file = fopen(temporary.c_str(), "w+b");
    bool ok = file != nullptr;
    if (file)
    {
        ok = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        ok = fclose(file) == 0 && ok;
    }
    if (ok)
        ok = MoveFileExA(temporary.c_str(), mDemoFileName.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (!ok)
    {
        DeleteFileA(temporary.c_str());
        DemoOut("WARNING: the demo file '" + mDemoFileName + "' could not be written\r\n");
    }
    return ok;
}

// The start refused every name that could not be written; what changed on the disk since (a
// folder made at the name, a file held by another program) is told here, once the window has
// gone, so the player does not look for a recording that is not there.
void LumoAppBase::TellDemoNotWritten()
{
    // The run is over: nothing more goes into its stream, the box's answer neither.
    mRecordingDemo = false;
    std::wstring text = GetString("DEMO_FILE_NOT_WRITTEN", L"The demo file ") +
                        TypedCommandLineText(mDemoFileName) +
                        GetString("DEMO_FILE_NOT_WRITTEN_END",
                                  L" could not be written, so the recording of this run is lost.");
    MsgBoxW(text, GetString("DEMO_NOT_SAVED", L"Demo not saved"), MB_OK | MB_ICONWARNING);
}

void LumoAppBase::AddDemoMarker(const std::string& name)
{
    if (mRecordingDemo)
        mDemoMarkers.push_back(DemoMarker{name, mUpdateCount});
}

// The last word of a playback, for whoever watches the debugger output: how
// much of the recording was replayed, and whether all of it was.
void LumoAppBase::ReportDemoPlaybackEnd()
{
    if (!mPlayingDemo)
        return;
    int taken = mDemo.mRecordCount - (mDemo.mRecordTaken ? 0 : 1);
    if (taken < mDemo.mTotalRecords && !mDemoClosing)
        NoteDemoDivergence(StrFormat("the run ended with %d of %d records not replayed",
                                     mDemo.mTotalRecords - taken, mDemo.mTotalRecords));
    DemoOut(StrFormat("Demo playback: %d of %d records replayed, %d divergences\r\n", taken,
                      mDemo.mTotalRecords, mDemoDivergences));
}

} // namespace Lumo
