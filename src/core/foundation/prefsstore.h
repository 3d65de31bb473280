// prefsstore: the storage file of the preferences database: install rows with their globals
// and ordered players of key/value rows, plus a metaglobals map; the one user of SQLite.
#pragma once

#include <cstdint>
#include <vector>

#include "core/foundation/str.h"

typedef std::vector<unsigned char> TPrefsBytes;

// The storage model, as TPrefsDB sees it. Keys are plain text, values opaque bytes.
// Writes gather in a transaction that only Commit writes to the file.
class TPrefsStore {
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

  // Writes everything since the last commit to the file atomically.
  virtual bool Commit() = 0;
};

// Opens the store file at a native path. A writable store creates the file (and its
// folder) when missing. A read-only one works on a copy in memory and never writes.
// Each failure gives one "ERROR: " line and a store that works in memory for this run:
// - a file locked by another program (still busy after a wait) or on a full disk, or one
//   that cannot be written, is read into memory when it can be, and never changed;
// - a damaged file (failing the full integrity check, not a database, or not ours) is
//   renamed aside by a writable store (path + ".corrupt", replacing an older copy) and a
//   fresh file starts.
// An empty path gives an empty store in memory. Never null.
TPrefsStore* OpenPrefsStore(str path, bool writable);
