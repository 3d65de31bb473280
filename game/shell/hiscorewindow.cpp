// hiscorewindow: the hiscore dialog's view states, its web requests polled from the window
// animation, and the filling of its rows and notes; talks to the hiscore service owned by
// the settings, the string table and the window script.
#include "shell/hiscorewindow.h"

#include <algorithm>

#include "core/app/gamestate.h"
#include "core/foundation/config.h"
#include "core/foundation/services.h"
#include "core/graphics/textgraphic.h"
#include "core/online/hiscores.h"
#include "core/script/luabind.h"
#include "core/script/message.h"
#include "core/window/image.h"
#include "core/window/text.h"
#include "shell/gamedefs.h"
#include "shell/settings.h"
#include "shell/shellglue.h"

namespace {

const char* const kLuaNames[] = {"GetState",   "EligibleScoreAvailable", "ScoreAvailable",
                                 "UpdateText", "LaunchPrivacyPolicy",    "SubmissionDone"};
const char* const kNotes[] = {
    "eligible", "eligibleasterisk", "server",          "error", "info",     "category",           "local",
    "global",   "topplayers",       "congratulations", "dnq",   "yourrank", "yourrankglobalinfo", "rankvalue"};
const char kDefaultPublisherUrl[] = "http://www.quorvant.invalid";
const char kPrivacyError[] = "privacyerror";
// The line height fitting starts from when a name does not fit.
const unsigned kFirstFittingHeight = 19;

bool LocalOnly()
{
  return TConfig::IsEnabled(TConfig::kHiscoreLocalOnly);
}

} // namespace

TWindow* THiscoreDynamicCreate()
{
  return new THiscore;
}

intptr_t THiscore::ClassId()
{
  static const intptr_t id = RegisterCreatable(&THiscoreDynamicCreate);
  return id;
}

THiscore::THiscore() : mHiscores(gSettings ? gSettings->mHiscores : nullptr)
{
  if (lua_State* L = GameLuaState()) {
    LuaBind(L, "GetState", this, &THiscore::GetState);
    LuaBind(L, "EligibleScoreAvailable", this, &THiscore::EligibleScoreAvailable);
    LuaBind(L, "ScoreAvailable", this, &THiscore::ScoreAvailable);
    LuaBind(L, "UpdateText", this, &THiscore::UpdateText);
    LuaBind(L, "LaunchPrivacyPolicy", this, &THiscore::LaunchPrivacyPolicy);
    LuaBind(L, "SubmissionDone", this, &THiscore::SubmissionDone);
  }
}

THiscore::~THiscore()
{
  lua_State* L = GameLuaState();
  const bool heldGetState = L && LuaIsBoundTo(L, "GetState", this);
  // All of them, "LaunchPrivacyPolicy" too: a call after the window is gone would reach
  // freed memory.
  UnbindLuaFrom(this, kLuaNames, sizeof kLuaNames / sizeof kLuaNames[0]);
  // The analytics store answers to "GetState" too; this window only lends the name.
  if (heldGetState && TGameStateData::mGameState) {
    LuaBind(L, "GetState", TGameStateData::mGameState, &TGameState::GetState);
  }
}

void THiscore::PostChildrenInit(TWindowStyle& style)
{
  TWindow::PostChildrenInit(style);
  StartWindowAnimation(kPollMs, true, true, false);
  for (int row = 0; row < kRows; ++row) {
    mNames[row] = GetCast<TText>(GetChildWindow(str::getFormatted("name%d", row + 1), -1));
    mScores[row] = GetCast<TText>(GetChildWindow(str::getFormatted("score%d", row + 1), -1));
    mRanks[row] = GetCast<TText>(GetChildWindow(str::getFormatted("%d", row + 1), -1));
    mMarks[row] = GetCast<TImage>(GetChildWindow(str::getFormatted("p1_%d", row + 1), -1));
    TTextGraphic* graphic = mNames[row] ? mNames[row]->GetTextGraphic() : nullptr;
    mNameHeights[row] = graphic ? graphic->GetLineHeight() : 0;
  }
  if (LocalOnly()) {
    if (TWindow* panel = GetChildWindow("leftpanel", -1)) {
      panel->SetWindowPos(panel->GetRect().left + kLocalPanelShift, panel->GetRect().top);
    }
  }
  mGameMode = GetCast<TText>(GetChildWindow("gamemode", -1));
  UpdateText();
  UpdateButtons();
}

bool THiscore::OnTaskAnimate()
{
  IBrowser* opener = TServices::Get().browser;
  const int browser = mBrowserOpening && opener ? opener->GetBrowserStatus() : 1;
  if (browser != 1) {
    mBrowserOpening = false;
    if (browser == 2) {
      ShowBrowserFailed();
    }
  }
  if ((mState != kWaitingForCategories && mState != kWaitingForScores) || !mHiscores) {
    return true;
  }
  char message[512] = "";
  const int status = mHiscores->GetServerRequestStatus(message, sizeof message, nullptr);
  if (status == TQvHiscores::kRequestRunning) {
    return true;
  }
  if (status == TQvHiscores::kRequestFailed) {
    mError = message;
    mState = kFailed;
  } else if (mState == kWaitingForCategories) {
    mState = kWaitingForScores;
    mHiscores->RequestScores(mCategory);
    return true;
  } else {
    mState = kGlobal;
  }
  UpdateText();
  UpdateButtons();
  InvalidateGameScreen();
  return true;
}

