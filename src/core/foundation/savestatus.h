// savestatus: what became of a save, and what opening a saved file found, in the terms the
// player is told; shared by the preferences store, the hiscore file and the game's notices.
#pragma once

#include <cerrno>

// How the last attempt to write a file went. Anything but eSaveDone leaves the changes in
// memory, to be written by a later save.
enum ESaveStatus
{
  eSaveDone,
  // Another program holds the file; trying again later may work.
  eSaveBusy,
  eSaveDiskFull,
  // The file or its folder may not be written (permissions, a read-only disk).
  eSaveWriteProtected,
  eSaveFailed
};

// What opening a saved file found.
enum EOpenProblem
{
  eOpenedWell,
  // Damaged, but its content could still be read: kept aside and rewritten from what was read.
  eOpenedDamagedRecovered,
  // Damaged beyond reading: kept aside, and a new empty file starts.
  eOpenedDamagedReplaced,
  // Damaged, and it could not be kept aside: it is left in place and this run writes nothing.
  eOpenedDamagedKept,
  // Another program holds the file so that it cannot even be read: this run starts empty and
  // writes nothing, so the file's content is never overwritten.
  eOpenedUnreadable,
  // A folder (or anything else that is not a file) stands where the file should be: this run
  // starts empty and writes nothing.
  eOpenedNotAFile
};

// Whether a run that opened its file so writes nothing to it, having said so at the start.
inline bool WritesNothing(EOpenProblem problem)
{
  return problem == eOpenedDamagedKept || problem == eOpenedUnreadable || problem == eOpenedNotAFile;
}

// The reason in a few words, for log lines ("... cannot be written now (the disk is full)").
inline char const* SaveStatusWords(ESaveStatus status)
{
  switch (status) {
  case eSaveDone:
    return "written";
  case eSaveBusy:
    return "another program is using it";
  case eSaveDiskFull:
    return "the disk is full";
  case eSaveWriteProtected:
    return "it or its folder is write-protected";
  default:
    return "the disk refused it";
  }
}

inline ESaveStatus SaveStatusOfErrno(int error)
{
  switch (error) {
  case ENOSPC:
  case EDQUOT:
  case EFBIG:
    return eSaveDiskFull;
  case EACCES:
  case EPERM:
  case EROFS:
    return eSaveWriteProtected;
  case EBUSY:
  case EAGAIN:
    return eSaveBusy;
  default:
    return eSaveFailed;
  }
}
