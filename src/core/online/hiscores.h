// hiscores: the engine's hiscore service: local tables per game mode, medals, remembered
// logins and one web request at a time; stored through hiscorefile, sent through the HTTP service.
#pragma once

#include "core/foundation/savestatus.h"
#include "core/foundation/str.h"

struct TQvHiscoresData;
class TXmlNode;

// One entry of a table; copying copies every field.
struct TQvHiscoreRow
{
  int rank = 0;
  int score = 0;
  str name;
  str gameData;
  str serverData;
  str version;
  bool anonymous = true;
  bool submitted = false;
  str guid;
};

class TQvHiscores
{
public:
  enum EProperty
  {
    kPropertyLanguage = 0,
    kPropertyPlayer = 1,
    kPropertyGameMode = 2
  };
  enum EUserScore
  {
    kBestUnsubmittedScore = 0,
    kGlobalScore = 1,
    kBestLocalScore = 2
  };
  enum EMedalType
  {
    kMedalPerGame = 0,
    kMedalPerType = 1
  };
  enum ESubmitMode
  {
    kSubmitScore = 1,
    kSubmitMedals = 2
  };

  // Request outcomes of GetServerRequestStatus.
  enum
  {
    kRequestDone = 0,
    kRequestRunning = 1,
    kRequestFailed = 2
  };

  // The most rows a table keeps.
  static const int kMaxRows = 500;

  explicit TQvHiscores(bool saveEnabled);
  ~TQvHiscores();

  void SetProperty(EProperty which, str value);

  // Tables.
  void KeepScore(int score, bool onePerPlayer, char const* gameData);
  void RecordScore(int score, bool onePerPlayer, char const* gameData, char const* serverData);
  int GetScoreCount(bool local);
  bool GetScore(bool local, int index, int* rank, char* name, unsigned int nameLength, bool* anonymous, int* score,
                char* gameData, unsigned int gameDataLength);
  bool GetUserScore(bool unsubmittedOnly, int* score, int* rank, char* gameData, unsigned int length);
  bool GetUserBestScore(EUserScore which, int* score, int* rank, char* gameData, unsigned int length);
  bool GetUserGlobalScore(int* score, int* rank, char* gameData, unsigned int length);
  // Forgets the player's rows, medals and remembered login, then saves.
  void ClearPlayerData(str player);

  // The hiscore file. SavePreferences writes the whole file; when it cannot, the tables keep
  // what it lacks and the next save writes it (HasUnsavedChanges, GetSaveStatus say so).
  void SavePreferences();
  void LoadPreferences();
  bool HasUnsavedChanges() const;
  ESaveStatus GetSaveStatus() const;
  // What loading found; *keptAs names the copy of a damaged file.
  EOpenProblem GetOpenProblem(str* keptAs) const;
  void ParseRememberedUserPreferences(char const* text);
  void ParseSavedLocalScores(char const* text);
  void ParseSavedMedals(char const* text);

  // Medals of the current player.
  void KeepMedal(char const* name, EMedalType type, str gameData);
  int GetNumMedalsEarned();
  int GetNumMedalsToSubmit();
  bool GetEarnedMedalInfo(int index, str* name, EMedalType* type, str* mode, str* gameData);

  // The web service.
  void RequestCategoryInformation();
  int GetCategoryCount();
  bool GetCategoryName(int index, char* buffer, unsigned int length);
  void RequestScores(int category);
  bool SubmitData(str user, str password, bool remember, ESubmitMode mode);
  bool SubmitDataToServer(char const* user, char const* password, bool remember, bool withMedals);
  bool SubmitMedalsToServer(char const* medalLines, char const* user, char const* password, bool remember);
  int GetServerRequestStatus(char* messageBuffer, unsigned int length, bool* scoreReply);
  bool GetRememberedUserInfo(str* name, str* password);

  // Where new scores get their GUIDs; null restores the machine's own (tests make tables
  // deterministic with it).
  typedef str (*TGuidSource)();
  static void SetGuidSource(TGuidSource source);

private:
  TQvHiscores(const TQvHiscores&) = delete;
  TQvHiscores& operator=(const TQvHiscores&) = delete;

  // Moves a damaged hiscore file aside before a save could replace it; one "ERROR: " line.
  // Recovered: what was read of it is kept and written to a new file at once.
  void KeepDamagedFile(const char* reason, bool recovered = false);
  // The logins, tables and medals of a parsed hiscore text.
  void TakeRememberedUsers(TXmlNode* document);
  void TakeLocalScores(TXmlNode* document);
  void TakeMedals(TXmlNode* document);
  bool ParseReturnForErrors(TXmlNode* document, TXmlNode** root);
  // Parses the reply and runs the common check; also refuses a redirect, an HTTP error
  // status and a reply cut short or damaged, saying why in the message.
  bool ReadReply(char const* reply, TXmlNode* document, TXmlNode** root);
  bool ParseCategoryData(char const* reply);
  bool ParseScoreData(char const* reply);
  void FillInErrorMessage(char* buffer, unsigned int length);
  void HandleSubmissionReply(TXmlNode* root, bool* scoreReply);
  void StartRequest(int kind);
  void RefuseRequest();
  void ApplyRememberingRule(char const* user, char const* password, bool remember);
  bool StartMedalSubmission(char const* user, char const* password, bool remember);

  TQvHiscoresData* mData;
};
