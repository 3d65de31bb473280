// Tests of the score submission dialog against the loopback server: the setup text with a
// remembered login, the send button following the typed names, the anonymous name kept,
// the dialog closing with "qualified" or "success", and refusals, failures and time-outs.
#include <gtest/gtest.h>

#include "core/online/hiscores.h"
#include "shell/serversubmit.h"
#include "support/hiscorewindowfixture.h"
#include "support/showntext.h"

namespace {

const char kDialog[] = "function SwitchModes(connecting) gConnecting = connecting end "
                       "PushModal('submit') "
                       "MakeDialog{ SubmitWindow{ name = 'submit', w = 600, h = 400, "
                       "  TextEdit{ name = 'nameedit', x = 10, y = 10, w = 200, h = 30, label = '' }, "
                       "  TextEdit{ name = 'accountedit', x = 10, y = 60, w = 200, h = 30, label = '' }, "
                       "  Button{ name = 'submittoserver', x = 10, y = 120, w = 100, h = 30 }, "
                       "  Text{ name = 'submiterror', x = 10, y = 200, w = 500, h = 30, label = '' }, "
                       "  Text{ name = 'submitconnect', x = 10, y = 240, w = 500, h = 30, label = 'Connecting' }, "
                       "  Button{ name = 'submiterrorok', x = 10, y = 300, w = 100, h = 30 } } } "
                       "EnableWindow('submiterror', false) EnableWindow('submiterrorok', false)";

class SubmitDialogTest : public HiscoreWindowTest
{
protected:
  void SetUp() override
  {
    HiscoreWindowTest::SetUp();
    if (IsSkipped())
      return;
    settings->CreateNewUser("Ann");
    settings->LogHighScore(640, false, false);
  }
  TServerSubmit* Open()
  {
    Run(kDialog);
    return Find<TServerSubmit>("submit");
  }
  bool Shown(const char* name)
  {
    TWindow* window = screen->GetChildWindow(name, -1);
    return window && window->IsVisible();
  }
  // What typing posts reaches the dialog the way it climbs from the entry.
  void Edited(const char* entry)
  {
    manager.PostWindowMessage(new TMessage(TMessage::kTextEditChanged, entry, Find<TTextEdit>(entry)));
    manager.DispatchMessages();
  }
  // Typing into an entry, as the player does after clicking it.
  void TypeInto(const char* entry, const char* text)
  {
    manager.SetFocus(Find<TTextEdit>(entry));
    Type(text);
    Edited(entry);
  }
  bool Closed()
  {
    return RunUntil([&] { return manager.GetModalStack().size() == 1; });
  }
};

} // namespace

TEST_F(SubmitDialogTest, TheSetupTextOffersWhatTheGameRemembers)
{
  EXPECT_EQ(str("gNameEdit=''; gAccountEdit=''; gPassEdit=''; gRemember=false; gMedalsMode=false;gEligibleScore=640"),
            TServerSubmit::GetLuaSetupVars(false));
  // A submission under an account with "remember" keeps the login for the player.
  server.QueueReply(TScriptedReply::Body("<hiscore><score/></hiscore>"));
  ASSERT_TRUE(settings->mHiscores->SubmitData("sleuth", "pa'ss", true, TQvHiscores::kSubmitScore));
  char message[256];
  ASSERT_EQ(TQvHiscores::kRequestDone,
            PollWhile([&] { return settings->mHiscores->GetServerRequestStatus(message, sizeof message, nullptr); },
                      TQvHiscores::kRequestRunning));
  const str setup = TServerSubmit::GetLuaSetupVars(true);
  EXPECT_EQ(str("gNameEdit=''; gAccountEdit='sleuth'; gPassEdit='pa\\'ss'; gRemember=true; gMedalsMode=true;"), setup);
  Run(("gPassEdit = nil " + std::string(setup.c_str())).c_str());
  EXPECT_EQ(str("pa'ss"), Global("gPassEdit"));
  Run("gText = GetLuaServerSubmitSetupVars(false)");
  EXPECT_EQ(0u, Global("gText").find(str("gNameEdit=''; gAccountEdit='sleuth';")));
}

TEST_F(SubmitDialogTest, TheSendButtonIsThereOnlyWhileANameOrAnAccountIsTyped)
{
  Open();
  TButton* send = Find<TButton>("submittoserver");
  Move(Centre(Find<TTextEdit>("nameedit")));
  Down(Centre(Find<TTextEdit>("nameedit")));
  Up(Centre(Find<TTextEdit>("nameedit")));
  Run("EnableWindow('submittoserver', false)");
  Type("Jo");
  Edited("nameedit");
  EXPECT_TRUE(send->IsVisible());
  Type("\b\b");
  Edited("nameedit");
  EXPECT_FALSE(send->IsVisible());
  Move(Centre(Find<TTextEdit>("accountedit")));
  Down(Centre(Find<TTextEdit>("accountedit")));
  Up(Centre(Find<TTextEdit>("accountedit")));
  Type("acc");
  Edited("accountedit");
  EXPECT_TRUE(send->IsVisible());
}

