// The comic's easing rules and actors against values worked out by hand, on
// scenes loaded from small documents (pictures without files keep their
// state and simply draw nothing).
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "framework/app/MusicInterface.h"
#include "framework/graphics/MemoryImage.h"
#include "game/engine/KpMusic.h"
#include "game/engine/KpProfileFile.h"
#include "game/screens/KpComix.h"
#include "game/screens/KpComixActor.h"
#include "game/screens/KpComixEasing.h"
#include "game/screens/KpComixEpisode.h"
#include "game/screens/KpComixObject.h"
#include "tests/game/screens/comix/ComixTestSupport.h"

namespace
{

const KpComixObjectState& Live(KpComix& comix, const std::string& name)
{
    KpComixObject* object = comix.FindObject(name);
    EXPECT_NE(nullptr, object) << name;
    static KpComixObjectState none;
    return object && object->AsPicture() ? object->AsPicture()->mState : none;
}

// One picture "a" and one episode of the given actors.
void LoadActors(KpComix& comix, const std::string& actors)
{
    LoadComixText(comix, "<comix><objects><object type=\"pic\" name=\"a\"/></objects>"
                         "<episodes><episode>" +
                             actors + "</episode></episodes></comix>");
}

} // namespace

TEST(ComixEasing, RulesGiveTheirFormulasAtChosenShares)
{
    EXPECT_FLOAT_EQ(0.3f, GetEasingRule("lerp")(0.3f));
    KpComixEasingRule roof = GetEasingRule("roof");
    EXPECT_FLOAT_EQ(0.5f, roof(0.25f));
    EXPECT_FLOAT_EQ(1.0f, roof(0.5f));
    EXPECT_FLOAT_EQ(0.5f, roof(0.75f));
    KpComixEasingRule sine = GetEasingRule("sin");
    EXPECT_FLOAT_EQ(0.5f, sine(0.0f));
    EXPECT_NEAR(1.0f, sine(0.25f), 1e-6f);
    EXPECT_NEAR(0.0f, sine(0.75f), 1e-6f);
    KpComixEasingRule crazy = GetEasingRule("crazy");
    EXPECT_NEAR((std::sin(6.0f) + 1.0f) / 2.0f, crazy(0.25f), 1e-6f); // 0.36029
    EXPECT_NEAR((std::sin(3.0f) + 1.0f) / 2.0f, crazy(1.0f / 12.0f), 1e-5f);
    EXPECT_FLOAT_EQ(0.25f, GetEasingRule("easeIn")(0.5f));
    EXPECT_FLOAT_EQ(0.5f, GetEasingRule("easeOut")(0.25f));
    EXPECT_EQ(nullptr, GetEasingRule("EaseIn")); // names are case-sensitive
    EXPECT_EQ(nullptr, GetEasingRule(""));

    EXPECT_FLOAT_EQ(150.0f, Lerp(0.25f, 100.0f, 300.0f));
    Lumo::LumoVector2 v = Lerp(0.5f, Lumo::LumoVector2(0, 10), Lumo::LumoVector2(10, -10));
    EXPECT_FLOAT_EQ(5.0f, v.x);
    EXPECT_FLOAT_EQ(0.0f, v.y);
}

