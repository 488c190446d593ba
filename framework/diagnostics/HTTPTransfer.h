// Sends one prepared HTTP/1.1 request over Winsock 1.1 and collects the reply
// body on a worker thread of its own, so that a window can poll the result
// without blocking. The crash upload is its only user, through gHTTPTransfer.
// The caller's thread and the worker share only one-byte flags and the result
// code; the reply is read only once the code is final.
// While a demo is recorded or played the outcome of each transfer passes
// through the demo stream (see the demo section of HTTPTransfer.cpp).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace Lumo
{

// Splits "[protocol://]host[:port][/path]"; path "/" and port 80 when absent.
struct HTTPAddress
{
    std::string protocol; // the text before "//" without its colon
    std::string host;
    int port;
    std::string path;
};
HTTPAddress SplitHTTPAddress(const std::string& address);

class HTTPTransfer
{
public:
    // --- result codes
    enum Result
    {
        RESULT_DONE = 0,
        RESULT_IDLE = 1,
        RESULT_UNDER_WAY = 2,
        RESULT_NOT_FOUND = 3,   // status "404"
        RESULT_BAD_STATUS = 4,  // a status other than "200"
        RESULT_ABORTED = 5,     // Abort was called
        RESULT_SOCKET = 6,      // no socket, or select failed or flagged it
        RESULT_HOST_LOOKUP = 7, // the host name did not resolve
        RESULT_CONNECT = 8,     // the connection was refused or failed
        RESULT_SEND = 9,        // sending the request failed
        RESULT_BAD_REPLY = 10,  // the reply broke off or is malformed
        RESULT_TIMED_OUT = 11,  // the whole transfer took longer than its time limit
        RESULT_TOO_LARGE = 12   // the reply is larger than its size limit
    };

    HTTPTransfer();
    virtual ~HTTPTransfer();

    // --- operations
    // SetTarget with the address, keeps the request and starts the worker.
    void SendRequest(const std::string& address, const std::string& request);
    // Reset, new transfer id, the address split, result code "under way".
    void SetTarget(const std::string& address);
    void StartTransfer();
    void Abort();
    void Fail(int resultCode);
    // Stops a running worker, then idle with a new transfer id.
    void Reset();
    // Polls until the worker has ended.
    void WaitFor();
    int GetResultCode();
    // Publishes or takes the result through the demo stream.
    void UpdateStatus();
    // True when the socket is ready or exit is requested; false after a socket
    // failure (its code already set).
    bool WaitForSocket(bool readable, bool writable);

    // The whole transfer's bounds: milliseconds from the start of the worker,
    // and bytes received.
    void SetLimits(uint32_t timeLimitMs, uint32_t sizeLimit);

    // --- what the transfer holds (read the reply once the code is final)
    uint32_t GetTransferId() const { return mTransferId; }
    const std::string& GetReply() const { return mReply; }
    const std::string& GetHost() const { return mHost; }
    int GetPort() const { return mPort; }
    const std::string& GetPath() const { return mPath; }
    bool IsBusy() const { return mBusy; }

private:
    static unsigned __stdcall ThreadProc(void* transfer);
    void RunTransfer();
    void ReceiveReply();
    // The demo stream's side of the transfer; see HTTPTransfer.cpp.
    bool ResultComesFromDemo();
    void TakeDemoResult();
    void PublishDemoResult();

    uint32_t mTransferId;
    uintptr_t mSocket;    // the Winsock socket; 0 when none
    std::string mRequest; // bytes still to send
    std::string mAddress;
    std::string mProtocol;
    std::string mHost;
    int mPort;
    std::string mPath;
    int mContentLength;                  // the reply's "Content-Length: ", 0 before
    std::string mReply;                  // the reply body
    std::atomic<uint8_t> mBusy;          // a transfer was started and has not ended
    std::atomic<uint8_t> mThreadRunning; // the worker thread exists
    std::atomic<uint8_t> mExitRequested; // tells the worker to stop
    std::atomic<uint8_t> mAborted;       // the stop came from Abort
    std::atomic<int> mResultCode;
    int mPublishedResult; // the result last published to the demo stream

    uint32_t mTimeLimitMs;
    uint32_t mSizeLimit;
    uint32_t mStartTick; // GetTickCount when the worker started
};

} // namespace Lumo

extern Lumo::HTTPTransfer gHTTPTransfer;
extern std::atomic<uint32_t> gNextTransferId; // starts at 1; each transfer takes one
