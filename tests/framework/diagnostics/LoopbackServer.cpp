#include "LoopbackServer.h"

#include <winsock.h>

#include <cstdlib>
#include <cstring>

namespace
{

// Waits up to 50 ms for the socket to read; false on a timeout.
bool Readable(SOCKET s)
{
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval timeout = {0, 50000};
    return select(0, &set, nullptr, nullptr, &timeout) > 0;
}

bool WaitCount(const std::atomic<size_t>& counter, size_t count, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (counter < count)
    {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(5);
    }
    return true;
}

} // namespace

bool LoopbackServer::Start(const std::vector<Script>& scripts)
{
    mScripts = scripts;
    WSADATA data;
    if (WSAStartup(0x0101, &data) != 0)
        return false;
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return false;
    sockaddr_in address;
    memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    int length = sizeof(address);
    if (bind(s, (sockaddr*)&address, sizeof(address)) != 0 || listen(s, 8) != 0 ||
        getsockname(s, (sockaddr*)&address, &length) != 0)
    {
        closesocket(s);
        return false;
    }
    mListener = (uintptr_t)s;
    mPort = ntohs(address.sin_port);
    mStop = false;
    mThread = CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr);
    return mThread != nullptr;
}

void LoopbackServer::Stop()
{
    if (!mThread)
        return;
    mStop = true;
    WaitForSingleObject(mThread, INFINITE);
    CloseHandle(mThread);
    mThread = nullptr;
    closesocket((SOCKET)mListener);
    WSACleanup();
}

bool LoopbackServer::WaitForConnections(size_t count, DWORD timeoutMs)
{
    return WaitCount(mConnections, count, timeoutMs);
}

bool LoopbackServer::WaitForRequests(size_t count, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;)
    {
        {
            std::lock_guard<std::mutex> lock(mRequestsLock);
            if (mRequests.size() >= count)
                return true;
        }
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(5);
    }
}

std::vector<std::string> LoopbackServer::Requests()
{
    std::lock_guard<std::mutex> lock(mRequestsLock);
    return mRequests;
}

int LoopbackServer::UnusedPort()
{
    WSADATA data;
    WSAStartup(0x0101, &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address;
    memset(&address, 0, sizeof(address));
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    int length = sizeof(address);
    bind(s, (sockaddr*)&address, sizeof(address));
    getsockname(s, (sockaddr*)&address, &length);
    closesocket(s);
    WSACleanup();
    return ntohs(address.sin_port);
}

DWORD WINAPI LoopbackServer::ThreadProc(void* server)
{
    static_cast<LoopbackServer*>(server)->Run();
    return 0;
}

void LoopbackServer::Run()
{
    SOCKET listener = (SOCKET)mListener;
    while (!mStop)
    {
        if (!Readable(listener))
            continue;
        SOCKET client = accept(listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        size_t index = mConnections++;
        Serve((uintptr_t)client, mScripts[index < mScripts.size() ? index : mScripts.size() - 1]);
        closesocket(client);
    }
}

bool LoopbackServer::ReadRequest(uintptr_t client, std::string& request)
{
    char bytes[4096];
    size_t wanted = std::string::npos; // header end + body length, once known
    while (!mStop && request.size() < wanted)
    {
        if (!Readable((SOCKET)client))
            continue;
        int received = recv((SOCKET)client, bytes, sizeof(bytes), 0);
        if (received <= 0)
            return false;
        request.append(bytes, received);
        size_t headerEnd = request.find("\r\n\r\n");
        if (wanted == std::string::npos && headerEnd != std::string::npos)
        {
            size_t field = request.find("Content-Length: ");
            size_t length =
                field < headerEnd ? strtoul(request.c_str() + field + 16, nullptr, 10) : 0;
            wanted = headerEnd + 4 + length;
        }
    }
    return request.size() >= wanted;
}

void LoopbackServer::Serve(uintptr_t client, const Script& script)
{
    SOCKET s = (SOCKET)client;
    if (script.mode == NEVER_READ)
    {
        while (!mStop)
            Sleep(5);
        return;
    }
    std::string request;
    if (!ReadRequest(client, request))
        return;
    {
        std::lock_guard<std::mutex> lock(mRequestsLock);
        mRequests.push_back(request);
    }
    switch (script.mode)
    {
    case ANSWER_WHOLE:
        send(s, script.reply.data(), (int)script.reply.size(), 0);
        break;
    case ANSWER_BYTE_BY_BYTE:
    {
        BOOL noDelay = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, (const char*)&noDelay, sizeof(noDelay));
        for (char c : script.reply)
        {
            send(s, &c, 1, 0);
            Sleep(1); // pacing, so that the bytes arrive in separate pieces
        }
        break;
    }
    case HOLD_SILENT:
        while (!mStop)
            Sleep(5);
        break;
    default:
        break;
    }
}
