// webhiscores tests: the four requests byte for byte against a loopback server reached
// through "hiscoreserver.txt", the submitted XML deciphered independently, every reply branch,
// and refused, silent, truncated and oversized servers failing cleanly.
#include "platform/online/simplehttp.h"
#include "support/blowfishoracle.h"
#include "support/hiscorefixture.h"
#include "support/httpserver.h"
#include "support/loopbackhttp.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

using namespace hiscoretest;

namespace {

const char kUnable[] = "Unable to connect to server. Please try again later.";
const std::string kForm = std::string("lang=en&ver=1.0&game=") + kGame;

class WebHiscoreTest : public HiscoreTest
{
protected:
  void SetUp() override
  {
    HiscoreTest::SetUp();
    mSavedLimits = UseLoopbackHttp();
    ASSERT_TRUE(mServer.IsRunning());
    mSandbox.WriteFile("hiscoreserver.txt", mServer.Url() + "\n");
  }
  void TearDown() override
  {
    TSimpleHttp::SetLimits(mSavedLimits);
    HiscoreTest::TearDown();
  }

  int Poll(TQvHiscores& hiscores, bool* scoreReply = nullptr)
  {
    mMessage[0] = 0;
    return PollWhile([&] { return hiscores.GetServerRequestStatus(mMessage, sizeof mMessage, scoreReply); },
                     TQvHiscores::kRequestRunning, 8000);
  }

  std::string LastBody()
  {
    auto requests = mServer.Requests();
    return requests.empty() ? std::string("<none>") : requests.back().body;
  }

  // The value of the last argument of a submission, deciphered as the service would.
  std::string Deciphered(const std::string& body, const std::string& name)
  {
    size_t start = body.find("&" + name + "=");
    if (start == std::string::npos) {
      return "<missing>";
    }
    std::string value = oracle::PercentDecode(body.substr(start + name.size() + 2));
    std::vector<uint8_t> plain;
    if (!mOracle.DecryptPadded(oracle::Base64Decode(value), &plain)) {
      return "<undecipherable>";
    }
    return std::string(plain.begin(), plain.end());
  }

  // The whole form body the service must receive for a submitted text.
  std::string SubmissionBody(const std::string& action, const std::string& field, const std::string& xml)
  {
    return kForm + "&action=" + action + "&" + field + "=" +
           oracle::FormEncodeBase64(oracle::Base64Encode(mOracle.EncryptPadded(xml)));
  }

  static std::string ScoreXml(const std::string& attributes, const std::string& inner = "")
  {
    return "<?xml version=\"1.0\"?>\n<score\n" + attributes + ">\n" +
           (inner.empty() ? "</score>\n" : inner + "</score>");
  }