void THiscore::ChangeGameMode(int step)
{
  int mode = (gSettings ? gSettings->GetCurrentGameMode() : kSettingsStory) + step;
  if (mode < 0) {
    mode = kSettingsModeCount - 1;
  } else if (mode >= kSettingsModeCount) {
    mode = 0;
  }
  if (gSettings) {
    gSettings->SetCurrentGameMode(mode);
  }
  if (mState == kGlobal && mHiscores) {
    mState = kWaitingForScores;
    mHiscores->RequestScores(mCategory);
  }
  mOutcome = kNoOutcome;
}

void THiscore::ChangeCategory(int step)
{
  const int count = mHiscores ? mHiscores->GetCategoryCount() : 0;
  // Without categories there is nothing to step through (a request for -1 or 1 would ask
  // for a category that does not exist).
  if (count <= 0) {
    return;
  }
  mCategory = (mCategory + step + count) % count;
  mState = kWaitingForScores;
  mHiscores->RequestScores(mCategory);
}

bool THiscore::OnMessage(TMessage* message)
{
  if (message->GetType() != TMessage::kButtonPress) {
    return false;
  }
  const str& name = message->GetName();
  bool handled = false;
  if (name == str("gamemodeleft") || name == str("gamemoderight")) {
    if (mState != kLocal && mState != kGlobal) {
      return false;
    }
    ChangeGameMode(name == str("gamemodeleft") ? -1 : 1);
    handled = true;
  } else if (name == str("categoryleft") || name == str("categoryright")) {
    ChangeCategory(name == str("categoryleft") ? -1 : 1);
    handled = true;
  } else if (name == str("view")) {
    mOutcome = kNoOutcome;
    mState = kWaitingForCategories;
    if (mHiscores) {
      mHiscores->RequestCategoryInformation();
    }
  } else if (name == str("viewlocal")) {
    mState = kLocal;
  } else if (name == str("scrollup") || name == str("scrolldown")) {
    mScroll += name == str("scrollup") ? -kRows : kRows;
    UpdateText();
    return false;
  } else {
    return false;
  }
  // The browser's failure was news about the table it was asked from.
  Show(kPrivacyError, false);
  UpdateText();
  UpdateButtons();
  return handled;
}

void THiscore::SubmissionDone(bool qualified)
{
  mState = kWaitingForCategories;
  if (mHiscores) {
    mHiscores->RequestCategoryInformation();
  }
  mOutcome = qualified ? kQualified : kNotQualified;
  UpdateText();
  UpdateButtons();
}

bool THiscore::EligibleScoreAvailable()
{
  int score = 0;
  return mHiscores && mHiscores->GetUserBestScore(TQvHiscores::kBestUnsubmittedScore, &score, nullptr, nullptr, 0);
}

bool THiscore::ScoreAvailable()
{
  int score = 0;
  return mHiscores && mHiscores->GetUserBestScore(TQvHiscores::kBestLocalScore, &score, nullptr, nullptr, 0);
}

str THiscore::PrivacyPolicyUrl()
{
  str host = TConfig::Get("publisherurl", kDefaultPublisherUrl);
  while (host.length() > 0 && host[host.length() - 1] == '/') {
    host = host.substr(0, int(host.length()) - 1);
  }
  return host + "/privacypolicy.html";
}

void THiscore::LaunchPrivacyPolicy()
{
  Show(kPrivacyError, false);
  IBrowser* opener = TServices::Get().browser;
  mBrowserOpening = opener && opener->OpenBrowser(PrivacyPolicyUrl().c_str());
  if (!mBrowserOpening) {
    ShowBrowserFailed();
  }
}

void THiscore::ShowBrowserFailed()
{
  if (TText* text = GetCast<TText>(GetChildWindow(kPrivacyError, -1))) {
    text->SetText(GameString("hiscore_privacy_failed", TTextGraphic::Escape(PrivacyPolicyUrl())));
    ShowWindow(text, true);
  }
}

void THiscore::UpdateButtons()
{
  RunGameLua("UpdateButtons();");
}

void THiscore::Show(const char* name, bool shown)
{
  if (TWindow* window = GetChildWindow(name, -1)) {
    ShowWindow(window, shown);
  }
}

void THiscore::HideAllText()
{
  for (int row = 0; row < kRows; ++row) {
    ShowWindow(mNames[row], false);
    ShowWindow(mScores[row], false);
    ShowWindow(mRanks[row], false);
    ShowWindow(mMarks[row], false);
  }
  for (const char* note : kNotes) {
    Show(note, false);
  }
}

