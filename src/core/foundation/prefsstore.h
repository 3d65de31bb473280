// prefsstore: the storage file of the preferences database: install rows with their globals
// and ordered players of key/value rows, plus a metaglobals map; the one user of SQLite.
#pragma once

#include <cstdint>
#include <vector>

#include "core/foundation/savestatus.h"
#include "core/foundation/str.h"

typedef std::vector<unsigned char> TPrefsBytes;

// The storage model, as TPrefsDB sees it. Keys are plain text, values opaque bytes. Reads
// and writes go to a copy in memory; only Commit writes the file, all the writes since the
// last commit that reached it in one step, so the file holds each commit whole or not at all.
class TPrefsStore
{
public:
  virtual ~TPrefsStore() {}

  // The "metaglobals" view: one map of key to bytes for the whole file.
  virtual bool GetMeta(str key, TPrefsBytes* value) = 0;
  virtual bool SetMeta(str key, TPrefsBytes const& value) = 0;

  // Install rows by their key text; ids are handles valid while the store is open.
  // Both give -1 when there is no such row or it cannot be made.
  virtual int64_t FindInstall(str key) = 0;
  virtual int64_t AddInstall(str key) = 0;

  // The players of an install, in row order; removing one moves the later ones down.
  virtual unsigned GetNumUsers(int64_t install) = 0;
  virtual bool AddUser(int64_t install) = 0;
  virtual bool RemoveUser(int64_t install, unsigned index) = 0;

  // Key/value rows of a player (user >= 0) or of the install's globals (user -1).
  // GetValue is false when the key is absent; SetValue replaces or adds the row.
  virtual bool GetValue(int64_t install, int user, str key, TPrefsBytes* value) = 0;
  virtual bool SetValue(int64_t install, int user, str key, TPrefsBytes const& value) = 0;

  // Writes what changed since the last commit that reached the file. A file that another
  // program holds is waited for up to busyWaitMs (none during play, where a frame must not
  // wait). False when the file was not written: the changes stay in memory and go with the
  // next commit. A store opened read-only drops its changes and answers true.
  virtual bool Commit(unsigned busyWaitMs = 0) = 0;
  // How the last commit went; eSaveDone before the first.
  virtual ESaveStatus GetStatus() = 0;
  // Changes that have not reached the file.
  virtual bool HasPending() = 0;
  // What opening the file found; *keptAs names the copy of a damaged file.
  virtual EOpenProblem GetOpenProblem(str* keptAs) = 0;
  // A copy of the file as it is now, for damage found inside it while it stays in use, under a
  // numbered name (KeepDamagedBytes). The copy's name, or "" when this store writes no file or
  // no copy can be made.
  virtual str KeepCopy() = 0;
};

// Opens the store file at a native path. A writable store reads the file into memory and
// writes it at each commit, creating it (and its folder) when missing. A read-only one never
// writes. Each problem gives one "ERROR: " line:
// - a file held by another program, on a full disk or write-protected: each commit tries
//   again (GetStatus says why the last one failed); changes wait in memory meanwhile;
// - a file that cannot even be read (another program holds it exclusively): the store
//   starts empty and never writes it, so its content is not overwritten;
// - a folder (or anything else that is not a file) in the file's place: the same, and
//   GetOpenProblem says eOpenedNotAFile;
// - a damaged file (failing the full integrity check, not a database, not ours, or one that
//   SQLite will only read though its permissions allow writing) is kept aside under a
//   numbered name (KeepDamagedCopy) and replaced: by what could be read of it, or by an
//   empty store. When no copy can be kept, it is left in place and never written.
// An empty path gives an empty store in memory that never writes. Never null.
TPrefsStore* OpenPrefsStore(str path, bool writable);