  TTestHttpServer mServer;
  THttpLimits mSavedLimits;
  oracle::TBlowfishOracle mOracle{std::string(kKey)};
  char mMessage[256];
};

TEST_F(WebHiscoreTest, Categories_RequestAndReply)
{
  auto hiscores = Make();
  mServer.QueueReply(TScriptedReply::Body("<hiscore><tables><table table=\"t1\" name=\"All\"/><other/>"
                                          "<table table=\"t2\" name=\"This week\"/></tables></hiscore>"));
  hiscores->RequestCategoryInformation();
  ASSERT_EQ(TQvHiscores::kRequestDone, Poll(*hiscores));
  EXPECT_EQ("lang=en&ver=1.0&action=tables&game=quillmoor-sleuth-bureau", LastBody());
  auto requests = mServer.Requests();
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ("POST", requests[0].method);
  EXPECT_EQ("/go/hiscore", requests[0].target);
  EXPECT_EQ("qvlib/Mac", requests[0].headers["user-agent"]);

  ASSERT_EQ(2, hiscores->GetCategoryCount());
  char name[5];
  ASSERT_TRUE(hiscores->GetCategoryName(1, name, sizeof name));
  EXPECT_STREQ("This", name);
  EXPECT_FALSE(hiscores->GetCategoryName(2, name, sizeof name));
  EXPECT_FALSE(hiscores->GetCategoryName(-1, name, sizeof name));
  EXPECT_FALSE(hiscores->GetCategoryName(0, nullptr, 5));
}

TEST_F(WebHiscoreTest, Scores_RequestArgumentsFollowCategoryAndLogin)
{
  auto hiscores = Make("alice", "story");
  hiscores->RequestScores(-1);
  Poll(*hiscores);
  EXPECT_EQ("lang=en&ver=1.0&action=get&game=quillmoor-sleuth-bureau&type=story&numScores=500", LastBody());

  mServer.QueueReply(
      TScriptedReply::Body("<hiscore><tables><table table=\"t1\" name=\"All\"/><table table=\"w k\" name=\"W\"/>"
                           "</tables></hiscore>"));
  hiscores->RequestCategoryInformation();
  ASSERT_EQ(TQvHiscores::kRequestDone, Poll(*hiscores));
  hiscores->RequestScores(1);
  Poll(*hiscores);
  EXPECT_EQ("lang=en&ver=1.0&action=get&game=quillmoor-sleuth-bureau&type=story&table=w%20k"
            "&numScores=500",
            LastBody());
  hiscores->RequestScores(2);
  Poll(*hiscores);
  EXPECT_EQ(std::string::npos, LastBody().find("table="));

  // A submission with a password makes its user name the online name; anonymous ones do not.
  hiscores->KeepScore(10, false, nullptr);
  ASSERT_TRUE(hiscores->SubmitData(str("ali ce"), str("pw"), false, TQvHiscores::kSubmitScore));
  Poll(*hiscores);
  hiscores->RequestScores(0);
  Poll(*hiscores);
  EXPECT_EQ("lang=en&ver=1.0&action=get&game=quillmoor-sleuth-bureau&type=story&table=t1"
            "&numScores=500&username=ali%20ce",
            LastBody());
  ASSERT_TRUE(hiscores->SubmitData(str("anon"), str(""), false, TQvHiscores::kSubmitScore));
  Poll(*hiscores);
  hiscores->RequestScores(0);
  Poll(*hiscores);
  EXPECT_EQ(std::string::npos, LastBody().find("username"));

  ASSERT_TRUE(hiscores->SubmitData(str("ali"), str("pw"), false, TQvHiscores::kSubmitScore));
  Poll(*hiscores);
  hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str("alice")); // forgets the online name
  hiscores->RequestScores(0);
  Poll(*hiscores);
  EXPECT_EQ(std::string::npos, LastBody().find("username"));
}

TEST_F(WebHiscoreTest, Scores_ReplyFillsTheGlobalListAndTheAccountRow)
{
  auto hiscores = Make("alice", "story");
  mServer.QueueReply(
      TScriptedReply::Body("<hiscore><scores>"
                           "<score name=\"zed\" score=\"90\" rank=\"1\" guid=\"g1\" anonymous=\"true\" data=\"d1\"/>"
                           "<junk/>"
                           "<score name=\"me\" score=\"80\" rank=\"2\" guid=\"g2\" data=\"mine\" account=\"true\"/>"
                           "<score name=\"x\" score=\"99999999999\" rank=\"3\" account=\"true\"/>"
                           "</scores></hiscore>"));
  hiscores->RequestScores(-1);
  ASSERT_EQ(TQvHiscores::kRequestDone, Poll(*hiscores));
  EXPECT_EQ("1:90:zed 2:80:me 3:2147483647:x", Rows(*hiscores, false));
  bool anonymous = false;
  ASSERT_TRUE(hiscores->GetScore(false, 0, nullptr, nullptr, 0, &anonymous, nullptr, nullptr, 0));
  EXPECT_TRUE(anonymous);
  ASSERT_TRUE(hiscores->GetScore(false, 1, nullptr, nullptr, 0, &anonymous, nullptr, nullptr, 0));
  EXPECT_FALSE(anonymous);

  int score = 0;
  int rank = 0;
  char data[8];
  ASSERT_TRUE(hiscores->GetUserBestScore(TQvHiscores::kGlobalScore, &score, &rank, data, sizeof data));
  EXPECT_EQ(80, score);
  EXPECT_EQ(2, rank);
  EXPECT_STREQ("mine", data);
}

