// The shared question and notice boxes, waiting on the engine's own update
// steps: real presses through the widget manager answer them, the modal-box
// flag holds the board and the comics still while they wait, and the focus
// comes back afterwards.
#include "game/screens/KpBoard_Confirm.h"

#include <gtest/gtest.h>

#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpLocTable.h"
#include "game/ui/KpButton.h"
#include "game/ui/KpText.h"
#include "tests/game/screens/ScreensTestSupport.h"

namespace
{
// Asks the box and, on its third wait step, presses `button` (null: ends the
// application instead). Records the modal-box flag seen while waiting.
int32_t AskAndPress(bool message, KpButton* (*button)(), bool* flagSeen)
{
    ScreensEngine* engine = TestEngine();
    *flagSeen = true;
    engine->mSteps = 0;
    engine->mOnStep = [&]
    {
        *flagSeen = *flagSeen && engine->modalBoxOpen == 1;
        if (engine->mSteps < 3)
            return true;
        KpButton* target = button();
        if (!target)
            return false;
        ClickWidget(target);
        return true;
    };
    int32_t answer = message ? ShowMessageBox("upgrade") : ShowConfirmBox("restlvl");
    engine->mOnStep = nullptr;
    return answer;
}
} // namespace

TEST(KpBoard_Confirm, PressesAnswerYesNoAndAnEndedWaitGivesNoResult)
{
    ScreensEngine* engine = TestEngine();
    Lumo::WidgetManager* manager = engine->mWidgetManager;
    ASSERT_TRUE(gConfirm2 && gConfirm1 && gBgDialog);
    KpText focusHolder;
    manager->AddWidget(&focusHolder);
    manager->SetFocus(&focusHolder);

    bool held = false;
    EXPECT_EQ(AskAndPress(
                  false, [] { return gConfirm2->yesButton; }, &held),
              1);
    EXPECT_TRUE(held);
    EXPECT_EQ(engine->modalBoxOpen, 0);
    // The question was filled from the key, and the focus came back.
    EXPECT_EQ(gConfirm2->text1->GetText(), GetEngineLocTable()->GetText("db01_text1_restlvl"));
    EXPECT_EQ(gConfirm2->noButton->GetText(), GetEngineLocTable()->GetText("db01_btnno_restlvl"));
    EXPECT_EQ(manager->GetFocusWidget(), &focusHolder);
    EXPECT_FALSE(gBgDialog->mVisible);

    EXPECT_EQ(AskAndPress(
                  false, [] { return gConfirm2->noButton; }, &held),
              0);
    EXPECT_TRUE(held);
    EXPECT_EQ(AskAndPress(
                  false, [] { return (KpButton*)nullptr; }, &held),
              NoResult);
    EXPECT_EQ(engine->modalBoxOpen, 0);

    EXPECT_EQ(AskAndPress(
                  true, [] { return gConfirm1->yesButton; }, &held),
              1);
    EXPECT_TRUE(held);
    EXPECT_EQ(gConfirm1->text2->GetText(), GetEngineLocTable()->GetText("db01_text2_upgrade"));
    EXPECT_EQ(manager->GetFocusWidget(), &focusHolder);
    manager->RemoveWidget(&focusHolder);
}

TEST(KpBoard_Confirm, TheKeyboardAnswersAndASecondQuestionOnTheSameBoxIsRefused)
{
    ScreensEngine* engine = TestEngine();
    int32_t nested = 0;
    engine->mSteps = 0;
    engine->mOnStep = [&]
    {
        if (engine->mSteps == 2)
            nested = ShowConfirmBox("quit");
        if (engine->mSteps == 3)
            engine->mWidgetManager->KeyDown(27);
        return engine->mSteps < 50;
    };
    EXPECT_EQ(ShowConfirmBox("delprof"), 0);
    EXPECT_EQ(nested, NoResult);
    engine->mSteps = 0;
    engine->mOnStep = [&]
    {
        if (engine->mSteps == 2)
            engine->mWidgetManager->KeyDown(13);
        return engine->mSteps < 50;
    };
    EXPECT_EQ(ShowConfirmBox("delprof"), 1);
    engine->mOnStep = nullptr;
}
