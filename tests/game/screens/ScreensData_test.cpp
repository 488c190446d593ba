// Everything a player reads and sees on these screens exists: every layout the
// screens read builds without a warning (every child, picture and effect it
// names is there), every text id and picture the code asks for by name or by
// pattern is in the data, and so is every text id the layouts name, and each
// fits the box it is shown in. The texts tell one story: a cafe has one name,
// its comics show its own street and room, and no day speaks of weather its
// window does not show. Every comic comes to rest before it holds.
#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>
#include <cwctype>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/app/StringUtils.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/Font.h"
#include "framework/resources/TextLayout.h"
#include "game/engine/KpFont.h"
#include "game/gameplay/KpCafeArt.h"
#include "game/engine/KpLocTable.h"
#include "game/engine/KpSoundManager.h"
#include "game/engine/KpTextureManager.h"
#include "game/engine/KpXml.h"
#include "game/gameplay/KpUpgrade.h"
#include "game/screens/KBoard_Hud.h"
#include "game/screens/KpBoard_Briefing.h"
#include "game/screens/KpBoard_Career.h"
#include "game/screens/KpBoard_Confirm.h"
#include "game/screens/KpBoard_Debriefing.h"
#include "game/screens/KpBoard_EscapeMenu.h"
#include "game/screens/KpBoard_MainMenu.h"
#include "game/screens/KpComix.h"
#include "game/screens/KpComixEpisode.h"
#include "game/screens/KpComixObject.h"
#include "game/ui/KpText.h"
#include "tests/game/screens/ScreensTestSupport.h"

namespace
{
std::vector<std::string> Numbered(const char* format, int first, int last)
{
    std::vector<std::string> names;
    for (int n = first; n <= last; n++)
        names.push_back(Lumo::StrFormat(format, n));
    return names;
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& more)
{
    to.insert(to.end(), more.begin(), more.end());
}

// The text with its variables as wide as the game makes them.
std::wstring WidestText(const std::string& id)
{
    std::wstring text = GetEngineLocTable()->GetText(id);
    for (const wchar_t* name : {L"{goal_money}", L"{expert_money}", L"{level_money}"})
        for (size_t at; (at = text.find(name)) != std::wstring::npos;)
            text.replace(at, wcslen(name), L"99999");
    for (const wchar_t* name : {L"{currentday}", L"{currentcafe}", L"{survival_day}"})
        for (size_t at; (at = text.find(name)) != std::wstring::npos;)
            text.replace(at, wcslen(name), L"24");
    return text;
}

// The height of the text wrapped to the width in the font, baseline to baseline.
int WrappedHeight(Lumo::Font* font, int width, const std::wstring& text, int spacing = -1)
{
    Lumo::MemoryImage scratch;
    scratch.Create(8, 8);
    Lumo::Graphics g(&scratch);
    g.SetFont(font);
    return g.GetWordWrappedHeight(width, text, spacing);
}

// The text as a box shows it, once for each way its names may be filled in:
// the profile file's boxes name it (and its copy and its folder) as a user
// named in full sees it, and why no copy could be kept, for each reason.
std::vector<std::wstring> ShownTexts(const std::string& id)
{
    const std::wstring folder =
        L"C:\\Users\\\u0141ukasz Kowalski\\AppData\\Roaming\\Tessik Games\\Zorka2";
    std::vector<std::wstring> shown = {GetEngineLocTable()->GetText(id)};
    const std::pair<std::wstring, std::vector<std::wstring>> names[] = {
        {L"{profile_nocopy}",
         {GetEngineLocTable()->GetText("db01_why_namestaken"),
          GetEngineLocTable()->GetText("db01_why_nocopy")}},
        {L"{profile_copies}", {L"100"}},
        {L"{profile_file}", {folder + L"\\pref.dat"}},
        {L"{profile_copy}", {folder + L"\\pref.dat.100.bad"}},
        {L"{profile_folder}", {folder}},
        {L"{profile_days}",
         {L"day 15 of cafe 1 (\u0141ukasz Kowalski), day 20 of cafe 2 (Ann) and 3 more"}}};
    for (const auto& name : names)
    {
        std::vector<std::wstring> filled;
        for (const std::wstring& text : shown)
            for (const std::wstring& value : name.second)
            {
                std::wstring one = text;
                for (size_t at; (at = one.find(name.first)) != std::wstring::npos;)
                    one.replace(at, name.first.size(), value);
                filled.push_back(one);
                if (one == text)
                    break;
            }
        shown.swap(filled);
    }
    return shown;
}

// The lines of the text wrapped to the width in the font, as the game wraps them.
std::vector<std::wstring> WrappedLines(Lumo::Font* font, int width, const std::wstring& text)
{
    std::vector<std::wstring> lines;
    for (const Lumo::WrappedLine& line :
         Lumo::WrapText(text, width, false,
                        [font](const std::wstring& piece) { return font->StringWidth(piece); }))
        lines.push_back(text.substr(line.start, line.end - line.start));
    return lines;
}
} // namespace