TEST_F(WebHiscoreTest, Scores_WithoutAccountRowTheGlobalRowIsFoundByGuid)
{
  auto hiscores = Make("alice", "story");
  hiscores->KeepScore(70, false, nullptr); // GUID 1
  hiscores->KeepScore(50, false, nullptr); // GUID 2
  mServer.QueueReply(TScriptedReply::Body("<hiscore><scores>"
                                          "<score name=\"alice\" score=\"70\" rank=\"4\" guid=\"nope\"/>"
                                          "<score name=\"bob\" score=\"50\" rank=\"5\" guid=\"" +
                                          Guid(2) +
                                          "\"/>"
                                          "<score name=\"alice\" score=\"50\" rank=\"6\" guid=\"" +
                                          Guid(2) +
                                          "\"/>"
                                          "</scores></hiscore>"));
  hiscores->RequestScores(-1);
  ASSERT_EQ(TQvHiscores::kRequestDone, Poll(*hiscores));
  int rank = 0;
  ASSERT_TRUE(hiscores->GetUserGlobalScore(nullptr, &rank, nullptr, 0));
  EXPECT_EQ(6, rank);
}

TEST_F(WebHiscoreTest, SubmitScore_SendsTheExactEncipheredTextAndMarksTheRows)
{
  auto hiscores = Make("alice", "story");
  hiscores->RecordScore(90, false, "lvl", "<bonus a=\"1\"/>");
  hiscores->KeepScore(40, false, nullptr);
  hiscores->KeepMedal("gold", TQvHiscores::kMedalPerGame, str());
  hiscores->KeepMedal("st\"ar", TQvHiscores::kMedalPerType, str());
  mServer.QueueReply(TScriptedReply::Body("<hiscore><score/></hiscore>"));
  ASSERT_TRUE(hiscores->SubmitData(str("ali"), str("p&w"), true,
                                   TQvHiscores::ESubmitMode(TQvHiscores::kSubmitScore | TQvHiscores::kSubmitMedals)));
  bool qualified = false;
  ASSERT_EQ(TQvHiscores::kRequestDone, Poll(*hiscores, &qualified));
  EXPECT_TRUE(qualified);

  std::string body = LastBody();
  ASSERT_EQ(0u, body.find(kForm + "&action=submit&score="));
  EXPECT_EQ(std::string::npos, body.find_first_of("+/=", (kForm + "&action=submit&score=").size()));
  std::string xml = ScoreXml("    guid=\"" + Guid(1) +
                                 "\"\n    name=\"ali\"\n    password=\"p&amp;w\"\n"
                                 "    type=\"story\"\n    game=\"quillmoor-sleuth-bureau\"\n    score=\"90\"\n"
                                 "    data=\"lvl\"\n    ver=\"1.2\"",
                             "&lt;bonus a=&quot;1&quot;/&gt;<medal name=\"gold\" per=\"game\"/>"
                             "<medal name=\"st&quot;ar\" per=\"type\"/>");
  EXPECT_EQ(xml, Deciphered(body, "score"));
  EXPECT_EQ(SubmissionBody("submit", "score", xml), body);

  EXPECT_FALSE(hiscores->GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(0, hiscores->GetNumMedalsToSubmit());
  str name;
  str password;
  ASSERT_TRUE(hiscores->GetRememberedUserInfo(&name, &password));
  EXPECT_STREQ("p&w", password.c_str());

  // The outcome is kept: polling again neither parses nor saves again.
  std::remove(mSandbox.Path("user/hiscore.dat").c_str());
  qualified = false;
  EXPECT_EQ(TQvHiscores::kRequestDone, hiscores->GetServerRequestStatus(mMessage, sizeof mMessage, &qualified));
  EXPECT_TRUE(qualified);
  EXPECT_FALSE(mSandbox.FileExists("user/hiscore.dat"));

  // The saved file (written when the reply was taken over) has both rows submitted.
  hiscores->KeepScore(1, false, nullptr);
  auto reloaded = Make("alice", "story");
  int score = 0;
  ASSERT_TRUE(reloaded->GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, &score, nullptr, nullptr, 0));
  EXPECT_EQ(1, score);
  EXPECT_EQ(0, reloaded->GetNumMedalsToSubmit());
}

