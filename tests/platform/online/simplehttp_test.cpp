// simplehttp tests: requests as they reach a loopback server, argument encoding, every
// status, and broken servers (refused, silent, truncated, oversized) failing within the limits.
#include "platform/online/simplehttp.h"
#include "support/httpserver.h"
#include "support/loopbackhttp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

class SimpleHttpTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mSavedLimits = UseLoopbackHttp();
    ASSERT_TRUE(mServer.IsRunning());
  }
  void TearDown() override { TSimpleHttp::SetLimits(mSavedLimits); }

  int Finish(TSimpleHttp& http, int timeoutMs = 5000)
  {
    return PollWhile([&] { return http.GetStatus(); }, TSimpleHttp::kRunning, timeoutMs);
  }

  TTestHttpServer mServer;
  THttpLimits mSavedLimits;
};

TEST_F(SimpleHttpTest, Post_SendsEncodedBodyWithUserAgentAndNoExpect)
{
  mServer.QueueReply(TScriptedReply::Body("<hiscore><tables/></hiscore>"));
  TSimpleHttp http;
  http.Init(mServer.Url().c_str(), true);
  http.AddArg("a", "1");
  http.AddArg("b", "a b&c=d");
  http.AddArg("c", "~*!'()-._");
  http.AddArg("d", "\"#$%+,/:;<>?@[\\]^`{|}");
  http.AddArg("e", "\x01\t\r\n\x1f\x7f");
  http.AddArg("f", "\xc3\xa9");
  http.AddArg("n", 500);
  http.AddArg("z", nullptr);
  http.DoRequest(1);
  EXPECT_EQ(nullptr, http.GetContents());
  ASSERT_EQ(TSimpleHttp::kComplete, Finish(http));
  EXPECT_STREQ("<hiscore><tables/></hiscore>", http.GetContents());

  auto requests = mServer.Requests();
  ASSERT_EQ(1u, requests.size());
  const TRecordedRequest& request = requests[0];
  EXPECT_EQ("POST", request.method);
  EXPECT_EQ("/go/hiscore", request.target);
  EXPECT_EQ("qvlib/Mac", request.headers.at("user-agent"));
  EXPECT_EQ(0u, request.headers.count("expect"));
  EXPECT_EQ("application/x-www-form-urlencoded", request.headers.at("content-type"));
  EXPECT_EQ("a=1&b=a%20b%26c%3Dd&c=~*!'()-._"
            "&d=%22%23%24%25%2B%2C%2F%3A%3B%3C%3E%3F%40%5B%5C%5D%5E%60%7B%7C%7D"
            "&e=%01%09%0D%0A%1F%7F&f=\xc3\xa9&n=500&z=",
            request.body);
}

TEST_F(SimpleHttpTest, Get_AppendsArgumentsToTheUrl)
{
  TSimpleHttp http;
  http.Init(mServer.Url("/x").c_str(), false);
  http.AddArg("a", 1);
  http.AddArg("b", "2 3");
  http.DoRequest(1);
  ASSERT_EQ(TSimpleHttp::kComplete, Finish(http));
  auto requests = mServer.Requests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ("GET", requests[0].method);
  EXPECT_EQ("/x?a=1&b=2%203", requests[0].target);
}

TEST_F(SimpleHttpTest, Replies_AnyStatusWithBodyCountsAndEmptyBodyIsEmptyText)
{
  TSimpleHttp http;
  mServer.QueueReply(TScriptedReply::Body("Missing required parameter: type", 404));
  http.Init(mServer.Url().c_str(), true);
  http.DoRequest(1);
  ASSERT_EQ(TSimpleHttp::kComplete, Finish(http));
  EXPECT_STREQ("Missing required parameter: type", http.GetContents());

  mServer.QueueReply(TScriptedReply::Body(""));
  http.Init(mServer.Url().c_str(), true);
  http.DoRequest(1);
  ASSERT_EQ(TSimpleHttp::kComplete, Finish(http));
  EXPECT_STREQ("", http.GetContents());

  mServer.QueueReply(TScriptedReply::Body("", 500));
  http.Init(mServer.Url().c_str(), true);
  http.DoRequest(1);
  EXPECT_EQ(TSimpleHttp::kFailed, Finish(http));
  EXPECT_EQ(nullptr, http.GetContents());
}

TEST_F(SimpleHttpTest, Replies_TwoLengthsThatDisagreeFailTheTransferAndTwoThatAgreeDoNot)
{
  TSimpleHttp http;
  for (bool agree : {true, false}) {
    TScriptedReply reply = TScriptedReply::Body("hello");
    reply.extraHeaders = agree ? "Content-Length: 5\r\n" : "content-length:  9\r\n";
    mServer.QueueReply(reply);
    http.Init(mServer.Url().c_str(), true);
    http.DoRequest(1);
    testing::internal::CaptureStderr();
    const int status = Finish(http);
    const std::string log = testing::internal::GetCapturedStderr();
    if (agree) {
      EXPECT_EQ(TSimpleHttp::kComplete, status) << log;
      EXPECT_FALSE(http.IsReplyDamaged());
    } else {
      EXPECT_EQ(TSimpleHttp::kFailed, status);
      EXPECT_TRUE(http.IsReplyDamaged());
      EXPECT_EQ(nullptr, http.GetContents());
      EXPECT_NE(std::string::npos, log.find("the reply gives two lengths (Content-Length 9 and 5)")) << log;
    }
  }
}