TEST(ScreensData, EveryLayoutTheScreensReadBuildsWithoutAWarning)
{
    StartScreensLog();
    ScreensEngine* app = TestEngine();
    IXMLDOMNode* root = ScreensLayoutRoot();
    {
        KpBoard_Confirm2 confirm2(app, root);
        KpBoard_Confirm1 confirm1(app, root);
        KpBoard_MainMenu menu(root, app);
        KpBoard_Career book(app, root);
        KpBoard_Briefing briefing(app, root);
        KpBoard_EscapeMenu pause(app, root);
        KBoard_Hud hud(app, root);
        KpBoard_Debriefing success(app, root, false);
        KpBoard_Debriefing fail(app, root, true);
        EXPECT_TRUE(confirm2.yesButton && confirm2.noButton && confirm2.text1 && confirm2.text2 &&
                    confirm2.icon);
        EXPECT_TRUE(confirm1.yesButton && confirm1.text1 && confirm1.text2 && confirm1.icon);
        EXPECT_TRUE(menu.mainPage && menu.careerButton && menu.quitButton && menu.girlPhoto &&
                    menu.profileList && menu.nameField && menu.nameCancelButton && menu.pages);
        EXPECT_TRUE(book.careerPage && book.snapshotPage && book.playButton && book.dayFrame &&
                    book.snapshotDayFrame && book.cafeBigText[2] && book.currentDayButton);
        for (int d = 0; d < kCareerDaySlots; d++)
            EXPECT_TRUE(book.dayButtons[d] && book.dayTexts[d] && book.goalTicks[d] &&
                        book.expertTicks[d] && book.snapshotDayTexts[d] &&
                        book.snapshotExpertTicks[d])
                << d;
        EXPECT_TRUE(briefing.startButton && briefing.goalText && briefing.settingsText);
        EXPECT_TRUE(pause.page && pause.resumeButton && pause.quitButton);
        EXPECT_TRUE(hud.clock && hud.survivalClock && hud.alarm && hud.moneyExpertGhost &&
                    hud.cleanOverlay && hud.freezeOverlay && hud.smiles[2] &&
                    hud.tutorResetWidget && hud.skipTutorialDialog && hud.lifeWidgets[3]);
        EXPECT_EQ(hud.watchFrames.size(), 12u);
        EXPECT_EQ(hud.upgradeFrames.size(), 12u);
        EXPECT_EQ(hud.tutorialList.size(), 4u);
        // Every HUD button has a place of its own, in either mode.
        KpCandyWidget* buttons[3] = {hud.menuButton, hud.upgradeButton,
                                     hud.skipTutorialDialog->FindChild("skip")};
        for (int a = 0; a < 3; a++)
            for (int b = a + 1; b < 3; b++)
            {
                Lumo::WidgetPoint p = buttons[a]->GetAbsPos(), q = buttons[b]->GetAbsPos();
                Lumo::Rect both = Lumo::Rect(p.mX, p.mY, buttons[a]->mWidth, buttons[a]->mHeight)
                                      .Intersection(Lumo::Rect(q.mX, q.mY, buttons[b]->mWidth,
                                                               buttons[b]->mHeight));
                EXPECT_TRUE(both.mWidth == 0 || both.mHeight == 0) << a << " on " << b;
            }
        for (const KpHudGoalPanel& panel : hud.goalPanels)
            EXPECT_TRUE(panel.panel && panel.ghost && panel.count[1] && panel.gauge[1]);
        EXPECT_TRUE(success.awardsReady && fail.awardsReady && fail.outroText &&
                    fail.replayButton && success.startButton);
    }
    std::string log = ScreensLogText();
    StopScreensLog();
    EXPECT_EQ(log.find("WARNING"), std::string::npos) << log;
}