TEST_F(WebHiscoreTest, SubmitScore_AnonymousCarriesNoPasswordNoMedalsAndEndsWithANewline)
{
  TPlatform::SetConfig(str("version"), str(""));
  auto noVersion = Make("alice", "story");
  TPlatform::SetConfig(str("version"), str(kVersion));
  noVersion->KeepScore(12, false, nullptr);
  noVersion->KeepMedal("gold", TQvHiscores::kMedalPerGame, str());
  mServer.QueueReply(TScriptedReply::Body("<hiscore/>"));
  ASSERT_TRUE(noVersion->SubmitData(str(""), str(""), false,
                                    TQvHiscores::ESubmitMode(TQvHiscores::kSubmitScore | TQvHiscores::kSubmitMedals)));
  bool qualified = true;
  ASSERT_EQ(TQvHiscores::kRequestDone, Poll(*noVersion, &qualified));
  EXPECT_FALSE(qualified); // no "score" element: not qualified
  EXPECT_EQ(ScoreXml("    guid=\"" + Guid(1) +
                     "\"\n    type=\"story\"\n"
                     "    game=\"quillmoor-sleuth-bureau\"\n    score=\"12\""),
            Deciphered(LastBody(), "score"));
  EXPECT_EQ(1, noVersion->GetNumMedalsToSubmit());
  EXPECT_FALSE(noVersion->GetRememberedUserInfo(nullptr, nullptr));
}

TEST_F(WebHiscoreTest, SubmitMedals_SendsTypedLinesAndMarksTheTable)
{
  auto hiscores = Make("alice", "story");
  hiscores->KeepMedal("gold", TQvHiscores::kMedalPerGame, str());
  hiscores->KeepMedal("star", TQvHiscores::kMedalPerType, str());
  mServer.QueueReply(TScriptedReply::Body("<hiscore><medals/><score/></hiscore>"));
  ASSERT_TRUE(hiscores->SubmitData(str("ali"), str("pw"), false, TQvHiscores::kSubmitMedals));
  bool qualified = true;
  ASSERT_EQ(TQvHiscores::kRequestDone, Poll(*hiscores, &qualified));
  EXPECT_FALSE(qualified);
  std::string body = LastBody();
  ASSERT_EQ(0u, body.find(kForm + "&action=medals&medals="));
  std::string xml = "<?xml version=\"1.0\"?>\n<medals\n    name=\"ali\"\n    password=\"pw\"\n"
                    "    game=\"quillmoor-sleuth-bureau\">\n"
                    "<medal name=\"gold\" per=\"game\"/><medal name=\"star\" per=\"type\" type=\"story\"/>"
                    "</medals>";
  EXPECT_EQ(xml, Deciphered(body, "medals"));
  EXPECT_EQ(SubmissionBody("medals", "medals", xml), body);
  EXPECT_EQ(0, hiscores->GetNumMedalsToSubmit());
  EXPECT_EQ(0, Make("alice", "story")->GetNumMedalsToSubmit());

  // A score submission that falls back to the medals when the player has no score.
  hiscores->SetProperty(TQvHiscores::kPropertyPlayer, str("bob"));
  hiscores->KeepMedal("gold", TQvHiscores::kMedalPerGame, str());
  mServer.QueueReply(TScriptedReply::Body("<hiscore><medals/></hiscore>"));
  ASSERT_TRUE(hiscores->SubmitDataToServer("bobby", "pw", false, true));
  ASSERT_EQ(TQvHiscores::kRequestDone, Poll(*hiscores));
  EXPECT_EQ(0u, LastBody().find(kForm + "&action=medals&medals="));
  EXPECT_EQ(0, hiscores->GetNumMedalsToSubmit());
}

