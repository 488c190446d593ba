#include "game/scene/KpItem.h"

void KpItem::Update(int) {}

void KpItem::DrawPart(Lumo::Graphics*, int) {}
