// Effect scripts on the update clock: values at chosen updates along their
// easing, steps that fire once, jumping to the end, the constants' defaults
// and a document with bad elements.
#include "game/scene/KpEffect.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/scene/KpIEffect.h"
#include "tests/game/scene/SceneTestSupport.h"

namespace
{
// Records what an effect writes.
class Target : public KpIEffect
{
public:
    void SetAlpha(float a) override { alpha = a; }
    void SetScale(float s) override { scale = s; }
    void SetVisible(bool v) override { visible.push_back(v); }
    void SetScalePointX(float x) override { pointX = x; }
    void SetScalePointY(float) override {}
    void SetOffsetX(float x) override { offsetX = x; }
    void SetOffsetY(float) override {}
    const std::string& GetName() override { return name; }

    float alpha = -1, scale = -1, pointX = -1, offsetX = -1;
    std::vector<bool> visible;
    std::string name = "target";
};

const char* const kDocument = R"(<effects>
  <constants><const name="Match3PosX" value="300"/><const name="Own" value="1.5"/></constants>
  <effect name="in">
    <change prop="alpha" t0="0" t1="0.25" from="0" to="1" ease="out"/>
    <change prop="scale" t0="0" t1="0.25" from="0.9" to="1" ease="in"/>
  </effect>
  <effect name="blink">
    <set prop="visible" t="0.05" value="0"/>
    <set prop="visible" t="0.10" value="1"/>
    <change prop="offset_x" t0="0.1" t1="0.3" from="0" to="100"/>
  </effect>
  <effect name="bad1"><change prop="colour" t0="0" t1="1" from="0" to="1"/></effect>
  <effect name="bad2"><change prop="alpha" t0="1" t1="0.5" from="0" to="1"/></effect>
  <effect name="bad3"><change prop="alpha" t0="0" t1="1" from="0" to="1" ease="wobbly"/></effect>
  <effect name="bad4"><set prop="alpha" t="0"/></effect>
  <effect><set prop="alpha" t="0" value="1"/></effect>
</effects>)";

class KpEffectTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        StartSceneLog();
        KpEffect::Reset();
        mDocument = SceneDocument(kDocument);
        KpEffect::LoadDocument(mDocument.Get());
    }
    void TearDown() override
    {
        KpEffect::Reset();
        StopSceneLog();
    }
    KpXmlDocument mDocument;
};
} // namespace

TEST_F(KpEffectTest, ChangesFollowTheirEasingOnTheUpdateClock)
{
    Target target;
    KpEffect effect;
    effect.Start(&target, KpEffect::FindScript("in"));
    EXPECT_FLOAT_EQ(target.alpha, 0.0f);
    EXPECT_FLOAT_EQ(target.scale, 0.9f);
    for (int i = 0; i < 13; i++) // 130 ms: r = 0.52
        ASSERT_TRUE(effect.Advance(10));
    EXPECT_NEAR(target.alpha, 1.0f - 0.48f * 0.48f, 1e-5);        // ease out
    EXPECT_NEAR(target.scale, 0.9f + 0.1f * 0.52f * 0.52f, 1e-5); // ease in
    for (int i = 0; i < 11; i++)
        ASSERT_TRUE(effect.Advance(10));
    // The 25th update reaches 250 ms: both at their end values, and done.
    EXPECT_FALSE(effect.Advance(10));
    EXPECT_FLOAT_EQ(target.alpha, 1.0f);
    EXPECT_FLOAT_EQ(target.scale, 1.0f);
    EXPECT_FALSE(effect.IsRunning());
}

TEST_F(KpEffectTest, SetsFireOnceAndFinishWritesWhatIsLeft)
{
    Target target;
    KpEffect effect;
    effect.Start(&target, KpEffect::FindScript("blink"));
    EXPECT_TRUE(target.visible.empty());
    for (int i = 0; i < 12; i++)
        effect.Advance(10);
    EXPECT_EQ(target.visible, std::vector<bool>({false, true}));
    EXPECT_NEAR(target.offsetX, 10.0f, 1e-4); // 20 ms into 200 ms, linear
    effect.Finish();
    EXPECT_FLOAT_EQ(target.offsetX, 100.0f);
    EXPECT_EQ(target.visible.size(), 2u);
    EXPECT_FALSE(effect.IsRunning());
    EXPECT_FALSE(effect.Advance(10));
}

TEST_F(KpEffectTest, ConstantsHaveTheirDefaultsUntilTheDocumentOrACallerSetsThem)
{
    EXPECT_FLOAT_EQ(KpEffect::GetConstant("DebriefingFirstAchievementDelay"), 2.0f);
    EXPECT_FLOAT_EQ(KpEffect::GetConstant("DebriefingNextAchievementDelay"), 1.0f);
    EXPECT_FLOAT_EQ(KpEffect::GetConstant("Match3PosX"), 300.0f);
    EXPECT_FLOAT_EQ(KpEffect::GetConstant("Own"), 1.5f);
    EXPECT_FLOAT_EQ(KpEffect::GetConstant("Nobody"), 0.0f);
    KpEffect::SetConstant("DebriefingNextAchievementDelay", 0.25f);
    EXPECT_FLOAT_EQ(KpEffect::GetConstant("DebriefingNextAchievementDelay"), 0.25f);

    KpXmlDocument empty = SceneDocument("<effects/>");
    KpEffect::LoadDocument(empty.Get());
    EXPECT_FLOAT_EQ(KpEffect::GetConstant("Match3PosX"), 512.0f);
    EXPECT_EQ(KpEffect::FindScript("in"), nullptr);
}

TEST_F(KpEffectTest, BadScriptsAreSkippedWithAWarningAndTheOthersLoad)
{
    EXPECT_NE(KpEffect::FindScript("in"), nullptr);
    EXPECT_NE(KpEffect::FindScript("blink"), nullptr);
    for (const char* bad : {"bad1", "bad2", "bad3", "bad4"})
    {
        EXPECT_EQ(KpEffect::FindScript(bad), nullptr) << bad;
        EXPECT_NE(SceneLogText().find(std::string("effect '") + bad + "' skipped"),
                  std::string::npos)
            << SceneLogText();
    }
    EXPECT_NE(SceneLogText().find("an effect without a name"), std::string::npos);
}