TEST_F(WebHiscoreTest, Replies_EveryFailureBranchGivesItsText)
{
  mSandbox.WriteFile("hiscore.xml", "<hiscore><defaulterror>Service asleep</defaulterror></hiscore>");
  auto hiscores = Make("alice", "story");
  hiscores->KeepScore(10, false, nullptr);

  struct Case
  {
    const char* name;
    int kind; // 0 submit, 1 scores, 2 categories
    std::string reply;
    std::string message;
    std::string log;
  };
  const Case cases[] = {
      {"message", 0, "<hiscore><message>Try   later</message></hiscore>", "Try later",
       "HiScore User Message: Try later"},
      {"protocol error", 0, "<hiscore><protocolError>bad</protocolError></hiscore>", "Service asleep",
       "ERROR: HiScore Protocol Error: bad"},
      {"not xml", 0, "Internal error", "Service asleep", "ERROR: HiScore XML parsing error!"},
      {"categories without tables", 2, "<hiscore/>", "Service asleep", ""},
      {"scores without categories", 1, "<hiscore/>",
       "Score request failed because no category information has been received yet", "HiScores parsed incorrectly"},
      {"missing type", 1, "Missing required parameter: type", "Score request failed because game mode is not valid",
       "ERROR: HiScore XML parsing error!"},
  };
  for (const Case& c : cases) {
    // The service says a missing parameter with a 400; everything else comes with a 200.
    const bool badRequest = c.reply.find("Missing required") != std::string::npos;
    mServer.QueueReply(TScriptedReply::Body(c.reply, badRequest ? 400 : 200));
    if (c.kind == 0) {
      ASSERT_TRUE(hiscores->SubmitData(str("ali"), str("pw"), true, TQvHiscores::kSubmitScore));
    } else if (c.kind == 1) {
      hiscores->RequestScores(0);
    } else {
      hiscores->RequestCategoryInformation();
    }
    ::testing::internal::CaptureStderr();
    int status = Poll(*hiscores);
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(TQvHiscores::kRequestFailed, status) << c.name;
    EXPECT_EQ(c.message, mMessage) << c.name;
    EXPECT_NE(std::string::npos, log.find(c.log)) << c.name << ": " << log;
    // A second poll repeats the outcome.
    mMessage[0] = 0;
    EXPECT_EQ(TQvHiscores::kRequestFailed, hiscores->GetServerRequestStatus(mMessage, sizeof mMessage, nullptr));
    EXPECT_EQ(c.message, mMessage) << c.name;
  }
  EXPECT_TRUE(hiscores->GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, nullptr, nullptr, nullptr, 0));
  EXPECT_TRUE(hiscores->GetRememberedUserInfo(nullptr, nullptr));
}

