#include "framework/diagnostics/HTTPTransfer.h"

#include <gtest/gtest.h>

#include "LoopbackServer.h"

using Lumo::HTTPTransfer;

namespace
{

const DWORD kBound = 20000; // ms; every wait below ends far sooner

std::string Request(const std::string& body)
{
    return "POST /up HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

const char kChunkedReply[] =
    "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nthank\r\n4\r\n you\r\n0\r\n\r\n";

// Runs one transfer against a fresh server answering by script; returns the result code.
int RunTransfer(HTTPTransfer& transfer, const LoopbackServer::Script& script,
                std::string* reply = nullptr)
{
    LoopbackServer server;
    EXPECT_TRUE(server.Start({script}));
    transfer.SendRequest(server.Address(), Request("x"));
    transfer.WaitFor();
    if (reply)
        *reply = transfer.GetReply();
    return transfer.GetResultCode();
}

} // namespace

TEST(HTTPTransfer, AddressSplitsIntoHostPortAndPath)
{
    Lumo::HTTPAddress a = Lumo::SplitHTTPAddress("crash.example");
    EXPECT_EQ(a.host, "crash.example");
    EXPECT_EQ(a.port, 80);
    EXPECT_EQ(a.path, "/");
    a = Lumo::SplitHTTPAddress("http://127.0.0.1:8080/report/up.php");
    EXPECT_EQ(a.protocol, "http");
    EXPECT_EQ(a.host, "127.0.0.1");
    EXPECT_EQ(a.port, 8080);
    EXPECT_EQ(a.path, "/report/up.php");
}

TEST(HTTPTransfer, RequestArrivesIntactAndChunkedReplyIsCollected)
{
    std::string body;
    for (int i = 0; i < 200000; i++)
        body += (char)(i * 7 + i / 256);
    LoopbackServer server;
    ASSERT_TRUE(server.Start({{LoopbackServer::ANSWER_WHOLE, kChunkedReply}}));
    HTTPTransfer transfer;
    uint32_t firstId = transfer.GetTransferId();
    transfer.SendRequest(server.Address(), Request(body));
    EXPECT_GT(transfer.GetTransferId(), firstId);
    transfer.WaitFor();
    EXPECT_EQ(transfer.GetResultCode(), HTTPTransfer::RESULT_DONE);
    EXPECT_EQ(transfer.GetReply(), "thank you");
    ASSERT_TRUE(server.WaitForRequests(1, kBound));
    EXPECT_TRUE(server.Requests()[0] == Request(body)); // not printed: 200 kB
}

TEST(HTTPTransfer, EachServerMisbehaviourGivesItsResultCode)
{
    HTTPTransfer transfer;
    std::string reply;
    EXPECT_EQ(RunTransfer(transfer, {LoopbackServer::ANSWER_BYTE_BY_BYTE, kChunkedReply}, &reply),
              HTTPTransfer::RESULT_DONE);
    EXPECT_EQ(reply, "thank you");
    EXPECT_EQ(RunTransfer(transfer,
                          {LoopbackServer::ANSWER_WHOLE,
                           "HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n\r\nno"},
                          &reply),
              HTTPTransfer::RESULT_NOT_FOUND);
    EXPECT_EQ(reply, "");
    EXPECT_EQ(RunTransfer(transfer, {LoopbackServer::ANSWER_WHOLE, "HTTP/1.0 503 Busy\r\n\r\n"}),
              HTTPTransfer::RESULT_BAD_STATUS);
    EXPECT_EQ(RunTransfer(transfer, {LoopbackServer::CLOSE_WITHOUT_REPLY, ""}),
              HTTPTransfer::RESULT_BAD_REPLY);
    EXPECT_EQ(RunTransfer(transfer, {LoopbackServer::ANSWER_WHOLE, "HTTP/1.1 200 OK\r\nTran"}),
              HTTPTransfer::RESULT_BAD_REPLY);
    EXPECT_EQ(
        RunTransfer(transfer, {LoopbackServer::ANSWER_BYTE_BY_BYTE,
                               "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n-3\r\nabc"}),
        HTTPTransfer::RESULT_BAD_REPLY);

    transfer.SendRequest("127.0.0.1:" + std::to_string(LoopbackServer::UnusedPort()), Request("x"));
    transfer.WaitFor();
    EXPECT_EQ(transfer.GetResultCode(), HTTPTransfer::RESULT_CONNECT);
}

TEST(HTTPTransfer, SilentServerEndsAtTheTimeLimit)
{
    HTTPTransfer transfer;
    transfer.SetLimits(300, 1024 * 1024);
    EXPECT_EQ(RunTransfer(transfer, {LoopbackServer::HOLD_SILENT, ""}),
              HTTPTransfer::RESULT_TIMED_OUT);
}

TEST(HTTPTransfer, AbortWhileSendingGivesAborted)
{
    LoopbackServer server;
    ASSERT_TRUE(server.Start({{LoopbackServer::NEVER_READ, ""}}));
    HTTPTransfer transfer;
    // Far more than the socket buffers hold, so the worker is still sending.
    transfer.SendRequest(server.Address(), Request(std::string(32 * 1024 * 1024, 'z')));
    ASSERT_TRUE(server.WaitForConnections(1, kBound));
    transfer.Abort();
    transfer.WaitFor();
    EXPECT_EQ(transfer.GetResultCode(), HTTPTransfer::RESULT_ABORTED);
    transfer.Reset();
    EXPECT_EQ(transfer.GetResultCode(), HTTPTransfer::RESULT_IDLE);
}
