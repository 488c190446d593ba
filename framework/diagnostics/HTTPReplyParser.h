// Reads one HTTP/1.x reply as its bytes arrive, in pieces of any size, and
// decides its outcome: the transfer's worker feeds it what recv returns. It is
// kept apart from the socket so that every split of a reply, and every
// malformed one, can be fed to it directly.
// A reply succeeds only when it is complete: a "200" status line, the header,
// and a body ended by its length, its last chunk, or (without either) the
// closing of the connection.
#pragma once

#include <cstddef>
#include <string>

namespace Lumo
{

class HTTPReplyParser
{
public:
    enum Outcome
    {
        NEED_MORE = 0, // nothing decided yet
        COMPLETE = 1,  // the whole body is in GetBody
        FAILED = 2     // GetFailCode says why
    };

    // --- failure codes (the transfer's result codes)
    static const int FAIL_NOT_FOUND = 3;  // status "404"
    static const int FAIL_STATUS = 4;     // any other status than "200"
    static const int FAIL_MALFORMED = 10; // a broken or incomplete reply
    static const int FAIL_TOO_LARGE = 12; // more bytes than the size limit

    // maxBytes bounds everything received, header included.
    explicit HTTPReplyParser(size_t maxBytes = 1024 * 1024);

    // Parses as far as the bytes allow; bytes after a decided outcome are ignored.
    Outcome Feed(const char* data, size_t count);
    // The connection closed: a reply still waiting for bytes fails, unless its
    // body runs to the close.
    Outcome Finish();

    Outcome GetOutcome() const { return mOutcome; }
    int GetFailCode() const { return mFailCode; }
    const std::string& GetBody() const { return mBody; }
    int GetContentLength() const { return mContentLength; }
    bool IsChunked() const { return mChunked; }

private:
    enum Stage
    {
        STATUS_LINE,
        HEADER,
        BODY_LENGTH, // mRemaining bytes still to come
        BODY_TO_CLOSE,
        CHUNK_SIZE,
        CHUNK_DATA, // mRemaining bytes of the chunk still to come
        CHUNK_END   // the line end after a chunk's data
    };

    void Parse();
    // Takes one "\r\n"-ended line from the unparsed bytes; false when none is complete.
    bool TakeLine(std::string& line);
    void HeaderLine(const std::string& line);
    void ChunkSizeLine(const std::string& line);
    void Fail(int code);

    size_t mMaxBytes;
    size_t mReceived;     // bytes fed so far
    std::string mPending; // received bytes not parsed yet
    size_t mPendingPos;   // parse position in mPending
    Stage mStage;
    Outcome mOutcome;
    int mFailCode;
    int mContentLength; // from "Content-Length: ", 0 before
    bool mChunked;
    size_t mRemaining;
    std::string mBody;
};

} // namespace Lumo
