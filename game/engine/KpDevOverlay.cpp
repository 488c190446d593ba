#include "game/engine/KpDevOverlay.h"

#include "framework/app/StringUtils.h"
#include "framework/graphics/Graphics.h"
#include "framework/resources/Font.h"
#include "framework/widgets/Widget.h"
#include "game/engine/KpDevOptions.h"
#include "game/ui/KpCandyWidget.h"

std::string KpWidgetPath(Lumo::Widget* widget)
{
    std::string path;
    for (Lumo::WidgetContainer* at = widget; at; at = at->mParent)
    {
        KpCandyWidget* named = dynamic_cast<KpCandyWidget*>(at);
        if (!named || named->GetName().empty())
            continue;
        path = path.empty() ? named->GetName() : named->GetName() + "/" + path;
    }
    return path;
}

std::string KpDevOverlayText(int updates, int frameMs, int pointerX, int pointerY,
                             const std::string& widgetPath, bool boxOpen)
{
    return Lumo::StrFormat("update %d  %d ms  pointer %d,%d  %s%s", updates, frameMs, pointerX,
                           pointerY, widgetPath.empty() ? "-" : widgetPath.c_str(),
                           boxOpen ? "  [question box]" : "");
}

void KpDrawDevOverlay(Lumo::Graphics* g, const std::string& text)
{
    Lumo::Font* font = gDevOptions.GetDevFont();
    if (!g || !font || text.empty())
        return;
    const std::wstring line = Lumo::StringToWString(text);
    g->PushState();
    g->SetFont(font);
    g->SetColor(0, 0, 0, 180);
    g->FillRect(0, 0, font->StringWidth(line) + 8, font->GetHeight() + 4);
    g->SetColor(255, 255, 255, 255);
    g->DrawString(line, 4, 2 + font->GetAscent());
    g->PopState();
}
