// casejournal: the story's case journal: one page per opened case of the round (picture,
// texts, theories, suspects, crosses), page turning, the case's next step and the solved title.
#pragma once

#include <set>

#include "screenbase/scenescreen.h"
#include "controller/thegame.h"

class TCase;
class TCaseFile;
class TScene;
class TSceneObject;
class TTextObject;

class TCaseJournal : public TSceneScreen, public IJournalScreen
{
public:
  // The phases of the journal's opening and closing.
  enum EPhase
  {
    kClosed = 0,
    kOpen = 1,
    kFadingIn = 2,
    kFadingOut = 3
  };

  // The journal's three scenes, by their ids.
  static constexpr char kMainScene[] = "Journal_Scene";
  static constexpr char kRoundScene[] = "Journal_round_scene";
  static constexpr char kSolvedScene[] = "case_solved_scene";
  static constexpr unsigned kTrackCount = 5;
  static const char* const tracks[kTrackCount];

  TCaseJournal() {}
  ~TCaseJournal() override {}

  str getDynamicScreenID() const override { return "TCaseJournal"; }

  // IJournalScreen: the round's page is loaded afresh, between the journal and the solved title.
  void OnRoundReset() override;
  void ShowEndCaseTitleAnimation() override;

  void Deactivate() override;
  // The fades are the scenes' own animations; the scenes report their ends to the controller.
  void StartFading(unsigned time, bool fadeIn) override;

  // Every scene hears the mouse, whatever the others did with it.
  bool OnMouseDown(const TPoint& point) override;
  bool OnMouseUp(const TPoint& point) override;
  bool OnMouseMove(const TPoint& point) override;
  // Keys do nothing here.
  bool OnKeyDown(char key, unsigned modifiers) override { return true; }

  // The scenes' Lua functions.
  void OpenCompleted();
  void NextStart();
  void NextEnd();
  void PrevStart();
  void PrevEnd();
  void BackToMap();
  void PlaySearch();
  void PlaySuspectPuzzle();
  void HighlightFace(int number);
  void UnHighlightFace(int number);
  void EndCaseTitleAnimationCompleted();
  void OnCaseSolvedContinueButtonPressed();

  int GetPhase() const { return mPhase; }
  int GetPage() const { return mPage; }
  void SetPage(int page) { mPage = page; }

  void UpdateButtons();
  void HideCaseFileInfo();
  void ShowCaseFileInfo();

protected:
  void PostLoadInit(TScene* scene, bool fromSave) override;

private:
  TScene* FindScene(const char* id) const;
  bool HasScene(const TScene* scene) const;
  void OfferToEveryScene(bool (TScene::*handler)(const TPoint&), const TPoint& point);
  // The object of that name in the scene; a required one that is missing is reported once.
  TSceneObject* Object(const char* sceneId, const str& name, bool required = true);
  TTextObject* Text(const char* sceneId, const str& name);
  void Show(const char* sceneId, const str& name, bool shown, bool required = true);
  void SetState(const char* sceneId, const str& name, const char* state);
  void ShowSuspect(const TCaseFile& file, unsigned index);
  // Crosses over every suspect number but the guilty one.
  void CrossAllButGuilty(const TCaseFile& file);
  // The names under the suspects' places, which no hiding covers, all empty.
  void ClearSuspectNames();
  void SetFace(int number, const char* suffix);
  // Moves the page by step (+1 or -1) to the next opened case, wrapping round once.
  void TurnPage(int step);
  bool IsOpened(int index) const;
  TCase* PageCase() const;
  void SelectPageCase();
  // The controller's current round; null without a controller.
  TGameRound* CurrentRound() const;

  int mPage = 0;
  int mPhase = kClosed;
  // Missing objects already reported, as "scene/name".
  std::set<str> mReported;
};