void THiscore::UpdateText()
{
  HideAllText();
  const bool localOnly = LocalOnly();
  const int mode = gSettings ? gSettings->GetCurrentGameMode() : kSettingsStory;
  if (mGameMode) {
    mGameMode->SetText(mode == kSettingsStory      ? GameString("gamemode1")
                       : mode == kSettingsFreePlay ? GameString("gamemode2")
                                                   : str());
  }
  if (localOnly) {
    Show("rightpanel", false);
    Show("rightpanelsmall", false);
  } else {
    Show("rightpanel", mState == kLocal);
    Show("rightpanelsmall", mState != kLocal);
  }

  if (mState == kLocal || mState == kGlobal) {
    UpdateScoresTable();
  }
  if (mState == kLocal) {
    if (EligibleScoreAvailable()) {
      Show("eligible", true);
      Show("eligibleasterisk", true);
    }
    Show("info", true);
  }
  if (mState == kGlobal) {
    Show("category", true);
    char category[64] = "";
    TText* categoryText = GetCast<TText>(GetChildWindow("category", -1));
    if (categoryText && mHiscores && mHiscores->GetCategoryName(mCategory, category, sizeof category)) {
      categoryText->SetText(TTextGraphic::Escape(category));
    }
    Show("yourrankglobalinfo", true);
    int rank = 0;
    const bool ranked = mHiscores && mHiscores->GetUserBestScore(TQvHiscores::kGlobalScore, nullptr, &rank, nullptr, 0);
    if (mOutcome == kQualified) {
      Show("congratulations", true);
      Show("yourrankglobalinfo", false);
    } else if (mOutcome == kNotQualified) {
      Show("dnq", true);
      Show("yourrankglobalinfo", false);
    }
    if (ranked) {
      Show("yourrank", true);
      if (TText* text = GetCast<TText>(GetChildWindow("yourrank", -1))) {
        text->SetText(GameString("yourrank", str::getFormatted("%d", rank)));
      }
      Show("yourrankglobalinfo", false);
    }
  }
  if (mState == kWaitingForCategories || mState == kWaitingForScores) {
    Show("server", true);
  }
  if (mState == kFailed) {
    Show("error", true);
    if (TText* text = GetCast<TText>(GetChildWindow("error", -1))) {
      // The service's own words, shown as it sent them.
      text->SetText(TTextGraphic::Escape(mError));
    }
  }
  if (localOnly) {
    Show("info", false);
    Show("eligible", false);
    Show("eligibleasterisk", false);
  }
}

void THiscore::FitName(TText* text, unsigned lineHeight)
{
  TTextGraphic* graphic = text->GetTextGraphic();
  if (!graphic) {
    return;
  }
  if (lineHeight > 0) {
    graphic->SetLineHeight(lineHeight);
  }
  auto fits = [text]() {
    TRect bounds;
    text->GetTextBounds(&bounds);
    return bounds.right < text->GetWindowWidth() && bounds.top >= 0 && bounds.bottom <= text->GetWindowHeight();
  };
  for (unsigned height = kFirstFittingHeight; height >= 1 && !fits(); --height) {
    graphic->SetLineHeight(height);
  }
}

void THiscore::UpdateScoresTable()
{
  const bool localOnly = LocalOnly();
  const bool local = mState != kGlobal;
  const int count = mHiscores ? mHiscores->GetScoreCount(local) : 0;
  if (local) {
    Show("local", !localOnly);
    Show("topplayers", localOnly);
    Show("scrollup", false);
    Show("scrolldown", false);
    mScroll = 0;
  } else {
    Show("global", !localOnly);
    mScroll = std::min(mScroll, count - 5);
    mScroll = std::max(mScroll, 0);
    Show("scrollup", mScroll >= 1);
    Show("scrolldown", mScroll + kRows < count);
  }
  for (int row = 0; row < kRows && mScroll + row < count; ++row) {
    int rank = 0;
    int score = 0;
    bool anonymous = true;
    char name[64] = "";
    if (!mHiscores->GetScore(local, mScroll + row, &rank, name, sizeof name, &anonymous, &score, nullptr, 0)) {
      continue;
    }
    if (TText* text = mNames[row]) {
      ShowWindow(text, true);
      // Names are typed by players (here or at the service): shown as typed, never as markup.
      text->SetText(TTextGraphic::Escape(name));
      FitName(text, mNameHeights[row]);
    }
    if (TText* text = mScores[row]) {
      text->SetText(str::getFormatted("%d", score));
      ShowWindow(text, true);
    }
    if (TText* text = mRanks[row]) {
      ShowWindow(text, true);
      text->SetText(str::getFormatted("%d.", rank));
    }
    if (mMarks[row]) {
      ShowWindow(mMarks[row], !anonymous && !localOnly && !TConfig::IsEnabled(TConfig::kHiscoreAnonymous));
    }
  }
}