TEST(ScreensData, EveryTextPictureAndSoundTheScreensAskForExists)
{
    std::vector<std::string> texts = {"breif_qq",
                                      "mn04_goal",
                                      "mn04_expert",
                                      "mn04_ready",
                                      "mn04_endless_goal",
                                      "mn04_endless_expert",
                                      "mn04_endless_ready",
                                      "mn00_debrief_fail_vip",
                                      "mn00_debrief_fail_goal"};
    for (const char* key : {"delcareer", "delprof", "restlvl", "exitmenu", "quit", "quitunsaved",
                            "quitheld", "quitnofolder", "savelost", "upgrade"})
        for (const char* part : {"db01_text1_", "db01_text2_", "db01_btnyes_", "db01_btnno_"})
            if (std::string(key) != "upgrade" || std::string(part) != "db01_btnno_")
                texts.push_back(std::string(part) + key);
    // One-button notices of the profile file.
    for (const char* key : {"profileheld", "profilepart", "profilegrew", "profilegrewkept",
                            "profilegrewnocopy", "profilefolder", "profileday", "profiledays"})
        for (const char* part : {"db01_text1_", "db01_text2_", "db01_btnyes_"})
            texts.push_back(std::string(part) + key);
    Append(texts, {"db01_day_profileday", "db01_more_profileday", "db01_why_namestaken",
                   "db01_why_nocopy"});
    for (const char* award : {"flash", "clean", "expert", "mach", "mega"})
        for (const char* suffix : {"", "_active", "_inactive"})
            texts.push_back(std::string("mn00_achiev_") + award + suffix);
    Append(texts, Numbered("breif_l%d", 1, 59));
    Append(texts, Numbered("breif_text_l%02d", 1, 59));
    Append(texts, Numbered("ebreif_text_l%02d", 1, 3));
    Append(texts, Numbered("%d", 1, 24));
    for (const std::string& id : texts)
        EXPECT_TRUE(GetEngineLocTable()->HasText(id)) << id;

    std::vector<std::string> pictures = {"briefing_00", "briefing_qq", "cafe_01",
                                         "pages_f",     "pages_b",     "achievment"};
    for (const char* key :
         {"delcareer", "delprof", "restlvl", "exitmenu", "quit", "quitunsaved", "quitheld",
          "quitnofolder", "upgrade", "profileheld", "profilepart", "profilegrew", "profilegrewkept",
          "profilegrewnocopy", "profilefolder", "profileday", "profiledays"})
        pictures.push_back(std::string("db01_icon_") + key);
    Append(pictures, Numbered("briefing_%02d", 1, 59));
    Append(pictures, Numbered("ebriefing_%02d", 1, 3));
    Append(pictures, Numbered("cafe_%d", 1, 3));
    Append(pictures, Numbered("hud_watch%02d", 0, 11));
    Append(pictures, Numbered("hud_upgrade_%02d", 0, 11));
    for (const std::string& name : pictures)
    {
        KpImageHandle handle = KpTextureManager::GetImage(name);
        EXPECT_FALSE(handle.IsNull()) << name;
        if (!handle.IsNull())
        {
            EXPECT_TRUE(handle.Lock()) << name;
            handle.Unlock();
        }
    }
    for (const char* sound : {"click", "window_open", "briefing_show", "goal", "expert",
                              "good_debriefing_show", "bad_debriefing_show", "debriefing_awards"})
        EXPECT_TRUE(GetSoundManager()->HasSound(sound)) << sound;
}

