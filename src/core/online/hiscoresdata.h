// hiscoresdata: the private state behind TQvHiscores, shared by the files that implement it
// (tables, hiscore file, medals, web protocol); nothing outside those files includes it.
#pragma once

#include "core/foundation/encrypt.h"
#include "core/foundation/savestatus.h"
#include "core/foundation/str.h"
#include "core/online/hiscores.h"
#include "core/online/medals.h"
#include "core/foundation/services.h"

#include <map>
#include <memory>
#include <vector>

struct TQvHiscoreTable
{
  str name;
  std::vector<TQvHiscoreRow> rows; // score descending, at most TQvHiscores::kMaxRows
};

struct TQvHiscoreUserInfo
{
  str player;
  str name;
  str password;
};

struct TQvCategory
{
  str table;
  str name;
};

// Stands in for HTTP when the program handed in none: every request fails.
class TNoHttpRequest : public IHttpRequest
{
public:
  void Init(char const*, bool, char const*) override {}
  void AddArg(char const*, char const*) override {}
  void AddArg(char const*, int) override {}
  void DoRequest(int) override {}
  int GetStatus() override { return kFailed; }
  char const* GetContents() override { return nullptr; }
  unsigned long GetContentsSize() const override { return 0; }
  long GetResponseCode() const override { return 0; }
};

struct TQvHiscoresData
{
  TQvHiscoresData(const str& key, bool saveEnabled)
      : encryptionKey(key), encryption(new TEncrypt(key)), saveEnabled(saveEnabled)
  {
    IHttp* service = TServices::Get().http;
    if (service)
      httpRequest = service->NewRequest();
    if (!httpRequest)
      httpRequest.reset(new TNoHttpRequest);
  }

  str gameHandle;
  str encryptionKey;
  str language = "en";
  str version;
  str player;
  str gameMode;
  int requestKind = -1; // 0 submission, 1 scores, 2 categories; -1 none yet
  std::unique_ptr<IHttpRequest> httpRequest;
  IHttpRequest& http() { return *httpRequest; }
  std::vector<TQvCategory> categories;
  str endpointUrl;
  str message;
  str reply;
  str onlineUserName;
  TQvHiscoreTable globalList;
  int accountRowIndex = -1;
  std::map<str, std::unique_ptr<TQvHiscoreTable>> localTables;
  std::map<str, std::unique_ptr<TQvMedalsTable>> medals;
  std::map<str, std::unique_ptr<TQvHiscoreUserInfo>> rememberedUsers;
  // What a running submission will mark once accepted. Kept by name, not by pointer, so
  // clearing a player in the meantime cannot leave them dangling.
  bool submittingTable = false;
  str submittingMode;
  str submittingPlayer;
  bool submittingMedals = false;
  str submittingMedalsPlayer;
  bool languageFixed = false;
  str defaultError;
  std::unique_ptr<TEncrypt> encryption;
  bool saveEnabled;
  // What the last save did; the tables hold changes the file lacks while unsaved is set.
  ESaveStatus saveStatus = eSaveDone;
  bool unsaved = false;
  // What loading found; a damaged file that could not be kept aside must not be replaced.
  EOpenProblem openProblem = eOpenedWell;
  str keptAs;

  // The outcome of the current request, once a poll has seen it end: later polls repeat it
  // instead of parsing (and re-applying) the reply again.
  bool outcomeKnown = false;
  int outcome = 0;
  bool outcomeScoreReply = false;
  // Set when a submission was refused before anything was sent.
  bool refused = false;

  TQvHiscoreTable* LocalTable(const str& mode)
  {
    auto found = localTables.find(mode);
    return found == localTables.end() ? nullptr : found->second.get();
  }
  TQvMedalsTable* MedalsOf(const str& player)
  {
    auto found = medals.find(player);
    return found == medals.end() ? nullptr : found->second.get();
  }
};

// Competition ranking over a table in score order: equal scores share the rank of the first.
void QvRenumberRanks(std::vector<TQvHiscoreRow>& rows);
// Copies text into a caller's buffer, cut to length-1 bytes and always terminated.
void QvCopyText(const str& text, char* buffer, unsigned int length);
// A decimal integer from untrusted text, clamped to the int range; 0 when not a number.
int QvReadInt(const str& text);
