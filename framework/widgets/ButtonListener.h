// Receiver of a button's events, reported by the button's numeric id. The
// application object, dialogs and game screens mix it in as an extra base; the
// operations keep this slot order because the application's table starts with it.
#pragma once

namespace Lumo
{

class ButtonListener
{
public:
    // A mouse button went down on the button; clicks as the manager counted them.
    virtual void OnPressedWithClicks(int id, int clicks)
    {
        (void)clicks;
        OnPressed(id);
    }
    virtual void OnPressed(int id) { (void)id; }
    // Released over the button while the application has the focus.
    virtual void OnClicked(int id) { (void)id; }
    // Every update while the button is held down and the pointer is over it.
    virtual void OnHeldDown(int id) { (void)id; }
    virtual void OnMouseEnter(int id) { (void)id; }
    virtual void OnMouseLeave(int id) { (void)id; }
    virtual void OnMouseMove(int id, int x, int y)
    {
        (void)id;
        (void)x;
        (void)y;
    }

protected:
    // Never deleted through the interface: owners delete their concrete class.
    ~ButtonListener() = default;
};

} // namespace Lumo