TEST(ScreensData, EveryTextIdTheLayoutsNameExists)
{
    int named = 0;
    XmlForEachNode(ScreensLayoutRoot(), L"layouts//widget[@loc]",
                   [&](IXMLDOMNode* widget)
                   {
                       std::string id = Lumo::WStringToString(XmlGetAttrString(widget, L"loc"));
                       EXPECT_TRUE(GetEngineLocTable()->HasText(id)) << id;
                       named++;
                   });
    EXPECT_GT(named, 60);
}

TEST(ScreensData, TheStoryNamesEachCafeOneWayAndNoDayTalksOfWeatherTheWindowNeverShows)
{
    TestEngine();
    KpLocTable* loc = GetEngineLocTable();
    // The sign over the door in the comics, the survival page and its title.
    for (int cafe = 1; cafe <= 3; cafe++)
    {
        const std::wstring name = loc->GetText(Lumo::StrFormat("mn08_cafe%d", cafe));
        EXPECT_EQ(loc->GetText(Lumo::StrFormat("comix_sign_%d", cafe)), name) << cafe;
        EXPECT_EQ(loc->GetText(Lumo::StrFormat("mn08_cafe%d_head", cafe)), L"The " + name) << cafe;
        // The room's painted sign says what the place is: its name's last word.
        std::wstring word = name.substr(name.rfind(L' ') + 1);
        for (wchar_t& c : word)
            c = towupper(c);
        EXPECT_EQ(std::wstring(KpCafeArt::kRoomSignWords[cafe - 1]), word) << cafe;
    }
    // Every cafe's window shows a bright sky over green trees, every day.
    std::vector<std::string> days = Numbered("breif_text_l%02d", 1, 59);
    Append(days, Numbered("breif_l%d", 1, 59));
    Append(days, Numbered("ebreif_text_l%02d", 1, 3));
    for (const std::string& id : days)
    {
        std::wstring text = loc->GetText(id);
        for (wchar_t& c : text)
            c = towlower(c);
        for (const wchar_t* weather : {L"rain", L"snow", L"storm", L"autumn", L"leaves", L"wet"})
            EXPECT_EQ(text.find(weather), std::wstring::npos)
                << id << " speaks of " << std::string(weather, weather + wcslen(weather));
    }
}

TEST(ScreensData, EachCafesComicsShowThatCafeOutsideAndInside)
{
    TestEngine();
    KpXmlDocument document = XmlLoadFile("cfg\\comix.xml");
    ASSERT_TRUE(document);
    for (const char* place : {"street", "room"})
    {
        std::set<std::wstring> all;
        for (int cafe = 1; cafe <= 3; cafe++)
        {
            std::set<std::wstring> own;
            for (const char* comic : {"intro_cafe%d", "outro_cafe%d"})
            {
                const std::string name = Lumo::StrFormat(comic, cafe);
                XmlForEachNode(document.Get(),
                               Lumo::StringToWString(Lumo::StrFormat(
                                   "comixes/comix[@name=\"%s\"]/objects/object[@name=\"%s\"]",
                                   name.c_str(), place)),
                               [&](IXMLDOMNode* picture)
                               { own.insert(XmlGetAttrString(picture, L"file")); });
            }
            EXPECT_EQ(own.size(), 1u) << "cafe " << cafe << "'s " << place;
            all.insert(own.begin(), own.end());
        }
        EXPECT_EQ(all.size(), 3u) << "a cafe's comics show another cafe's " << place;
    }
}

