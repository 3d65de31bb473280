// prefsstore: keeps the preferences database's views in an SQLite file, one long write
// transaction per commit interval; the only file that calls SQLite.
#include "core/foundation/prefsstore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/debug.h"

namespace {

char const kSchema[] =
    "CREATE TABLE IF NOT EXISTS metaglobals(key TEXT PRIMARY KEY NOT NULL, value BLOB NOT NULL);"
    "CREATE TABLE IF NOT EXISTS install(id INTEGER PRIMARY KEY, key TEXT UNIQUE NOT NULL);"
    "CREATE TABLE IF NOT EXISTS globals(install INTEGER NOT NULL, key TEXT NOT NULL,"
    " value BLOB NOT NULL, PRIMARY KEY(install, key));"
    // A player's position is an ordinary column so that removing one can renumber the
    // rest without tripping over a uniqueness constraint half-way.
    "CREATE TABLE IF NOT EXISTS users(id INTEGER PRIMARY KEY, install INTEGER NOT NULL,"
    " ord INTEGER NOT NULL);"
    "CREATE INDEX IF NOT EXISTS users_by_order ON users(install, ord);"
    "CREATE TABLE IF NOT EXISTS uservalues(user INTEGER NOT NULL, key TEXT NOT NULL,"
    " value BLOB NOT NULL, PRIMARY KEY(user, key));";

enum EStatement {
  eGetMeta,
  eSetMeta,
  eFindInstall,
  eAddInstall,
  eCountUsers,
  eAddUser,
  eUserId,
  eDeleteUserValues,
  eDeleteUser,
  eShiftUsers,
  eGetGlobal,
  eSetGlobal,
  eGetUserValue,
  eSetUserValue,
  eStatementCount
};

char const* const kStatements[eStatementCount] = {
    "SELECT value FROM metaglobals WHERE key = ?1",
    "INSERT OR REPLACE INTO metaglobals(key, value) VALUES(?1, ?2)",
    "SELECT id FROM install WHERE key = ?1",
    "INSERT INTO install(key) VALUES(?1)",
    "SELECT COUNT(*) FROM users WHERE install = ?1",
    "INSERT INTO users(install, ord) VALUES(?1, (SELECT COUNT(*) FROM users WHERE install = ?1))",
    "SELECT id FROM users WHERE install = ?1 AND ord = ?2",
    "DELETE FROM uservalues WHERE user = ?1",
    "DELETE FROM users WHERE id = ?1",
    "UPDATE users SET ord = ord - 1 WHERE install = ?1 AND ord > ?2",
    "SELECT value FROM globals WHERE install = ?1 AND key = ?2",
    "INSERT OR REPLACE INTO globals(install, key, value) VALUES(?1, ?2, ?3)",
    "SELECT value FROM uservalues WHERE user = ?1 AND key = ?2",
    "INSERT OR REPLACE INTO uservalues(user, key, value) VALUES(?1, ?2, ?3)",
};

bool FileExists(str const& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// Creates the folders above the file, as the virtual file system does for its writes.
void MakeParentFolders(str const& path)
{
  for (unsigned slash = path.find('/', 0, 1); slash != str::npos && slash < path.length();
       slash = path.find('/', 0, slash + 1)) {
    str const folder = path.substr(0, (int)slash);
    if (!FileExists(folder))
      mkdir(folder.c_str(), 0777);
  }
}

// Keeps a damaged file (and any journal that belongs to it) for inspection rather than
// deleting it, so the player's data is not lost to a bug of ours. One copy is enough: a
// newer casualty replaces an older one, so repeated damage cannot fill the folder.
bool MoveAside(str const& path, str const& reason)
{
  str const aside = path + ".corrupt";
  str const journal = path + "-journal";
  str const asideJournal = aside + "-journal";
  unlink(asideJournal.c_str());
  if (rename(path.c_str(), aside.c_str()) != 0) {
    WriteDbg("ERROR: The preferences file %s is damaged (%s) and could not be moved aside (%s); "
             "starting with empty preferences that will not be kept",
             path.c_str(), reason.c_str(), std::strerror(errno));
    return false;
  }
  if (FileExists(journal))
    rename(journal.c_str(), asideJournal.c_str());
  WriteDbg("ERROR: The preferences file %s was damaged (%s); kept as %s, starting with empty "
           "preferences",
           path.c_str(), reason.c_str(), aside.c_str());
  return true;
}

// Why a file could not be opened as a store: only a damaged file may be moved aside; a
// busy one belongs to another copy of the game and a full disk is no fault of the file.
enum EOpenFailure {
  eNoFailure,
  eBusy,
  eDiskFull,
  eDamaged,
  eUnusable
};

EOpenFailure FailureOf(int status)
{
  switch (status & 0xFF) {
  case SQLITE_OK:
  case SQLITE_ROW:
  case SQLITE_DONE:
    return eNoFailure;
  case SQLITE_BUSY:
  case SQLITE_LOCKED:
    return eBusy;
  case SQLITE_FULL:
    return eDiskFull;
  // A file that is not a database, or a database whose tables are not ours.
  case SQLITE_CORRUPT:
  case SQLITE_NOTADB:
  case SQLITE_ERROR:
  case SQLITE_SCHEMA:
    return eDamaged;
  default:
    return eUnusable;
  }
}

// How long a file locked by another copy of the game is waited for, each time.
int const kBusyWaitMs = 1000;

class TSqlitePrefsStore : public TPrefsStore {
public:
  TSqlitePrefsStore() : mDb(nullptr), mInTransaction(false)
  {
    for (sqlite3_stmt*& statement : mStatements)
      statement = nullptr;
  }

  ~TSqlitePrefsStore() override { Close(); }

  // Opens a file (or, with an empty path, a fresh memory database), checks it in full and
  // makes the tables a new file lacks; on failure nothing is left open, and reason and the
  // returned kind say why.
  EOpenFailure OpenFile(str const& path, int flags, str* reason)
  {
    Close();
    int const status = sqlite3_open_v2(path.length() ? path.c_str() : ":memory:", &mDb, flags, nullptr);
    if (status != SQLITE_OK) {
      *reason = mDb ? sqlite3_errmsg(mDb) : sqlite3_errstr(status);
      Close();
      return FailureOf(status) == eDamaged ? eUnusable : FailureOf(status);
    }
    sqlite3_busy_timeout(mDb, kBusyWaitMs);
    EOpenFailure failure = CheckIntegrity(reason);
    if (failure == eNoFailure && !IsReadOnly())
      failure = CreateTables(reason);
    if (failure != eNoFailure)
      Close();
    return failure;
  }

  // Replaces the open (memory) database's content with a copy of another file.
  EOpenFailure LoadCopyOf(str const& path, str* reason)
  {
    sqlite3* source = nullptr;
    int status = sqlite3_open_v2(path.c_str(), &source, SQLITE_OPEN_READONLY, nullptr);
    if (status == SQLITE_OK) {
      sqlite3_busy_timeout(source, kBusyWaitMs);
      if (sqlite3_backup* backup = sqlite3_backup_init(mDb, "main", source, "main")) {
        status = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
      } else {
        status = sqlite3_errcode(mDb);
      }
    }
    if (status != SQLITE_DONE) {
      *reason = sqlite3_errstr(status);
      sqlite3_close(source);
      return FailureOf(status) == eNoFailure ? eUnusable : FailureOf(status);
    }
    sqlite3_close(source);
    EOpenFailure failure = CheckIntegrity(reason);
    return failure == eNoFailure ? CreateTables(reason) : failure;
  }

  // Prepares every statement; a file whose tables do not fit ours fails here.
  EOpenFailure Prepare(str* reason)
  {
    for (int i = 0; i < eStatementCount; ++i) {
      int const status = sqlite3_prepare_v2(mDb, kStatements[i], -1, &mStatements[i], nullptr);
      if (status != SQLITE_OK) {
        *reason = sqlite3_errmsg(mDb);
        return FailureOf(status);
      }
    }
    return eNoFailure;
  }

  bool IsReadOnly() { return mDb && sqlite3_db_readonly(mDb, "main") == 1; }

  void Close()
  {
    for (sqlite3_stmt*& statement : mStatements) {
      sqlite3_finalize(statement);
      statement = nullptr;
    }
    if (mDb) {
      // Whatever the owner did not commit is dropped, not written.
      if (mInTransaction)
        sqlite3_exec(mDb, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(mDb);
      mDb = nullptr;
    }
    mInTransaction = false;
  }

  bool GetMeta(str key, TPrefsBytes* value) override
  {
    sqlite3_stmt* statement = Begin(eGetMeta);
    BindText(statement, 1, key);
    return ReadBlob(statement, value);
  }

  bool SetMeta(str key, TPrefsBytes const& value) override
  {
    if (!Write())
      return false;
    sqlite3_stmt* statement = Begin(eSetMeta);
    BindText(statement, 1, key);
    BindBlob(statement, 2, value);
    return Run(statement);
  }

  int64_t FindInstall(str key) override
  {
    sqlite3_stmt* statement = Begin(eFindInstall);
    BindText(statement, 1, key);
    return ReadId(statement);
  }

  int64_t AddInstall(str key) override
  {
    if (!Write())
      return -1;
    sqlite3_stmt* statement = Begin(eAddInstall);
    BindText(statement, 1, key);
    return Run(statement) ? sqlite3_last_insert_rowid(mDb) : -1;
  }

  unsigned GetNumUsers(int64_t install) override
  {
    sqlite3_stmt* statement = Begin(eCountUsers);
    sqlite3_bind_int64(statement, 1, install);
    int64_t const count = ReadId(statement);
    return count > 0 ? (unsigned)count : 0;
  }

  bool AddUser(int64_t install) override
  {
    if (!Write())
      return false;
    sqlite3_stmt* statement = Begin(eAddUser);
    sqlite3_bind_int64(statement, 1, install);
    return Run(statement);
  }

  bool RemoveUser(int64_t install, unsigned index) override
  {
    int64_t const user = UserId(install, (int)index);
    if (user < 0 || !Write())
      return false;
    // The three steps stand or fall together.
    if (sqlite3_exec(mDb, "SAVEPOINT removeuser", nullptr, nullptr, nullptr) != SQLITE_OK)
      return Fail("SAVEPOINT");
    sqlite3_stmt* values = Begin(eDeleteUserValues);
    sqlite3_bind_int64(values, 1, user);
    sqlite3_stmt* row = nullptr;
    sqlite3_stmt* shift = nullptr;
    bool ok = Run(values);
    if (ok) {
      row = Begin(eDeleteUser);
      sqlite3_bind_int64(row, 1, user);
      ok = Run(row);
    }
    if (ok) {
      shift = Begin(eShiftUsers);
      sqlite3_bind_int64(shift, 1, install);
      sqlite3_bind_int64(shift, 2, index);
      ok = Run(shift);
    }
    if (!ok)
      sqlite3_exec(mDb, "ROLLBACK TO removeuser", nullptr, nullptr, nullptr);
    sqlite3_exec(mDb, "RELEASE removeuser", nullptr, nullptr, nullptr);
    return ok;
  }

  bool GetValue(int64_t install, int user, str key, TPrefsBytes* value) override
  {
    sqlite3_stmt* statement = nullptr;
    if (user < 0) {
      statement = Begin(eGetGlobal);
      sqlite3_bind_int64(statement, 1, install);
    } else {
      int64_t const id = UserId(install, user);
      if (id < 0)
        return false;
      statement = Begin(eGetUserValue);
      sqlite3_bind_int64(statement, 1, id);
    }
    BindText(statement, 2, key);
    return ReadBlob(statement, value);
  }

  bool SetValue(int64_t install, int user, str key, TPrefsBytes const& value) override
  {
    sqlite3_stmt* statement = nullptr;
    if (user < 0) {
      if (!Write())
        return false;
      statement = Begin(eSetGlobal);
      sqlite3_bind_int64(statement, 1, install);
    } else {
      int64_t const id = UserId(install, user);
      if (id < 0 || !Write())
        return false;
      statement = Begin(eSetUserValue);
      sqlite3_bind_int64(statement, 1, id);
    }
    BindText(statement, 2, key);
    BindBlob(statement, 3, value);
    return Run(statement);
  }

  bool Commit() override
  {
    if (!mInTransaction)
      return true;
    if (sqlite3_exec(mDb, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
      Fail("COMMIT");
      // A failed commit that SQLite rolled back has lost the changes; one that it kept
      // (a busy file) is tried again with the next commit.
      mInTransaction = !sqlite3_get_autocommit(mDb);
      return false;
    }
    mInTransaction = false;
    return true;
  }

private:
  // The full check: the quick one misses indexes that no longer match their tables, which
  // makes a player's values read as absent without a word.
  EOpenFailure CheckIntegrity(str* reason)
  {
    sqlite3_stmt* check = nullptr;
    int status = sqlite3_prepare_v2(mDb, "PRAGMA integrity_check(1)", -1, &check, nullptr);
    EOpenFailure failure = eNoFailure;
    if (status == SQLITE_OK)
      status = sqlite3_step(check);
    if (status == SQLITE_ROW) {
      char const* verdict = reinterpret_cast<char const*>(sqlite3_column_text(check, 0));
      if (!verdict || std::strcmp(verdict, "ok") != 0) {
        *reason = verdict ? verdict : "integrity check failed";
        failure = eDamaged;
      }
    } else {
      *reason = sqlite3_errmsg(mDb);
      failure = FailureOf(status) == eNoFailure ? eUnusable : FailureOf(status);
    }
    sqlite3_finalize(check);
    return failure;
  }

  // Takes the write lock first, so a file that another copy of the game is writing is
  // found busy here rather than half-way through the player's first change.
  EOpenFailure CreateTables(str* reason)
  {
    char const* const steps[] = {"BEGIN IMMEDIATE", kSchema, "COMMIT"};
    for (char const* step : steps) {
      int const status = sqlite3_exec(mDb, step, nullptr, nullptr, nullptr);
      if (status != SQLITE_OK) {
        *reason = sqlite3_errmsg(mDb);
        if (!sqlite3_get_autocommit(mDb))
          sqlite3_exec(mDb, "ROLLBACK", nullptr, nullptr, nullptr);
        return FailureOf(status);
      }
    }
    return eNoFailure;
  }

  // Every write joins the one open transaction, started by the first write after a commit.
  bool Write()
  {
    if (mInTransaction)
      return true;
    if (sqlite3_exec(mDb, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
      return Fail("BEGIN");
    mInTransaction = true;
    return true;
  }

  sqlite3_stmt* Begin(EStatement which)
  {
    sqlite3_stmt* statement = mStatements[which];
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    return statement;
  }

  static void BindText(sqlite3_stmt* statement, int index, str const& text)
  {
    sqlite3_bind_text(statement, index, text.c_str(), (int)text.length(), SQLITE_TRANSIENT);
  }

  static void BindBlob(sqlite3_stmt* statement, int index, TPrefsBytes const& bytes)
  {
    // An empty vector has no data pointer; a zero-length blob is still not NULL.
    static unsigned char const kNothing = 0;
    sqlite3_bind_blob(statement, index, bytes.empty() ? &kNothing : bytes.data(), (int)bytes.size(),
                      SQLITE_TRANSIENT);
  }

  bool Run(sqlite3_stmt* statement)
  {
    int const status = sqlite3_step(statement);
    sqlite3_reset(statement);
    if (status != SQLITE_DONE)
      return Fail(sqlite3_sql(statement));
    return true;
  }

  bool ReadBlob(sqlite3_stmt* statement, TPrefsBytes* value)
  {
    int const status = sqlite3_step(statement);
    if (status != SQLITE_ROW) {
      if (status != SQLITE_DONE)
        Fail(sqlite3_sql(statement));
      sqlite3_reset(statement);
      return false;
    }
    unsigned char const* bytes = static_cast<unsigned char const*>(sqlite3_column_blob(statement, 0));
    int const size = sqlite3_column_bytes(statement, 0);
    if (value)
      value->assign(bytes, bytes + (bytes && size > 0 ? size : 0));
    sqlite3_reset(statement);
    return true;
  }

  int64_t ReadId(sqlite3_stmt* statement)
  {
    int const status = sqlite3_step(statement);
    int64_t id = -1;
    if (status == SQLITE_ROW)
      id = sqlite3_column_int64(statement, 0);
    else if (status != SQLITE_DONE)
      Fail(sqlite3_sql(statement));
    sqlite3_reset(statement);
    return id;
  }

  int64_t UserId(int64_t install, int index)
  {
    sqlite3_stmt* statement = Begin(eUserId);
    sqlite3_bind_int64(statement, 1, install);
    sqlite3_bind_int(statement, 2, index);
    return ReadId(statement);
  }

  bool Fail(char const* what)
  {
    WriteDbg("ERROR: Preferences store: %s failed: %s", what, sqlite3_errmsg(mDb));
    return false;
  }

  sqlite3* mDb;
  bool mInTransaction;
  sqlite3_stmt* mStatements[eStatementCount];
};

TSqlitePrefsStore* OpenEmptyInMemory()
{
  TSqlitePrefsStore* store = new TSqlitePrefsStore;
  str reason;
  if (store->OpenFile("", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &reason) != eNoFailure ||
      store->Prepare(&reason) != eNoFailure)
    WriteDbg("ERROR: Preferences store: cannot make an empty store: %s", reason.c_str());
  return store;
}

// A store in memory holding a copy of the file, for a run that must not write it; null when
// the file cannot be read either.
TSqlitePrefsStore* OpenCopy(str const& path, str* reason, EOpenFailure* failure)
{
  TSqlitePrefsStore* store = new TSqlitePrefsStore;
  *failure = store->OpenFile("", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, reason);
  if (*failure == eNoFailure && FileExists(path))
    *failure = store->LoadCopyOf(path, reason);
  if (*failure == eNoFailure)
    *failure = store->Prepare(reason);
  if (*failure == eNoFailure)
    return store;
  delete store;
  return nullptr;
}

// The one line that says why this run keeps no changes, and what it reads instead.
TPrefsStore* ReadOnlyFallback(str const& path, char const* why)
{
  str reason;
  EOpenFailure failure;
  if (TSqlitePrefsStore* copy = OpenCopy(path, &reason, &failure)) {
    WriteDbg("ERROR: The preferences file %s %s; changes will not be kept this run", path.c_str(), why);
    return copy;
  }
  WriteDbg("ERROR: The preferences file %s %s and cannot be read (%s); starting with empty "
           "preferences that will not be kept",
           path.c_str(), why, reason.c_str());
  return OpenEmptyInMemory();
}

} // namespace

TPrefsStore* OpenPrefsStore(str path, bool writable)
{
  if (path.empty()) {
    WriteDbg("ERROR: No path for the preferences file; preferences will not be kept");
    return OpenEmptyInMemory();
  }

  str reason;
  if (!writable) {
    EOpenFailure failure;
    if (TSqlitePrefsStore* copy = OpenCopy(path, &reason, &failure))
      return copy;
    WriteDbg("ERROR: Cannot read the preferences file %s (%s); starting with empty preferences",
             path.c_str(), reason.c_str());
    return OpenEmptyInMemory();
  }

  MakeParentFolders(path);
  bool const existed = FileExists(path);
  TSqlitePrefsStore* store = new TSqlitePrefsStore;
  EOpenFailure failure = store->OpenFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &reason);
  if (failure == eNoFailure && store->IsReadOnly()) {
    // SQLite quietly opens a write-protected file for reading only; the player's data is
    // still good, so keep it readable rather than failing every later write.
    delete store;
    return ReadOnlyFallback(path, "is write-protected");
  }
  if (failure == eNoFailure)
    failure = store->Prepare(&reason);
  if (failure == eNoFailure)
    return store;
  delete store;

  switch (failure) {
  case eBusy:
    return ReadOnlyFallback(path, "is in use by another program (still busy after waiting)");
  case eDiskFull:
    // Opening a new file on a full disk leaves an empty file behind; it is no store.
    if (!existed) {
      unlink(path.c_str());
      unlink((path + "-journal").c_str());
    }
    return ReadOnlyFallback(path, "cannot be written: the disk is full");
  case eDamaged:
    if (MoveAside(path, reason)) {
      store = new TSqlitePrefsStore;
      failure = store->OpenFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &reason);
      if (failure == eNoFailure)
        failure = store->Prepare(&reason);
      if (failure == eNoFailure)
        return store;
      delete store;
      WriteDbg("ERROR: Cannot create the preferences file %s: %s", path.c_str(), reason.c_str());
    }
    return OpenEmptyInMemory();
  default:
    return ReadOnlyFallback(path, (str("cannot be used: ") + reason).c_str());
  }
}
