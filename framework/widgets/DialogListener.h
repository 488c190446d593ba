// Receiver of a dialog's button presses, reported by dialog id and button id
// (1000 first button, 1001 second). The application object is the framework's
// dialog listener and turns them into its own button events.
#pragma once

namespace Lumo
{

class DialogListener
{
public:
    virtual void OnDialogButtonPressed(int dialogId, int buttonId)
    {
        (void)dialogId;
        (void)buttonId;
    }
    virtual void OnDialogButtonClicked(int dialogId, int buttonId)
    {
        (void)dialogId;
        (void)buttonId;
    }

protected:
    ~DialogListener() = default;
};

} // namespace Lumo