TEST(ComixActors, ChangesFollowTheirRulesAtChosenEpisodeTimes)
{
    KpComix comix;
    LoadActors(comix,
               "<actor action=\"change_pos_x\" object=\"a\" val1=\"100\" val2=\"300\" t1=\"1\" "
               "t2=\"3\" rule=\"easeIn\"/>"
               "<actor action=\"change_angle\" object=\"a\" val1=\"0\" val2=\"90\" t1=\"0\" "
               "t2=\"2\" loop=\"1\"/>"
               "<actor action=\"change_alpha\" object=\"a\" val1=\"0\" val2=\"1\" t1=\"4\" "
               "t2=\"5\" rule=\"sin\"/>"
               "<actor action=\"change_scale\" object=\"a\" val1=\"1\" val2=\"2\" t1=\"6\" "
               "t2=\"8\" rule=\"roof\"/>"
               "<actor action=\"change_offset\" object=\"a\" val1=\"0;0\" val2=\"10;-20\" "
               "t1=\"0\" t2=\"4\"/>");
    ASSERT_EQ(1u, comix.GetEpisodes().size());
    KpComixEpisode& episode = *comix.GetEpisodes()[0];
    EXPECT_FLOAT_EQ(8.0f, episode.mDuration);
    const KpComixObjectState& s = Live(comix, "a");

    episode.Apply(0.5f);
    EXPECT_FLOAT_EQ(0.0f, s.pos.x); // before t1: untouched
    EXPECT_FLOAT_EQ(22.5f, s.angle);
    EXPECT_FLOAT_EQ(1.25f, s.offset.x);
    EXPECT_FLOAT_EQ(-2.5f, s.offset.y);
    episode.Apply(2.0f);
    EXPECT_FLOAT_EQ(150.0f, s.pos.x); // r 0.5, eased to 0.25
    EXPECT_FLOAT_EQ(0.0f, s.angle);   // the loop starts over
    episode.Apply(2.5f);
    EXPECT_FLOAT_EQ(22.5f, s.angle);
    episode.Apply(3.0f);
    EXPECT_FLOAT_EQ(100.0f, s.pos.x); // exactly t2: the share's fraction is 0
    episode.Apply(3.01f);
    EXPECT_FLOAT_EQ(300.0f, s.pos.x); // past t2: done at val2
    episode.Apply(2.0f);
    EXPECT_FLOAT_EQ(300.0f, s.pos.x); // a done change writes no more

    episode.Apply(4.0f);
    EXPECT_FLOAT_EQ(0.5f, s.alpha); // sin starts in the middle
    episode.Apply(4.25f);
    EXPECT_NEAR(1.0f, s.alpha, 1e-6f);
    episode.Apply(4.75f);
    EXPECT_NEAR(0.0f, s.alpha, 1e-6f);
    episode.Apply(6.5f);
    EXPECT_FLOAT_EQ(1.5f, s.scale); // roof: up...
    episode.Apply(7.0f);
    EXPECT_FLOAT_EQ(2.0f, s.scale);
    episode.Apply(7.5f);
    EXPECT_FLOAT_EQ(1.5f, s.scale); // ...and back
    episode.Apply(9.0f);
    EXPECT_FLOAT_EQ(2.0f, s.scale);  // a finished roof still ends at val2
    EXPECT_FLOAT_EQ(45.0f, s.angle); // the loop runs on: 9 s is 4.5 turns
}

TEST(ComixActors, ChangeWithoutSpanWritesItsEndValueAtOnce)
{
    KpComix comix;
    LoadActors(comix, "<actor action=\"change_pos_y\" object=\"a\" val1=\"10\" val2=\"50\" "
                      "t1=\"2\" t2=\"2\"/>");
    KpComixEpisode& episode = *comix.GetEpisodes()[0];
    const KpComixObjectState& s = Live(comix, "a");
    episode.Apply(1.99f);
    EXPECT_FLOAT_EQ(0.0f, s.pos.y);
    episode.Apply(2.0f);
    EXPECT_FLOAT_EQ(50.0f, s.pos.y);
    episode.Apply(2.5f);
    EXPECT_FLOAT_EQ(50.0f, s.pos.y);
}

