// The mouse cursors named in cfg\ui.xml: a cream arrow and a pointing hand,
// both with the coffee outline and a soft shadow below right (light from the
// top left). Hot spots are given in ui.xml: arrow (2;2), hand (11;2).
#include "framework/app/Color.h"
#include "framework/graphics/MemoryImage.h"
#include "tools/artgen/ArtGroup.h"
#include "tools/artgen/ArtPalette.h"
#include "tools/artgen/ArtShape.h"

namespace
{
const int kSize = 32;

// Shadow, outline, then the shape itself.
void PaintOutlined(Lumo::MemoryImage& image, const ArtShape& shape, uint32_t fill)
{
    ArtShape shadow(kSize, kSize);
    shadow.Add(shape.Grown(ArtPalette::kOutlineWidth + 0.5f));
    Lumo::MemoryImage shadowLayer;
    shadowLayer.Create(kSize, kSize);
    shadow.Paint(shadowLayer, ArtPalette::kCoffee, 60);
    Lumo::Color white(255, 255, 255, 255);
    image.DrawImage(&shadowLayer, 1, 2, nullptr, &white, 0);
    shape.Grown(ArtPalette::kOutlineWidth).Paint(image, ArtPalette::kCoffee);
    shape.Paint(image, fill);
}
} // namespace

ART_GROUP(cursors)
{
    Lumo::MemoryImage arrow;
    arrow.Create(kSize, kSize);
    ArtShape arrowShape(kSize, kSize);
    arrowShape.AddPolygon(
        {{3, 3}, {3, 22}, {8, 17.5f}, {11.5f, 25}, {15, 23.5f}, {11.5f, 16}, {18, 16}});
    PaintOutlined(arrow, arrowShape, ArtPalette::kCream);
    out.Save("cursors/arrow.png", arrow);

    Lumo::MemoryImage hand;
    hand.Create(kSize, kSize);
    ArtShape handShape(kSize, kSize);
    handShape.AddRoundRect(9, 3, 5, 15, 2.5f); // pointing finger
    handShape.AddRoundRect(13.5f, 10, 4.5f, 9, 2.2f);
    handShape.AddRoundRect(17.5f, 11, 4.5f, 9, 2.2f);
    handShape.AddRoundRect(21.5f, 12.5f, 4, 8, 2);
    handShape.AddPolygon({{4, 15}, {7, 13}, {11, 18}, {11, 21}}); // thumb
    handShape.AddRoundRect(8, 16, 18, 12, 5);                     // palm
    PaintOutlined(hand, handShape, ArtPalette::kCream);
    // A caramel cuff keeps the hand from reading as a glove.
    ArtShape cuff(kSize, kSize);
    cuff.AddRoundRect(10, 25, 14, 4, 1.5f);
    cuff.Paint(hand, ArtPalette::kCaramel);
    out.Save("cursors/hand.png", hand);
}
