// hiscorewindow: the hiscore dialog ("HiscoreWindow"): the local table of the current game
// mode or a global category fetched from the hiscore service, ten rows at a time, with the
// player's rank and the outcome of the last submission; polls the service every 20 ms.
#pragma once

#include <cstdint>

#include "core/foundation/str.h"
#include "core/window/window.h"

class TImage;
class TQvHiscores;
class TText;

class THiscore : public TWindow
{
public:
  enum EState
  {
    kLocal = 0,
    kWaitingForCategories = 1,
    kWaitingForScores = 2,
    kGlobal = 4,
    kFailed = 5
  };
  enum EOutcome
  {
    kNoOutcome = 0,
    kQualified = 1,
    kNotQualified = 2
  };
  static const int kRows = 10;
  static const int kPollMs = 20;
  // How far "leftpanel" moves when the game offers local scores only.
  static const int kLocalPanelShift = 130;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "THiscore"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  THiscore();
  ~THiscore() override;

  void PostChildrenInit(TWindowStyle& style) override;
  bool OnTaskAnimate() override;
  bool OnMessage(TMessage* message) override;

  // The Lua functions.
  int GetState() { return mState; }
  bool EligibleScoreAvailable();
  bool ScoreAvailable();
  void UpdateText();
  void LaunchPrivacyPolicy();
  void SubmissionDone(bool qualified);

  // Runs the script's UpdateButtons().
  void UpdateButtons();
  int GetOutcome() const { return mOutcome; }
  int GetCategory() const { return mCategory; }
  int GetScrollPosition() const { return mScroll; }
  const str& GetErrorText() const { return mError; }
  // The page "LaunchPrivacyPolicy" opens: "/privacypolicy.html" on the configured
  // "publisherurl" host.
  static str PrivacyPolicyUrl();

private:
  void HideAllText();
  void UpdateScoresTable();
  void Show(const char* name, bool shown);
  void FitName(TText* text, unsigned lineHeight);
  void ChangeGameMode(int step);
  void ChangeCategory(int step);
  // Tells the player, in the text "privacyerror", that no browser opened the page.
  void ShowBrowserFailed();

  int mState = kLocal;
  int mOutcome = kNoOutcome;
  TQvHiscores* mHiscores = nullptr;
  str mError;
  int mCategory = 0;
  int mScroll = 0;
  TText* mNames[kRows] = {};
  TText* mScores[kRows] = {};
  TText* mRanks[kRows] = {};
  TImage* mMarks[kRows] = {};
  // The names' own line heights, which fitting a long name lowers for a while.
  unsigned mNameHeights[kRows] = {};
  TText* mGameMode = nullptr;
  // The privacy page's opener is running; how it ends is polled with the requests.
  bool mBrowserOpening = false;
};

TWindow* THiscoreDynamicCreate();