TEST(ComixActors, SetValuesFireOnceAndSkipGivesEveryActorItsEnd)
{
    KpComix comix;
    LoadComixText(comix,
                  "<comix><objects><object type=\"pic\" name=\"a\"/><object type=\"pic\" "
                  "name=\"b\"/></objects><episodes><episode>"
                  "<actor action=\"set_visible\" object=\"a\" val=\"0\" t=\"1\"/>"
                  "<actor action=\"set_pos\" object=\"b\" val=\"4;5\" t=\"9\"/>"
                  "<actor action=\"change_scale\" object=\"b\" val1=\"1\" val2=\"3\" t1=\"0\" "
                  "t2=\"5\"/>"
                  "<actor action=\"change_angle\" object=\"b\" val1=\"0\" val2=\"30\" t1=\"-3\" "
                  "t2=\"-1\" local=\"0\"/>"
                  "</episode><episode finish_delay=\"2\"/></episodes></comix>");
    ASSERT_EQ(2u, comix.GetEpisodes().size());
    KpComixEpisode& first = *comix.GetEpisodes()[0];
    const KpComixObjectState& a = Live(comix, "a");
    const KpComixObjectState& b = Live(comix, "b");
    first.Apply(0.5f);
    EXPECT_TRUE(a.visible);
    first.Apply(1.0f);
    EXPECT_FALSE(a.visible);
    comix.FindObject("a")->AsPicture()->mState.visible = true; // written once only

    first.Apply(2.0f);
    EXPECT_TRUE(a.visible);

    // A click at clock 0: the set actor not yet fired fires, the local change
    // ends at val2, the non-local one that ended before the clock is left alone.
    comix.FindObject("b")->AsPicture()->mState.angle = 7.0f;
    comix.SkipEpisode();
    EXPECT_FLOAT_EQ(4.0f, b.pos.x);
    EXPECT_FLOAT_EQ(5.0f, b.pos.y);
    EXPECT_FLOAT_EQ(3.0f, b.scale);
    EXPECT_FLOAT_EQ(7.0f, b.angle);
    EXPECT_EQ(1, comix.GetEpisodeIndex());
    EXPECT_FLOAT_EQ(0.0f, comix.GetEpisodes()[1]->mStartTime); // at the same clock
    comix.SkipEpisode();
    EXPECT_EQ(2, comix.GetEpisodeIndex());
    comix.SkipEpisode(); // after the last episode a press does nothing
    EXPECT_EQ(2, comix.GetEpisodeIndex());
}

namespace
{
std::vector<std::string> gWrites;
void RecordWrite(KpComixObject* object, const float&)
{
    gWrites.push_back(object->mName);
}
} // namespace

TEST(ComixActors, GroupActorWritesEachObjectInGroupOrder)
{
    KpComix comix;
    LoadComixText(comix, "<comix><objects><object type=\"pic\" name=\"a\"/><object type=\"pic\" "
                         "name=\"b\"/><object type=\"sound\" name=\"s\"/></objects>"
                         "<objectGroups><group name=\"g\"><object name=\"b\"/><object "
                         "name=\"s\"/><object name=\"a\"/></group></objectGroups></comix>");
    KpXmlDocument document = XmlLoadBytes("<actor group=\"g\" val=\"2\" t=\"0\"/>", "test actor");
    KpXmlNode element = XmlSelectNode(document.Get(), L"actor");
    KpComixActorSetValue<float> actor(RecordWrite);
    ASSERT_TRUE(actor.ReadXml(&comix, element.Get()));
    gWrites.clear();
    actor.Update(0.0f);
    EXPECT_EQ((std::vector<std::string>{"b", "s", "a"}), gWrites);

    // Through a real setter: both pictures take the value, the sound is left alone.
    KpComixActor* scale = CreateComixActor(
        &comix, XmlSelectNode(XmlLoadBytes("<actor action=\"set_scale\" group=\"g\" val=\"2\" "
                                           "t=\"0\"/>",
                                           "scale")
                                  .Get(),
                              L"actor")
                    .Get());
    ASSERT_NE(nullptr, scale);
    scale->Update(0.0f);
    EXPECT_FLOAT_EQ(2.0f, Live(comix, "a").scale);
    EXPECT_FLOAT_EQ(2.0f, Live(comix, "b").scale);
    delete scale;
}

