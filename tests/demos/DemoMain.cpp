// The demo tests' program. Without arguments it runs the tests; with
// "--record <name>" it records tests/demos/scripts/<name>.txt against the
// game, replays the result once to check it, and stores the demo and what it
// must produce under tests/demos/data (scripts/record-demo.sh runs it).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/demos/DemoHarness.h"

using namespace DemoTest;

static int Record(const std::string& name)
{
    std::string script, error;
    std::vector<ScriptStep> steps;
    std::string scriptPath = std::string(LUMO_SOURCE_DIR) + "/tests/demos/scripts/" + name + ".txt";
    if (!ReadWholeFile(scriptPath, &script) || !ParseScript(script, &steps, &error))
    {
        fprintf(stderr, "record: %s: %s\n", scriptPath.c_str(), error.c_str());
        return 1;
    }
    DemoGame game;
    if (!game.Prepare(name, &error))
    {
        fprintf(stderr, "record: %s\n", error.c_str());
        return 1;
    }
    std::string path = TemporaryDemoPath(name);
    Expectation expectation;
    if (!RecordDemo(game, steps, path, &expectation, &error))
    {
        fprintf(stderr, "record: %s\n", error.c_str());
        return 1;
    }
    std::vector<std::string> failures = ReplayDemo(game, path, expectation);
    if (!failures.empty())
    {
        fprintf(stderr, "record: the new demo does not replay to its end:\n");
        for (const std::string& f : failures)
            fprintf(stderr, "%s\n", f.c_str());
        return 1;
    }
    std::string bytes;
    std::string header = "# Recorded from tests/demos/scripts/" + name +
                         ".txt by scripts/record-demo.sh " + name +
                         "; record again rather than edit.\n";
    if (!ReadWholeFile(path, &bytes) || !WriteWholeFile(DataFolder() + name + ".dmo", bytes) ||
        !WriteWholeFile(DataFolder() + name + ".expect", FormatExpectation(expectation, header)))
    {
        fprintf(stderr, "record: cannot store the demo under %s\n", DataFolder().c_str());
        return 1;
    }
    DeleteFileA(path.c_str());
    printf("record: stored %s (%d updates, %u bytes)\n", name.c_str(), expectation.updates,
           (unsigned)bytes.size());
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--record")
        return Record(argv[2]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
