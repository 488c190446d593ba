#include "game/gameplay/KpLevelData.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "framework/app/StringUtils.h"
#include "game/engine/KpLog.h"
#include "game/engine/KpXml.h"

int LevelCafe(int level, bool endless)
{
    if (endless)
        return level;
    return level < 16 ? 1 : level < 36 ? 2 : 3;
}

int LevelDay(int level)
{
    return level < 16 ? level : level < 36 ? level - 15 : level - 35;
}

bool IsLevelNumberValid(int level, bool endless)
{
    return level >= 1 && level <= (endless ? kSurvivalLevelCount : kCareerLevelCount);
}

std::string LevelFileName(int level, bool endless)
{
    if (!IsLevelNumberValid(level, endless))
        return std::string();
    return Lumo::StrFormat(endless ? "cfg\\e%03d.xml" : "cfg\\l%03d.xml", level);
}

const KpLevelProduct* KpLevelData::FindProduct(const std::string& name) const
{
    for (const KpLevelProduct& product : menu)
        if (product.name == name)
            return &product;
    return nullptr;
}

namespace
{
// Reads one level; one object per call so the element helpers share the outcome.
class LevelReader
{
public:
    LevelReader(KpLevelData& level, std::string& error, std::vector<std::string>& warnings)
        : mLevel(level), mError(error), mWarnings(warnings)
    {
    }

    bool Read(IXMLDOMNode* document, int number, bool endless);

private:
    // --- outcome
    bool Fail(const std::string& text)
    {
        if (mError.empty())
            mError = text;
        return false;
    }
    void Warn(const std::string& text)
    {
        mWarnings.push_back(text);
        WriteLog("WARNING: level %s: %s", mFile.c_str(), text.c_str());
    }

    // --- attributes; false when present but bad, or absent and required
    bool Int(IXMLDOMNode* e, const char* name, int lo, int hi, int& value, bool required);
    // Seconds as whole milliseconds.
    bool Seconds(IXMLDOMNode* e, const char* name, float lo, float hi, int& ms, bool required);
    bool Float(IXMLDOMNode* e, const char* name, float lo, float hi, float& value, bool required);
    // Lower-case letters, digits and '_' only: these names build picture and text ids.
    bool Name(IXMLDOMNode* e, const char* name, std::string& value, bool required);

    bool ReadScene(IXMLDOMNode* root);
    void ReadMenu(IXMLDOMNode* root);
    void ReadClients(IXMLDOMNode* root);
    void ReadUpgrades(IXMLDOMNode* root);
    void ReadTutorial(IXMLDOMNode* root);

