// savefaults: plays the built game's five save paths (a new player, a setting, the story, free
// play, a hiscore) under each fault of the disk (full with 0, 4 KB and 16 KB free, a read-only
// folder, read-only files, a file locked by another program before the start, during play and
// through the quit, and kill -9 in each save), the game over damaged files (a stored value
// cut, the preferences file cut, a refused saved game, a score file's XML damaged under a sound
// checksum, a folder in the preferences file's place) and the story's quit save when a script's
// handler that catches its stop keeps looping as the session ends; restarts it, reads what is on
// disk and prints a table: what the player saw, the log, the disk. Every row must be "nothing
// lost", "said, ..." or "told, ..."; any other row fails the run.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sched.h>
#include <sqlite3.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "buildpaths.h"
#include "platform/platform.h"
#include "core/foundation/config.h"
#include "core/foundation/encrypt.h"
#include "core/foundation/file.h"
#include "core/foundation/prefsdb.h"
#include "core/foundation/prefsstore.h"
#include "core/online/hiscores.h"
#include "app/vellumkitinit.h"
#include "e2e/e2estory.h"

#ifndef QV_GAME_EXECUTABLE
#define QV_GAME_EXECUTABLE ""
#endif

namespace fs = std::filesystem;

namespace {

// The user a run is made to play as when it must meet write-protection as root.
const uid_t kNobody = 65534;

// The program the runs start: as root, a copy in the work folder, since the build folder may
// lie below one only its owner can enter (a private temporary folder), where the ordinary user
// the read-only runs play as could not start it.
std::string gExecutable = QV_GAME_EXECUTABLE;
const int kRunLimitMs = 150000;
const char kMark[] = "input: arm";
// Closing the window asks whether to leave (a question that may say what could not be saved);
// Return says yes.
const char kCloseAndLeave[] = "close\nuntil game: asked: quit_\nkey return\n";

enum EPath
{
  eNewPlayer,
  eSetting,
  eStory,
  eFreePlay,
  eHiscore,
  ePathCount
};
const char* const kPathNames[ePathCount] = {"a new player", "a setting", "the story", "free play", "a hiscore"};

enum EFault
{
  eFull0,
  eFull4k,
  eFull16k,
  eReadOnlyFolder,
  eReadOnlyFiles,
  eLockedBeforeStart,
  eLockedDuringPlay,
  eLockedThroughQuit,
  eKilled,
  // Damage found in the files as the game starts or plays.
  eCutRecord,
  eCutFileEnd,
  eRefusedRecord,
  eScoresXml,
  eFolderForFile,
  // Not the disk's: a handler of the scripts that catches its stop and loops again, and then
  // the session ends (SIGTERM) with things of a room found since the last save.
  eCatchingHandler
};

struct TScenario
{
  EFault fault;
  // For eKilled: the save the kill falls into.
  EPath killed;
  std::string name;
};

struct TRow
{
  std::string fault, path, saw, log, disk, verdict;
  bool good = false;
};

std::string ReadWhole(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Has(const std::string& text, const std::string& what)
{
  return text.find(what) != std::string::npos;
}

// ---- The player's road through the five save paths ---------------------------------------------

// Every notice the game opens is answered with Return; each save point is followed by a pause
// long enough for the settings' watch (1 s) to have opened its notice.
std::string WatsonScript(bool firstStart)
{
  std::string steps = "answer game: save notice:\nuntil game: main menu shown\nwait 2000\n";
  if (!firstStart) {
    // The register of detectives, and its New.
    steps += "click 400 361\nwait 800\nclick 580 220\nwait 800\n";
  }
  steps += "click 400 239\ntext Watson\nwait 300\n";
  // "log arm" writes the line that arms a kill: the saves that follow it are the path's.
  steps += "log arm\nwait 300\nkey return\n"
           "until game: detective created: Watson\nwait 2000\n";
  if (!firstStart) {
    steps += "key escape\nwait 800\n";
  }
  // Options: sound off, then OK.
  steps += "click 400 305\nuntil game: options shown\nwait 500\nlog arm\nwait 300\nclick 372 355\nwait 2000\n"
           "click 400 433\nuntil game: options saved\nwait 800\n";
  // Story, relaxed: its start and its map save; the map's way back saves too.
  steps += "click 400 193\nwait 1000\nlog arm\nwait 300\nclick 520 203\nuntil to stMap\n"
           "until Screen faded in: TMapScreen\nwait 2000\nclick 95 562\nuntil game: main menu shown\nwait 2000\n";
  // Free play: the museum until its short clock runs out, the score, the way back.
  steps += "click 400 249\nuntil to stFreePlayMap\nuntil Screen faded in\nwait 500\nclick 235 180\n"
           "until to stFreePlaySearch\nuntil Screen faded in\nlog arm\nwait 300\nclick 730 284\n"
           "until to stFreePlayScore\nwait 2000\nkey return\nuntil from stFreePlayScore to stFreePlayMap\n"
           "wait 2000\nclick 95 562\nuntil game: main menu shown\nwait 2000\n";
  return steps + kCloseAndLeave;
}

const char kSeedScript[] =
    "until game: main menu shown\nwait 300\nclick 400 239\ntext Holmes\nkey return\n"
    "until game: detective created: Holmes\nwait 500\nclick 400 193\nwait 1000\nclick 520 203\nuntil to stMap\n"
    "until Screen faded in: TMapScreen\nwait 500\nclick 95 562\nuntil game: main menu shown\nwait 500\n"
    "click 400 249\nuntil to stFreePlayMap\nuntil Screen faded in\nwait 500\nclick 235 180\n"
    "until to stFreePlaySearch\nuntil Screen faded in\nclick 730 284\nuntil to stFreePlayScore\nwait 800\n"
    "key return\nuntil from stFreePlayScore to stFreePlayMap\nwait 500\nclick 95 562\n"
    "until game: main menu shown\nwait 300\n";

const char kRestartScript[] = "answer game: save notice:\nuntil game: main menu shown\nwait 2500\n";

// Over damaged files: the story taken up (its record is read; a record that cannot be read
// leaves the choice of how to play), its map, back to the menu.
std::string StoryScript(bool asksHowToPlay)
{
  std::string steps = "answer game: save notice:\nuntil game: main menu shown\nwait 2500\nclick 400 193\n";
  if (asksHowToPlay)
    steps += "wait 1500\nclick 520 203\nuntil game: play chosen\n";
  return steps + "until Screen faded in: TMapScreen\nwait 2000\nclick 95 562\nuntil game: main menu shown\nwait 2000\n";
}

// A start over a register that cannot be used: a new detective, whom nothing can keep.
const char kNewDetectiveScript[] = "answer game: save notice:\nuntil game: main menu shown\nwait 2000\nclick 400 239\n"
                                   "text Watson\nwait 300\nkey return\nuntil game: detective created: Watson\n"
                                   "wait 2000\n";

// ---- Running the game --------------------------------------------------------------------------

struct TRun
{
  bool finished = false; // the close was asked for and the program ended by itself
  bool killed = false;
  // What was on disk of the save the kill fell into, right after it.
  std::string killedWith;
  std::string log;
};

// What happens around a run: a lock taken and let go on log lines, a kill when armed.
struct TTriggers
{
  std::string lockOn;   // take the exclusive lock at this line ("" none)
  std::string unlockOn; // let it go at this line ("" at the end)
  std::string killFile; // kill at the creation of a file whose name holds this, once armed
  int killAtMark = 0;   // the how-manieth "input: arm" arms the kill (1-based)
  std::string termOn;   // SIGTERM at this line, from outside: the program may be too busy to play a step
};

class TLock
{
public:
  explicit TLock(const std::string& path) : mPath(path) {}
  ~TLock() { Release(); }
  bool Take()
  {
    if (mDb)
      return true;
    if (sqlite3_open(mPath.c_str(), &mDb) == SQLITE_OK) {
      // The game may be in the middle of a commit.
      sqlite3_busy_timeout(mDb, 5000);
      if (sqlite3_exec(mDb, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    }
    sqlite3_close(mDb);
    mDb = nullptr;
    return false;
  }
  void Release()
  {
    if (!mDb)
      return;
    sqlite3_exec(mDb, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(mDb);
    mDb = nullptr;
  }
  bool Held() const { return mDb != nullptr; }

private:
  std::string mPath;
  sqlite3* mDb = nullptr;
};

struct TPlace
{
  std::string folder;    // the scenario's own folder
  std::string home;      // QV_HOME
  std::string resources; // QV_RESOURCES
  uid_t user = 0;        // 0: as this process
};

TRun RunGame(const TPlace& place, const std::string& steps, const TTriggers& triggers, TLock* lock)
{
  const std::string script = place.folder + "/input.txt";
  const std::string logPath = place.folder + "/log.txt";
  std::ofstream(script) << steps;
  chmod(script.c_str(), 0644);
  const std::string userFolder = place.home + "/user";
  int watch = -1;
  if (!triggers.killFile.empty()) {
    watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    inotify_add_watch(watch, userFolder.c_str(), IN_CREATE);
  }
  TRun run;
  pid_t child = fork();
  if (child == 0) {
    int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(log, 1);
    dup2(log, 2);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("ALSOFT_DRIVERS", "null", 1);
    setenv("QV_HOME", place.home.c_str(), 1);
    setenv("QV_RESOURCES", place.resources.c_str(), 1);
    setenv("QV_INPUT_SCRIPT", script.c_str(), 1);
    setenv("QV_WINDOWED", "1", 1);
    setenv("TMPDIR", (place.folder + "/tmp").c_str(), 1);
    setenv("HOME", (place.folder + "/tmp").c_str(), 1);
    setenv("MESA_SHADER_CACHE_DISABLE", "true", 1);
    if (place.user != 0 && (setgroups(0, nullptr) != 0 || setgid(place.user) != 0 || setuid(place.user) != 0)) {
      std::fprintf(stderr, "cannot become user %u: %s\n", unsigned(place.user), std::strerror(errno));
      _exit(126);
    }
    execl(gExecutable.c_str(), gExecutable.c_str(), (char*)nullptr);
    std::fprintf(stderr, "cannot start %s: %s\n", gExecutable.c_str(), std::strerror(errno));
    _exit(127);
  }
  int marks = 0;
  bool termSent = false;
  size_t seen = 0;
  int status = 0;
  bool ended = false;
  // The game is another process: its time runs by the clock.
  for (int waited = 0; waited < kRunLimitMs && !ended; waited += 2) {
    if (waitpid(child, &status, WNOHANG) == child) {
      ended = true;
      break;
    }
    const std::string log = ReadWhole(logPath);
    for (size_t end = log.find('\n', seen); end != std::string::npos; end = log.find('\n', seen)) {
      const std::string line = log.substr(seen, end - seen);
      seen = end + 1;
      if (lock && !triggers.lockOn.empty() && Has(line, triggers.lockOn) && !lock->Held())
        lock->Take();
      if (lock && !triggers.unlockOn.empty() && Has(line, triggers.unlockOn))
        lock->Release();
      if (line == kMark)
        ++marks;
      if (!triggers.termOn.empty() && Has(line, triggers.termOn) && !termSent)
        termSent = kill(child, SIGTERM) == 0;
    }
    if (watch >= 0 && marks >= triggers.killAtMark) {
      alignas(inotify_event) char buffer[4096];
      for (ssize_t got = read(watch, buffer, sizeof buffer); got > 0; got = read(watch, buffer, sizeof buffer)) {
        for (char* at = buffer; at < buffer + got;) {
          inotify_event* event = reinterpret_cast<inotify_event*>(at);
          if (!run.killed && event->len > 0 && Has(event->name, triggers.killFile)) {
            kill(child, SIGKILL);
            run.killed = true;
            std::error_code none;
            run.killedWith = fs::exists(userFolder + "/" + event->name, none)
                                 ? std::string("killed with ") + event->name + " on disk"
                                 : std::string("killed as ") + event->name + " went";
          }
          at += sizeof(inotify_event) + event->len;
        }
      }
    } else if (watch >= 0) {
      // Files made before the kill is armed are not the save it is for.
      char buffer[4096];
      while (read(watch, buffer, sizeof buffer) > 0) {
      }
    }
    usleep(2000);
  }
  if (!ended) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  if (watch >= 0)
    close(watch);
  run.log = ReadWhole(logPath);
  run.finished = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0 && Has(run.log, "game: close requested");
  return run;
}

// ---- What is on disk ---------------------------------------------------------------------------

struct TDisk
{
  bool readable = false;
  bool holmes = false; // Holmes, his story save and his score, as the seed left them
  bool player = false;
  bool partial = false; // a player without a name, or Watson without his levels
  bool setting = false;
  bool story = false;
  bool freePlay = false;
  bool score = false;
  int damagedCopies = 0;
  int temporaryFiles = 0;
  // Players of other names: a nameless one is a player saved in part.
  str strangers;
};

bool SavedGame(TPrefsDB& prefs, const char* key, int user)
{
  const int size = prefs.GetBinary(key, nullptr, 0, user);
  if (size < 20)
    return false;
  std::vector<unsigned char> bytes(size);
  return prefs.GetBinary(key, bytes.data(), unsigned(size), user) == 0 && std::memcmp(bytes.data(), "QSB1", 4) == 0;
}

bool HasScore(TQvHiscores& hiscores, const char* name)
{
  hiscores.SetProperty(TQvHiscores::kPropertyGameMode, QVGAMEMODENAMES[1]);
  for (int index = 0; index < hiscores.GetScoreCount(true); ++index) {
    char row[64] = {0};
    if (hiscores.GetScore(true, index, nullptr, row, sizeof row, nullptr, nullptr, nullptr, 0) &&
        std::strcmp(row, name) == 0) {
      return true;
    }
  }
  return false;
}

TDisk ReadDisk(const std::string& home)
{
  TDisk disk;
  const std::string user = home + "/user";
  std::error_code none;
  for (const auto& entry : fs::directory_iterator(user, none)) {
    const std::string name = entry.path().filename();
    disk.damagedCopies += Has(name, ".corrupt");
    disk.temporaryFiles += Has(name, ".tmp");
  }
  VellumkitInit();
  TFile::mUserDir = user.c_str();
  TFile::mResourceMap.clear();
  TPrefsStore* store = OpenPrefsStore((user + "/prefsdb.dat").c_str(), false);
  disk.readable = store->GetOpenProblem(nullptr) == eOpenedWell && fs::exists(user + "/prefsdb.dat", none);
  TPrefsDB prefs(store, false);
  int holmes = -1, watson = -1;
  for (int index = 0; index < int(prefs.GetNumUsers()); ++index) {
    const str name = prefs.GetStr("name", "", index);
    if (name == str("Holmes"))
      holmes = index;
    else if (name == str("Watson"))
      watson = index;
    else
      disk.strangers += str(disk.strangers.length() ? ", " : "") + "\"" + name + "\"";
  }
  TQvHiscores hiscores(false);
  disk.holmes = holmes >= 0 && SavedGame(prefs, "story_savegame", holmes) && HasScore(hiscores, "Holmes");
  if (watson >= 0) {
    // A whole player has every value of its record (the timer choice changes with the story).
    disk.player = prefs.GetInt("timer_on", -1, watson) >= 0 && prefs.GetInt("soundlevel", -1, watson) >= 0 &&
                  prefs.GetInt("musiclevel", -1, watson) >= 0;
    disk.partial = disk.partial || !disk.player;
    disk.setting = prefs.GetInt("soundoff", 0, watson) == 1;
    disk.story = SavedGame(prefs, "story_savegame", watson);
    disk.freePlay = SavedGame(prefs, "freeplay_savegame", watson);
  }
  disk.score = HasScore(hiscores, "Watson");
  return disk;
}

// ---- Faults ------------------------------------------------------------------------------------

// A tmpfs on the folder, in this process's own mount namespace (gone with the process).
bool MountSmallDisk(const std::string& folder, unsigned long bytes, std::string* why)
{
  if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    *why = std::string("no mount namespace: ") + std::strerror(errno);
    return false;
  }
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (mount("savefaults", folder.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
    *why = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
    return false;
  }
  return true;
}

// Takes every free byte of the disk but `spare` (in whole pages).
bool Fill(const std::string& filler, unsigned long spare)
{
  int descriptor = open(filler.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  if (descriptor < 0)
    return false;
  std::vector<char> page(4096, 'x');
  while (write(descriptor, page.data(), page.size()) > 0) {
  }
  bool full = errno == ENOSPC;
  struct stat info;
  fstat(descriptor, &info);
  const unsigned long pages = (spare + 4095) / 4096;
  if (full && pages > 0) {
    const unsigned long size = (unsigned long)info.st_size;
    full = ftruncate(descriptor, size > pages * 4096 ? off_t(size - pages * 4096) : 0) == 0;
  }
  close(descriptor);
  return full;
}

void ChownTree(const std::string& root, uid_t user)
{
  std::error_code none;
  if (chown(root.c_str(), user, user) != 0)
    return;
  for (auto it = fs::recursive_directory_iterator(root, none); it != fs::recursive_directory_iterator();
       it.increment(none)) {
    if (lchown(it->path().c_str(), user, user) != 0)
      return;
  }
}

void ChmodFiles(const std::string& folder, mode_t mode)
{
  std::error_code none;
  for (const auto& entry : fs::directory_iterator(folder, none)) {
    if (entry.is_regular_file(none))
      chmod(entry.path().c_str(), mode);
  }
}

// ---- Damage ------------------------------------------------------------------------------------

// One blob of the file by SQL ("" when there is none).
std::string Blob(const std::string& path, const char* select)
{
  sqlite3* db = nullptr;
  std::string value;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, select, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW)
      value.assign(static_cast<const char*>(sqlite3_column_blob(statement, 0)), sqlite3_column_bytes(statement, 0));
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return value;
}

const char kStoryRecord[] = "SELECT value FROM uservalues WHERE key = 'story_savegame'";

// The hiscore file's text enciphered again with a sound checksum, as the game writes it.
std::string SealScores(TEncrypt& cipher, const std::string& text)
{
  const unsigned plain = unsigned(text.size() + 1);
  std::string sealed(cipher.EncryptBinary(text.c_str(), plain, nullptr, 0, false), '\0');
  cipher.EncryptBinary(text.c_str(), plain, &sealed[0], unsigned(sealed.size()), false);
  unsigned char sum[4] = {0, 0, 0, 0};
  for (size_t i = 0; i < sealed.size(); ++i)
    sum[i % 4] ^= static_cast<unsigned char>(sealed[i]);
  char block[8];
  cipher.EncryptBinary(sum, 4, block, sizeof block, false);
  return sealed + std::string(block, sizeof block);
}

// Damages the seed's files in the user folder; *kept is what the copy kept aside must hold, and
// *copy its name. False (with why) when the damage cannot be made.
bool MakeDamage(EFault fault, const std::string& user, std::string* kept, std::string* copy, std::string* why)
{
  const std::string prefs = user + "/prefsdb.dat";
  switch (fault) {
  case eCutRecord: {
    sqlite3* db = nullptr;
    bool cut = sqlite3_open(prefs.c_str(), &db) == SQLITE_OK &&
               sqlite3_exec(db,
                            "UPDATE uservalues SET value = substr(value, 1, length(value) - 1) WHERE key = "
                            "'story_savegame'",
                            nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    *kept = Blob(prefs, kStoryRecord);
    *copy = "prefsdb.dat.corrupt";
    *why = "cannot cut the record";
    return cut && !kept->empty();
  }
  case eCutFileEnd: {
    const std::string whole = ReadWhole(prefs);
    *kept = whole.substr(0, whole.size() - 1);
    *copy = "prefsdb.dat.corrupt";
    *why = "cannot cut the file";
    return !whole.empty() && truncate(prefs.c_str(), off_t(kept->size())) == 0;
  }
  case eRefusedRecord: {
    VellumkitInit();
    TFile::mUserDir = user.c_str();
    TFile::mResourceMap.clear();
    TPrefsDB db(OpenPrefsStore(prefs.c_str(), true), true);
    const int size = db.GetBinary("story_savegame", nullptr, 0, 0);
    *why = "no story record to damage";
    if (size < 24)
      return false;
    std::string record(size, '\0');
    db.GetBinary("story_savegame", &record[0], unsigned(size), 0);
    // A byte of the payload: the record's own checksum refuses it.
    record[record.size() - 2] ^= 0x40;
    db.SetBinary("story_savegame", record.data(), unsigned(record.size()), 0, true);
    *kept = record;
    *copy = "story_savegame.dat.corrupt";
    return !db.HasUnsavedChanges();
  }
  case eScoresXml: {
    VellumkitInit();
    TEncrypt cipher(TConfig::Get(TConfig::kEncryptionKey, ""));
    const std::string file = ReadWhole(user + "/hiscore.dat");
    *why = "no score file to damage";
    if (file.size() < 16)
      return false;
    std::string text(file.size(), '\0');
    const unsigned payload = unsigned(file.size() - 8);
    if (cipher.DecryptBinary(file.data(), payload, &text[0], unsigned(text.size()), false) != 0)
      return false;
    text.resize(std::strlen(text.c_str()));
    // A row after Holmes's, cut inside its tag: Holmes's row reads, the rest is damage.
    const size_t end = text.find("</score>", text.find(QVGAMEMODENAMES[1]));
    if (end == std::string::npos)
      return false;
    text = text.substr(0, end) + "<row rank=\"2\" score=\"10\" submit=\"0\" name=\"Lestr";
    *kept = SealScores(cipher, text);
    std::ofstream(user + "/hiscore.dat", std::ios::binary | std::ios::trunc) << *kept;
    *copy = "hiscore.dat.corrupt";
    return true;
  }
  case eFolderForFile: {
    *why = "cannot put a folder in the file's place";
    *kept = "mine";
    *copy = "";
    std::error_code failed;
    fs::rename(prefs, prefs + ".moved", failed);
    return !failed && mkdir(prefs.c_str(), 0755) == 0 && bool(std::ofstream(prefs + "/notes.txt") << *kept);
  }
  default:
    return false;
  }
}

// ---- The table ---------------------------------------------------------------------------------

std::string Notices(const std::string& log)
{
  std::vector<std::string> seen;
  const struct
  {
    const char* text;
    const char* said;
  } kinds[] = {{"disk is full", "disk full"},
               {"Another program is using the file", "file busy"},
               {"write-protected", "write-protected"},
               {"cannot be read now", "register cannot be read"},
               {"refused", "disk refused"},
               {"damaged", "damaged, copy kept"},
               {"there is a folder", "a folder in its place"}};
  for (size_t at = log.find("game: save notice: "); at != std::string::npos;
       at = log.find("game: save notice: ", at + 1)) {
    const std::string line = log.substr(at, log.find('\n', at) - at);
    for (const auto& kind : kinds) {
      const std::string said = std::string("\"") + kind.said + "\"";
      if (Has(line, kind.text) && std::find(seen.begin(), seen.end(), said) == seen.end())
        seen.push_back(said);
    }
  }
  std::string text;
  for (const std::string& said : seen)
    text += (text.empty() ? "" : ", ") + said;
  text = text.empty() ? "nothing" : "notice " + text;
  if (Has(log, "game: asked: quit_unsaved"))
    text += "; the quit: \"could not be written\"";
  return text;
}

std::string ErrorSummary(const std::string& log)
{
  const struct
  {
    const char* first;
    const char* second;
    const char* tag;
  } kinds[] = {{"preferences file", "disk is full", "prefs: disk full, kept"},
               {"preferences file", "cannot be read", "prefs: unreadable, not written"},
               {"preferences file", "another program is using it", "prefs: busy, kept"},
               {"preferences file", "write-protected", "prefs: write-protected, kept"},
               {"changes of this run are not kept", "", "prefs: not kept, as said"},
               {"could not be written before the end", "", "lost at the end"},
               {"hiscore.dat", "No space", "hiscore: disk full"},
               {"hiscore.dat", "write-protected", "hiscore: write-protected"},
               {"hiscore.dat", "Permission", "hiscore: write-protected"},
               {"hiscore.dat", "Read-only", "hiscore: write-protected"},
               {"gamesave.dat", "", "debug copy not written"},
               {"cannot be deciphered", "kept as", "prefs: a value damaged, copy kept"},
               {"preferences file", "was damaged", "prefs: damaged, copy kept"},
               {"is refused", "kept as", "saved game refused, copy kept"},
               {"hiscore.dat is damaged", "kept as", "hiscore: damaged, copy kept"},
               {"there is a folder", "", "prefs: a folder in its place"}};
  std::vector<std::string> tags;
  int count = 0;
  for (size_t at = log.find("ERROR: "); at != std::string::npos; at = log.find("ERROR: ", at + 1)) {
    if (at > 0 && log[at - 1] != '\n')
      continue;
    ++count;
    const std::string line = log.substr(at, log.find('\n', at) - at);
    std::string tag = line.substr(7, 40);
    for (const auto& kind : kinds) {
      if (Has(line, kind.first) && Has(line, kind.second)) {
        tag = kind.tag;
        break;
      }
    }
    if (std::find(tags.begin(), tags.end(), tag) == tags.end())
      tags.push_back(tag);
  }
  std::string text = count == 0 ? "no errors" : std::to_string(count) + " ERROR:";
  for (size_t i = 0; i < tags.size(); ++i)
    text += (i ? "; " : " ") + tags[i];
  return text;
}

bool OnDisk(const TDisk& disk, EPath path)
{
  switch (path) {
  case eNewPlayer:
    return disk.player;
  case eSetting:
    return disk.setting;
  case eStory:
    return disk.story;
  case eFreePlay:
    return disk.freePlay;
  default:
    return disk.score;
  }
}

const char* const kOnDisk[ePathCount] = {"Watson whole", "Watson's sound off", "Watson's story save",
                                         "Watson's free-play save", "Watson's score"};

TRow Judge(const TScenario& scenario, EPath path, const TRun& run, const TRun& restart, const TDisk& disk)
{
  TRow row;
  row.fault = scenario.name;
  row.path = kPathNames[path];
  row.saw = scenario.fault == eKilled ? (run.killed ? run.killedWith : "not killed") : Notices(run.log);
  row.log = ErrorSummary(run.log);
  const bool there = OnDisk(disk, path);
  row.disk = std::string(there ? "" : "no ") + kOnDisk[path];
  if (disk.partial)
    row.disk += ", a partial player!";
  if (disk.strangers.length())
    row.disk += std::string(", other players: ") + disk.strangers.c_str();
  row.disk += disk.holmes ? ", Holmes intact" : ", Holmes LOST";
  if (disk.damagedCopies)
    row.disk += ", damaged copy made";
  if (disk.temporaryFiles)
    row.disk += ", temporary files left";
  const bool sound = disk.readable && disk.holmes && !disk.partial && disk.strangers.length() == 0 &&
                     disk.damagedCopies == 0 && disk.temporaryFiles == 0 && !Has(restart.log, "ERROR: ");
  if (!sound) {
    row.verdict = "LOST or DAMAGED";
  } else if (scenario.fault == eKilled) {
    // The save the kill cut short is not there, or whole; the saves made before it all are.
    bool earlier = true;
    for (int before = eNewPlayer; before < std::min<int>(path, eFreePlay); ++before) {
      earlier = earlier && OnDisk(disk, EPath(before));
    }
    row.disk += earlier ? ", the saves before it there" : ", a save before it LOST";
    row.good = run.killed && earlier;
    row.verdict = !run.killed ? "the kill missed its save" : earlier ? "nothing lost" : "LOST";
  } else if (there) {
    row.good = true;
    row.verdict = "nothing lost";
  } else if (row.saw != "nothing" && run.finished && !Has(run.log, "No player to save") &&
             Has(run.log, "game: asked: quit_unsaved")) {
    // What the fault held up to the end: the question at the quit said so, and the player left.
    row.good = true;
    row.verdict = "said, kept in memory, and asked about at the quit";
  } else if (row.saw != "nothing" && run.finished) {
    row.verdict = "LOST: not said at the quit";
  } else {
    row.verdict = run.finished ? "LOST without a word" : "LOST: the run did not finish";
  }
  return row;
}

const char* const kDamaged[] = {"Holmes's story record", "the preferences file", "Holmes's story record",
                                "the score file", "the preferences file"};

TRow RunDamage(const TScenario& scenario, const TPlace& place, std::string* skipped)
{
  const std::string user = place.home + "/user";
  std::string kept, copy;
  if (!MakeDamage(scenario.fault, user, &kept, &copy, skipped))
    return TRow();
  skipped->clear();
  // A cut at the file's end may strike a value (read when the menu shows) or the file's own
  // structure (found as it opens): the start tells either.
  const std::string steps = scenario.fault == eCutRecord       ? StoryScript(true)
                            : scenario.fault == eRefusedRecord ? StoryScript(false)
                            : scenario.fault == eFolderForFile ? kNewDetectiveScript
                                                               : kRestartScript;
  const TRun run = RunGame(place, steps + kCloseAndLeave, TTriggers(), nullptr);
  std::ofstream(place.folder + "/run.txt") << run.log;

  TRow row;
  row.fault = scenario.name;
  row.path = kDamaged[scenario.fault - eCutRecord];
  row.saw = Notices(run.log);
  row.log = ErrorSummary(run.log);
  bool keptWhole = false;
  if (scenario.fault == eFolderForFile) {
    keptWhole = ReadWhole(user + "/prefsdb.dat/notes.txt") == kept;
    row.disk = keptWhole ? "the folder left as it was" : "the folder CHANGED";
    // The fault goes: the folder moves away and the file comes back.
    std::error_code none;
    fs::remove_all(user + "/prefsdb.dat", none);
    fs::rename(user + "/prefsdb.dat.moved", user + "/prefsdb.dat", none);
  } else {
    const std::string aside = user + "/" + copy;
    const std::string held =
        scenario.fault == eCutRecord ? Blob(aside, kStoryRecord) : (fs::exists(aside) ? ReadWhole(aside) : "");
    keptWhole = !held.empty() && held == kept;
    row.disk = !fs::exists(aside) ? "NO copy kept" : keptWhole ? copy + " holds the damaged data" : copy + " LACKS it";
  }
  const TRun restart = RunGame(place, std::string(kRestartScript) + kCloseAndLeave, TTriggers(), nullptr);
  std::ofstream(place.folder + "/restart.txt") << restart.log;
  const TDisk disk = ReadDisk(place.home);
  // A cut that SQLite's own check finds is the whole file's damage: its players are in the copy
  // only, and the notice says that a new register starts.
  const bool holmes = disk.holmes || (scenario.fault == eCutFileEnd && Has(run.log, "a new register starts"));
  row.disk += disk.holmes ? ", Holmes intact" : holmes ? ", Holmes in the copy only, as told" : ", Holmes LOST";
  const bool clean = !Has(restart.log, "ERROR: ");
  if (!clean)
    row.disk += ", errors after a restart";
  const bool told = Has(row.saw, scenario.fault == eFolderForFile ? "a folder in its place" : "damaged, copy kept");
  // The record's fault first and alone: no line before its own blames another file.
  const size_t first = run.log.find("ERROR: ");
  const bool named = scenario.fault != eRefusedRecord || first == run.log.find("ERROR: The saved game");
  const bool keyNamed = scenario.fault != eCutRecord || Has(run.log, "\"story_savegame\"");
  row.good = run.finished && told && keptWhole && holmes && clean && named && keyNamed;
  row.verdict = row.good                ? (scenario.fault == eFolderForFile ? "told, and the folder left alone"
                                                                            : "told, and the damaged data kept aside")
                : !told                 ? "NOT SAID"
                : !keptWhole || !holmes ? "LOST"
                : !named || !keyNamed   ? "told, but its line names the wrong thing"
                                        : "not sound after a restart";
  return row;
}

// Holmes takes up his story, finds two things of the library's room, sets off the handler and
// the session ends; the quit must save the two finds, which the next start shows.
std::vector<TRow> RunCatchingHandler(const TScenario& scenario, const TPlace& place, const std::string& seed)
{
  TRow row;
  row.fault = scenario.name;
  row.path = kPathNames[eStory];
  fs::copy(seed, place.home, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  if (!AddCatchingHandler(place.resources)) {
    row.verdict = "NO RESULT: the main loop script is not the one the driver knows";
    return {row};
  }
  const std::string toTheMap = kResumeStory + "until to stMap\nuntil Screen faded in: TMapScreen\n";
  std::string steps = toTheMap + MapToLibraryRoom();
  for (int i = 0; i < 2; ++i) {
    steps += Click(kLibraryThings[i]) + "until found " + kLibraryThings[i].id + "\n";
  }
  // The session ends while the handler loops.
  TTriggers triggers;
  triggers.termOn = "game: spinning";
  const TRun run = RunGame(place, steps + "text l\nwait 60000\n", triggers, nullptr);
  std::ofstream(place.folder + "/run.txt") << run.log;
  const TRun restart = RunGame(place,
                               toTheMap + MapToLibraryRoomAgain() + Click(kLibraryThings[2]) + "until found " +
                                   kLibraryThings[2].id + "\n" + kCloseAndLeave,
                               TTriggers(), nullptr);
  std::ofstream(place.folder + "/restart.txt") << restart.log;
  const TDisk disk = ReadDisk(place.home);

  row.saw = Notices(run.log);
  row.log = ErrorSummary(run.log);
  const bool kept = Has(restart.log, "Resuming round 0 saved in stSearch") && Has(restart.log, "found candle, 3 left");
  const bool once = ErrorSummary(run.log).rfind("1 ERROR:", 0) == 0 && Has(run.log, ": stopped: ");
  row.disk = std::string(kept ? "Holmes's two finds in the room kept" : "Holmes's finds in the room LOST") +
             (disk.holmes ? ", Holmes intact" : ", Holmes LOST");
  row.good = kept && once && run.finished && disk.holmes && !Has(restart.log, "ERROR: ");
  row.verdict = row.good        ? "nothing lost"
                : !run.finished ? "LOST: the run did not finish"
                : !once         ? "not said once"
                                : "LOST";
  return {row};
}

std::vector<TRow> RunScenario(const TScenario& scenario, const std::string& work, const std::string& seed,
                              std::string* skipped)
{
  TPlace place;
  place.folder = work + "/" + std::to_string(int(scenario.fault)) + "-" + std::to_string(int(scenario.killed));
  place.home = place.folder + "/home";
  place.resources = work + "/resources";
  fs::create_directories(place.home);
  fs::create_directories(place.folder + "/tmp");
  chmod(place.folder.c_str(), 0755);
  if (scenario.fault == eCatchingHandler) {
    // The data of its own, with the handler.
    place.resources = place.folder + "/resources";
    fs::copy(work + "/resources", place.resources, fs::copy_options::recursive);
    return RunCatchingHandler(scenario, place, seed);
  }
  const bool root = geteuid() == 0;
  const unsigned long spare[] = {0, 4096, 16384};
  const bool full = scenario.fault <= eFull16k;
  if (full && !MountSmallDisk(place.home, 1024 * 1024, skipped))
    return {};
  fs::copy(seed, place.home, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  if (scenario.fault >= eCutRecord) {
    const TRow row = RunDamage(scenario, place, skipped);
    return skipped->empty() ? std::vector<TRow>{row} : std::vector<TRow>();
  }
  const std::string user = place.home + "/user";
  const std::string filler = place.home + "/filler";
  if (full && !Fill(filler, spare[scenario.fault])) {
    *skipped = "cannot fill the small disk";
    return {};
  }
  const bool protect = scenario.fault == eReadOnlyFolder || scenario.fault == eReadOnlyFiles;
  if (protect && root) {
    // Root writes whatever the permissions say; the run plays as an ordinary user.
    place.user = kNobody;
    ChownTree(place.folder, kNobody);
  }
  if (scenario.fault == eReadOnlyFolder)
    chmod(user.c_str(), 0555);
  if (scenario.fault == eReadOnlyFiles)
    ChmodFiles(user, 0444);

  TTriggers triggers;
  TLock lock(user + "/prefsdb.dat");
  if (scenario.fault == eLockedBeforeStart)
    lock.Take();
  if (scenario.fault == eLockedDuringPlay || scenario.fault == eLockedThroughQuit)
    triggers.lockOn = "game: detective created: Watson";
  if (scenario.fault == eLockedDuringPlay)
    triggers.unlockOn = "from stFreePlayScore to stFreePlayMap";
  if (scenario.fault == eKilled) {
    triggers.killFile = scenario.killed == eHiscore ? "hiscore.dat.tmp" : "prefsdb.dat-journal";
    const int marks[ePathCount] = {1, 2, 3, 4, 4};
    triggers.killAtMark = marks[scenario.killed];
  }
  const TRun run = RunGame(place, WatsonScript(scenario.fault == eLockedBeforeStart), triggers, &lock);
  lock.Release();
  std::ofstream(place.folder + "/run.txt") << run.log;

  // The fault goes, and the game starts again.
  if (full)
    unlink(filler.c_str());
  if (scenario.fault == eReadOnlyFolder)
    chmod(user.c_str(), 0755);
  if (scenario.fault == eReadOnlyFiles)
    ChmodFiles(user, 0644);
  const TRun restart = RunGame(place, std::string(kRestartScript) + kCloseAndLeave, TTriggers(), nullptr);
  const TDisk disk = ReadDisk(place.home);
  std::ofstream(place.folder + "/restart.txt") << restart.log;

  std::vector<TRow> rows;
  for (int path = 0; path < ePathCount; ++path) {
    if (scenario.fault == eKilled && path != scenario.killed)
      continue;
    rows.push_back(Judge(scenario, EPath(path), run, restart, disk));
  }
  return rows;
}

// One cell per field, tab-separated, one row per line: how a scenario's process hands its rows on.
void WriteRows(const std::string& path, const std::vector<TRow>& rows, const std::string& skipped)
{
  std::ofstream out(path);
  if (!skipped.empty())
    out << "skipped\t" << skipped << "\n";
  for (const TRow& row : rows) {
    out << row.fault << '\t' << row.path << '\t' << row.saw << '\t' << row.log << '\t' << row.disk << '\t'
        << row.verdict << '\t' << (row.good ? 1 : 0) << '\n';
  }
}

std::vector<std::string> Split(const std::string& line)
{
  std::vector<std::string> cells;
  size_t at = 0;
  for (size_t tab = line.find('\t'); tab != std::string::npos; tab = line.find('\t', at)) {
    cells.push_back(line.substr(at, tab - at));
    at = tab + 1;
  }
  cells.push_back(line.substr(at));
  return cells;
}

void PrintTable(const std::vector<std::vector<std::string>>& rows)
{
  std::vector<size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()), 0);
    for (size_t i = 0; i < row.size(); ++i)
      widths[i] = std::max(widths[i], row[i].size());
  }
  for (size_t r = 0; r < rows.size(); ++r) {
    std::string line;
    for (size_t i = 0; i < rows[r].size(); ++i) {
      line += rows[r][i] + std::string(i + 1 < rows[r].size() ? widths[i] - rows[r][i].size() + 2 : 0, ' ');
    }
    std::printf("%s\n", line.c_str());
    if (r == 0) {
      std::string rule;
      for (size_t i = 0; i < widths.size(); ++i)
        rule += std::string(widths[i], '-') + (i + 1 < widths.size() ? "  " : "");
      std::printf("%s\n", rule.c_str());
    }
  }
}

bool RequirementsEnforced()
{
  const char* value = std::getenv("QV_REQUIRE_ALL");
  return value && *value && std::strcmp(value, "0") != 0;
}

} // namespace

int main()
{
  if (std::string(QV_GAME_EXECUTABLE).empty() || !fs::exists(QV_GAME_EXECUTABLE)) {
    std::printf("savefaults: the program was not built\n");
    return RequirementsEnforced() ? 1 : 77;
  }
  // As root, runs play as an ordinary user, who must reach the folder: below /tmp, not below
  // a private TMPDIR.
  const char* base = geteuid() == 0 ? nullptr : std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/savefaults-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back(0);
  if (!mkdtemp(buffer.data())) {
    std::printf("savefaults: no work folder: %s\n", std::strerror(errno));
    return 1;
  }
  const std::string work = buffer.data();
  chmod(work.c_str(), 0755);
  // QV_SAVEFAULTS_KEEP=1 keeps the runs' folders (logs, homes) to look into.
  struct TCleanup
  {
    std::string folder;
    ~TCleanup()
    {
      const char* keep = std::getenv("QV_SAVEFAULTS_KEEP");
      std::error_code none;
      if (keep && *keep && std::strcmp(keep, "0") != 0)
        std::printf("The runs are kept in %s\n", folder.c_str());
      else
        fs::remove_all(folder, none);
    }
  } cleanup{work};

  if (geteuid() == 0) {
    const std::string copy = work + "/quillmoor";
    std::error_code failed;
    fs::copy_file(QV_GAME_EXECUTABLE, copy, failed);
    if (failed || chmod(copy.c_str(), 0755) != 0) {
      std::printf("savefaults: cannot copy the program: %s\n", failed.message().c_str());
      return 1;
    }
    gExecutable = copy;
  }

  // The game's data with free play's clock at three seconds.
  const std::string resources = work + "/resources";
  fs::copy(QV_SOURCE_DATA_DIR, resources, fs::copy_options::recursive);
  std::error_code none;
  fs::copy(QV_GENERATED_DATA_DIR, resources, fs::copy_options::recursive | fs::copy_options::overwrite_existing, none);
  std::ofstream(resources + "/assets/configs/game_rules.xml")
      << "<game_rules><scores object_found=\"100\" puzzle=\"500\" time_bonus=\"10\"/><freeplay time=\"3\"/>"
         "<story end_cinema=\"movies/the_end.swf\"/>"
         "<scenes title=\"scenes/title/title.sxm\" tutorial=\"scenes/tutorial/tutorial.sxm\"/></game_rules>";

  // Holmes, with a story save and a score: what no fault may cost.
  TPlace seed;
  seed.folder = work + "/seed";
  seed.home = seed.folder + "/home";
  seed.resources = resources;
  fs::create_directories(seed.home);
  fs::create_directories(seed.folder + "/tmp");
  const TRun seeded = RunGame(seed, std::string(kSeedScript) + kCloseAndLeave, TTriggers(), nullptr);
  if (!seeded.finished || !ReadDisk(seed.home).holmes) {
    std::printf("savefaults: the first detective's game could not be played:\n%s\n", seeded.log.c_str());
    return 1;
  }

  std::vector<TScenario> scenarios = {
      {eFull0, ePathCount, "disk full, 0 free"},
      {eFull4k, ePathCount, "disk full, 4 KB free"},
      {eFull16k, ePathCount, "disk full, 16 KB free"},
      {eReadOnlyFolder, ePathCount, "read-only folder"},
      {eReadOnlyFiles, ePathCount, "read-only files"},
      {eLockedBeforeStart, ePathCount, "locked before start"},
      {eLockedDuringPlay, ePathCount, "locked during play"},
      {eLockedThroughQuit, ePathCount, "locked through quit"},
  };
  for (int path = 0; path < ePathCount; ++path) {
    scenarios.push_back({eKilled, EPath(path), std::string("kill -9 in the save of ") + kPathNames[path]});
  }
  scenarios.push_back({eCutRecord, ePathCount, "a stored record cut by a byte"});
  scenarios.push_back({eCutFileEnd, ePathCount, "the preferences file cut by a byte"});
  scenarios.push_back({eRefusedRecord, ePathCount, "a saved game refused"});
  scenarios.push_back({eScoresXml, ePathCount, "damaged XML under a sound checksum"});
  scenarios.push_back({eFolderForFile, ePathCount, "a folder for the preferences file"});
  scenarios.push_back({eCatchingHandler, eStory, "a handler catching its stop, then SIGTERM"});
  // QV_SAVEFAULTS_ONLY=TEXT plays only the scenarios whose name holds TEXT.
  if (const char* only = std::getenv("QV_SAVEFAULTS_ONLY")) {
    scenarios.erase(std::remove_if(scenarios.begin(), scenarios.end(),
                                   [only](const TScenario& each) { return !Has(each.name, only); }),
                    scenarios.end());
  }

  const char* jobsText = std::getenv("QV_SAVEFAULTS_JOBS");
  const int jobs = jobsText && std::atoi(jobsText) > 0 ? std::atoi(jobsText) : 3;
  std::vector<pid_t> running;
  for (size_t index = 0; index < scenarios.size(); ++index) {
    while (int(running.size()) >= jobs) {
      pid_t done = wait(nullptr);
      running.erase(std::remove(running.begin(), running.end(), done), running.end());
    }
    std::fflush(stdout);
    pid_t child = fork();
    if (child == 0) {
      // The engine's reading of the files logs; the table is what this program prints.
      const std::string result = work + "/rows-" + std::to_string(index) + ".txt";
      int quiet = open((work + "/reading-" + std::to_string(index) + ".txt").c_str(), O_WRONLY | O_CREAT, 0644);
      dup2(quiet, 2);
      std::string skipped;
      const std::vector<TRow> rows = RunScenario(scenarios[index], work, seed.home, &skipped);
      WriteRows(result, rows, skipped);
      _exit(0);
    }
    running.push_back(child);
  }
  while (!running.empty()) {
    pid_t done = wait(nullptr);
    running.erase(std::remove(running.begin(), running.end(), done), running.end());
  }

  std::vector<std::vector<std::string>> table = {
      {"Fault", "Save path", "What the player saw", "The log", "On disk after a restart", "Verdict"}};
  int bad = 0, skipped = 0;
  for (size_t index = 0; index < scenarios.size(); ++index) {
    const std::string rows = ReadWhole(work + "/rows-" + std::to_string(index) + ".txt");
    if (rows.empty()) {
      table.push_back({scenarios[index].name, "-", "-", "-", "-", "NO RESULT"});
      ++bad;
      continue;
    }
    for (size_t at = 0; at < rows.size();) {
      const size_t end = rows.find('\n', at);
      std::vector<std::string> cells = Split(rows.substr(at, end - at));
      at = end + 1;
      if (cells.size() == 2 && cells[0] == "skipped") {
        table.push_back({scenarios[index].name, "all", "-", "-", "-", "skipped: " + cells[1]});
        ++skipped;
        continue;
      }
      if (cells.size() != 7)
        continue;
      bad += cells[6] != "1";
      cells.pop_back();
      table.push_back(cells);
    }
  }
  PrintTable(table);
  std::printf("\n%zu rows, %d not kept or not said, %d scenarios skipped\n", table.size() - 1, bad, skipped);
  if (bad > 0 || (skipped > 0 && RequirementsEnforced()))
    return 1;
  // Rows that could not be played here are not reported as passed.
  return skipped > 0 ? 77 : 0;
}
