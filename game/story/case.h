// case: one case of a story round: where it happens, its search room and puzzles, its
// theories and journal page, its progress from "not opened" to "solved", and its saved record.
#pragma once

#include <cstdint>
#include <vector>

#include "core/foundation/str.h"
#include "story/casefile.h"

class TBinaryBuffer;
class TSceneScreen;
class TStoryStage;
class TXmlNode;

class TCase
{
public:
  enum EState
  {
    kNotOpened = 0,
    kIntroShown = 1,
    kSearching = 2,
    kSequenceStage = 3,
    kChecklistStage = 4,
    kEnding = 5,
    kSolved = 6
  };

  class TTheory
  {
  public:
    str mId;
    str mTextLabel;
    str mAnimation;
    str mCheckText;
    str mIcon;
    bool mChecked = false;
  };

  // The stage makes, shows and takes back the case's screens and dialogs; a case without
  // one only reads and keeps its model.
  explicit TCase(TStoryStage* stage = nullptr);
  // Gives the case's screens back to the game controller.
  ~TCase();

  void LoadFromXml(TXmlNode* caseElement);
  bool Save(TBinaryBuffer* buffer);
  // False (with an "ERROR: " line) for a damaged record; the case is then as DeInit left it.
  bool Load(TBinaryBuffer* buffer);

  void Play();
  void ShowIntroAnimation();
  void ShowSearchIntro();
  void ShowSearchEndAnimation();
  void PlaySearchScreen();
  void SearchScreenCompleted();
  void PlayMetaPuzzle();
  void PlaySequencePuzzle();
  void PlayChecklistPuzzle();
  void EliminationPuzzleCompleted() { mState = kChecklistStage; }
  void StartEnding() { mState = kEnding; }
  void End() { mState = kSolved; }
  void ShowEndAnimation();
  void SuspectFounded(unsigned index);
  bool CheckTheory(const str& id);
  str getCoverFrameName() const;
  void DeInit();
  void RecreateCurrentScreen();
  void Reset();

  int GetState() const { return mState; }
  void SetState(int state) { mState = state; }
  bool IsOpened() const { return mState != kNotOpened; }
  bool IsSolved() const { return mState == kEnding || mState == kSolved; }

  str mLocationId;
  str mSearchScreenClass;
  str mSceneFile;
  str mSearchConfig;
  str mSearchIntroDialog;
  str mSearchEndDialog;
  str mMetaPuzzleClass;
  TSceneScreen* mSearchScreen = nullptr;
  TSceneScreen* mMetaPuzzleScreen = nullptr;
  int32_t mState = kNotOpened;
  TCaseFile mCaseFile;
  str mSequenceClass;
  TSceneScreen* mSequenceScreen = nullptr;
  str mSequenceConfig;
  str mChecklistConfig;
  str mMetaPuzzleConfig;
  TSceneScreen* mChecklistScreen = nullptr;
  std::vector<TTheory> mTheories;
  std::vector<TTheory> mUntitledTheories;
  str mIntroAnimation;
  str mEndAnimation;
  str mCoverFrame;
  str mLocationSting;
  str mAmbientSound;
  // 1-based numbers of the suspects the journal crosses out in the checklist stage.
  std::vector<int32_t> mEliminatedSuspects;

private:
  TCase(const TCase&) = delete;
  TCase& operator=(const TCase&) = delete;

  void ReadChecklistConfig();
  // A screen's record, checked against the configuration the case has for it.
  bool LoadScreen(TBinaryBuffer* buffer, const str& className, const str& config, TSceneScreen** screen);
  // Shows the dialog on the overlay; an "ERROR: " line when there is none.
  void ShowDialog(const str& name, bool modal);

  TStoryStage* mStage;
};
