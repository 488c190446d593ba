// The shared question and notice boxes, waiting on the engine's own update
// steps: real presses through the widget manager answer them, the modal-box
// flag holds the board and the comics still while they wait, and the focus
// comes back afterwards. Every question of the texts fits its box.
#include "game/screens/KpBoard_Confirm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/Font.h"
#include "framework/widgets/WidgetManager.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpXml.h"
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

namespace
{
// Every key a box is asked with: the suffixes of the "db01_text1_" texts.
std::vector<std::string> BoxKeys()
{
    std::vector<std::string> keys;
    KpXmlDocument loc = XmlLoadFile(std::string(LUMO_SOURCE_DIR) + "/data/cfg/loc.xml");
    XmlForEachNode(loc.Get(), L"loc/text[starts-with(@id, \"db01_text1_\")]",
                   [&](IXMLDOMNode* text)
                   {
                       std::string id;
                       XmlReadString(text, "id", id);
                       keys.push_back(id.substr(strlen("db01_text1_")));
                   });
    return keys;
}

// The height the text takes wrapped in the label's box.
int WrappedHeight(KpText* label, const std::wstring& text)
{
    KpTextStyle& style = label->GetStyle();
    Lumo::MemoryImage scratch;
    scratch.Create(8, 8);
    Lumo::Graphics g(&scratch);
    g.SetFont(style.font);
    const int spacing = style.lineSpacing >= 0 ? style.lineSpacing : style.font->GetLineSpacing();
    return g.GetWordWrappedHeight(label->GetTextRect().mWidth, text, spacing);
}
} // namespace

TEST(KpBoard_Confirm, EveryQuestionFitsItsBoxWithItsTitleOnOneLine)
{
    TestEngine();
    const std::vector<std::string> keys = BoxKeys();
    ASSERT_GE(keys.size(), 6u);
    for (const std::string& key : keys)
    {
        // The one-button box tells, the other asks; each key belongs to one.
        const bool notice = !GetEngineLocTable()->HasText("db01_btnno_" + key);
        KpText* title = notice ? gConfirm1->text1 : gConfirm2->text1;
        KpText* detail = notice ? gConfirm1->text2 : gConfirm2->text2;
        ASSERT_TRUE(title && detail && title->GetStyle().font && detail->GetStyle().font);
        const std::wstring head = GetEngineLocTable()->GetText("db01_text1_" + key);
        const std::wstring body = GetEngineLocTable()->GetText("db01_text2_" + key);
        EXPECT_LE(title->GetStyle().MeasureWidth(head), title->GetTextRect().mWidth) << key;
        EXPECT_LE(WrappedHeight(detail, body), detail->GetTextRect().mHeight) << key;
        // The detail starts below the title's box: a wrapped title cannot run into it.
        EXPECT_GE(detail->mY, title->mY + title->mHeight) << key;
    }
}
