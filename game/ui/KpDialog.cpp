#include "game/ui/KpDialog.h"

#include "framework/app/LumoAppBase.h"
#include "framework/app/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpEngine.h"
#include "game/engine/KpXml.h"
#include "game/ui/KpLayout.h"

KpDialog::KpDialog(Lumo::WidgetContainer* parent, KpEngine* app) : mApp(app ? app : gEngine)
{
    // A dialog covers the screen unless its layout says otherwise.
    int width = gLumoApp ? gLumoApp->mWidth : 1024, height = gLumoApp ? gLumoApp->mHeight : 768;
    Resize(0, 0, width > 0 ? width : 1024, height > 0 ? height : 768);
    if (parent)
        parent->AddWidget(this);
}

KpDialog::~KpDialog()
{
    Register(false);
}

void KpDialog::OnButton(KpCandyWidget* widget)
{
    if (KpDialog* above = FindParentDialog())
        above->OnButton(widget);
}

bool KpDialog::LoadLayout(IXMLDOMNode* layoutRoot, const std::string& name)
{
    if (name.find_first_of("\"'") != std::string::npos)
    {
        KpLayout::Warn(this, "layout name '" + name + "' cannot be looked up");
        return false;
    }
    std::wstring wname = Lumo::StringToWString(name);
    std::wstring match = L"[@type=\"kpdialog\" and @name=\"" + wname + L"\"]";
    KpXmlNode element;
    if (layoutRoot)
    {
        element = XmlSelectNode(layoutRoot, L"layouts/widget" + match);
        if (!element)
            element = XmlSelectNode(layoutRoot, L"widget" + match);
    }
    if (!element)
    {
        KpLayout::Warn(this, "no layout '" + name + "' of type kpdialog");
        return false;
    }
    if (mName.empty())
        mName = name;
    ReadXml(element.Get());
    return true;
}

void KpDialog::SetModal(bool modal)
{
    mModal = modal;
    Register(modal && AreImagesLocked() && !IsHiding());
}

void KpDialog::Register(bool on)
{
    if (on == mModalRegistered || (on && !mManager))
        return;
    mModalRegistered = on;
    if (!mManager)
        return;
    if (on)
        mManager->PushModalDefault(this);
    else
        mManager->PopModal(this);
}

void KpDialog::ButtonPressed(KpCandyWidget* button)
{
    KpCandyWidget* outer = mPressed;
    mPressed = button;
    OnClicked(button ? button->mId : 0);
    mPressed = outer;
}

void KpDialog::OnClicked(int)
{
    if (mPressed)
        OnButton(mPressed);
}

void KpDialog::LockImages()
{
    KpCandyWidget::LockImages();
    if (mModal && !IsHiding())
        Register(true);
}

void KpDialog::UnlockImages()
{
    KpCandyWidget::UnlockImages();
    Register(false);
}

void KpDialog::HidingChanged(bool hiding)
{
    Register(mModal && !hiding && AreImagesLocked());
}