TEST(ScreensData, NoPlayedDayTextSaysHowTheDayWent)
{
    TestEngine();
    // The book and the debriefing show a played day's text whatever its
    // result: it tells what happened that day, never how well it went.
    for (const std::string& id : Numbered("breif_l%d", 1, 59))
    {
        std::wstring text = GetEngineLocTable()->GetText(id);
        for (wchar_t& c : text)
            c = towlower(c);
        for (const wchar_t* claim : {L"smil", L"happy", L"nobody", L"everybody", L"won", L"winner",
                                     L"celebrat", L"loved", L"impressed", L"glowing"})
            EXPECT_EQ(text.find(claim), std::wstring::npos)
                << id << " says " << std::string(claim, claim + wcslen(claim));
    }
}

TEST(ScreensData, OnlyTheCareerBriefingNamesADay)
{
    TestEngine();
    // A survival level's number is its cafe's, and so is the briefing's day:
    // no text a survival briefing shows may name it.
    for (const char* id : {"mn04_title", "mn04_endless_goal", "mn04_endless_expert",
                           "mn04_endless_ready", "mn04_ready"})
        EXPECT_EQ(GetEngineLocTable()->GetText(id).find(L"{currentday}") == std::wstring::npos,
                  std::string(id) != "mn04_ready")
            << id;
}

// Every text fits the box it is shown in, in each place it is shown: a
// label on one line, a wrapped text within its height (its last line never
// runs over what lies below), with its variables as wide as they get.
TEST(ScreensData, EveryTextFitsTheBoxItIsShownIn)
{
    ScreensEngine* app = TestEngine();
    IXMLDOMNode* root = ScreensLayoutRoot();
    KpBoard_MainMenu menu(root, app);
    KpBoard_Briefing briefing(app, root);
    KBoard_Hud hud(app, root);
    KpComix comix(app, root);
    auto text = [](KpCandyWidget* parent, const char* name)
    {
        KpCandyWidget* w = parent ? parent->FindChild(name) : nullptr;
        return w ? w->AsText() : nullptr;
    };
    struct Row
    {
        const char* where;
        KpText* label;
        bool wrapped;
        std::vector<std::string> ids;
    };
    const Row rows[] = {
        {"main menu hint", text(menu.mainPage, "hint"), true, {"mn03_hint"}},
        {"briefing goal", briefing.goalText, true, {"mn04_goal", "mn04_endless_goal"}},
        {"briefing expert", briefing.expertText, true, {"mn04_expert", "mn04_endless_expert"}},
        {"briefing ready", briefing.settingsText, true, {"mn04_ready", "mn04_endless_ready"}},
        {"tutorial's skip", text(hud.skipTutorialDialog, "skip"), false, {"mn06_skip"}},
        {"survival goal", text(&hud, "survival_goal_value"), false, {"mn06_survival_goal"}},
        {"comic's button", text(&comix, "comix_skip"), false, {"comix_skip"}},
        {"serve tip", text(&hud, "tutorial_serve_text"), true, {"mn06_tutorial_serve"}},
        {"clean tip", text(&hud, "tutorial_clean_text"), true, {"mn06_tutorial_clean"}},
        {"money tip", text(&hud, "tutorial_money_text"), true, {"mn06_tutorial_money"}},
        {"patience tip", text(&hud, "tutorial_patience_text"), true, {"mn06_tutorial_patience"}},
    };
    for (const Row& row : rows)
    {
        ASSERT_TRUE(row.label && row.label->GetStyle().font) << row.where;
        const Lumo::Rect box = row.label->GetTextRect();
        const KpTextStyle& style = row.label->GetStyle();
        for (const std::string& id : row.ids)
        {
            const std::wstring shown = WidestText(id);
            if (row.wrapped)
                EXPECT_LE(WrappedHeight(style.font, box.mWidth, shown, style.lineSpacing),
                          box.mHeight)
                    << row.where << ": " << id;
            else
                EXPECT_LE(style.MeasureWidth(shown), box.mWidth) << row.where << ": " << id;
        }
    }
    // The briefing's card holds its buttons on a shelf that starts 96 px above
    // the card's foot (the card lies 10 px inside the dialog): its texts end above it.
    const int shelf = briefing.mHeight - 10 - 96;
    for (KpText* label : {briefing.goalText, briefing.expertText, briefing.settingsText})
        EXPECT_LE(label->mY + label->mHeight, shelf) << label->mName;
}

