// prefsstore: keeps the preferences database's views in SQLite: a copy in memory serves every
// read and write, and a commit repeats the writes since the last one in the file, in one
// transaction; the file's damage, locks and full disks are sorted out here. The only file
// that calls SQLite.
#include "core/foundation/prefsstore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/foundation/atomicfile.h"
#include "core/foundation/debug.h"

namespace {

char const kSchema[] = "CREATE TABLE IF NOT EXISTS metaglobals(key TEXT PRIMARY KEY NOT NULL, value BLOB NOT NULL);"
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

enum EStatement
{
  eGetMeta,
  eSetMeta,
  eFindInstall,
  eAddInstall,
  eInstallKey,
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
    "SELECT key FROM install WHERE id = ?1",
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

// A write that the file lacks a row for (another program changed it): not SQLite's status.
int const kMismatch = -1;

// How long a file held by another program is waited for when the game starts.
unsigned const kStartWaitMs = 1000;

bool FileExists(str const& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// What stands at the path when it is not a file ("" when it is one, or nothing is there).
char const* NotAFile(str const& path)
{
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
    return "";
  return S_ISDIR(info.st_mode) ? "a folder" : "something that is not a file";
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

str FolderOf(str const& path)
{
  unsigned const slash = path.find('/', str::kBackward);
  if (slash == str::npos)
    return str(".");
  return slash == 0 ? str("/") : path.substr(0, (int)slash);
}

// Whether the permissions (or a read-only disk) forbid writing the file or its folder. The
// mode bits count as well as access(): to root every file is writable.
bool IsWriteProtected(str const& path)
{
  struct stat info;
  if (stat(path.c_str(), &info) == 0 && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
    return true;
  return access(path.c_str(), W_OK) != 0 || access(FolderOf(path).c_str(), W_OK) != 0;
}

bool IsBusy(int status)
{
  return (status & 0xFF) == SQLITE_BUSY || (status & 0xFF) == SQLITE_LOCKED;
}

// A file that is not a database, or a database whose tables are not ours.
bool IsDamage(int status)
{
  switch (status & 0xFF) {
  case SQLITE_CORRUPT:
  case SQLITE_NOTADB:
  case SQLITE_ERROR:
  case SQLITE_SCHEMA:
    return true;
  default:
    return false;
  }
}

ESaveStatus StatusOf(int status, int systemError)
{
  switch (status & 0xFF) {
  case SQLITE_OK:
  case SQLITE_DONE:
    return eSaveDone;
  case SQLITE_BUSY:
  case SQLITE_LOCKED:
    return eSaveBusy;
  case SQLITE_FULL:
    return eSaveDiskFull;
  case SQLITE_READONLY:
  case SQLITE_PERM:
  case SQLITE_AUTH:
    return eSaveWriteProtected;
  case SQLITE_CANTOPEN:
  case SQLITE_IOERR:
    return systemError ? SaveStatusOfErrno(systemError) : eSaveFailed;
  default:
    return eSaveFailed;
  }
}

// One open database with the store's statements. The last failure is kept for the caller,
// who decides what to tell.
class TConnection
{
public:
  TConnection()
  {
    for (sqlite3_stmt*& statement : mStatements)
      statement = nullptr;
  }
  ~TConnection() { Close(); }

  // A file, or with an empty path a fresh database in memory. SQLite's status.
  int Open(str const& path, int flags)
  {
    Close();
    int const status = sqlite3_open_v2(path.length() ? path.c_str() : ":memory:", &mDb, flags, nullptr);
    if (status != SQLITE_OK) {
      Record(status, mDb ? sqlite3_errmsg(mDb) : sqlite3_errstr(status));
      Close();
    }
    return status;
  }

  void Close()
  {
    Finalize();
    if (mDb) {
      // Whatever was not committed is dropped, not written.
      if (InTransaction())
        sqlite3_exec(mDb, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(mDb);
      mDb = nullptr;
    }
  }

  bool IsOpen() const { return mDb != nullptr; }
  bool IsReadOnly() { return mDb && sqlite3_db_readonly(mDb, "main") == 1; }
  // SQLite ends a transaction by itself when a statement fails on a full disk or an I/O
  // error; its own word is the only one to trust.
  bool InTransaction() { return mDb && !sqlite3_get_autocommit(mDb); }
  void SetBusyWait(unsigned ms) { sqlite3_busy_timeout(mDb, (int)ms); }

  int Exec(char const* sql)
  {
    int const status = sqlite3_exec(mDb, sql, nullptr, nullptr, nullptr);
    if (status != SQLITE_OK)
      Record(status, sqlite3_errmsg(mDb));
    return status;
  }

  void Rollback()
  {
    if (InTransaction())
      sqlite3_exec(mDb, "ROLLBACK", nullptr, nullptr, nullptr);
  }

  int Prepare()
  {
    Finalize();
    for (int i = 0; i < eStatementCount; ++i) {
      int const status = sqlite3_prepare_v2(mDb, kStatements[i], -1, &mStatements[i], nullptr);
      if (status != SQLITE_OK) {
        Record(status, sqlite3_errmsg(mDb));
        return status;
      }
    }
    return SQLITE_OK;
  }

  // The full check: the quick one misses indexes that no longer match their tables, which
  // makes a player's values read as absent without a word.
  int CheckIntegrity()
  {
    sqlite3_stmt* check = nullptr;
    int status = sqlite3_prepare_v2(mDb, "PRAGMA integrity_check(1)", -1, &check, nullptr);
    if (status == SQLITE_OK)
      status = sqlite3_step(check);
    if (status == SQLITE_ROW) {
      char const* verdict = reinterpret_cast<char const*>(sqlite3_column_text(check, 0));
      status = SQLITE_OK;
      if (!verdict || std::strcmp(verdict, "ok") != 0) {
        status = SQLITE_CORRUPT;
        Record(status, verdict ? verdict : "integrity check failed");
      }
    } else {
      Record(status, sqlite3_errmsg(mDb));
    }
    sqlite3_finalize(check);
    return status;
  }

  // Takes the write lock first, so a file that another program is writing is found busy
  // here rather than half-way through.
  int CreateTables()
  {
    for (char const* step : {"BEGIN IMMEDIATE", kSchema, "COMMIT"}) {
      int const status = Exec(step);
      if (status != SQLITE_OK) {
        Rollback();
        return status;
      }
    }
    return SQLITE_OK;
  }

  // Makes this database a copy of another, in one transaction of its own.
  int CopyFrom(TConnection& source)
  {
    Finalize();
    int status = SQLITE_OK;
    if (sqlite3_backup* backup = sqlite3_backup_init(mDb, "main", source.mDb, "main")) {
      status = sqlite3_backup_step(backup, -1);
      int const finished = sqlite3_backup_finish(backup);
      if (status == SQLITE_DONE)
        status = finished;
    } else {
      status = sqlite3_errcode(mDb);
    }
    if (status != SQLITE_OK && status != SQLITE_DONE) {
      // The side that failed knows why.
      int const sourceStatus = sqlite3_errcode(source.mDb);
      Record(status, sqlite3_errstr(status));
      if (sourceStatus != SQLITE_OK)
        mSystemError = sqlite3_system_errno(source.mDb);
      return status;
    }
    return Prepare();
  }

  // Fills this database's tables (empty, made from the schema) with the rows of the file,
  // in one read of it.
  int CopyRowsFrom(str const& path, unsigned busyWaitMs)
  {
    SetBusyWait(busyWaitMs);
    sqlite3_stmt* attach = nullptr;
    int status = sqlite3_prepare_v2(mDb, "ATTACH DATABASE ?1 AS source", -1, &attach, nullptr);
    if (status == SQLITE_OK) {
      sqlite3_bind_text(attach, 1, path.c_str(), (int)path.length(), SQLITE_TRANSIENT);
      status = sqlite3_step(attach);
      if (status == SQLITE_DONE)
        status = SQLITE_OK;
    }
    if (status != SQLITE_OK)
      Record(status, sqlite3_errmsg(mDb));
    sqlite3_finalize(attach);
    if (status != SQLITE_OK)
      return status;
    for (char const* step :
         {"BEGIN", "INSERT INTO metaglobals SELECT * FROM source.metaglobals",
          "INSERT INTO install SELECT * FROM source.install", "INSERT INTO globals SELECT * FROM source.globals",
          "INSERT INTO users SELECT * FROM source.users", "INSERT INTO uservalues SELECT * FROM source.uservalues",
          "COMMIT"}) {
      status = Exec(step);
      if (status != SQLITE_OK)
        break;
    }
    Rollback();
    sqlite3_exec(mDb, "DETACH DATABASE source", nullptr, nullptr, nullptr);
    return status;
  }

  void ClearFailure()
  {
    mFailure = SQLITE_OK;
    mSystemError = 0;
  }

  bool GetMeta(str const& key, TPrefsBytes* value)
  {
    sqlite3_stmt* statement = Begin(eGetMeta);
    BindText(statement, 1, key);
    return ReadBlob(statement, value);
  }

  bool SetMeta(str const& key, TPrefsBytes const& value)
  {
    sqlite3_stmt* statement = Begin(eSetMeta);
    BindText(statement, 1, key);
    BindBlob(statement, 2, value);
    return Run(statement);
  }

  int64_t FindInstall(str const& key)
  {
    sqlite3_stmt* statement = Begin(eFindInstall);
    BindText(statement, 1, key);
    return ReadId(statement);
  }

  int64_t AddInstall(str const& key)
  {
    sqlite3_stmt* statement = Begin(eAddInstall);
    BindText(statement, 1, key);
    return Run(statement) ? sqlite3_last_insert_rowid(mDb) : -1;
  }

  bool InstallKey(int64_t install, str* key)
  {
    sqlite3_stmt* statement = Begin(eInstallKey);
    sqlite3_bind_int64(statement, 1, install);
    TPrefsBytes bytes;
    if (!ReadBlob(statement, &bytes))
      return false;
    *key = str(reinterpret_cast<char const*>(bytes.data()), (int)bytes.size());
    return true;
  }

  unsigned GetNumUsers(int64_t install)
  {
    sqlite3_stmt* statement = Begin(eCountUsers);
    sqlite3_bind_int64(statement, 1, install);
    int64_t const count = ReadId(statement);
    return count > 0 ? (unsigned)count : 0;
  }

  bool AddUser(int64_t install)
  {
    sqlite3_stmt* statement = Begin(eAddUser);
    sqlite3_bind_int64(statement, 1, install);
    return Run(statement);
  }

  bool RemoveUser(int64_t install, unsigned index)
  {
    int64_t const user = UserId(install, (int)index);
    if (user < 0)
      return false;
    // The three steps stand or fall together.
    if (Exec("SAVEPOINT removeuser") != SQLITE_OK)
      return false;
    sqlite3_stmt* values = Begin(eDeleteUserValues);
    sqlite3_bind_int64(values, 1, user);
    bool ok = Run(values);
    if (ok) {
      sqlite3_stmt* row = Begin(eDeleteUser);
      sqlite3_bind_int64(row, 1, user);
      ok = Run(row);
    }
    if (ok) {
      sqlite3_stmt* shift = Begin(eShiftUsers);
      sqlite3_bind_int64(shift, 1, install);
      sqlite3_bind_int64(shift, 2, index);
      ok = Run(shift);
    }
    // A failure that ended the transaction took the savepoint with it.
    if (!ok && InTransaction())
      sqlite3_exec(mDb, "ROLLBACK TO removeuser", nullptr, nullptr, nullptr);
    if (InTransaction())
      sqlite3_exec(mDb, "RELEASE removeuser", nullptr, nullptr, nullptr);
    return ok;
  }

  bool GetValue(int64_t install, int user, str const& key, TPrefsBytes* value)
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

  bool SetValue(int64_t install, int user, str const& key, TPrefsBytes const& value)
  {
    sqlite3_stmt* statement = nullptr;
    if (user < 0) {
      statement = Begin(eSetGlobal);
      sqlite3_bind_int64(statement, 1, install);
    } else {
      int64_t const id = UserId(install, user);
      if (id < 0)
        return false;
      statement = Begin(eSetUserValue);
      sqlite3_bind_int64(statement, 1, id);
    }
    BindText(statement, 2, key);
    BindBlob(statement, 3, value);
    return Run(statement);
  }

  // The last failure: SQLite's status, the system's error number and the message.
  int mFailure = SQLITE_OK;
  int mSystemError = 0;
  str mMessage;

private:
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;

  void Finalize()
  {
    for (sqlite3_stmt*& statement : mStatements) {
      sqlite3_finalize(statement);
      statement = nullptr;
    }
  }

  void Record(int status, char const* message)
  {
    mFailure = status;
    mSystemError = mDb ? sqlite3_system_errno(mDb) : 0;
    mMessage = message ? message : "";
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
    sqlite3_bind_blob(statement, index, bytes.empty() ? &kNothing : bytes.data(), (int)bytes.size(), SQLITE_TRANSIENT);
  }

  bool Run(sqlite3_stmt* statement)
  {
    if (!statement)
      return false;
    int const status = sqlite3_step(statement);
    sqlite3_reset(statement);
    if (status != SQLITE_DONE) {
      Record(status, sqlite3_errmsg(mDb));
      return false;
    }
    return true;
  }

  bool ReadBlob(sqlite3_stmt* statement, TPrefsBytes* value)
  {
    if (!statement)
      return false;
    int const status = sqlite3_step(statement);
    if (status != SQLITE_ROW) {
      if (status != SQLITE_DONE)
        Record(status, sqlite3_errmsg(mDb));
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
    if (!statement)
      return -1;
    int const status = sqlite3_step(statement);
    int64_t id = -1;
    if (status == SQLITE_ROW)
      id = sqlite3_column_int64(statement, 0);
    else if (status != SQLITE_DONE)
      Record(status, sqlite3_errmsg(mDb));
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

  sqlite3* mDb = nullptr;
  sqlite3_stmt* mStatements[eStatementCount];
};

// A write as the file must repeat it: installs by their key, players by their position.
struct TWrite
{
  enum EKind
  {
    eSetMeta,
    eAddInstall,
    eAddUser,
    eRemoveUser,
    eSetValue
  } kind;
  str install;
  int user;
  str key;
  TPrefsBytes value;
};

class TSqlitePrefsStore : public TPrefsStore
{
public:
  enum EMode
  {
    eWritesFile,
    // Opened read-only: commits drop the changes.
    eReadOnly,
    // The file must not be written this run (or there is none): commits fail.
    eNeverWrites
  };

  explicit TSqlitePrefsStore(str const& path) : mPath(path) {}

  // The copy in memory, empty, with the tables; false when not even that can be made.
  bool StartEmpty()
  {
    mPending.clear();
    int status = mWork.Open("", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (status == SQLITE_OK)
      status = mWork.Exec(kSchema);
    if (status == SQLITE_OK)
      status = mWork.Prepare();
    if (status != SQLITE_OK) {
      WriteDbg("ERROR: Preferences store: cannot make an empty store: %s", mWork.mMessage.c_str());
      return false;
    }
    return true;
  }

  void NeverWrite(EOpenProblem problem, ESaveStatus status)
  {
    mFile.Close();
    mMode = eNeverWrites;
    mOpenProblem = problem;
    mStatus = status;
  }

  // A copy of the file, for a run that must not write it; empty when it cannot be read.
  void OpenReadOnly()
  {
    mMode = eReadOnly;
    if (!FileExists(mPath))
      return;
    int status = mFile.Open(mPath, SQLITE_OPEN_READONLY);
    if (status == SQLITE_OK) {
      mFile.SetBusyWait(kStartWaitMs);
      status = mFile.CheckIntegrity();
    }
    if (status == SQLITE_OK)
      status = LoadWorkingCopy();
    if (status != SQLITE_OK) {
      WriteDbg("ERROR: Cannot read the preferences file %s (%s); starting with empty preferences", mPath.c_str(),
               mFile.mMessage.length() ? mFile.mMessage.c_str() : mWork.mMessage.c_str());
      StartEmpty();
    }
    mFile.Close();
  }

  void OpenForWriting()
  {
    MakeParentFolders(mPath);
    if (char const* what = NotAFile(mPath); *what) {
      // Nothing to keep aside and nothing SQLite could write: told as what it is.
      WriteDbg("ERROR: In place of the preferences file %s there is %s; starting with empty preferences, and "
               "nothing of this run is written there",
               mPath.c_str(), what);
      StartEmpty();
      NeverWrite(eOpenedNotAFile, eSaveFailed);
      return;
    }
    if (!FileExists(mPath)) {
      // Made by the first commit, which is this one: a store's file exists once it is open.
      mRewriteAll = true;
      Commit(kStartWaitMs);
      return;
    }
    int status = mFile.Open(mPath, SQLITE_OPEN_READWRITE);
    if (status != SQLITE_OK)
      return Unreadable(mFile.mMessage);
    mFile.SetBusyWait(kStartWaitMs);
    status = mFile.CheckIntegrity();
    if (status == SQLITE_OK && !mFile.IsReadOnly()) {
      status = mFile.CreateTables();
      // Another program writing the file leaves the tables as they are; checked just below.
      if (IsBusy(status))
        status = SQLITE_OK;
    }
    if (status == SQLITE_OK)
      status = mFile.Prepare();
    if (status == SQLITE_OK)
      status = LoadWorkingCopy();
    if (IsBusy(status))
      return Unreadable("another program is using it (still busy after waiting)");
    if (IsDamage(status))
      return Damaged(mFile.mMessage, false);
    if (status != SQLITE_OK)
      return Unreadable(mFile.mMessage);
    if (!mFile.IsReadOnly())
      return;
    // SQLite quietly opens a write-protected file for reading only: the commits will say so
    // while it lasts. Writable by its permissions, the file itself refuses: a damaged header.
    mFile.Close();
    if (!IsWriteProtected(mPath))
      Damaged("SQLite will only read it", true);
  }

  bool GetMeta(str key, TPrefsBytes* value) override { return Read(mWork.GetMeta(key, value)); }

  bool SetMeta(str key, TPrefsBytes const& value) override
  {
    TPrefsBytes stored;
    if (mWork.GetMeta(key, &stored) && stored == value)
      return true;
    if (!Wrote(mWork.SetMeta(key, value)))
      return false;
    Keep({TWrite::eSetMeta, str(), -1, key, value});
    return true;
  }

  int64_t FindInstall(str key) override
  {
    int64_t const id = mWork.FindInstall(key);
    Read(id >= 0);
    return id;
  }

  int64_t AddInstall(str key) override
  {
    int64_t const id = mWork.AddInstall(key);
    if (!Wrote(id >= 0))
      return -1;
    Keep({TWrite::eAddInstall, key, -1, str(), TPrefsBytes()});
    return id;
  }

  unsigned GetNumUsers(int64_t install) override { return mWork.GetNumUsers(install); }

  bool AddUser(int64_t install) override
  {
    str key;
    if (!mWork.InstallKey(install, &key) || !Wrote(mWork.AddUser(install)))
      return false;
    Keep({TWrite::eAddUser, key, -1, str(), TPrefsBytes()});
    return true;
  }

  bool RemoveUser(int64_t install, unsigned index) override
  {
    str key;
    if (!mWork.InstallKey(install, &key) || !Wrote(mWork.RemoveUser(install, index)))
      return false;
    Keep({TWrite::eRemoveUser, key, (int)index, str(), TPrefsBytes()});
    return true;
  }

  bool GetValue(int64_t install, int user, str key, TPrefsBytes* value) override
  {
    return Read(mWork.GetValue(install, user, key, value));
  }

  bool SetValue(int64_t install, int user, str key, TPrefsBytes const& value) override
  {
    // A value written again unchanged gives the file nothing to do (and a full disk nothing
    // to refuse).
    TPrefsBytes stored;
    if (mWork.GetValue(install, user, key, &stored) && stored == value)
      return true;
    str installKey;
    if (!mWork.InstallKey(install, &installKey) || !Wrote(mWork.SetValue(install, user, key, value)))
      return false;
    Keep({TWrite::eSetValue, installKey, user, key, value});
    return true;
  }

  bool Commit(unsigned busyWaitMs) override
  {
    if (mMode == eReadOnly) {
      mPending.clear();
      return true;
    }
    if (mMode == eNeverWrites)
      return !HasPending();
    if (mPending.empty() && !mRewriteAll)
      return true;
    ESaveStatus const status = WriteFile(busyWaitMs);
    if (status == eSaveDone && mStatus != eSaveDone)
      WriteDbg("Preferences: %s is written again, with everything kept for it meanwhile", mPath.c_str());
    else if (status != eSaveDone && status != mStatus)
      WriteDbg("ERROR: The preferences file %s cannot be written now (%s: %s); the changes are kept and "
               "written by the next save",
               mPath.c_str(), SaveStatusWords(status), mFile.mMessage.c_str());
    mStatus = status;
    return status == eSaveDone;
  }

  ESaveStatus GetStatus() override { return mStatus; }
  bool HasPending() override { return !mPending.empty() || mRewriteAll || mChangedUnkept; }

  EOpenProblem GetOpenProblem(str* keptAs) override
  {
    if (keptAs)
      *keptAs = mKeptAs;
    return mOpenProblem;
  }

  str KeepCopy() override
  {
    if (mMode != eWritesFile)
      return str();
    // Between commits the file is whole and SQLite holds no lock on it (no transaction is
    // open), so its bytes are the copy, and closing this handle cannot drop a lock of SQLite's.
    std::vector<unsigned char> bytes;
    FILE* file = std::fopen(mPath.c_str(), "rb");
    if (!file) {
      WriteDbg("ERROR: Cannot copy the preferences file %s: %s", mPath.c_str(), std::strerror(errno));
      return str();
    }
    unsigned char block[65536];
    for (size_t got = std::fread(block, 1, sizeof block, file); got > 0; got = std::fread(block, 1, sizeof block, file))
      bytes.insert(bytes.end(), block, block + got);
    bool const whole = !std::ferror(file);
    std::fclose(file);
    if (!whole) {
      WriteDbg("ERROR: Cannot copy the preferences file %s: it cannot be read whole", mPath.c_str());
      return str();
    }
    return KeepDamagedBytes(mPath, bytes.data(), bytes.size());
  }

private:
  // Reads the file's rows into the copy in memory. Row by row rather than page by page: a
  // damaged header byte that makes SQLite refuse to write the file must not come along.
  int LoadWorkingCopy()
  {
    int status = mWork.Open("", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (status == SQLITE_OK)
      status = mWork.Exec(kSchema);
    if (status == SQLITE_OK)
      status = mWork.CopyRowsFrom(mPath, kStartWaitMs);
    if (status == SQLITE_OK)
      status = mWork.Prepare();
    if (status != SQLITE_OK && mFile.mFailure == SQLITE_OK) {
      mFile.mFailure = status;
      mFile.mMessage = mWork.mMessage;
    }
    return status;
  }

  void Unreadable(str const& why)
  {
    WriteDbg("ERROR: The preferences file %s cannot be read (%s); starting with empty preferences, and "
             "nothing of this run is written to it so that it is not overwritten",
             mPath.c_str(), why.c_str());
    StartEmpty();
    NeverWrite(eOpenedUnreadable, IsBusy(mFile.mFailure) ? eSaveBusy : eSaveFailed);
  }

  // Keeps the damaged file aside and starts a new one: with what could be read of it when
  // recovered, else empty.
  void Damaged(str const& reason, bool recovered)
  {
    mFile.Close();
    if (!recovered)
      StartEmpty();
    str const aside = KeepDamagedCopy(mPath);
    if (aside.empty()) {
      WriteDbg("ERROR: The preferences file %s is damaged (%s) and no copy of it can be kept aside (%s); it "
               "is left as it is and nothing of this run is written to it",
               mPath.c_str(), reason.c_str(),
               errno == EEXIST ? "there are already enough copies" : std::strerror(errno));
      if (recovered)
        StartEmpty();
      NeverWrite(eOpenedDamagedKept, eSaveFailed);
      return;
    }
    // A journal belongs to the file it was written for.
    str const journal = mPath + "-journal";
    if (FileExists(journal))
      rename(journal.c_str(), (aside + "-journal").c_str());
    WriteDbg("ERROR: The preferences file %s was damaged (%s); kept as %s, %s", mPath.c_str(), reason.c_str(),
             aside.c_str(),
             recovered ? "and what it held is written to a new file" : "starting with empty preferences");
    mOpenProblem = recovered ? eOpenedDamagedRecovered : eOpenedDamagedReplaced;
    mKeptAs = aside;
    mPending.clear();
    mRewriteAll = true;
    Commit(kStartWaitMs);
  }

  bool Read(bool found)
  {
    if (!found && mWork.mFailure != SQLITE_OK) {
      WriteDbg("ERROR: Preferences store: a read failed: %s", mWork.mMessage.c_str());
      mWork.ClearFailure();
    }
    return found;
  }

  bool Wrote(bool written)
  {
    if (!written && mWork.mFailure != SQLITE_OK) {
      WriteDbg("ERROR: Preferences store: a write failed: %s", mWork.mMessage.c_str());
      mWork.ClearFailure();
    }
    return written;
  }

  // Remembers a write for the file. A value written again replaces its earlier write, unless
  // a player was removed in between (the positions moved).
  void Keep(TWrite const& write)
  {
    if (mMode == eReadOnly)
      return;
    if (mMode == eNeverWrites) {
      mChangedUnkept = true;
      return;
    }
    if (write.kind == TWrite::eSetValue || write.kind == TWrite::eSetMeta) {
      for (size_t i = mPending.size(); i-- > 0;) {
        TWrite const& earlier = mPending[i];
        if (earlier.kind == TWrite::eRemoveUser && earlier.install == write.install)
          break;
        if (earlier.kind == write.kind && earlier.install == write.install && earlier.user == write.user &&
            earlier.key == write.key) {
          mPending.erase(mPending.begin() + (long)i);
          break;
        }
      }
    }
    mPending.push_back(write);
  }

  ESaveStatus WriteFile(unsigned busyWaitMs)
  {
    bool const existed = FileExists(mPath);
    mFile.ClearFailure();
    if (!mFile.IsOpen()) {
      MakeParentFolders(mPath);
      int status = mFile.Open(mPath, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
      if (status != SQLITE_OK)
        return StatusOf(status, mFile.mSystemError);
      if (mFile.IsReadOnly()) {
        mFile.Close();
        mFile.mMessage = "SQLite opens it for reading only";
        return eSaveWriteProtected;
      }
      if (!existed)
        mRewriteAll = true;
      if (!mRewriteAll && (status = mFile.Prepare()) != SQLITE_OK) {
        mFile.Close();
        return StatusOf(status, mFile.mSystemError);
      }
    }
    mFile.SetBusyWait(busyWaitMs);
    int status = mRewriteAll ? mFile.CopyFrom(mWork) : Replay();
    if (status == kMismatch) {
      WriteDbg("ERROR: The preferences file %s no longer matches what this run read from it (another program "
               "changed it); it is written whole from this run's values",
               mPath.c_str());
      mRewriteAll = true;
      status = mFile.CopyFrom(mWork);
    }
    if (status == SQLITE_OK) {
      mPending.clear();
      mRewriteAll = false;
      return eSaveDone;
    }
    ESaveStatus const result = StatusOf(status, mFile.mSystemError);
    if (!existed) {
      // A file begun on a full disk is no store; the next commit begins it again.
      mFile.Close();
      unlink(mPath.c_str());
      unlink((mPath + "-journal").c_str());
    }
    return result;
  }

  // Every kept write, in one transaction of the file; SQLite's status or kMismatch.
  int Replay()
  {
    int status = mFile.Exec("BEGIN IMMEDIATE");
    for (size_t i = 0; status == SQLITE_OK && i < mPending.size(); ++i)
      status = Apply(mPending[i]);
    if (status == SQLITE_OK)
      status = mFile.Exec("COMMIT");
    // A commit refused by readers leaves the transaction open; a full disk has ended it.
    if (status != SQLITE_OK)
      mFile.Rollback();
    return status;
  }

  int Apply(TWrite const& write)
  {
    mFile.ClearFailure();
    bool done = false;
    if (write.kind == TWrite::eSetMeta) {
      done = mFile.SetMeta(write.key, write.value);
    } else {
      int64_t install = mFile.FindInstall(write.install);
      if (write.kind == TWrite::eAddInstall) {
        done = install >= 0 || mFile.AddInstall(write.install) >= 0;
      } else if (install >= 0) {
        switch (write.kind) {
        case TWrite::eAddUser:
          done = mFile.AddUser(install);
          break;
        case TWrite::eRemoveUser:
          done = mFile.RemoveUser(install, (unsigned)write.user);
          break;
        default:
          done = mFile.SetValue(install, write.user, write.key, write.value);
          break;
        }
      }
    }
    if (done)
      return SQLITE_OK;
    return mFile.mFailure != SQLITE_OK ? mFile.mFailure : kMismatch;
  }

  str mPath;
  EMode mMode = eWritesFile;
  TConnection mWork;
  TConnection mFile;
  std::vector<TWrite> mPending;
  // The file is new or replaced: it gets the whole copy rather than the kept writes.
  bool mRewriteAll = false;
  // A store that never writes has had changes it could not keep.
  bool mChangedUnkept = false;
  ESaveStatus mStatus = eSaveDone;
  EOpenProblem mOpenProblem = eOpenedWell;
  str mKeptAs;
};

} // namespace

TPrefsStore* OpenPrefsStore(str path, bool writable)
{
  TSqlitePrefsStore* store = new TSqlitePrefsStore(path);
  store->StartEmpty();
  if (path.empty()) {
    WriteDbg("ERROR: No path for the preferences file; preferences will not be kept");
    store->NeverWrite(eOpenedWell, eSaveFailed);
  } else if (!writable) {
    store->OpenReadOnly();
  } else {
    store->OpenForWriting();
  }
  return store;
}
