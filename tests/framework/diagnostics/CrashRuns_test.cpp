// The crash reporter in real crashes: the test program faults under Wine with
// the reporter installed, and the tests read the crash.txt it wrote, answer
// its windows as a user would and receive its upload on a loopback server.
// Wine calls the unhandled-exception filter, and the test prefix has no crash
// debugger (AeDebug Debugger=false), so each faulting process ends by itself.

#include <gtest/gtest.h>

#include <cxxabi.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <regex>

#include "CrashProcess.h"
#include "LoopbackServer.h"
#include "framework/diagnostics/CrashMapFile.h"

namespace
{

const DWORD kBound = 60000; // ms; a report takes a few seconds under Wine

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::string FirstLine(const std::string& report)
{
    return report.substr(0, report.find("\r\n"));
}

// The faulting function and its source line, as the map file gives them.
std::string LogicalAddressLines(const std::string& report)
{
    size_t at = report.find("Logical Address: ");
    return at == std::string::npos ? "" : report.substr(at, report.find("\r\n\r\n", at) - at);
}

std::string FormPart(const std::string& name, const std::string& value)
{
    return "-----------------------------7d3e1f30eec\r\nContent-Disposition: form-data; name=\"" +
           name + "\"\r\n\r\n" + value + "\r\n";
}

// Starts a report whose window the test answers, and returns its report window.
HWND StartAnswered(CrashProcess& crash, const std::string& host)
{
    EXPECT_TRUE(crash.Start("write", host, false));
    HWND window = crash.WaitForWindow(L"SEHWindow", nullptr, kBound);
    EXPECT_TRUE(window) << "no report window";
    return window;
}

// A map symbol as image help names it: demangled without anonymous
// namespaces; a C name without its underscore and argument bytes.
std::string Demangled(std::string name)
{
    name = std::regex_replace(name, std::regex("@\\d+$"), "");
    int status = -1;
    char* plain = abi::__cxa_demangle(name.c_str() + 1, nullptr, nullptr, &status);
    name = status == 0 ? std::string(plain) : name.substr(1);
    free(plain);
    return std::regex_replace(name, std::regex("\\(anonymous namespace\\)::"), "");
}

// Every frame of the program (its code lies from 0x401000, Wine's libraries
// far above) that image help named is the map's function there, at the same
// distance; a caller's, the function of the byte before its return address.
// The names checked.
std::vector<std::string> FramesAgreeingWithMap(const std::string& report,
                                               const std::string& mapPath)
{
    Lumo::CrashMapFile map;
    EXPECT_TRUE(map.ReadFile(mapPath)) << mapPath;
    std::vector<std::string> checked;
    const std::regex frameLine("\n[0-9A-F]{8} ([0-9A-F]{8}) ([^\r]*)");
    bool fault = true;
    for (std::sregex_iterator it(report.begin(), report.end(), frameLine), end; it != end;
         ++it, fault = false)
    {
        uint32_t pc = std::stoul((*it)[1].str(), nullptr, 16), start = 0;
        std::smatch name;
        std::string text = (*it)[2].str();
        if (pc < 0x401000 || pc >= 0x1000000 ||
            !std::regex_match(text, name, std::regex("(.+)\\+([0-9A-F]+)")))
            continue;
        const std::string* symbol = map.SymbolAt({1, pc - 0x401000}, !fault, &start);
        std::string plain = symbol ? Demangled(*symbol) + "(" : "nothing";
        EXPECT_NE(plain.find(name[1].str() + "("), std::string::npos) << text << ", map: " << plain;
        EXPECT_EQ(pc - 0x401000 - start, std::stoul(name[2].str(), nullptr, 16)) << text;
        checked.push_back(name[1].str());
    }
    return checked;
}

HWND ButtonNamed(HWND window, const wchar_t* text)
{
    for (HWND button : CrashProcess::Children(window, L"Button"))
        if (CrashProcess::Text(button) == text)
            return button;
    return nullptr;
}

} // namespace