TEST(ComixActors, VolumeFollowsThePlayersMusicVolumeAndIsZeroWhenMuted)
{
    // No sound device here: the track keeps the volume it is given, which is what counts.
    KpXmlDocument cfg = XmlLoadBytes(
        "<cfg><music><stream id=\"theme\"><track file=\"music\\theme.ogg\"/></stream>"
        "<stream id=\"two\"><track file=\"a.ogg\"/><track file=\"b.ogg\"/></stream></music></cfg>",
        "music");
    GetEngineMusic()->LoadConfig(cfg.Get());
    const int oldVolume = gProfileFile.mMusicVolume;
    const uint8_t oldMute = gProfileFile.mMute;
    gProfileFile.mMusicVolume = 80;
    gProfileFile.mMute = 0;
    {
        KpComix comix;
        LoadComixText(comix,
                      "<comix><objects><object type=\"music\" name=\"m\" sound_id=\"theme\"/>"
                      "<object type=\"music\" name=\"two\" sound_id=\"two\"/>"
                      "<object type=\"pic\" name=\"p\"/></objects><episodes><episode>"
                      "<actor action=\"set_play\" object=\"m\" val=\"1\" t=\"0\"/>"
                      "<actor action=\"set_play\" object=\"p\" val=\"1\" t=\"0\"/>"
                      "<actor action=\"set_visible\" object=\"m\" val=\"0\" t=\"0\"/>"
                      "<actor action=\"set_volume\" object=\"m\" val=\"50\" t=\"1\"/>"
                      "<actor action=\"change_volume\" object=\"m\" val1=\"50\" val2=\"100\" "
                      "t1=\"2\" t2=\"3\"/></episode></episodes></comix>");
        KpComixObjectSound* m = comix.FindObject("m")->AsSound();
        ASSERT_NE(nullptr, m);
        EXPECT_NE(nullptr, m->mTrack);
        EXPECT_EQ(nullptr, comix.FindObject("two")->AsSound()->mTrack); // not one track
        KpComixEpisode& episode = *comix.GetEpisodes()[0];
        episode.Apply(1.0f);
        EXPECT_EQ(40, m->mTrack->GetVolume()); // (int)(80 x 50 / 100) percent

        gProfileFile.mMute = 1;
        episode.Apply(2.5f);
        EXPECT_EQ(0, m->mTrack->GetVolume());
        comix.FindObject("m")->Stop();
        EXPECT_FALSE(m->mTrack->IsPlaying());
    }
    gProfileFile.mMusicVolume = oldVolume;
    gProfileFile.mMute = oldMute;
    GetEngineMusic()->Clear();
}

TEST(ComixPlayer, OverlayClockReadsMinutesSecondsAndThePause)
{
    EXPECT_EQ("1:15.50 (PAUSED)", ComixClockText(75.5f, true));
    EXPECT_EQ("1:15.50 ", ComixClockText(75.5f, false));
    EXPECT_EQ("0:03.25 ", ComixClockText(3.25f, false));
}

// What the player repaints for a picture: nothing while its look stands, else
// where it was and where it is now (its corners, a filtering margin, cut to
// its clip), and a turned picture is marked to be drawn whole.
TEST(ComixPlayer, PictureChangesReportWhereItWasAndWhereItIs)
{
    KpComixObjectPic pic;
    auto* image = new Lumo::MemoryImage(nullptr);
    image->Create(40, 20);
    pic.mPicture.Adopt(image);
    pic.mState.pos = Lumo::LumoVector2(100.0f, 50.0f);
    pic.mState.centerpos = Lumo::LumoVector2(20.0f, 10.0f);
    Lumo::Rect was, now, whole;
    auto contains = [](const Lumo::Rect& a, const Lumo::Rect& b)
    {
        return a.mX <= b.mX && a.mY <= b.mY && a.mX + a.mWidth >= b.mX + b.mWidth &&
               a.mY + a.mHeight >= b.mY + b.mHeight;
    };
    ASSERT_TRUE(pic.TakeChange(was, now));
    EXPECT_EQ(Lumo::Rect(), was);
    EXPECT_EQ(Lumo::Rect(98, 48, 44, 24), now);
    EXPECT_FALSE(pic.TakeChange(was, now));
    EXPECT_FALSE(pic.GetWholeDrawArea(whole));

    pic.mState.pos.x = 100.25f; // a quarter pixel is a new look
    ASSERT_TRUE(pic.TakeChange(was, now));
    EXPECT_EQ(Lumo::Rect(98, 48, 44, 24), was);
    EXPECT_EQ(Lumo::Rect(98, 48, 45, 24), now);

    pic.mState.angle = 90.0f; // on its centre: 20 wide and 40 high
    ASSERT_TRUE(pic.TakeChange(was, now));
    EXPECT_TRUE(contains(now, Lumo::Rect(110, 40, 21, 40))) << now.mX << "," << now.mY;
    ASSERT_TRUE(pic.GetWholeDrawArea(whole));
    EXPECT_EQ(now, whole);

    pic.mState.clipRect = Lumo::Rect(0, 0, 115, 768);
    ASSERT_TRUE(pic.TakeChange(was, now));
    EXPECT_EQ(115, now.mX + now.mWidth);

    pic.mState.visible = false;
    ASSERT_TRUE(pic.TakeChange(was, now));
    EXPECT_EQ(Lumo::Rect(), now);
    EXPECT_FALSE(was == Lumo::Rect());
    EXPECT_FALSE(pic.GetWholeDrawArea(whole));
}