TEST_F(WebHiscoreTest, Replies_OnlyAWholeAnswerOfTheServiceMarksTheScoreSent)
{
  auto hiscores = Make("alice", "story");
  hiscores->KeepScore(10, false, nullptr);
  hiscores->KeepMedal("gold", TQvHiscores::kMedalPerGame, str());
  const std::string redirected = "The hiscore service sent the request elsewhere (HTTP ";
  const std::string damaged = "The hiscore service's reply was cut short or damaged";
  struct Case
  {
    const char* name;
    TScriptedReply reply;
    std::string message; // what the message begins with
    std::string log;     // what the one ERROR line holds
  };
  TScriptedReply twoLengths = TScriptedReply::Body("<hiscore><score/></hiscore>");
  twoLengths.extraHeaders = "Content-Length: 99\r\n";
  const Case cases[] = {
      {"redirect", TScriptedReply::Body("<hiscore><score/></hiscore>", 302), redirected + "302)",
       "ERROR: HiScore request was redirected"},
      {"bare redirect", TScriptedReply::Body("", 301), redirected + "301)", "ERROR: HiScore request was redirected"},
      {"server error", TScriptedReply::Body("<hiscore><score/></hiscore>", 500),
       "The hiscore service answered with an error (HTTP 500)", "ERROR: HiScore reply came with HTTP status 500"},
      {"cut inside a tag", TScriptedReply::Body("<hiscore><score"), damaged,
       "ERROR: HiScore reply is cut short or damaged"},
      {"cut after a tag", TScriptedReply::Body("<hiscore><score/>"), damaged,
       "ERROR: HiScore reply is cut short or damaged (the hiscore service's reply is cut short"},
      {"text around it", TScriptedReply::Body("Moved <hiscore><score/></hiscore>"), damaged,
       "ERROR: HiScore reply is cut short"},
      {"zero byte inside", TScriptedReply::Body(std::string("<hiscore><score/></hiscore>\0<x/>", 32)), damaged,
       "ERROR: HiScore reply is cut short"},
      // Complete, but not well-formed.
      {"crossed end tags", TScriptedReply::Body("<hiscore><scores><score/></hiscore></scores>"), damaged,
       "end tag </hiscore> closes <scores>"},
      {"unquoted attribute", TScriptedReply::Body("<hiscore><score rank=1/></hiscore>"), damaged,
       "attribute rank of <score> is not in double quotes"},
      {"attribute twice", TScriptedReply::Body("<hiscore><score rank=\"1\" rank=\"2\"/></hiscore>"), damaged,
       "attribute rank of <score> is given twice"},
      {"< in a value", TScriptedReply::Body("<hiscore><score name=\"a<b\"/></hiscore>"), damaged,
       "attribute name of <score> holds a \"<\""},
      {"two roots", TScriptedReply::Body("<hiscore><score/></hiscore><hiscore/>"), damaged,
       "more than one root element"},
      {"two lengths", twoLengths, damaged, "gives two lengths (Content-Length 99 and 27)"},
  };
  for (const Case& c : cases) {
    mServer.QueueReply(c.reply);
    ASSERT_TRUE(hiscores->SubmitData(str("ali"), str("pw"), false,
                                     TQvHiscores::ESubmitMode(TQvHiscores::kSubmitScore | TQvHiscores::kSubmitMedals)));
    ::testing::internal::CaptureStderr();
    bool qualified = false;
    const int status = Poll(*hiscores, &qualified);
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(TQvHiscores::kRequestFailed, status) << c.name;
    EXPECT_FALSE(qualified) << c.name;
    EXPECT_EQ(0u, std::string(mMessage).find(c.message)) << c.name << ": " << mMessage;
    EXPECT_EQ(0u, log.find("ERROR: ")) << c.name << ": " << log;
    EXPECT_EQ(std::string::npos, log.find("ERROR: ", 1)) << c.name << ": " << log;
    EXPECT_NE(std::string::npos, log.find(c.log)) << c.name << ": " << log;
    // Nothing is marked: the score and the medal wait to be sent again.
    EXPECT_TRUE(hiscores->GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, nullptr, nullptr, nullptr, 0)) << c.name;
    EXPECT_EQ(1, hiscores->GetNumMedalsToSubmit()) << c.name;
  }
  EXPECT_TRUE(
      Make("alice", "story")->GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, nullptr, nullptr, nullptr, 0));

  // And a whole, well-formed answer still does.
  mServer.QueueReply(TScriptedReply::Body("<?xml version=\"1.0\"?>\n<hiscore><score rank=\"1\" name=\"a&lt;b\"/>"
                                          "</hiscore>\n"));
  ASSERT_TRUE(hiscores->SubmitData(str("ali"), str("pw"), false,
                                   TQvHiscores::ESubmitMode(TQvHiscores::kSubmitScore | TQvHiscores::kSubmitMedals)));
  bool qualified = false;
  ASSERT_EQ(TQvHiscores::kRequestDone, Poll(*hiscores, &qualified));
  EXPECT_TRUE(qualified);
  EXPECT_FALSE(hiscores->GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(0, hiscores->GetNumMedalsToSubmit());
}

