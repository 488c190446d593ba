#include "framework/diagnostics/HTTPReplyParser.h"

#include "framework/app/StringUtils.h"

#include <algorithm>
#include <cstring>

namespace Lumo
{

namespace
{

// Case-insensitive "Name: " prefix test; the value (trimmed) goes to value.
bool HeaderValue(const std::string& line, const char* name, std::string& value)
{
    size_t n = strlen(name);
    if (line.size() < n || _strnicmp(line.c_str(), name, n) != 0)
        return false;
    value = Trim(line.substr(n));
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace

HTTPReplyParser::HTTPReplyParser(size_t maxBytes)
    : mMaxBytes(maxBytes), mReceived(0), mPendingPos(0), mStage(STATUS_LINE), mOutcome(NEED_MORE),
      mFailCode(0), mContentLength(0), mChunked(false), mRemaining(0)
{
}

HTTPReplyParser::Outcome HTTPReplyParser::Feed(const char* data, size_t count)
{
    if (mOutcome != NEED_MORE)
        return mOutcome;
    mReceived += count;
    if (mReceived > mMaxBytes)
    {
        Fail(FAIL_TOO_LARGE);
        return mOutcome;
    }
    // Drop what was parsed before it piles up.
    if (mPendingPos > 4096 && mPendingPos * 2 > mPending.size())
    {
        mPending.erase(0, mPendingPos);
        mPendingPos = 0;
    }
    mPending.append(data, count);
    Parse();
    return mOutcome;
}

HTTPReplyParser::Outcome HTTPReplyParser::Finish()
{
    if (mOutcome != NEED_MORE)
        return mOutcome;
    if (mStage == BODY_TO_CLOSE)
        mOutcome = COMPLETE;
    else
        Fail(FAIL_MALFORMED);
    return mOutcome;
}

void HTTPReplyParser::Fail(int code)
{
    mOutcome = FAILED;
    mFailCode = code;
    mBody.clear();
}

bool HTTPReplyParser::TakeLine(std::string& line)
{
    size_t end = mPending.find("\r\n", mPendingPos);
    if (end == std::string::npos)
        return false;
    line.assign(mPending, mPendingPos, end - mPendingPos);
    mPendingPos = end + 2;
    return true;
}

void HTTPReplyParser::HeaderLine(const std::string& line)
{
    std::string value;
    if (HeaderValue(line, "Transfer-Encoding:", value))
    {
        if (_stricmp(value.c_str(), "identity") != 0)
            mChunked = true;
    }
    else if (HeaderValue(line, "Content-Length:", value))
    {
        // Decimal digits only: a sign, a blank or an overflow is a broken reply.
        if (value.empty() || value.size() > 9 ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        {
            Fail(FAIL_MALFORMED);
            return;
        }
        mContentLength = atoi(value.c_str());
        if ((size_t)mContentLength > mMaxBytes)
            Fail(FAIL_TOO_LARGE);
    }
}

void HTTPReplyParser::ChunkSizeLine(const std::string& line)
{
    // "size[;extension]": the size alone counts.
    std::string size = Trim(line.substr(0, line.find(';')));
    if (size.empty() ||
        !std::all_of(size.begin(), size.end(), [](char c) { return HexDigit(c) >= 0; }))
    {
        Fail(FAIL_MALFORMED);
        return;
    }
    size_t first = size.find_first_not_of('0');
    std::string digits = first == std::string::npos ? std::string("0") : size.substr(first);
    if (digits.size() > 8)
    {
        Fail(FAIL_TOO_LARGE);
        return;
    }
    unsigned value = 0;
    for (char c : digits)
        value = value * 16 + (unsigned)HexDigit(c);
    if (value == 0)
    {
        mOutcome = COMPLETE; // the last chunk; trailers are not needed
        return;
    }
    if (value > mMaxBytes)
    {
        Fail(FAIL_TOO_LARGE);
        return;
    }
    mRemaining = value;
    mStage = CHUNK_DATA;
}

void HTTPReplyParser::Parse()
{
    std::string line;
    while (mOutcome == NEED_MORE)
    {
        size_t available = mPending.size() - mPendingPos;
        switch (mStage)
        {
        case STATUS_LINE:
            if (!TakeLine(line))
                return;
            // "HTTP/1.x ddd": the code stands at 9-11 whatever the minor version.
            if (line.size() < 12 || line.compare(0, 7, "HTTP/1.") != 0)
                Fail(FAIL_MALFORMED);
            else if (line.compare(9, 3, "404") == 0)
                Fail(FAIL_NOT_FOUND);
            else if (line.compare(9, 3, "200") != 0)
                Fail(FAIL_STATUS);
            else
                mStage = HEADER;
            break;

        case HEADER:
            if (!TakeLine(line))
                return;
            if (!line.empty())
            {
                HeaderLine(line);
                break;
            }
            if (mChunked)
                mStage = CHUNK_SIZE;
            else if (mContentLength > 0)
            {
                mRemaining = (size_t)mContentLength;
                mStage = BODY_LENGTH;
            }
            else
                mStage = BODY_TO_CLOSE;
            break;

        case BODY_LENGTH:
        case CHUNK_DATA:
        {
            size_t take = std::min(available, mRemaining);
            mBody.append(mPending, mPendingPos, take);
            mPendingPos += take;
            mRemaining -= take;
            if (mRemaining > 0)
                return;
            if (mStage == BODY_LENGTH)
                mOutcome = COMPLETE;
            else
                mStage = CHUNK_END;
            break;
        }

        case BODY_TO_CLOSE:
            mBody.append(mPending, mPendingPos, available);
            mPendingPos += available;
            return;

        case CHUNK_SIZE:
            if (!TakeLine(line))
                return;
            ChunkSizeLine(line);
            break;

        case CHUNK_END:
            if (available < 2)
                return;
            if (mPending.compare(mPendingPos, 2, "\r\n") != 0)
            {
                Fail(FAIL_MALFORMED);
                return;
            }
            mPendingPos += 2;
            mStage = CHUNK_SIZE;
            break;
        }
    }
}

} // namespace Lumo
