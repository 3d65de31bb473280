// serversubmit: the submission dialog's setup text, its send button following the typed
// names (blanks alone are none), the request and its poll; talks to the hiscore service and
// preferences owned by the settings, the window manager and the window script.
#include "shell/serversubmit.h"

#include "core/foundation/debug.h"
#include "core/foundation/prefsdb.h"
#include "core/graphics/textgraphic.h"
#include "core/online/hiscores.h"
#include "core/script/luabind.h"
#include "core/script/message.h"
#include "core/window/modalwindow.h"
#include "core/window/button.h"
#include "core/window/text.h"
#include "core/window/textedit.h"
#include "core/window/windowmanager.h"
#include "shell/settings.h"
#include "shell/shellglue.h"

namespace {

const char* const kLuaNames[] = {"SubmitToServer"};
const char kUnableToConnect[] = "Unable to connect to server. Please try again later.";

// A name or an account of blanks alone is no name: it is neither offered nor sent.
bool IsNamed(const str& text)
{
  for (unsigned i = 0; i < text.length(); ++i) {
    if ((unsigned char)text[i] > ' ') {
      return true;
    }
  }
  return false;
}

} // namespace

TWindow* TServerSubmitDynamicCreate()
{
  return new TServerSubmit;
}

intptr_t TServerSubmit::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TServerSubmitDynamicCreate);
  return id;
}

void TServerSubmit::Register()
{
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->AddWindowType("SubmitWindow", ClassId());
  }
  if (lua_State* L = GameLuaState()) {
    LuaBind(L, "GetLuaServerSubmitSetupVars", &TServerSubmit::GetLuaSetupVars);
  }
}

str TServerSubmit::GetLuaSetupVars(bool medalsMode)
{
  if (!gSettings) {
    return str();
  }
  TQvHiscores* hiscores = gSettings->mHiscores;
  // Every remembered text is quoted for Lua: names and passwords are the player's own.
  str text = "gNameEdit=" + LuaQuote(gSettings->GetUserStr(kAnonymousName, "", gSettings->GetCurrentUser())) + "; ";
  str account;
  str password;
  if (hiscores->GetRememberedUserInfo(&account, &password)) {
    text += "gAccountEdit=" + LuaQuote(account) + "; ";
    text += "gPassEdit=" + LuaQuote(password) + "; ";
    text += "gRemember=true; ";
  } else {
    text += "gAccountEdit=''; gPassEdit=''; gRemember=false; ";
  }
  if (medalsMode) {
    text += "gMedalsMode=true;";
  } else {
    int score = 0;
    if (!hiscores->GetUserBestScore(TQvHiscores::kBestLocalScore, &score, nullptr, nullptr, 0)) {
      score = 0;
    }
    text += str::getFormatted("gMedalsMode=false;gEligibleScore=%d", score);
  }
  return text;
}

TServerSubmit::TServerSubmit() : mHiscores(gSettings ? gSettings->mHiscores : nullptr)
{
  if (lua_State* L = GameLuaState()) {
    LuaBind(L, "SubmitToServer", this, &TServerSubmit::SubmitToServer);
  }
}

TServerSubmit::~TServerSubmit()
{
  UnbindLuaFrom(this, kLuaNames, 1);
}

bool TServerSubmit::OnMessage(TMessage* message)
{
  if (message->GetType() != TMessage::kTextEditChanged) {
    return false;
  }
  TTextEdit* nameEdit = GetCast<TTextEdit>(GetChildWindow("nameedit", -1));
  TTextEdit* accountEdit = GetCast<TTextEdit>(GetChildWindow("accountedit", -1));
  const bool named = (nameEdit && IsNamed(nameEdit->GetText())) || (accountEdit && IsNamed(accountEdit->GetText()));
  if (TButton* send = GetCast<TButton>(GetChildWindow("submittoserver", -1))) {
    ShowWindow(send, named);
    if (!named) {
      send->OnMouseLeave();
    }
  }
  InvalidateGameScreen();
  return true;
}

void TServerSubmit::SwitchModes(bool connecting)
{
  RunGameLua(str::getFormatted("SwitchModes(%s)", connecting ? "true" : "false"));
}

void TServerSubmit::SubmitToServer(str name, str account, str password, bool remember, bool medalsMode)
{
  if (!mHiscores || !gSettings) {
    return;
  }
  const bool byAccount = IsNamed(account);
  if (!byAccount && !IsNamed(name)) {
    // The send button is not offered then; a script that sends anyway sends nothing.
    WriteDbg("Submission: no name and no account typed; nothing sent");
    return;
  }
  const TQvHiscores::ESubmitMode mode =
      medalsMode ? TQvHiscores::kSubmitMedals
                 : TQvHiscores::ESubmitMode(TQvHiscores::kSubmitScore | TQvHiscores::kSubmitMedals);
  bool started;
  if (byAccount) {
    started = mHiscores->SubmitData(account, password, remember, mode);
  } else {
    gSettings->mPrefs->SetStr(kAnonymousName, name, gSettings->GetCurrentUser(), true);
    started = mHiscores->SubmitData(name, "", false, mode);
  }
  SwitchModes(true);
  if (!started) {
    // Nothing was sent: the outcome of an earlier request must not pass for this one.
    char message[512] = "";
    mHiscores->GetServerRequestStatus(message, sizeof message, nullptr);
    ShowFailure(message[0] ? str(message) : str(kUnableToConnect));
    return;
  }
  StartWindowAnimation(kPollMs, true, true, false);
}

void TServerSubmit::ShowFailure(const str& message)
{
  if (TText* error = GetCast<TText>(GetChildWindow("submiterror", -1))) {
    // The service's own words, shown as it sent them.
    error->SetText(TTextGraphic::Escape(message));
    ShowWindow(error, true);
  }
  if (TWindow* connect = GetChildWindow("submitconnect", -1)) {
    ShowWindow(connect, false);
  }
  if (TWindow* ok = GetChildWindow("submiterrorok", -1)) {
    ShowWindow(ok, true);
  }
}

bool TServerSubmit::OnTaskAnimate()
{
  if (!mHiscores) {
    return false;
  }
  char message[512] = "";
  bool scoreReply = false;
  const int status = mHiscores->GetServerRequestStatus(message, sizeof message, &scoreReply);
  if (status == TQvHiscores::kRequestRunning) {
    return true;
  }
  if (status == TQvHiscores::kRequestFailed) {
    ShowFailure(message);
    return false;
  }
  RunGameLua(scoreReply ? "gReturnValue='qualified'" : "gReturnValue='success'");
  // This runs inside the dialog's own task list, which popping the dialog would destroy:
  // the close travels as a message and happens after the task has run.
  if (TModalWindow* modal = FindParentModal()) {
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->PostWindowMessage(new TMessage(TMessage::kCloseWindow, modal->GetIdString(), modal));
    }
  }
  return false;
}
