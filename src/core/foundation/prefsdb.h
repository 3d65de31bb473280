// prefsdb: the preferences database "user:prefsdb.dat": encrypted global and per-player
// values kept apart per install key; over the storage file of platform/prefsstore.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "core/foundation/encrypt.h"
#include "core/foundation/savestatus.h"
#include "core/foundation/str.h"

class TPrefsStore;

// Holds the storage file and the install row of this installation.
class TPrefsDBData
{
public:
  // Opens the store at a native path.
  TPrefsDBData(char const* path, bool writable, TEncrypt& encrypt);
  // Works over a store that is already open; takes it over.
  TPrefsDBData(TPrefsStore* store, bool writable, TEncrypt& encrypt);
  ~TPrefsDBData();

  // The encrypted install key: from "install.txt", else the configuration "installkey",
  // else "unknown".
  str GetInstallKey();

  // Makes sure the player exists (creating players up to it); false for a user index
  // that cannot be a player (below -1, or kMaxUsers and beyond).
  bool SelectUser(int user);
  // Encrypts the bytes and stores them under the plain key.
  bool SetBin(int user, str key, void const* data, unsigned int size);
  enum ERead
  {
    eAbsent,
    eRead,
    // Stored bytes that cannot be deciphered: damage, not a value.
    eUndecipherable
  };
  // The decrypted value.
  ERead GetBin(int user, str key, std::vector<unsigned char>* plain);
  // Whether a value is stored under the key that cannot be deciphered.
  bool IsStoredUndecipherable(int user, str key);

  unsigned int GetNumUsers();
  bool RemoveUser(unsigned int index);
  bool Commit(unsigned busyWaitMs);
  TPrefsStore& Store() { return *mStore; }

  // A guard against a damaged index creating players without end.
  static const int kMaxUsers = 1000;

private:
  TPrefsDBData(const TPrefsDBData&) = delete;
  TPrefsDBData& operator=(const TPrefsDBData&) = delete;

  void SelectInstall();

  bool mWritable;
  TEncrypt& mEncrypt;
  std::unique_ptr<TPrefsStore> mStore;
  int64_t mInstall;
};

class TPrefsDB
{
public:
  // Opens "user:prefsdb.dat" with the configured "encryptionkey". Only a writable
  // database ever writes its file.
  explicit TPrefsDB(bool writable);
  // Over a store that is already open (taken over); for tools and tests.
  TPrefsDB(TPrefsStore* store, bool writable);
  ~TPrefsDB();

  // user -1 addresses the global values, 0 and up the players; players are created on
  // demand up to the index asked for.
  str GetStr(str key, str defaultValue, int user);
  void SetStr(str key, str value, int user, bool commit);
  int GetInt(str key, int defaultValue, int user);
  void SetInt(str key, int value, int user, bool commit);
  // -1 when absent; 0 when copied; otherwise (no buffer, or too small) the value's size.
  int GetBinary(str key, void* buffer, unsigned int size, int user);
  void SetBinary(str key, void const* data, unsigned int size, int user, bool commit);

  unsigned int GetNumUsers();
  // Removes the player; later players move down one index.
  void DeleteUser(unsigned int index);
  void SavePrefs();

  // The writes return nothing; this says how the last one that went to the file fared:
  // eSaveDone, or why the file was not written. Values not written stay readable here and
  // go to the file with the next commit.
  ESaveStatus GetSaveStatus();
  bool HasUnsavedChanges();
  // Commits what waits, waiting up to busyWaitMs for a file that another program holds.
  bool RetrySave(unsigned busyWaitMs);
  // What opening the file found; *keptAs names the copy of a damaged one.
  EOpenProblem GetOpenProblem(str* keptAs);
  // The file's native path; empty over a store handed in.
  str const& GetPath() const { return mPath; }

  // A stored value that cannot be deciphered is damage: reading it fails as if it were absent,
  // after one "ERROR: " line naming the file and the key, and at the first such value of a run
  // a numbered copy of the file is kept. A write over a damaged value waits in memory (reads
  // see it) until DamageTold: the player hears of the damage before it is written over. Without
  // a copy it is never written over in this run.
  // Whether damage was found; *keptAs names the copy ("" when none could be kept).
  bool HasDamagedValues(str* keptAs);
  // The player has been told: the writes held back go to the file when a copy was kept.
  void DamageTold();

  // How long the last commit, at the program's end, waits for a file another program holds.
  static const unsigned kFinalWaitMs = 3000;

private:
  TPrefsDB(const TPrefsDB&) = delete;
  TPrefsDB& operator=(const TPrefsDB&) = delete;

  static str ConfiguredKey();
  // Commits during play: a file that another program holds is not waited for.
  void CommitIf(bool commit);
  // The value as this run sees it: a write held back, else the stored one; false when absent
  // or damaged.
  bool ReadValue(str const& key, int user, std::vector<unsigned char>* plain);
  bool WriteValue(str const& key, int user, void const* data, unsigned int size);
  void FoundDamage(str const& key, int user);
  bool IsDamaged(str const& key, int user) const;

  typedef std::pair<int, str> TValueId;

  TEncrypt mEncrypt;
  str mKey;
  bool mWritable;
  std::unique_ptr<TPrefsDBData> mData;
  str mPath;
  // The damaged values found (player, key), the copy of the file kept for them, whether the
  // player has been told, and the writes over them held back until then (plain bytes).
  std::vector<TValueId> mDamaged;
  str mDamageCopy;
  bool mDamageTold = false;
  std::map<TValueId, std::vector<unsigned char>> mHeld;
};
