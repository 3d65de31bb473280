// gameround: one story round: its cinematic, journal page, overlay and end dialog, its time,
// its cases by location, the current case and the round's saved record.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "core/foundation/str.h"
#include "story/case.h"

class TBinaryBuffer;
class TStoryStage;
class TXmlNode;

class TGameRound
{
public:
  // The stage shows the round's cinematic and dialogs and is handed to its cases.
  explicit TGameRound(TStoryStage* stage = nullptr);
  ~TGameRound();

  void LoadFromXml(TXmlNode* roundElement);
  bool Save(TBinaryBuffer* buffer);
  // False (with an "ERROR: " line) for a damaged record.
  bool Load(TBinaryBuffer* buffer);

  void ShowCinema();
  void ShowEndDialog();
  void ReloadOverlayScene();
  void PlayCase(TCase* c);
  // An index past the cases gives no current case (with an "ERROR: " line).
  void SetCurrentCase(int i);
  TCase* getCase(unsigned i) const;
  TCase* getCase(const str& locationId) const;
  int getCaseNum(const TCase* c) const;
  int getCurrentCaseNum() const;
  TCase* getCurrentCase() const { return mCurrentCase; }
  unsigned getCaseCount() const { return unsigned(mCases.size()); }
  int getSolvedCasesCount() const;
  int getOpenedCasesCount() const;
  void DeInit();
  void Reset();

  str mCinema;
  str mJournalScene;
  str mOverlayScene;
  str mEndDialog;
  str mRank;
  // Milliseconds.
  int32_t mTime = 0;

private:
  TGameRound(const TGameRound&) = delete;
  TGameRound& operator=(const TGameRound&) = delete;

  std::map<str, unsigned> mCaseIndex;
  std::vector<std::unique_ptr<TCase>> mCases;
  TCase* mCurrentCase = nullptr;
  TStoryStage* mStage;
};