TEST_F(WebHiscoreTest, Replies_InvalidLoginForgetsTheRememberedLogin)
{
  auto hiscores = Make("alice", "story");
  hiscores->KeepScore(10, false, nullptr);
  mServer.QueueReply(
      TScriptedReply::Body("<hiscore><message>hiscore.error.invalidUsernameOrPassword</message></hiscore>"));
  ASSERT_TRUE(hiscores->SubmitData(str("ali"), str("wrong"), true, TQvHiscores::kSubmitScore));
  EXPECT_TRUE(hiscores->GetRememberedUserInfo(nullptr, nullptr));
  ASSERT_EQ(TQvHiscores::kRequestFailed, Poll(*hiscores));
  EXPECT_STREQ("hiscore.error.invalidUsernameOrPassword", mMessage);
  EXPECT_FALSE(hiscores->GetRememberedUserInfo(nullptr, nullptr));
  EXPECT_FALSE(Make("alice", "story")->GetRememberedUserInfo(nullptr, nullptr));
  EXPECT_TRUE(hiscores->GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, nullptr, nullptr, nullptr, 0));
}

TEST_F(WebHiscoreTest, Transport_BrokenServersFailWithinTheLimits)
{
  auto hiscores = Make("alice", "story");
  TScriptedReply silence;
  silence.mode = TScriptedReply::kSilence;
  TScriptedReply truncated = TScriptedReply::Body("<hiscore><tables><table table=\"a\"/></tables></hiscore>");
  truncated.mode = TScriptedReply::kTruncated;
  TScriptedReply oversized;
  oversized.mode = TScriptedReply::kOversized;
  oversized.oversizeBytes = 1024 * 1024;
  oversized.declareLength = false;
  for (const TScriptedReply& reply : {silence, truncated, oversized}) {
    mServer.QueueReply(reply);
    hiscores->RequestCategoryInformation();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(TQvHiscores::kRequestFailed, Poll(*hiscores)) << reply.mode;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4000)) << reply.mode;
    EXPECT_STREQ(kUnable, mMessage) << reply.mode;
    EXPECT_EQ(0, hiscores->GetCategoryCount());
  }

  mSandbox.WriteFile("hiscoreserver.txt",
                     "http://127.0.0.1:" + std::to_string(TTestHttpServer::UnusedPort()) + "/go/hiscore");
  auto refused = Make("alice", "story");
  refused->RequestCategoryInformation();
  EXPECT_EQ(TQvHiscores::kRequestFailed, Poll(*refused));
  EXPECT_STREQ(kUnable, mMessage);
}

TEST_F(WebHiscoreTest, Refusals_AreReportedAsFailuresNotAsTheLastOutcome)
{
  auto hiscores = Make("alice", "story");
  mServer.QueueReply(TScriptedReply::Body("<hiscore><tables/></hiscore>"));
  hiscores->RequestCategoryInformation();
  ASSERT_EQ(TQvHiscores::kRequestDone, Poll(*hiscores));
  ASSERT_TRUE(mServer.WaitForRequests(1));

  // Invalid name: logged, refused, nothing sent, and the poll says so.
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(hiscores->SubmitData(str("ren\xC0"
                                        "e"),
                                    str("pw"), false, TQvHiscores::kSubmitScore));
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("ERROR: Invalid User name ren\xC0"
                                        "e"));
  EXPECT_EQ(TQvHiscores::kRequestFailed, hiscores->GetServerRequestStatus(mMessage, sizeof mMessage, nullptr));
  EXPECT_STREQ(kUnable, mMessage);

  // No score in this mode and no medals: nothing to send.
  EXPECT_FALSE(hiscores->SubmitData(str("ali"), str("pw"), false,
                                    TQvHiscores::ESubmitMode(TQvHiscores::kSubmitScore | TQvHiscores::kSubmitMedals)));
  EXPECT_EQ(TQvHiscores::kRequestFailed, hiscores->GetServerRequestStatus(mMessage, sizeof mMessage, nullptr));
  EXPECT_FALSE(hiscores->SubmitData(str("ali"), str("pw"), false, TQvHiscores::kSubmitMedals));
  EXPECT_FALSE(hiscores->SubmitData(str("ali"), str("pw"), false, TQvHiscores::ESubmitMode(0)));

  // Medals need a name and a password.
  hiscores->KeepMedal("gold", TQvHiscores::kMedalPerGame, str());
  EXPECT_FALSE(hiscores->SubmitData(str("ali"), str(""), false, TQvHiscores::kSubmitMedals));
  EXPECT_FALSE(hiscores->SubmitMedalsToServer("<medal/>", "ali", nullptr, false));
  EXPECT_FALSE(hiscores->SubmitMedalsToServer(nullptr, "ali", "pw", false));
  EXPECT_EQ(TQvHiscores::kRequestFailed, hiscores->GetServerRequestStatus(mMessage, sizeof mMessage, nullptr));
  EXPECT_EQ(1, hiscores->GetNumMedalsToSubmit());

  // A moment for anything stray to arrive: the server saw the categories request only.
  hiscores->GetServerRequestStatus(mMessage, sizeof mMessage, nullptr);
  EXPECT_EQ(1u, mServer.Requests().size());
}

