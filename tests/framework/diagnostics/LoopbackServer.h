#pragma once
// A small HTTP server on 127.0.0.1 for the transfer and upload tests: it takes
// each request whole (header and Content-Length body), keeps its bytes for the
// test to compare, and answers by a script, one per connection (the last one
// repeats). It runs on a thread of its own inside the test program.

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

class LoopbackServer
{
public:
    enum Mode
    {
        ANSWER_WHOLE,        // the reply in one send, then close
        ANSWER_BYTE_BY_BYTE, // the reply one byte per send, paced, then close
        CLOSE_WITHOUT_REPLY, // read the request, then close
        HOLD_SILENT,         // read the request, then answer nothing until Stop
        NEVER_READ           // accept and read nothing until Stop
    };
    struct Script
    {
        Mode mode;
        std::string reply;
    };

    ~LoopbackServer() { Stop(); }

    // Listens on an ephemeral port; false when the socket could not be set up.
    bool Start(const std::vector<Script>& scripts);
    void Stop();
    int Port() const { return mPort; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(mPort); }

    // Waits, within the bound, until count connections were accepted / requests read.
    bool WaitForConnections(size_t count, DWORD timeoutMs);
    bool WaitForRequests(size_t count, DWORD timeoutMs);
    std::vector<std::string> Requests();

    // A port on which nothing listens (bound once, then closed).
    static int UnusedPort();

private:
    static DWORD WINAPI ThreadProc(void* server);
    void Run();
    void Serve(uintptr_t client, const Script& script);
    bool ReadRequest(uintptr_t client, std::string& request);

    std::vector<Script> mScripts;
    uintptr_t mListener = 0;
    int mPort = 0;
    HANDLE mThread = nullptr;
    std::atomic<bool> mStop{false};
    std::atomic<size_t> mConnections{0};
    std::mutex mRequestsLock; // guards mRequests
    std::vector<std::string> mRequests;
};
