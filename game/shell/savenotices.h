// savenotices: tells the player, once per kind in a run and in plain words on a dialog over
// the game, that progress could not be saved and why, or that a damaged file was kept aside;
// the dialog is opened through the window script when it waits for messages.
#pragma once

#include <utility>
#include <vector>

#include "core/foundation/savestatus.h"
#include "core/foundation/str.h"

class TSaveNotices
{
public:
  enum ENotice
  {
    kDiskFull,
    kFileBusy,
    kWriteProtected,
    kSaveFailed,
    kPlayersUnreadable,
    kPlayersRecovered,
    kPlayersReplaced,
    kPlayersDamagedKept,
    kScoresReplaced,
    kScoresDamagedKept,
    kPlayersNotAFile,
    kValueDamaged,
    kValueDamagedKept,
    kScoresRecovered,
    kGameRefused,
    kGameRefusedKept,
    kNoticeCount
  };
  static constexpr char kDialogFile[] = "scripts/savenotice.lua";
  // The dialog's window that holds the text, while it is open.
  static constexpr char kTextWindow[] = "savenotice";

  // The notice that says why a save failed; kNoticeCount for eSaveDone.
  static ENotice ForStatus(ESaveStatus status);
  // The string-table label of a notice's text.
  static const char* Label(ENotice notice);

  // Queues the notice unless this run has told (or queued) it already; argument fills the
  // text's "%1%".
  void Tell(ENotice notice, const str& argument = str());
  // Opens the first queued notice when the window script can take a dialog now and no
  // notice is open; true when one opened. A notice that went without the player's OK (a
  // dialog closing everything down to the game took it along) is shown again.
  bool ShowNext();
  // The text of the first queued notice, taken from the queue as if it were opened now, for a
  // script that opens the dialog itself; "" when none waits or one is open.
  str TakeNext();
  // The dialog's OK: the notice open now has been read. Lua "SaveNoticeRead".
  void Read();
  // A notice that went unread this often is not shown again.
  static const int kMaxUnread = 3;
  bool HasWaiting() const { return !mQueue.empty(); }
  bool WasTold(ENotice notice) const { return mTold[notice]; }
  // Whether the player has read the notice, or it was given up after kMaxUnread tries (held
  // back any longer, what waits for it would be lost at the end).
  bool WasRead(ENotice notice) const { return mRead[notice]; }

private:
  bool mTold[kNoticeCount] = {};
  bool mRead[kNoticeCount] = {};
  std::vector<std::pair<ENotice, str>> mQueue;
  // The notice on the screen, until the player has read it.
  bool mShowing = false;
  std::pair<ENotice, str> mShown;
  // How often the notice on the screen went unread; a dialog that cannot stay is given up.
  int mUnread = 0;
};