TEST_F(WebHiscoreTest, Settings_LanguageAndOverrideFiles)
{
  {
    auto hiscores = Make();
    hiscores->SetProperty(TQvHiscores::kPropertyLanguage, str("de"));
    hiscores->RequestCategoryInformation();
    Poll(*hiscores);
    EXPECT_EQ(0u, LastBody().find("lang=de&"));
  }
  mSandbox.WriteFile("hiscore.xml", "<?xml version=\"1.0\"?>\n<hiscore><language>fr</language></hiscore>");
  mSandbox.WriteFile("hiscoreserver.txt", "  " + mServer.Url() + " \r\n# a second line\n");
  {
    auto hiscores = Make();
    hiscores->SetProperty(TQvHiscores::kPropertyLanguage, str("de"));
    mServer.QueueReply(TScriptedReply::Body("<hiscore><tables/></hiscore>"));
    hiscores->RequestCategoryInformation();
    EXPECT_EQ(TQvHiscores::kRequestDone, Poll(*hiscores));
    EXPECT_EQ(0u, LastBody().find("lang=fr&"));
  }
  // Only http and https addresses are honoured.
  mSandbox.WriteFile("hiscoreserver.txt", "file:///etc/passwd\n");
  mSandbox.WriteFile("hiscore.xml", "<hiscore><defaulterror>Default</defaulterror></hiscore>");
  size_t before = mServer.Requests().size();
  ::testing::internal::CaptureStderr();
  auto ignored = Make();
  std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("ERROR: "));
  EXPECT_EQ(TQvHiscores::kRequestFailed, ignored->GetServerRequestStatus(mMessage, sizeof mMessage, nullptr));
  EXPECT_STREQ("Default", mMessage); // nothing asked yet: the default text
  EXPECT_EQ(before, mServer.Requests().size());
}

// A password written into the server address never reaches the log, whatever fails.
TEST_F(WebHiscoreTest, Secrets_APasswordInTheServerAddressNeverReachesTheLog)
{
  const std::string secret = "Sekr3tPassw0rd";
  std::string authority = "alice:" + secret + "@127.0.0.1:";
  const std::string addresses[] = {
      "http://" + authority + std::to_string(TTestHttpServer::UnusedPort()) + "/go/hiscore",
      "http://" + authority + std::to_string(mServer.Port()) + "/go/hiscore?pass=" + secret,
      "ftp://" + authority + "21/go/hiscore"};
  for (const std::string& address : addresses) {
    mSandbox.WriteFile("hiscoreserver.txt", address + "\n");
    mServer.QueueReply(TScriptedReply::Body("", 500));
    ::testing::internal::CaptureStderr();
    auto hiscores = Make("alice", "story");
    hiscores->RequestCategoryInformation();
    Poll(*hiscores);
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, log.find("ERROR: ")) << address;
    EXPECT_EQ(std::string::npos, log.find(secret)) << log;
  }
}

} // namespace