TEST(CrashRuns, EveryKindOfFaultWritesAReadableReport)
{
    struct Run
    {
        const char* kind;
        bool withMap;
        bool withDebugFile;
        CrashProcess process;
    };
    const std::string programMap = LUMO_BINARY_DIR "/tests/crashprog/lumo_crash_test.map";
    const char* kinds[] = {"read",  "write",  "divide", "null-call", "overflow",
                           "throw", "thread", "no-app", "reporter",  "out-of-memory"};
    std::vector<std::unique_ptr<Run>> runs;
    for (const char* kind : kinds)
        runs.push_back(std::unique_ptr<Run>(new Run{kind, true, true, {}}));
    runs.push_back(std::unique_ptr<Run>(new Run{"write", false, true, {}}));
    runs.push_back(std::unique_ptr<Run>(new Run{"read", true, false, {}}));
    // All at once: most of a report's time is Wine waiting on its window. The
    // shipped game too, in its folder beside the other programs' map files.
    for (auto& run : runs)
        ASSERT_TRUE(run->process.Start(run->kind, "", true, run->withMap, run->withDebugFile))
            << run->kind;
    CrashProcess game;
    ASSERT_TRUE(game.StartGame());
    std::map<std::string, std::string> reports;
    for (auto& run : runs)
    {
        ASSERT_TRUE(run->process.WaitForExit(kBound)) << run->kind << " did not end";
        reports[std::string(run->kind) + (run->withMap ? "" : " without map") +
                (run->withDebugFile ? "" : " without debug file")] = run->process.Report();
        if (std::string(run->kind) == "read")
        {
            EXPECT_TRUE(Contains(run->process.ReportOnDisk(), "\r\r\n")) << "text-mode file";
        }
    }

    ASSERT_TRUE(game.WaitForExit(kBound));
    const std::string shipped = game.Report();

    const std::regex registers(
        "EAX:[0-9A-F]{8} EBX:[0-9A-F]{8} ECX:[0-9A-F]{8} EDX:[0-9A-F]{8} "
        "ESI:[0-9A-F]{8} EDI:[0-9A-F]{8}\r\nEIP:[0-9A-F]{8} ESP:[0-9A-F]{8}  "
        "EBP:[0-9A-F]{8}\r\nCS:[0-9A-F]{4} SS:[0-9A-F]{4} DS:[0-9A-F]{4} "
        "ES:[0-9A-F]{4} FS:[0-9A-F]{4} GS:[0-9A-F]{4}\r\nFlags:[0-9A-F]{8}\r\n");
    for (const auto& entry : reports)
    {
        if (entry.first == "reporter")
            continue;
        SCOPED_TRACE(entry.first + ":\n" + entry.second);
        const std::string& report = entry.second;
        EXPECT_TRUE(std::regex_search(report, registers));
        EXPECT_TRUE(Contains(report, "\r\nWindows Ver: NT 6.1 Service Pack 1 Build 7601\r\n"));
        bool app = entry.first != "no-app";
        EXPECT_EQ(Contains(report, "\r\nDDraw Ver: 5.3.1.904\r\nDSound Ver: 5.3.1.904\r\n"), app);
        // Time since loading: a slow, loaded machine may take some seconds to crash.
        const std::regex product("\r\n\r\nProduct: CrashTest\r\nVersion: 7.5\r\n"
                                 "Time Loaded: \\d\\d:\\d\\d:\\d\\d\r\n");
        EXPECT_EQ(std::regex_search(report, product), app);
        if (app)
        {
            EXPECT_TRUE(Contains(report, "\r\nFullscreen: No\r\nPrimary ThreadId: "));
        }
    }

    const std::string& read = reports["read"];
    EXPECT_TRUE(std::regex_match(FirstLine(read),
                                 std::regex("Exception: Access Violation \\(code 0xc0000005\\) at "
                                            "address 00[0-9A-F]{6} in thread [0-9A-F]+")))
        << FirstLine(read);
    EXPECT_TRUE(Contains(read, "\r\nModule: lumo_crash_test.exe\r\n"));
    for (const char* kind : {"read", "write", "divide"})
    {
        std::string expected = std::string("CrashProgram.cpp line ") +
                               std::to_string(CrashProcess::FaultLine(
                                   std::string(kind) == "divide" ? "divide" : kind));
        EXPECT_TRUE(Contains(LogicalAddressLines(reports[kind]), expected))
            << kind << ": " << LogicalAddressLines(reports[kind]) << "\nwanted " << expected;
    }
    EXPECT_TRUE(Contains(LogicalAddressLines(reports["read"]), "ReadThroughNull()+0x"));
    // Sources are named from the source root; no line holds a folder of the build machine.
    EXPECT_TRUE(Contains(LogicalAddressLines(read),
                         "\r\n    tests/framework/diagnostics/crashprog/CrashProgram.cpp line "))
        << LogicalAddressLines(read);
    for (const auto& entry : reports)
        for (const char* folder : {LUMO_SOURCE_DIR, LUMO_BINARY_DIR})
            EXPECT_FALSE(Contains(entry.second, folder)) << entry.first << " names " << folder;
    // The stack walk names frames through image help and the DWARF information.
    EXPECT_TRUE(std::regex_search(
        read, std::regex("\r\n[0-9A-F]{8} [0-9A-F]{8} ReadThroughNull\\+[0-9A-F]+\r\nParams: ")));
    EXPECT_TRUE(Contains(reports["divide"], "Exception: Integer Divide by Zero (code 0xc0000094)"));
    EXPECT_TRUE(Contains(reports["divide"], "DivideByZero"));
    EXPECT_TRUE(Contains(reports["null-call"],
                         "Exception: Access Violation (code 0xc0000005) at address 00000000"));
    EXPECT_TRUE(Contains(reports["null-call"], "WinMain"));
    EXPECT_TRUE(Contains(reports["overflow"], "Exception: Stack Overflow (code 0xc00000fd)"));
    EXPECT_TRUE(Contains(LogicalAddressLines(reports["overflow"]), "RecurseForever"));
    EXPECT_TRUE(Contains(reports["throw"], "Unknown exception: (code 0xe06d7363)"));
    EXPECT_TRUE(Contains(reports["throw"], "ThrowUncaught"));
    // Out of memory the report still comes, its frames named through the map
    // file (image help would need room to read the debug file).
    const std::string& memory = reports["out-of-memory"];
    EXPECT_TRUE(Contains(memory, "Unknown exception: (code 0xe06d7363)")) << memory;
    EXPECT_TRUE(std::regex_search(memory, std::regex("\r\n[0-9A-F]{8}  [0-9A-F]{8}  [^\r]*"
                                                     "RunCrash\\(.*\r\n    [^\r]*"
                                                     "CrashProgram\\.cpp line \\d+")))
        << memory;
    // The second thread's id is in the first line, the primary one below.
    std::smatch ids;
    ASSERT_TRUE(std::regex_search(reports["thread"], ids,
                                  std::regex("in thread ([0-9A-F]+)\r\n[^]*Primary ThreadId: "
                                             "([0-9A-F]+)")));
    EXPECT_NE(ids[1].str(), ids[2].str());
    EXPECT_TRUE(Contains(reports["thread"], "WriteThroughNull"));
    // The program carries no debug sections: without its debug file image help
    // names no frame, and the map file alone names them with their lines.
    const std::string& bare = reports["read without debug file"];
    EXPECT_TRUE(Contains(LogicalAddressLines(bare), "ReadThroughNull()+0x")) << bare;
    EXPECT_TRUE(std::regex_search(bare, std::regex("\r\n[0-9A-F]{8} [0-9A-F]{8} [^\r]*"
                                                   "ReadThroughNull\\(\\)\\+0x[0-9A-F]+\r\n"
                                                   "    [^\r]*CrashProgram\\.cpp line \\d+")))
        << bare;
    // Without the map file the addresses keep their numbers.
    EXPECT_TRUE(std::regex_search(reports["write without map"],
                                  std::regex("Logical Address: 0001:[0-9A-F]{8}\r\n")));
    // Image help and the map name the same functions; a call that never
    // returns names its caller, not the code after it.
    for (const char* kind : {"read", "divide", "overflow", "throw", "thread"})
        EXPECT_FALSE(FramesAgreeingWithMap(reports[kind], programMap).empty()) << reports[kind];
    EXPECT_TRUE(Contains(reports["throw"], "RunCrash(")) << reports["throw"];
    std::vector<std::string> frames =
        FramesAgreeingWithMap(shipped, LUMO_BINARY_DIR "/game/ZorkaCafe.map");
    EXPECT_TRUE(!frames.empty() && frames.front() == "Lumo::LumoAppBase::HandleCommandLineOption" &&
                frames.back() == "WinMain")
        << shipped;
    EXPECT_TRUE(Contains(LogicalAddressLines(shipped),
                         "Logical Address: Lumo::LumoAppBase::HandleCommandLineOption(") &&
                Contains(LogicalAddressLines(shipped),
                         "\r\n    framework/app/LumoAppBase_CommandLine.cpp line " +
                             std::to_string(CrashProcess::SourceLine(
                                 "framework/app/LumoAppBase_CommandLine.cpp", "*nowhere = 0;")) +
                             " +0x"))
        << shipped;
    EXPECT_FALSE(std::regex_search(shipped, std::regex("[0-9A-F]{4}:[0-9A-F]{8} ZorkaCafe\\.exe")))
        << "the map names every address of the game";
    // A fault inside the reporter ends the process before any file or window.
    EXPECT_EQ(reports["reporter"], "");
}

