#include "framework/diagnostics/HTTPTransfer.h"

#include <windows.h>
#include <winsock.h>

#include <process.h>

#include <algorithm>
#include <cstring>

#include "framework/app/LumoAppBase.h"
#include "framework/diagnostics/HTTPReplyParser.h"

Lumo::HTTPTransfer gHTTPTransfer;
std::atomic<uint32_t> gNextTransferId(1);

namespace Lumo
{

// A crash report is a few kilobytes and its reply a line; these bounds only
// keep a stuck or hostile server from holding the reporter for ever.
static const uint32_t kDefaultTimeLimitMs = 120000;
static const uint32_t kDefaultSizeLimit = 1024 * 1024;

HTTPAddress SplitHTTPAddress(const std::string& address)
{
    HTTPAddress result;
    result.port = 80;
    size_t hostStart = 0;
    size_t slashes = address.find("//");
    if (slashes != std::string::npos)
    {
        result.protocol = address.substr(0, slashes > 0 ? slashes - 1 : 0);
        hostStart = slashes + 2;
    }
    size_t pathStart = address.find('/', hostStart);
    if (pathStart == std::string::npos)
    {
        result.host = address.substr(hostStart);
        result.path = "/";
    }
    else
    {
        result.host = address.substr(hostStart, pathStart - hostStart);
        result.path = address.substr(pathStart);
    }
    size_t colon = result.host.find(':');
    if (colon != std::string::npos)
    {
        result.port = atoi(result.host.c_str() + colon + 1);
        result.host.erase(colon);
    }
    return result;
}

HTTPTransfer::HTTPTransfer()
    : mTransferId(gNextTransferId++), mSocket(0), mPort(80), mContentLength(0), mBusy(0),
      mThreadRunning(0), mExitRequested(0), mAborted(0), mResultCode(RESULT_IDLE),
      mPublishedResult(RESULT_IDLE), mTimeLimitMs(kDefaultTimeLimitMs),
      mSizeLimit(kDefaultSizeLimit), mStartTick(0)
{
}

HTTPTransfer::~HTTPTransfer()
{
    Abort();
    while (mThreadRunning)
        Sleep(20);
}

// ---------------------------------------------------------------- caller's side

void HTTPTransfer::SendRequest(const std::string& address, const std::string& request)
{
    SetTarget(address);
    mRequest = request;
    StartTransfer();
}

void HTTPTransfer::SetTarget(const std::string& address)
{
    Reset();
    mTransferId = gNextTransferId++;
    mAddress = address;
    mExitRequested = 0;
    mAborted = 0;
    mResultCode = RESULT_UNDER_WAY;
    mReply.clear();
    mContentLength = 0;
    HTTPAddress parts = SplitHTTPAddress(address);
    mProtocol = parts.protocol;
    mHost = parts.host;
    mPort = parts.port;
    mPath = parts.path;
}

void HTTPTransfer::StartTransfer()
{
    mBusy = 1;
    if (ResultComesFromDemo())
        return;
    mThreadRunning = 1;
    uintptr_t thread = _beginthreadex(nullptr, 0, ThreadProc, this, 0, nullptr);
    if (!thread)
    {
        mThreadRunning = 0;
        mResultCode = RESULT_SOCKET;
        mBusy = 0;
        return;
    }
    CloseHandle((HANDLE)thread);
}

void HTTPTransfer::Abort()
{
    mAborted = 1;
    mExitRequested = 1;
}

void HTTPTransfer::Fail(int resultCode)
{
    mResultCode = resultCode;
    mExitRequested = 1;
}

void HTTPTransfer::Reset()
{
    if (mThreadRunning)
    {
        Abort();
        WaitFor();
    }
    mBusy = 0;
    mTransferId = gNextTransferId++;
    mResultCode = RESULT_IDLE;
    mPublishedResult = RESULT_IDLE;
    mExitRequested = 0;
    mAborted = 0;
    mReply.clear();
    mAddress.clear();
    mRequest.clear();
    mPath.clear();
}

void HTTPTransfer::WaitFor()
{
    while (mBusy)
    {
        UpdateStatus();
        Sleep(20);
    }
}

int HTTPTransfer::GetResultCode()
{
    UpdateStatus();
    return mResultCode;
}

void HTTPTransfer::SetLimits(uint32_t timeLimitMs, uint32_t sizeLimit)
{
    mTimeLimitMs = timeLimitMs;
    mSizeLimit = sizeLimit;
}

// ---------------------------------------------------------------- worker

unsigned __stdcall HTTPTransfer::ThreadProc(void* transfer)
{
    static_cast<HTTPTransfer*>(transfer)->RunTransfer();
    return 0;
}

bool HTTPTransfer::WaitForSocket(bool readable, bool writable)
{
    if (mExitRequested)
        return true;
    SOCKET s = (SOCKET)mSocket;
    for (;;)
    {
        if (GetTickCount() - mStartTick >= mTimeLimitMs)
        {
            Fail(RESULT_TIMED_OUT);
            return true;
        }
        fd_set readSet, writeSet, errorSet;
        FD_ZERO(&readSet);
        FD_ZERO(&writeSet);
        FD_ZERO(&errorSet);
        if (readable)
            FD_SET(s, &readSet);
        if (writable)
            FD_SET(s, &writeSet);
        FD_SET(s, &errorSet);
        // Short waits, so that an abort is seen within about 100 ms.
        timeval timeout = {0, 100000};
        int ready = select(0, &readSet, &writeSet, &errorSet, &timeout);
        if (ready == SOCKET_ERROR || FD_ISSET(s, &errorSet))
        {
            Fail(RESULT_SOCKET);
            return false;
        }
        if (FD_ISSET(s, &readSet) || FD_ISSET(s, &writeSet))
            return true;
        if (mExitRequested)
            return true;
    }
}

void HTTPTransfer::RunTransfer()
{
    mStartTick = GetTickCount();
    WSADATA wsaData;
    bool started = WSAStartup(0x0101, &wsaData) == 0;
    SOCKET s = started ? socket(AF_INET, SOCK_STREAM, IPPROTO_TCP) : INVALID_SOCKET;
    if (s == INVALID_SOCKET)
        Fail(RESULT_SOCKET);
    else
    {
        mSocket = (uintptr_t)s;
        u_long nonBlocking = 1;
        ioctlsocket(s, FIONBIO, &nonBlocking);
    }

    if (!mExitRequested)
    {
        unsigned long address = inet_addr(mHost.c_str());
        if (address == INADDR_NONE)
        {
            hostent* entry = gethostbyname(mHost.c_str());
            if (entry && entry->h_addr_list && entry->h_addr_list[0])
                memcpy(&address, entry->h_addr_list[0], sizeof(address));
        }
        if (address == INADDR_NONE)
            Fail(RESULT_HOST_LOOKUP);
        else
        {
            sockaddr_in target;
            memset(&target, 0, sizeof(target));
            target.sin_family = AF_INET;
            target.sin_port = htons((u_short)mPort);
            target.sin_addr.s_addr = address;
            if (connect(s, (sockaddr*)&target, sizeof(target)) == SOCKET_ERROR &&
                WSAGetLastError() != WSAEWOULDBLOCK)
                Fail(RESULT_CONNECT);
            if (!WaitForSocket(false, true))
                Fail(RESULT_CONNECT);

            while (!mRequest.empty() && !mExitRequested)
            {
                if (!WaitForSocket(false, true) || mExitRequested)
                    break;
                int sent =
                    send(s, mRequest.data(), (int)std::min<size_t>(mRequest.size(), 65536), 0);
                if (sent == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK)
                    continue; // the buffer filled between select and send
                if (sent < 1)
                {
                    Fail(RESULT_SEND);
                    break;
                }
                mRequest.erase(0, (size_t)sent);
            }
            ReceiveReply();
        }
    }

    if (mSocket)
        closesocket((SOCKET)mSocket);
    mSocket = 0;
    if (started)
        WSACleanup();
    if (mAborted)
        Fail(RESULT_ABORTED);
    else if (mResultCode == RESULT_UNDER_WAY)
        mResultCode = RESULT_DONE;
    mThreadRunning = 0;
    mBusy = 0;
}

void HTTPTransfer::ReceiveReply()
{
    HTTPReplyParser parser(mSizeLimit);
    char bytes[256];
    while (!mExitRequested)
    {
        if (!WaitForSocket(true, false) || mExitRequested)
            break;
        int received = recv((SOCKET)mSocket, bytes, sizeof(bytes), 0);
        if (received == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK)
            continue;
        HTTPReplyParser::Outcome outcome;
        if (received > 0)
            outcome = parser.Feed(bytes, (size_t)received);
        else if (received == 0)
            outcome = parser.Finish();
        else
        {
            // A reset is no proof that a body running to the close was whole.
            Fail(RESULT_BAD_REPLY);
            break;
        }
        mContentLength = parser.GetContentLength();
        if (outcome == HTTPReplyParser::COMPLETE)
        {
            mReply = parser.GetBody();
            break;
        }
        if (outcome == HTTPReplyParser::FAILED)
        {
            Fail(parser.GetFailCode());
            break;
        }
    }
}

// ---------------------------------------------------------------- demo stream
// A transfer's outcome is an outside value, so a demo carries it: a command-17
// record holds the transfer id (32 bits), the result code (one byte) and the
// reply (a stream string, empty while the code is "under way"). During playback
// no socket is opened and the result comes from the stream instead.

bool HTTPTransfer::ResultComesFromDemo()
{
    LumoAppBase* app = gLumoApp;
    return app && app->mPlayingDemo;
}

void HTTPTransfer::UpdateStatus()
{
    LumoAppBase* app = gLumoApp;
    if (!app)
        return;
    if (app->mPlayingDemo)
        TakeDemoResult();
    else if (app->mRecordingDemo && mResultCode != mPublishedResult)
        PublishDemoResult();
}

void HTTPTransfer::TakeDemoResult()
{
    LumoAppBase* app = gLumoApp;
    if (!mBusy)
        return;
    // Past the end of the recording no result will ever come: the transfer
    // ends as aborted instead of keeping WaitFor polling for ever.
    if (app->DemoEndedForCallers())
    {
        mResultCode = RESULT_ABORTED;
        mPublishedResult = RESULT_ABORTED;
        mBusy = 0;
        return;
    }
    if (!app->DemoRecordIsPending(DEMO_HTTP_RESULT))
        return;
    // Another transfer's record stays in the stream for that transfer.
    Buffer& in = app->mDemo.mBuffer;
    int mark = in.GetReadBitPos();
    if ((uint32_t)in.ReadLong() != mTransferId)
    {
        in.SetReadBitPos(mark);
        return;
    }
    int code = in.ReadByte();
    mReply = in.ReadString();
    mResultCode = code;
    mPublishedResult = code;
    app->mDemo.mRecordTaken = true;
    if (code != RESULT_UNDER_WAY)
        mBusy = 0;
}

void HTTPTransfer::PublishDemoResult()
{
    LumoAppBase* app = gLumoApp;
    int code = mResultCode;
    Buffer& out = app->mDemo.mBuffer;
    app->WriteDemoCommand(DEMO_HTTP_RESULT);
    out.WriteLong((int)mTransferId);
    out.WriteByte((unsigned char)code);
    out.WriteString(code == RESULT_UNDER_WAY ? std::string() : mReply);
    mPublishedResult = code;
}

} // namespace Lumo
