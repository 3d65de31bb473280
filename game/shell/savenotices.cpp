// savenotices: the texts of the save notices from the string table, and their dialog opened
// by a Lua call into the waiting window script.
#include "shell/savenotices.h"

#include "core/foundation/file.h"
#include "core/window/windowscript.h"
#include "shell/shellglue.h"
#include "core/foundation/debug.h"

namespace {

const char* const kLabels[TSaveNotices::kNoticeCount] = {
    "save_diskfull",      "save_busy",         "save_protected",   "save_failed",
    "players_unreadable", "players_recovered", "players_replaced", "players_damaged",
    "scores_replaced",    "scores_damaged",    "players_notafile", "value_damaged",
    "value_damaged_kept", "scores_recovered",  "savegame_refused", "savegame_refused_kept"};

} // namespace

TSaveNotices::ENotice TSaveNotices::ForStatus(ESaveStatus status)
{
  switch (status) {
  case eSaveDone:
    return kNoticeCount;
  case eSaveDiskFull:
    return kDiskFull;
  case eSaveBusy:
    return kFileBusy;
  case eSaveWriteProtected:
    return kWriteProtected;
  default:
    return kSaveFailed;
  }
}

const char* TSaveNotices::Label(ENotice notice)
{
  return notice < kNoticeCount ? kLabels[notice] : "";
}

void TSaveNotices::Tell(ENotice notice, const str& argument)
{
  if (notice >= kNoticeCount || mTold[notice]) {
    return;
  }
  mTold[notice] = true;
  mQueue.push_back(std::make_pair(notice, argument));
  ShowNext();
}

void TSaveNotices::Read()
{
  if (mShowing) {
    mRead[mShown.first] = true;
  }
  mShowing = false;
  mUnread = 0;
}

str TSaveNotices::TakeNext()
{
  if (mShowing && !IsWindowExists(kTextWindow)) {
    mShowing = false;
    if (++mUnread < kMaxUnread) {
      mQueue.insert(mQueue.begin(), mShown);
    } else {
      mUnread = 0;
      mRead[mShown.first] = true;
      WriteDbg("ERROR: The notice %s did not stay on the screen; the player may not have read it", Label(mShown.first));
    }
  }
  if (mQueue.empty() || mShowing) {
    return str();
  }
  mShown = mQueue.front();
  const str text = GameString(Label(mShown.first), mShown.second);
  mQueue.erase(mQueue.begin());
  if (!TFile::Exists(kDialogFile)) {
    // Without its dialog the player cannot be told; the log at least says what happened.
    WriteDbg("ERROR: %s is missing; the player is not shown: %s", kDialogFile, text.c_str());
    mRead[mShown.first] = true;
    return str();
  }
  mShowing = true;
  return text;
}

bool TSaveNotices::ShowNext()
{
  // One at a time, and only into a script that waits: one running now (a button's command)
  // would be entered in the middle of its work.
  TWindowScript* script = dynamic_cast<TWindowScript*>(GameScript());
  if (!script || !script->IsWaitingForMessage()) {
    return false;
  }
  const str text = TakeNext();
  if (text.empty()) {
    return false;
  }
  RunGameLua(
      str::getFormatted("gSaveNotice = %s; DoModal(%s);", LuaQuote(text).c_str(), LuaQuote(kDialogFile).c_str()));
  return true;
}