// A caption, a day's story, a result, a tip or a question fits the box that
// shows it and, when it runs onto a further line, never leaves one word alone
// there ("in.", "Cafe!"): it reads as cut off. Each is laid out with the
// game's own wrap.
TEST(ScreensData, TextsFitTheirBoxesAndNeverEndOnAWordAlone)
{
    TestEngine();
    struct Box
    {
        std::string where;
        std::string font;
        int width, height; // height 0: a comic's, which has a test of its own
        std::vector<std::string> ids;
    };
    std::vector<Box> boxes;
    // A kptext of a layout, by its name (or its loc id): its font and its box.
    auto layoutBox = [&](const char* dialog, const std::string& name, std::vector<std::string> ids,
                         const char* by = "name")
    {
        Box box{std::string(dialog) + "/" + name, "", 0, 0, ids};
        XmlForEachNode(
            ScreensLayoutRoot(),
            Lumo::StringToWString(Lumo::StrFormat(
                "layouts/widget[@name=\"%s\"]//widget[@%s=\"%s\"]", dialog, by, name.c_str())),
            [&](IXMLDOMNode* widget)
            {
                if (!box.font.empty())
                    return;
                XmlReadString(widget, "font", box.font);
                XmlReadInt(widget, "w", box.width);
                XmlReadInt(widget, "h", box.height);
                std::string loc;
                if (XmlReadString(widget, "loc", loc))
                    box.ids.push_back(loc);
            });
        boxes.push_back(box);
    };
    std::vector<std::string> briefings = Numbered("breif_text_l%02d", 1, 59);
    Append(briefings, Numbered("ebreif_text_l%02d", 1, 3));
    std::vector<std::string> played = Numbered("breif_l%d", 1, 59), book = {"breif_qq"};
    Append(book, played);
    std::vector<std::string> awards, upgrades;
    for (const char* award : {"flash", "clean", "expert", "mach", "mega"})
        for (const char* state : {"_active", "_inactive"})
            awards.push_back(std::string("mn00_achiev_") + award + state);
    for (int i = 0; i < GetUpgradeInfoCount(); i++)
        upgrades.push_back(std::string("mn09_desc_") + GetUpgradeInfo(i).object + "_" +
                           GetUpgradeInfo(i).name);
    layoutBox("briefing_dialog", "briefing", briefings);
    layoutBox("debriefing_dialog", "day_story", played);
    layoutBox("debriefing_dialog_fail", "level_outro_text",
              {"mn00_debrief_fail_vip", "mn00_debrief_fail_goal"});
    layoutBox("debriefing_dialog", "label_achiev_about", awards);
    layoutBox("career_menu", "brief_debrief", book);
    layoutBox("upgrade_menu", "upgrade_description", upgrades);
    layoutBox("survival_menu", "intro", {});
    for (const char* tip : {"serve", "clean", "money", "patience"})
        layoutBox("hud", Lumo::StrFormat("tutorial_%s_text", tip), {});
    for (int page = 1; page <= 6; page++)
        layoutBox("help", Lumo::StrFormat("mn11_text%d", page), {}, "loc");
    // The question boxes' words, and the notices' (a name they hold as a user
    // named in full sees it).
    for (const char* box : {"dialogbox_2button", "dialogbox_1button"})
    {
        const bool questions = std::string(box) == "dialogbox_2button";
        std::vector<std::string> titles, words;
        for (const char* key :
             questions ? std::vector<const char*>{"delcareer", "delprof", "restlvl", "exitmenu",
                                                  "quit", "quitunsaved", "quitheld", "quitnofolder",
                                                  "upgrade", "savelost", "savelostnocopy"}
                       : std::vector<const char*>{"savefail", "savenocopy", "profilekept",
                                                  "profilereset", "profilepart", "profileday",
                                                  "profiledays", "profilegrew", "profilegrewkept",
                                                  "profilegrewnocopy", "profilenocopy",
                                                  "profileheld", "profilefolder", "nofullscr"})
        {
            titles.push_back(std::string("db01_text1_") + key);
            words.push_back(std::string("db01_text2_") + key);
        }
        layoutBox(box, "text1", titles);
        layoutBox(box, "text2", words);
    }
    KpXmlDocument comix = XmlLoadFile("cfg\\comix.xml");
    ASSERT_TRUE(comix);
    XmlForEachNode(comix.Get(), L"comixes/comix/objects/object[@type=\"text\"]",
                   [&](IXMLDOMNode* object)
                   {
                       Box box{"comic", "", 0, 0, {""}};
                       Lumo::LumoVector2 p1(0.0f, 0.0f), p2(0.0f, 0.0f);
                       XmlReadString(object, "font", box.font);
                       XmlReadString(object, "string_id", box.ids[0]);
                       XmlReadPoint(object, "rect_p1", p1);
                       XmlReadPoint(object, "rect_p2", p2);
                       box.width = int(p2.x - p1.x);
                       boxes.push_back(box);
                   });

    int laidOut = 0;
    for (const Box& box : boxes)
    {
        Lumo::Font* font = KpFont::GetFont(box.font);
        ASSERT_TRUE(font && box.width > 0 && !box.ids.empty()) << box.where;
        for (const std::string& id : box.ids)
            for (const std::wstring& text : ShownTexts(id))
            {
                const std::vector<std::wstring> lines = WrappedLines(font, box.width, text);
                laidOut++;
                if (box.height > 0)
                {
                    EXPECT_LE(WrappedHeight(font, box.width, text), box.height)
                        << box.where << ": " << id << " runs out of its box: " << lines.size()
                        << " lines";
                }
                if (lines.size() < 2)
                    continue;
                const std::wstring& last = lines.back();
                EXPECT_NE(last.find(L' '), std::wstring::npos)
                    << box.where << ": " << id << " ends on \"" << Lumo::WStringToString(last)
                    << "\" alone";
            }
    }
    EXPECT_GE(laidOut, 59 * 3 + 20);
}