TEST_F(SimpleHttpTest, Replies_ChunkedAndCloseDelimitedBodiesArriveWhole)
{
  std::string body = "<hiscore><scores><score name=\"a\" score=\"1\"/></scores></hiscore>";
  TScriptedReply chunked = TScriptedReply::Body(body);
  chunked.mode = TScriptedReply::kChunked;
  TScriptedReply closeDelimited = TScriptedReply::Body(body);
  closeDelimited.mode = TScriptedReply::kCloseDelimited;
  mServer.QueueReply(chunked);
  mServer.QueueReply(closeDelimited);
  for (int i = 0; i < 2; ++i) {
    TSimpleHttp http;
    http.Init(mServer.Url().c_str(), true);
    http.DoRequest(1);
    ASSERT_EQ(TSimpleHttp::kComplete, Finish(http)) << i;
    EXPECT_EQ(body, http.GetContents()) << i;
  }
}

TEST_F(SimpleHttpTest, Replies_LargeBodyGrowsTheBufferAndStaysTerminated)
{
  std::string body(50000, 'q');
  mServer.QueueReply(TScriptedReply::Body(body));
  TSimpleHttp http;
  http.Init(mServer.Url().c_str(), true);
  http.DoRequest(1);
  ASSERT_EQ(TSimpleHttp::kComplete, Finish(http));
  EXPECT_EQ(body, http.GetContents());
}

TEST_F(SimpleHttpTest, Failures_RefusedSilentTruncatedAndOversizedEndAsFailed)
{
  struct Case
  {
    const char* name;
    TScriptedReply reply;
    bool refused;
  };
  TScriptedReply silence;
  silence.mode = TScriptedReply::kSilence;
  TScriptedReply truncated = TScriptedReply::Body(std::string(1000, 't'));
  truncated.mode = TScriptedReply::kTruncated;
  TScriptedReply declared;
  declared.mode = TScriptedReply::kOversized;
  declared.oversizeBytes = 1024 * 1024;
  TScriptedReply undeclared = declared;
  undeclared.declareLength = false;
  Case cases[] = {{"refused", {}, true},
                  {"silence", silence, false},
                  {"truncated", truncated, false},
                  {"oversized with length", declared, false},
                  {"oversized without length", undeclared, false}};
  for (const Case& c : cases) {
    std::string url =
        c.refused ? "http://127.0.0.1:" + std::to_string(TTestHttpServer::UnusedPort()) + "/" : mServer.Url();
    if (!c.refused) {
      mServer.QueueReply(c.reply);
    }
    TSimpleHttp http;
    http.Init(url.c_str(), true);
    http.AddArg("a", "1");
    http.DoRequest(1);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TSimpleHttp::kFailed, Finish(http, 8000)) << c.name;
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(4000)) << c.name;
    EXPECT_EQ(nullptr, http.GetContents()) << c.name;
  }
}

TEST_F(SimpleHttpTest, Init_MidTransferAbandonsItAndTheServerSeesTheClose)
{
  TScriptedReply silence;
  silence.mode = TScriptedReply::kSilence;
  mServer.QueueReply(silence);
  TSimpleHttp http;
  http.Init(mServer.Url().c_str(), true);
  http.DoRequest(1);
  ASSERT_EQ(TSimpleHttp::kRunning, http.GetStatus());
  // Keep polling until the request has been sent, then abandon it.
  PollWhile(
      [&] {
        http.GetStatus();
        return mServer.Requests().empty() ? 0 : 1;
      },
      0, 5000);
  http.Init(mServer.Url().c_str(), true);
  EXPECT_EQ(TSimpleHttp::kFailed, http.GetStatus());
  EXPECT_EQ(nullptr, http.GetContents());
  EXPECT_TRUE(mServer.WaitForClientClose(1));

  http.DoRequest(1);
  EXPECT_EQ(TSimpleHttp::kComplete, Finish(http));
}

TEST(SimpleHttpOffline, NoTransfer_ReportsFailedAndNoContents)
{
  TSimpleHttp http;
  EXPECT_EQ(TSimpleHttp::kFailed, http.GetStatus());
  EXPECT_EQ(nullptr, http.GetContents());
  http.Init("http://127.0.0.1:1/", true);
  EXPECT_EQ(TSimpleHttp::kFailed, http.GetStatus());
}

TEST(SimpleHttpOffline, OutputFileThatCannotBeOpened_ReportsFileNotOpened)
{
  TSimpleHttp http;
  http.Init("http://127.0.0.1:1/", false, "no-such-prefix/cannot-write.txt");
  http.DoRequest(1);
  EXPECT_EQ(TSimpleHttp::kFileNotOpened, http.GetStatus());
  EXPECT_EQ(nullptr, http.GetContents());
}

TEST(SimpleHttpOffline, DisallowedScheme_Fails)
{
  TSimpleHttp http;
  http.Init("file:///etc/hostname", false);
  http.DoRequest(1);
  EXPECT_EQ(TSimpleHttp::kFailed, PollWhile([&] { return http.GetStatus(); }, 0, 5000));
}

} // namespace
