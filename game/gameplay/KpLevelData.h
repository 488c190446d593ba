// One level as its file describes it ("cfg\l%03d.xml" for the career,
// "cfg\e%03d.xml" for survival; the format is in docs/data-formats.md): the
// day, the money targets, the lives, the five task-goal targets, the cafe's
// look and its tables, the menu, the clients over the day, the upgrade offers,
// the tutorial steps and the comic names. The reader trusts nothing: values
// that make the level unplayable refuse the whole file with one error text;
// a bad single element (a client, an offer, a step) is skipped with a warning
// and the rest is read.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>
#include <vector>

#include "game/gameplay/KpUpgrade.h"

// Career levels, in three cafes: 1-15, 16-35, 36-59.
const int kCareerLevelCount = 59;
// Survival levels: one per cafe.
const int kSurvivalLevelCount = 3;
// Task goals per level, in the HUD's order: flash, clean, expert, match, mega.
const int kTaskGoalCount = 5;

// The cafe (1-3) a level plays in: by the career ranges, or the survival level itself.
int LevelCafe(int level, bool endless);
// The day of its cafe: the level less 0, 15 or 35.
int LevelDay(int level);
// True for 1-59 (career) or 1-3 (survival).
bool IsLevelNumberValid(int level, bool endless);
// "cfg\l001.xml" or "cfg\e001.xml"; empty for a number outside the ranges.
std::string LevelFileName(int level, bool endless);

struct KpLevelProduct
{
    std::string name; // "coffee": also the picture "prod_coffee"
    int price = 0;    // money an order pays before tips
};

struct KpLevelClient
{
    int timeMs = 0;     // arrival, from the start of the day
    std::string order;  // a product of the menu
    int patienceMs = 0; // how long the client waits before leaving
};

struct KpLevelObject
{
    std::string className; // "table" or "decor"
    std::string name;      // unique in the level
    float x = 0.0f, y = 0.0f;
};

struct KpTutorialStep
{
    std::string show; // HUD tutorial widget shown during the step
    std::string wait; // event that ends the step
};

struct KpLevelData
{
    int number = 0;
    bool endless = false;
    std::string onStartComix, onFinishComix; // empty: none

    int dayLengthMs = 0; // career: the day; survival: one day of the run
    int eatMs = 0;       // how long a served client stays at the table
    int goalMoney = 0, expertMoney = 0;
    int lives = 0; // clients that may walk out; the level fails when they run out
    int goalTargets[kTaskGoalCount] = {};
    float patienceFactor = 1.0f; // survival: patience of each next day is multiplied by it

    std::string look;                 // the cafe picture: texture "<look>_back"
    float doorX = 0.0f, doorY = 0.0f; // where clients come in and queue

    std::vector<KpLevelObject> objects;
    std::vector<KpLevelProduct> menu;
    std::vector<KpLevelClient> clients; // in arrival order
    std::vector<KpUpgradeOffer> upgrades;
    std::vector<KpTutorialStep> tutorial;

    // The product of that name, or null.
    const KpLevelProduct* FindProduct(const std::string& name) const;
};

// Reads a level document for the level number and mode. False with `error`
// set when the level cannot be played; `warnings` receives one line per
// skipped element (each also goes to the log).
bool ReadLevelData(IXMLDOMNode* document, int number, bool endless, KpLevelData& level,
                   std::string& error, std::vector<std::string>& warnings);