// Each comic's texts fit their boxes (a line cut off at the box's foot is
// lost), and nothing stands on the screen as a speck: an object that grows
// from a dot is hidden until it does.
TEST(ScreensData, ComicTextsFitTheirBoxesAndNothingStartsAsASpeck)
{
    TestEngine();
    KpXmlDocument document = XmlLoadFile("cfg\\comix.xml");
    ASSERT_TRUE(document);
    int texts = 0;
    XmlForEachNode(
        document.Get(), L"comixes/comix",
        [&](IXMLDOMNode* comic)
        {
            std::string name;
            int defaultTop = 0;
            XmlReadString(comic, "name", name);
            XmlReadInt(comic, "default_top_offset", defaultTop);
            XmlForEachNode(
                comic, L"objects/object",
                [&](IXMLDOMNode* object)
                {
                    std::string type, id, font, objectName;
                    XmlReadString(object, "type", type);
                    XmlReadString(object, "name", objectName);
                    const std::string where = name + "/" + objectName;
                    bool visible = true;
                    float scale = 1.0f, alpha = 1.0f;
                    XmlReadBool(object, "visible", visible);
                    XmlReadFloat(object, "scale", scale);
                    XmlReadFloat(object, "alpha", alpha);
                    EXPECT_FALSE(visible && alpha > 0.0f && scale > 0.0f && scale < 0.1f)
                        << where << " starts as a speck, at scale " << scale;
                    if (type != "text")
                        return;
                    int top = defaultTop;
                    Lumo::LumoVector2 p1(0.0f, 0.0f), p2(100.0f, 100.0f);
                    XmlReadString(object, "string_id", id);
                    XmlReadString(object, "font", font);
                    XmlReadInt(object, "top_offset", top);
                    XmlReadPoint(object, "rect_p1", p1);
                    XmlReadPoint(object, "rect_p2", p2);
                    Lumo::Font* f = KpFont::GetFont(font);
                    ASSERT_NE(f, nullptr) << where;
                    const int w = int(p2.x - p1.x), h = int(p2.y - p1.y);
                    const int descent = f->GetHeight() - f->GetAscent();
                    EXPECT_LE(top + WrappedHeight(f, w, GetEngineLocTable()->GetText(id)) + descent,
                              h)
                        << where << ": " << id << " runs out of its box";
                    texts++;
                });
        });
    EXPECT_GE(texts, 19);
}

