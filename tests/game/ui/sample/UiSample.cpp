// The game's engine showing the toolkit's sample dialog ("sample_dialog" of
// cfg\ui.xml) over its backdrop. It reports what happens on the debugger
// output, one line each, so a test driving it from outside can follow:
//   "UiSample: shown"                      the dialog's show effect ended
//   "UiSample: OnButton <name> name='<edit text>' volume=<n> fullscreen=<0|1>"
//   "UiSample: hidden"                     the dialog's hide effect ended
// "ok" hides the dialog and shows it again; "cancel" hides it. The variable
// UISAMPLE_FRAME_MS sets the game time of one update (1 plays effects at a
// tenth of their speed, to look at them).
#include <windows.h>

#include <cstdlib>

#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpEngine3.h"
#include "game/engine/KpTextVars.h"
#include "game/engine/KpProcessMain.h"
#include "game/scene/KpFrameClock.h"
#include "game/ui/KpCheckBox.h"
#include "game/ui/KpDialog.h"
#include "game/ui/KpEditWidget.h"
#include "game/ui/KpList.h"
#include "game/ui/KpSlider.h"

namespace
{
void Report(const std::string& line)
{
    OutputDebugStringA(("UiSample: " + line + "\n").c_str());
}

class SampleDialog : public KpDialog
{
public:
    void AddChild(const std::string& name, KpCandyWidget* child) override
    {
        // Nested widgets are found through the footer and the dialog itself.
        KpDialog::AddChild(name, child);
        if (name == "name_edit")
            mEdit = dynamic_cast<KpEditWidget*>(child);
        else if (name == "volume")
            mVolume = dynamic_cast<KpSlider*>(child);
        else if (name == "fullscreen")
            mFullScreen = dynamic_cast<KpCheckBox*>(child);
        else if (name == "players")
            mPlayers = dynamic_cast<KpList*>(child);
        else if (name == "badge")
            mBadge = child;
    }

    void OnShow() override
    {
        if (mBadge)
            mBadge->Show();
    }

    void OnButton(KpCandyWidget* widget) override
    {
        Report(Lumo::StrFormat(
            "OnButton %s name='%s' volume=%d fullscreen=%d", widget->mName.c_str(),
            mEdit ? Lumo::WStringToString(mEdit->GetText()).c_str() : "",
            mVolume ? mVolume->GetValue() : -1, mFullScreen ? (int)mFullScreen->IsChecked() : -1));
        if (widget->mName == "ok" || widget->mName == "cancel")
        {
            mShowAgain = widget->mName == "ok";
            Hide();
        }
    }

    void Update() override
    {
        bool wasRunning = IsEffectRunning();
        KpDialog::Update();
        if (wasRunning && !IsEffectRunning())
        {
            Report(mVisible ? "shown" : "hidden");
            if (!mVisible && mShowAgain)
            {
                mShowAgain = false;
                Show();
            }
        }
    }

    KpEditWidget* mEdit = nullptr;
    KpSlider* mVolume = nullptr;
    KpCheckBox* mFullScreen = nullptr;
    KpList* mPlayers = nullptr;
    KpCandyWidget* mBadge = nullptr;
    bool mShowAgain = false;
};

class UiSampleApp : public KpEngine3
{
public:
    ~UiSampleApp() override
    {
        WaitForLoadingThread();
        delete mDialog;
        delete mBackdrop;
    }

    void LoadingThreadWork() override
    {
        KpEngine3::LoadingThreadWork();
        KpComScope com;
        mBackdrop = new KpDialog();
        mBackdrop->LoadLayout(GetLayoutRoot(), "sample_backdrop");
        mDialog = new SampleDialog();
        mDialog->LoadLayout(GetLayoutRoot(), "sample_dialog");
    }

    void LoadingCompleted() override
    {
        KpEngine3::LoadingCompleted();
        GetTextVars()->Set("profile_name", L"Zorka");
        GetTextVars()->SetInt("money", 1250);
        if (mDialog->mPlayers)
            for (const wchar_t* name : {L"Zorka", L"Milo", L"Anna", L"Petr", L"Lucie", L"Tom"})
                mDialog->mPlayers->AddItem(name);
        if (mDialog->mPlayers)
        {
            mDialog->mPlayers->SetHighlighted(0);
            mDialog->mPlayers->SetSelected(1);
        }
        mWidgetManager->AddWidget(mBackdrop);
        mWidgetManager->AddWidget(mDialog);
        mBackdrop->SetVisible(true);
        mDialog->Show();
        Report(Lumo::StrFormat("ready 3D=%d", (int)Is3DAccelerated()));
    }

    KpDialog* mBackdrop = nullptr;
    SampleDialog* mDialog = nullptr;
};
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return KpRunProcess(instance,
                        []() -> Lumo::LumoAppBase*
                        {
                            if (const char* frameMs = getenv("UISAMPLE_FRAME_MS"))
                                KpSetFrameTimeOverride(atoi(frameMs));
                            return new UiSampleApp();
                        });
}
