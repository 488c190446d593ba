// The cafe's pictures as the play draws them and the art tool makes them: the
// texture names of "cfg\ui.xml" and the picture sizes and anchors, in one
// place so that a picture and the code placing it cannot drift apart. All
// sizes are pixels at 1024 x 768.
#pragma once

namespace KpCafeArt
{
// Client looks: each a colour of its own, seated and standing.
const int kClientLooks = 8;
// "client_sit_%d" (0-7): upper body and head behind a table; bottom centre at the seat.
const int kSitWidth = 96, kSitHeight = 124;
// "client_stand_%d": a whole standing client; bottom centre at the feet.
const int kStandWidth = 96, kStandHeight = 168;
// The head's centre above the picture's bottom centre, and its radius.
const int kSitHeadY = 88, kStandHeadY = 132, kHeadRadius = 27;
// "face_happy", "face_neutral", "face_angry": mouth, brows and cheeks over the
// head; centred on the head's centre.
const int kFaceWidth = 64, kFaceHeight = 56;

// "table_oak", "table_marble": the table top on its foot; the anchor (the
// table's place) is the centre of the top.
const int kTableWidth = 176, kTableHeight = 120, kTableTopY = 38;
const int kTableTopRX = 80, kTableTopRY = 30; // the top's ellipse, for picking
// "chair", "chair_comfy": the chair behind the table; bottom centre just
// below the table's place.
const int kChairWidth = 112, kChairHeight = 132, kChairBelow = 4;
// "table_dirty": crumbs, rings and a used cup over the top, centred on it.
const int kDirtyWidth = 150, kDirtyHeight = 64;
// A client sits this far above the table's place.
const int kSeatAbove = 14;

// "patience_back" and "patience_fill_mint", "_butter", "_cherry": the
// patience bar; the fill sits inside the back at (kBarInset, kBarInset).
const int kBarWidth = 76, kBarHeight = 16, kBarInset = 3;
const int kBarFillWidth = kBarWidth - 2 * kBarInset, kBarFillHeight = kBarHeight - 2 * kBarInset;
// "bubble": the order bubble, its tail at the bottom left; "prod_%s" the
// product inside it (and on the table while it is eaten).
const int kBubbleWidth = 64, kBubbleHeight = 60;
const int kProductSize = 40;

// "coin_small", "heart_small": the money and life pops.
const int kPopIconSize = 28;
// "life_heart", "life_heart_lost": a career day's lives on the scene, as big
// as the survival HUD's hearts.
const int kLifeHeartSize = 44;
// "<look>_sign_open", "<look>_sign_closed": the sign on the door of the cafe
// picture, its string and all; its top left on the screen, under the door's hook.
const int kDoorSignX = 925, kDoorSignY = 110;
const int kDoorSignWidth = 70, kDoorSignHeight = 36;
// The word painted on the sign over each cafe's menu board (cafes 1 to 3):
// what the place is, the last word of its name ("mn08_cafe%d" in cfg\loc.xml).
const wchar_t* const kRoomSignWords[3] = {L"CAFE", L"CAFE", L"BISTRO"};
// The room's lower cup shelf, its board on the screen: the espresso machine
// ("counter_espresso") stands on the counter under it and must keep clear of it.
const int kLowerShelfX = 600, kLowerShelfY = 150, kLowerShelfWidth = 268, kShelfBoardHeight = 12;
} // namespace KpCafeArt
