// The hi-score pages after InsertRecord: both tables filled row by row, the
// current player's rows enabled and everyone else's disabled, empty rows
// without a score.
#include <gtest/gtest.h>

#include "game/engine/KpProfileFile.h"
#include "game/screens/KpBoard_HiScores.h"
#include "game/ui/KpText.h"
#include "tests/game/screens/other/OtherScreensSupport.h"

using namespace OtherScreens;

namespace
{
KpText* Text(KpCandyWidget* page, const std::string& name)
{
    KpCandyWidget* w = page ? page->FindChild(name) : nullptr;
    return w ? w->AsText() : nullptr;
}
} // namespace

TEST(HiScores, MarkTheCurrentPlayersRowsInTheCareerAndSurvivalTables)
{
    FreshProfile(L"Anna");
    EXPECT_EQ(gProfileFile.InsertRecord(false, L"Anna", 99999), 0);
    EXPECT_EQ(gProfileFile.InsertRecord(false, L"Anna", 17000), 3);
    const int survivalPlace = gProfileFile.InsertRecord(true, L"Anna", 5200);
    ASSERT_LT(survivalPlace, kRecordCount);
    // An empty row and a negative score of someone else.
    gProfileFile.GetRecords(true)[13] = KpRecord();
    gProfileFile.GetRecords(true)[12].score = -5;

    KpBoard_HiScores* scores =
        AddScreen(kBoardHiScores, new KpBoard_HiScores(Engine(), LayoutRoot()));
    ASSERT_NE(scores->leftPage, nullptr);
    ASSERT_NE(scores->rightPage, nullptr);
    ASSERT_NE(scores->closeButton, nullptr);
    scores->Show();
    RunUpdates(5);

    for (int i = 0; i < kRecordCount; i++)
    {
        KpText* line = Text(scores->leftPage, "line0" + std::to_string(i));
        KpText* score = Text(scores->leftPage, "score0" + std::to_string(i));
        ASSERT_NE(line, nullptr);
        ASSERT_NE(score, nullptr);
        const KpRecord& record = gProfileFile.GetRecords(false)[i];
        EXPECT_EQ(line->GetText(), record.name);
        EXPECT_EQ(score->GetText(), std::to_wstring(record.score));
        EXPECT_EQ(line->mDisabled, record.name != L"Anna") << "career row " << i;
    }
    EXPECT_EQ(Text(scores->leftPage, "score00")->GetText(), L"99999");
    EXPECT_FALSE(Text(scores->leftPage, "line03")->mDisabled);
    EXPECT_TRUE(Text(scores->leftPage, "line02")->mDisabled);

    KpText* mine = Text(scores->rightPage, "line1" + std::to_string(survivalPlace));
    EXPECT_EQ(mine->GetText(), L"Anna");
    EXPECT_FALSE(mine->mDisabled);
    EXPECT_EQ(Text(scores->rightPage, "score1" + std::to_string(survivalPlace))->GetText(),
              L"5200");
    EXPECT_EQ(Text(scores->rightPage, "score112")->GetText(), L"-5");
    EXPECT_TRUE(Text(scores->rightPage, "line112")->mDisabled);
    EXPECT_EQ(Text(scores->rightPage, "line113")->GetText(), L"");
    EXPECT_EQ(Text(scores->rightPage, "score113")->GetText(), L"");

    // Without a current player every row is someone else's.
    FreshProfile(nullptr);
    gProfileFile.InsertRecord(false, L"Anna", 99999);
    scores->FillTables();
    EXPECT_TRUE(Text(scores->leftPage, "line00")->mDisabled);
    ClearScreens();
}
