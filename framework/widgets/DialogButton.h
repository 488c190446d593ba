// Lumo::DialogButton: the button of a framework dialog, drawn as an image box
// from cells of one component image (normal, over, down, disabled source
// rectangles). Without a component image it draws as a plain ButtonWidget.
#pragma once

#include "framework/widgets/ButtonWidget.h"

namespace Lumo
{

class DialogButton : public ButtonWidget
{
public:
    DialogButton(Image* componentImage, int id, ButtonListener* listener);

    void Draw(Graphics* g) override;

    // --- Data
    Image* mComponentImage;               // not owned
    int mTranslateX = 1, mTranslateY = 1; // shift of the pressed look
    int mTextOffsetX = 0, mTextOffsetY = 0;
};

} // namespace Lumo