TEST(CrashRuns, MapAndDebugFilesNameSourcesFromTheSourceRoot)
{
    for (const char* file : {"lumo_crash_test.map", "lumo_crash_test.debug"})
    {
        std::ifstream in(std::string(LUMO_BINARY_DIR) + "/tests/crashprog/" + file,
                         std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty()) << file;
        EXPECT_TRUE(Contains(bytes, "tests/framework/diagnostics/crashprog")) << file;
        EXPECT_FALSE(Contains(bytes, LUMO_SOURCE_DIR "/")) << file;
    }
}

TEST(CrashRuns, ReportWindowWithoutServerOffersOnlyClose)
{
    CrashProcess crash;
    HWND window = StartAnswered(crash, "");
    ASSERT_TRUE(window);
    EXPECT_EQ(CrashProcess::Text(window), L"Fatal Error!");
    std::vector<HWND> buttons = CrashProcess::Children(window, L"Button");
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(CrashProcess::Text(buttons[0]), L"Close Now");
    EXPECT_EQ(CrashProcess::Width(buttons[0]), 384);
    CrashProcess::Click(buttons[0]);
    EXPECT_TRUE(crash.WaitForExit(kBound));
}

TEST(CrashRuns, SentReportReachesTheServerIntactAfterARetry)
{
    LoopbackServer server;
    ASSERT_TRUE(server.Start(
        {{LoopbackServer::ANSWER_WHOLE, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"},
         {LoopbackServer::ANSWER_WHOLE, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"}}));
    CrashProcess crash;
    HWND window = StartAnswered(crash, server.Address());
    ASSERT_TRUE(window);
    HWND send = ButtonNamed(window, L"Send Report");
    ASSERT_TRUE(send);
    EXPECT_TRUE(IsWindowEnabled(send));
    EXPECT_TRUE(ButtonNamed(window, L"Close Now"));
    CrashProcess::Click(send);

    HWND details = crash.WaitForWindow(L"SubmitInfoWindow", nullptr, kBound);
    ASSERT_TRUE(details);
    std::vector<HWND> fields = CrashProcess::Children(details, L"Edit");
    ASSERT_EQ(fields.size(), 2u);
    SendMessageTimeoutW(fields[1], WM_SETTEXT, 0, (LPARAM)L"It fell over.\r\nTwice.", SMTO_BLOCK,
                        5000, nullptr);
    CrashProcess::Click(ButtonNamed(details, L"Continue"));

    // The first answer is a 404: the box offers a retry.
    HWND box = crash.WaitForWindow(nullptr, L"Connection Failed", kBound);
    ASSERT_TRUE(box);
    CrashProcess::Click(GetDlgItem(box, IDRETRY));
    ASSERT_TRUE(server.WaitForRequests(2, kBound));
    ASSERT_TRUE(crash.WaitForExit(kBound)) << "the done upload ends the windows";

    std::string report = crash.Report();
    std::smatch address;
    ASSERT_TRUE(std::regex_search(report, address, std::regex("at address ([0-9A-F]{8})")));
    unsigned offset = std::stoul(address[1].str(), nullptr, 16) - 0x401000; // .text at 0x1000
    char title[64];
    snprintf(title, sizeof(title), "Exception at 0001:%08X", offset);
    std::string body =
        FormPart("build", "test") + FormPart("prod", "CrashTest") + FormPart("version", "7.5") +
        FormPart("usertext", "It fell over.\r\nTwice.") + FormPart("errortitle", title) +
        FormPart("errortext", report) + "-----------------------------7d3e1f30eec--\r\n";
    std::string request =
        "POST /vantic_error.php HTTP/1.1\r\n"
        "Content-Type: multipart/form-data; boundary=---------------------------7d3e1f30eec\r\n"
        "User-Agent: Mozilla/4.0 (compatible; fennix)\r\n"
        "Host: " +
        server.Address() + "\r\nContent-Length: " + std::to_string(body.size()) +
        "\r\nConnection: close\r\n\r\n" + body;
    std::vector<std::string> requests = server.Requests();
    EXPECT_EQ(requests[0], request);
    EXPECT_EQ(requests[1], request);
}
