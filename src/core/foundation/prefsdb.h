// prefsdb: the preferences database "user:prefsdb.dat": encrypted global and per-player
// values kept apart per install key; over the storage file of platform/prefsstore.
#pragma once

#include <cstdint>
#include <memory>
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
  // The decrypted value; false when the key is absent.
  bool GetBin(int user, str key, std::vector<unsigned char>* plain);

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

  // How long the last commit, at the program's end, waits for a file another program holds.
  static const unsigned kFinalWaitMs = 3000;

private:
  TPrefsDB(const TPrefsDB&) = delete;
  TPrefsDB& operator=(const TPrefsDB&) = delete;

  static str ConfiguredKey();
  // Commits during play: a file that another program holds is not waited for.
  void CommitIf(bool commit);

  TEncrypt mEncrypt;
  str mKey;
  bool mWritable;
  std::unique_ptr<TPrefsDBData> mData;
};