    KpLevelData& mLevel;
    std::string& mError;
    std::vector<std::string>& mWarnings;
    std::string mFile;
    std::string mWhat; // the attribute last found bad, for the error text
};

bool IsNameText(const std::string& text)
{
    if (text.empty() || text.size() > 40)
        return false;
    for (char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'))
            return false;
    return true;
}

bool LevelReader::Int(IXMLDOMNode* e, const char* name, int lo, int hi, int& value, bool required)
{
    std::wstring text;
    if (!XmlGetAttr(e, Lumo::StringToWString(name).c_str(), text))
    {
        mWhat = std::string(name) + " missing";
        return !required;
    }
    int v = 0;
    if (!XmlParseInt(text, v) || v < lo || v > hi)
    {
        mWhat = Lumo::StrFormat("%s='%s' (%d to %d)", name, Lumo::WStringToString(text).c_str(), lo,
                                hi);
        return false;
    }
    value = v;
    return true;
}

bool LevelReader::Float(IXMLDOMNode* e, const char* name, float lo, float hi, float& value,
                        bool required)
{
    std::wstring text;
    if (!XmlGetAttr(e, Lumo::StringToWString(name).c_str(), text))
    {
        mWhat = std::string(name) + " missing";
        return !required;
    }
    float v = 0.0f;
    // NaN fails both comparisons and so is refused with the rest.
    if (!XmlParseFloat(text, v) || !(v >= lo && v <= hi))
    {
        mWhat = Lumo::StrFormat("%s='%s' (%g to %g)", name, Lumo::WStringToString(text).c_str(), lo,
                                hi);
        return false;
    }
    value = v;
    return true;
}

bool LevelReader::Seconds(IXMLDOMNode* e, const char* name, float lo, float hi, int& ms,
                          bool required)
{
    float seconds = float(ms) / 1000.0f;
    if (!Float(e, name, lo, hi, seconds, required))
        return false;
    ms = int(std::lround(seconds * 1000.0f));
    return true;
}

bool LevelReader::Name(IXMLDOMNode* e, const char* name, std::string& value, bool required)
{
    std::string text;
    if (!XmlReadString(e, name, text))
    {
        mWhat = std::string(name) + " missing";
        return !required;
    }
    if (!IsNameText(text))
    {
        mWhat = std::string(name) + "='" + text + "' (a-z, 0-9, _)";
        return false;
    }
    value = text;
    return true;
}

bool LevelReader::Read(IXMLDOMNode* document, int number, bool endless)
{
    mFile = LevelFileName(number, endless);
    if (!IsLevelNumberValid(number, endless))
        return Fail(Lumo::StrFormat("level number %d is outside the %s levels", number,
                                    endless ? "survival" : "career"));
    mLevel = KpLevelData();
    mLevel.number = number;
    mLevel.endless = endless;
    if (!document)
        return Fail("the file is missing or is not well-formed XML");
    KpXmlNode root = XmlSelectNode(document, L"level");
    if (!root)
        return Fail("the file has no <level> element");

    std::string mode;
    XmlReadString(root.Get(), "mode", mode);
    if (mode != (endless ? "survival" : "career"))
        return Fail("mode='" + mode + "' where " + (endless ? "survival" : "career") +
                    " was expected");
    int fileNumber = 0;
    if (!Int(root.Get(), "number", 1, kCareerLevelCount, fileNumber, true) || fileNumber != number)
        return Fail(
            Lumo::StrFormat("the file is not for level %d (number: %s)", number,
                            fileNumber ? std::to_string(fileNumber).c_str() : mWhat.c_str()));
    if (!Name(root.Get(), "onstart_comix", mLevel.onStartComix, false))
        Warn("comic name ignored: " + mWhat);
    if (!Name(root.Get(), "onfinish_comix", mLevel.onFinishComix, false))
        Warn("comic name ignored: " + mWhat);

    KpXmlNode day = XmlSelectNode(root.Get(), L"day");
    if (!day || !Seconds(day.Get(), "length", 10.0f, 3600.0f, mLevel.dayLengthMs, true) ||
        !Seconds(day.Get(), "eat", 0.5f, 60.0f, mLevel.eatMs, true))
        return Fail("bad <day>: " + (day ? mWhat : std::string("missing")));

    KpXmlNode money = XmlSelectNode(root.Get(), L"money");
    if (!money || !Int(money.Get(), "goal", 1, 10000000, mLevel.goalMoney, true) ||
        !Int(money.Get(), "expert", 1, 10000000, mLevel.expertMoney, true))
        return Fail("bad <money>: " + (money ? mWhat : std::string("missing")));
    if (mLevel.expertMoney < mLevel.goalMoney)
        return Fail("the expert money is below the goal money");

    KpXmlNode lives = XmlSelectNode(root.Get(), L"lives");
    if (!lives || !Int(lives.Get(), "count", 1, 99, mLevel.lives, true))
        return Fail("bad <lives>: " + (lives ? mWhat : std::string("missing")));

    if (KpXmlNode goals = XmlSelectNode(root.Get(), L"goals"))
    {
        const char* names[kTaskGoalCount] = {"flash", "clean", "expert", "match", "mega"};
        for (int i = 0; i < kTaskGoalCount; i++)
            if (!Int(goals.Get(), names[i], 0, 999, mLevel.goalTargets[i], false))
            {
                Warn("task goal ignored: " + mWhat);
                mLevel.goalTargets[i] = 0;
            }
    }

    if (endless)
    {
        KpXmlNode survival = XmlSelectNode(root.Get(), L"survival");
        if (survival &&
            !Float(survival.Get(), "patience_factor", 0.5f, 1.0f, mLevel.patienceFactor, false))
            return Fail("bad <survival>: " + mWhat);
    }

    if (!ReadScene(root.Get()))
        return false;
    ReadMenu(root.Get());
    if (mLevel.menu.empty())
        return Fail("the menu has no product");
    ReadClients(root.Get());
    if (mLevel.clients.empty())
        return Fail("no client comes on this day");
    ReadUpgrades(root.Get());
    ReadTutorial(root.Get());
    return true;
}

bool LevelReader::ReadScene(IXMLDOMNode* root)
{
    KpXmlNode scene = XmlSelectNode(root, L"scene");
    Lumo::LumoVector2 door;
    if (!scene || !Name(scene.Get(), "look", mLevel.look, true))
        return Fail("bad <scene>: " + (scene ? mWhat : std::string("missing")));
    if (!XmlReadPoint(scene.Get(), "door", door) || !(door.x >= 0.0f && door.x <= 1024.0f) ||
        !(door.y >= 0.0f && door.y <= 768.0f))
        return Fail("bad <scene>: door is not a point on the screen");
    mLevel.doorX = door.x;
    mLevel.doorY = door.y;

    std::set<std::string> names;
    int tables = 0;
    XmlForEachNode(scene.Get(), L"object",
                   [&](IXMLDOMNode* e)
                   {
                       KpLevelObject object;
                       Lumo::LumoVector2 pos;
                       if (!Name(e, "class", object.className, true) ||
                           !Name(e, "name", object.name, true))
                           return Warn("object skipped: " + mWhat);
                       if (object.className != "table" && object.className != "decor")
                           return Warn("object '" + object.name + "' skipped: unknown class '" +
                                       object.className + "'");
                       if (!XmlReadPoint(e, "pos", pos) || !(pos.x >= 0.0f && pos.x <= 1024.0f) ||
                           !(pos.y >= 0.0f && pos.y <= 768.0f))
                           return Warn("object '" + object.name + "' skipped: bad pos");
                       if (!names.insert(object.name).second)
                           return Warn("object '" + object.name + "' skipped: name used twice");
                       object.x = pos.x;
                       object.y = pos.y;
                       tables += object.className == "table";
                       mLevel.objects.push_back(object);
                   });
    if (tables == 0)
        return Fail("the cafe has no table");
    return true;
}

void LevelReader::ReadMenu(IXMLDOMNode* root)
{
    XmlForEachNode(root, L"menu/product",
                   [&](IXMLDOMNode* e)
                   {
                       KpLevelProduct product;
                       if (!Name(e, "name", product.name, true) ||
                           !Int(e, "price", 1, 10000, product.price, true))
                           return Warn("product skipped: " + mWhat);
                       if (mLevel.FindProduct(product.name))
                           return Warn("product '" + product.name + "' skipped: listed twice");
                       mLevel.menu.push_back(product);
                   });
}

void LevelReader::ReadClients(IXMLDOMNode* root)
{
    float dayEnd = float(mLevel.dayLengthMs) / 1000.0f;
    XmlForEachNode(root, L"clients/client",
                   [&](IXMLDOMNode* e)
                   {
                       KpLevelClient client;
                       if (!Seconds(e, "time", 0.0f, dayEnd, client.timeMs, true) ||
                           !Seconds(e, "patience", 1.0f, 600.0f, client.patienceMs, true) ||
                           !Name(e, "order", client.order, true))
                           return Warn("client skipped: " + mWhat);
                       if (client.timeMs >= mLevel.dayLengthMs)
                           return Warn("client skipped: arrives when the day is over");
                       if (!mLevel.FindProduct(client.order))
                           return Warn("client skipped: order '" + client.order +
                                       "' is not on the menu");
                       mLevel.clients.push_back(client);
                   });
    std::stable_sort(mLevel.clients.begin(), mLevel.clients.end(),
                     [](const KpLevelClient& a, const KpLevelClient& b)
                     { return a.timeMs < b.timeMs; });
}

void LevelReader::ReadUpgrades(IXMLDOMNode* root)
{
    XmlForEachNode(root, L"upgrades/upgrade",
                   [&](IXMLDOMNode* e)
                   {
                       KpUpgradeOffer offer;
                       std::string kind, levels;
                       if (!Name(e, "object", offer.object, true) ||
                           !Name(e, "name", offer.name, true) ||
                           !Int(e, "stage", 1, 999, offer.stage, false))
                           return Warn("upgrade skipped: " + mWhat);
                       XmlReadString(e, "kind", kind);
                       if (kind != "visual" && kind != "functional")
                           return Warn("upgrade '" + offer.object + "/" + offer.name +
                                       "' skipped: kind must be visual or functional");
                       offer.kind = kind == "visual" ? kUpgradeVisual : kUpgradeFunctional;
                       const KpUpgradeInfo* info = FindUpgradeInfo(offer.object, offer.name);
                       if (!info || info->kind != offer.kind)
                           return Warn("upgrade '" + offer.object + "/" + offer.name +
                                       "' skipped: the cafe has no such " + kind + " upgrade");
                       if (XmlReadString(e, "levels", levels))
                       {
                           size_t semi = levels.find(';');
                           int lo = 0, hi = 0;
                           if (semi == std::string::npos ||
                               !XmlParseInt(Lumo::StringToWString(levels.substr(0, semi)), lo) ||
                               !XmlParseInt(Lumo::StringToWString(levels.substr(semi + 1)), hi) ||
                               lo < 1 || hi < lo || hi > kCareerLevelCount)
                               return Warn("upgrade '" + offer.object + "/" + offer.name +
                                           "' skipped: levels='" + levels + "'");
                           offer.lowestLevel = lo;
                           offer.highestLevel = hi;
                       }
                       mLevel.upgrades.push_back(offer);
                   });
}

void LevelReader::ReadTutorial(IXMLDOMNode* root)
{
    static const char* const kEvents[] = {"arrive", "serve", "pay", "clean", "leave", "urgent"};
    XmlForEachNode(root, L"tutorial/step",
                   [&](IXMLDOMNode* e)
                   {
                       KpTutorialStep step;
                       if (!Name(e, "show", step.show, true) || !Name(e, "wait", step.wait, true))
                           return Warn("tutorial step skipped: " + mWhat);
                       if (std::none_of(std::begin(kEvents), std::end(kEvents),
                                        [&](const char* ev) { return step.wait == ev; }))
                           return Warn("tutorial step skipped: unknown event '" + step.wait + "'");
                       mLevel.tutorial.push_back(step);
                   });
}
} // namespace

bool ReadLevelData(IXMLDOMNode* document, int number, bool endless, KpLevelData& level,
                   std::string& error, std::vector<std::string>& warnings)
{
    error.clear();
    LevelReader reader(level, error, warnings);
    return reader.Read(document, number, endless);
}