// Each comic comes to rest before it holds its last picture until the
// button: left alone, nothing on the screen moved in its last half second;
// clicked through (each episode a second or three in, the later click after
// some actors' first rounds), nothing on it would move if the clock ran on.
TEST(ScreensData, EveryComicHoldsAStillLastPicture)
{
    ScreensEngine* app = TestEngine();
    KpXmlDocument document = XmlLoadFile("cfg\\comix.xml");
    ASSERT_TRUE(document);
    std::vector<std::string> names;
    XmlForEachNode(document.Get(), L"comixes/comix",
                   [&](IXMLDOMNode* comic)
                   { names.push_back(Lumo::WStringToString(XmlGetAttrString(comic, L"name"))); });
    ASSERT_GE(names.size(), 6u);
    // Where each picture stands, and whether it shows on the screen.
    struct Place
    {
        Lumo::LumoVector2 at;
        bool shown;
    };
    auto places = [](const KpComix& comix)
    {
        std::map<std::string, Place> all;
        for (KpComixObject* object : comix.GetObjects())
            if (KpComixObjectPic* picture = object->AsPicture())
            {
                KpComixDrawPlan plan;
                const bool drawn = picture->MakeDrawPlan(plan);
                const Lumo::Rect area =
                    drawn ? picture->GetPlanArea(plan).Intersection(Lumo::Rect(0, 0, 1024, 768))
                          : Lumo::Rect();
                all[object->mName] = {picture->mState.pos + picture->mState.offset,
                                      area.mWidth > 0 && area.mHeight > 0};
            }
        return all;
    };
    const bool wasActive = app->mActive;
    app->mActive = true;
    for (const std::string& name : names)
        for (float click : {0.0f, 1.0f, 3.0f})
        {
            KpComix comix(app, nullptr);
            comix.Play(name);
            // Shown without OnShow: no board to pause here.
            comix.SetVisible(true);
            const int episodes = int(comix.GetEpisodes().size());
            ASSERT_GT(episodes, 0) << name;
            std::deque<std::map<std::string, Place>> recent;
            for (int updates = 0; comix.GetEpisodeIndex() < episodes; updates++)
            {
                ASSERT_LT(updates, 20000) << name << " never ends";
                const KpComixEpisode* current = comix.GetEpisodes()[comix.GetEpisodeIndex()];
                if (click > 0.0f && comix.GetClock() - current->mStartTime >= click)
                    comix.SkipEpisode();
                else
                    comix.Update();
                recent.push_back(places(comix));
                if (recent.size() > 50)
                    recent.pop_front();
            }
            std::map<std::string, Place> before = recent.front(), held = recent.back();
            if (click > 0.0f)
            {
                before = held;
                for (int step = 1; step <= 300; step++)
                    for (KpComixEpisode* episode : comix.GetEpisodes())
                        episode->Apply(comix.GetClock() + step * 0.01f);
                held = places(comix);
            }
            for (const auto& object : held)
            {
                const Lumo::LumoVector2 was = before[object.first].at, is = object.second.at;
                EXPECT_FALSE(object.second.shown &&
                             (std::fabs(was.x - is.x) > 0.5f || std::fabs(was.y - is.y) > 0.5f))
                    << name << (click > 0.0f ? Lumo::StrFormat(", clicked at %gs", click) : "")
                    << ": " << object.first << " moves from " << was.x << ";" << was.y << " to "
                    << is.x << ";" << is.y << " on the held picture";
            }
        }
    app->mActive = wasActive;
}
