#include "framework/diagnostics/HTTPReplyParser.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using Lumo::HTTPReplyParser;

namespace
{

struct Result
{
    HTTPReplyParser::Outcome outcome;
    int failCode;
    std::string body;
    bool operator==(const Result& o) const
    {
        return outcome == o.outcome && failCode == o.failCode && body == o.body;
    }
};

std::ostream& operator<<(std::ostream& out, const Result& r)
{
    return out << "{outcome " << r.outcome << ", code " << r.failCode << ", body \"" << r.body
               << "\"}";
}

// Feeds the reply in the given pieces, then closes the connection.
Result Parse(const std::string& reply, const std::vector<size_t>& cuts, size_t maxBytes = 4096)
{
    HTTPReplyParser parser(maxBytes);
    size_t from = 0;
    for (size_t cut : cuts)
    {
        parser.Feed(reply.data() + from, cut - from);
        from = cut;
    }
    parser.Feed(reply.data() + from, reply.size() - from);
    parser.Finish();
    return {parser.GetOutcome(), parser.GetFailCode(), parser.GetBody()};
}

const HTTPReplyParser::Outcome OK = HTTPReplyParser::COMPLETE;
const HTTPReplyParser::Outcome FAIL = HTTPReplyParser::FAILED;

struct Case
{
    const char* what;
    std::string reply;
    Result expected;
};

const std::vector<Case>& Cases()
{
    static const std::vector<Case> cases = {
        {"length", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", {OK, 0, "hello"}},
        {"chunked",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
         {OK, 0, "hello"}},
        {"two chunks with extension",
         "HTTP/1.0 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n2;x=y\r\nhe\r\n3\r\nllo\r\n0\r\n",
         {OK, 0, "hello"}},
        {"identity runs to close",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: identity\r\n\r\nab\r\ncd",
         {OK, 0, "ab\r\ncd"}},
        {"length 0 runs to close",
         "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\nxyz",
         {OK, 0, "xyz"}},
        {"404", "HTTP/1.1 404 Not Found\r\nContent-Length: 3\r\n\r\nno!", {FAIL, 3, ""}},
        {"500", "HTTP/1.1 500 Oops\r\n\r\n", {FAIL, 4, ""}},
        {"short status line", "HTTP/1.1 20\r\n\r\n", {FAIL, 10, ""}},
        {"no status line", "Content-Length: 2\r\n\r\nhi", {FAIL, 10, ""}},
        {"closed before anything", "", {FAIL, 10, ""}},
        {"closed inside the status line", "HTTP/1.1 200 O", {FAIL, 10, ""}},
        {"header never ended", "HTTP/1.1 200 OK\r\nServer: x", {FAIL, 10, ""}},
        {"body shorter than its length",
         "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nhello",
         {FAIL, 10, ""}},
        {"negative length", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\nhello", {FAIL, 10, ""}},
        {"negative chunk size",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n-5\r\nhello",
         {FAIL, 10, ""}},
        {"chunk size not hex",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
         {FAIL, 10, ""}},
        {"chunk past the data",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n20\r\nhello",
         {FAIL, 10, ""}},
        {"chunk without its line end",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nhexx0\r\n",
         {FAIL, 10, ""}},
        {"no last chunk",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nhe\r\n",
         {FAIL, 10, ""}},
        {"huge chunk",
         "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n7fffffff\r\n",
         {FAIL, 12, ""}},
        {"huge length", "HTTP/1.1 200 OK\r\nContent-Length: 999999999\r\n\r\n", {FAIL, 12, ""}},
    };
    return cases;
}

} // namespace

TEST(HTTPReplyParser, EveryReplyParsesTheSameWhateverItsSplit)
{
    for (const Case& c : Cases())
    {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Parse(c.reply, {}), c.expected);
        std::vector<size_t> everyByte;
        for (size_t i = 1; i < c.reply.size(); i++)
        {
            EXPECT_EQ(Parse(c.reply, {i}), c.expected) << "split at " << i;
            everyByte.push_back(i);
        }
        EXPECT_EQ(Parse(c.reply, everyByte), c.expected);
    }
}

TEST(HTTPReplyParser, ReplyLargerThanTheLimitFails)
{
    std::string reply = "HTTP/1.1 200 OK\r\n\r\n" + std::string(100, 'a');
    EXPECT_EQ(Parse(reply, {}, 64), (Result{FAIL, 12, ""}));
    EXPECT_EQ(Parse(reply, {}, 200), (Result{OK, 0, std::string(100, 'a')}));
}

TEST(HTTPReplyParser, MutatedRepliesAlwaysEndWithAClearOutcome)
{
    std::mt19937 random(24);
    std::vector<std::string> seeds;
    for (const Case& c : Cases())
        if (c.expected.outcome == OK)
            seeds.push_back(c.reply);
    const char tokens[] = "\r\n0123456789abcdefABCDEF-;: HTP/.zZ";
    for (int round = 0; round < 100000; round++)
    {
        std::string reply = seeds[random() % seeds.size()];
        int mutations = 1 + (int)(random() % 4);
        for (int m = 0; m < mutations; m++)
        {
            size_t at = reply.empty() ? 0 : random() % (reply.size() + 1);
            switch (random() % 5)
            {
            case 0: // replace a byte
                if (at < reply.size())
                    reply[at] = (char)random();
                break;
            case 1: // insert a byte that the parser looks for
                reply.insert(at, 1, tokens[random() % (sizeof(tokens) - 1)]);
                break;
            case 2: // drop a range
                reply.erase(at, random() % 8);
                break;
            case 3: // repeat a range
                reply.insert(at, reply.substr(at, random() % 16));
                break;
            case 4: // cut the reply short
                reply.resize(at);
                break;
            }
        }
        std::vector<size_t> cuts;
        for (size_t at = 1 + random() % 7; at < reply.size(); at += 1 + random() % 7)
            cuts.push_back(at);
        Result r = Parse(reply, cuts, 512);
        ASSERT_NE(r.outcome, HTTPReplyParser::NEED_MORE) << "round " << round;
        if (r.outcome == FAIL)
        {
            ASSERT_TRUE(r.failCode == 3 || r.failCode == 4 || r.failCode == 10 || r.failCode == 12)
                << "round " << round << " code " << r.failCode;
        }
        ASSERT_LE(r.body.size(), reply.size()) << "round " << round;
    }
}