TEST_F(SubmitDialogTest, BlanksAreNoNameTheSendButtonIsNotOfferedForAndNothingIsSent)
{
  Open();
  TButton* send = Find<TButton>("submittoserver");
  TypeInto("nameedit", "Jo");
  ASSERT_TRUE(send->IsVisible());
  TypeInto("nameedit", "\b\b  ");
  EXPECT_FALSE(send->IsVisible());
  TypeInto("accountedit", " ");
  EXPECT_FALSE(send->IsVisible());

  // Sent anyway, neither an empty nor a blank name leaves the computer, nor is it kept.
  Run("SubmitToServer('', '', '', false, false) SubmitToServer('  ', ' ', '', false, false)");
  EXPECT_FALSE(Truth("gConnecting"));
  RunUntil([] { return false; }, 200);
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_EQ(str(), settings->GetUserStr(TServerSubmit::kAnonymousName, "", 0));
  // A blank account beside a name sends under the name.
  server.QueueReply(TScriptedReply::Body("<hiscore/>"));
  Run("SubmitToServer('Jo', '  ', '', false, false)");
  ASSERT_TRUE(Closed());
  EXPECT_EQ(str("Jo"), settings->GetUserStr(TServerSubmit::kAnonymousName, "", 0));
  ASSERT_EQ(1u, server.Requests().size());
}

TEST_F(SubmitDialogTest, AQualifiedScoreClosesTheDialogWithQualifiedAndKeepsTheName)
{
  Open();
  server.QueueReply(TScriptedReply::Body("<hiscore><score rank=\"3\"/></hiscore>"));
  Run("SubmitToServer('Jo', '', '', false, false)");
  EXPECT_TRUE(Truth("gConnecting"));
  EXPECT_EQ(str("Jo"), settings->GetUserStr(TServerSubmit::kAnonymousName, "", 0));
  ASSERT_TRUE(Closed());
  EXPECT_EQ(str("qualified"), Global("gReturnValue"));
  EXPECT_EQ(0u, TServerSubmit::GetLuaSetupVars(false).find(str("gNameEdit='Jo'; ")));
  ASSERT_EQ(1u, server.Requests().size());
  EXPECT_NE(std::string::npos, server.Requests()[0].body.find("action=submit"));
}

TEST_F(SubmitDialogTest, AReplyWithoutAScoreClosesWithSuccess)
{
  Open();
  server.QueueReply(TScriptedReply::Body("<hiscore/>"));
  Run("SubmitToServer('Jo', '', '', false, false)");
  ASSERT_TRUE(Closed());
  EXPECT_EQ(str("success"), Global("gReturnValue"));
}

TEST_F(SubmitDialogTest, ARefusedSubmissionShowsAnErrorAndNeverSuccess)
{
  // A medal submission without medals is refused before anything is sent.
  Open();
  server.QueueReply(TScriptedReply::Body("<hiscore/>"));
  ASSERT_TRUE(RunUntil([&] { return true; }));
  Run("gReturnValue = nil SubmitToServer('Jo', '', '', false, true)");
  EXPECT_TRUE(Shown("submiterror"));
  EXPECT_TRUE(Shown("submiterrorok"));
  EXPECT_FALSE(Shown("submitconnect"));
  EXPECT_FALSE(Find<TText>("submiterror")->GetText().empty());
  RunUntil([] { return false; }, 200);
  EXPECT_EQ(2u, manager.GetModalStack().size());
  EXPECT_EQ(str(), Global("gReturnValue"));
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(SubmitDialogTest, AFailedOrSilentServerShowsTheErrorAndTheDialogStays)
{
  Open();
  server.QueueReply(TScriptedReply::Body("<hiscore><message>Try later</message></hiscore>", 200));
  Run("SubmitToServer('Jo', '', '', false, false)");
  ASSERT_TRUE(RunUntil([&] { return Shown("submiterror"); }));
  EXPECT_EQ(str("Try later"), Find<TText>("submiterror")->GetText());
  EXPECT_FALSE(Shown("submitconnect"));
  EXPECT_TRUE(Shown("submiterrorok"));
  EXPECT_EQ(2u, manager.GetModalStack().size());

  TScriptedReply silence;
  silence.mode = TScriptedReply::kSilence;
  server.QueueReply(silence);
  Run("EnableWindow('submiterror', false) SubmitToServer('Jo', '', '', false, false)");
  ASSERT_TRUE(RunUntil([&] { return Shown("submiterror"); }));
  EXPECT_EQ(str("Unable to connect to server. Please try again later."), Find<TText>("submiterror")->GetText());
  EXPECT_EQ(2u, manager.GetModalStack().size());
}

TEST_F(SubmitDialogTest, ARedirectedOrCutReplyShowsWhyAndTheScoreWaitsToBeSent)
{
  Open();
  for (const TScriptedReply& reply :
       {TScriptedReply::Body("<hiscore><score/></hiscore>", 302), TScriptedReply::Body("<hiscore><score/>")}) {
    server.QueueReply(reply);
    Run("EnableWindow('submiterror', false) gReturnValue = nil SubmitToServer('Jo', '', '', false, false)");
    ASSERT_TRUE(RunUntil([&] { return Shown("submiterror"); }));
    const std::string shown = Find<TText>("submiterror")->GetText().c_str();
    EXPECT_EQ(0u, shown.find("The hiscore service")) << shown;
    EXPECT_EQ(2u, manager.GetModalStack().size());
    EXPECT_EQ(str(), Global("gReturnValue"));
    int score = 0;
    EXPECT_TRUE(settings->mHiscores->GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, &score, nullptr, nullptr, 0));
    EXPECT_EQ(640, score);
  }
}

TEST_F(SubmitDialogTest, TheServicesMessageShowsAsItWasSent)
{
  Open();
  server.QueueReply(TScriptedReply::Body("<hiscore><message>&lt;b&gt;No\\w&lt;/b&gt;</message></hiscore>"));
  Run("SubmitToServer('Jo', '', '', false, false)");
  ASSERT_TRUE(RunUntil([&] { return Shown("submiterror"); }));
  EXPECT_EQ("<b>No\\w</b>", ShownText(Find<TText>("submiterror")->GetTextGraphic()));
}
