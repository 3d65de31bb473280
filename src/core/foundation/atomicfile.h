// atomicfile: replaces a file in one step, so that a crash or a full disk leaves the old file
// or the new one and never a mixture; the one way every save of the engine and the game writes.
#pragma once

#include "core/foundation/savestatus.h"
#include "core/foundation/str.h"

// Replaces the file at a native path with `size` bytes: writes a temporary file in the same
// folder, checks every write and the close, syncs the file, renames it over the old one and
// syncs the folder. On any failure the temporary file is removed, the old file stays as it
// was and one "ERROR: " line names the file and the reason. A write-protected file is left
// alone as well (a rename would replace it whatever its permissions say). When given,
// *status says what happened in the terms a player is told.
bool WriteFileAtomically(str const& path, void const* data, unsigned long size, ESaveStatus* status = nullptr);

// The same for a name of the virtual file system ("user:hiscore.dat", "::/some/path");
// missing folders below the user or common folder are made as for any write.
bool SaveFileAtomically(str const& name, void const* data, unsigned long size, ESaveStatus* status = nullptr);

// Moves a damaged file out of the way under the first free name of path + ".corrupt",
// ".corrupt2" ... ".corrupt5", so that earlier copies (which may hold a player's data) are
// never replaced. The new name, or "" when every name is taken or the rename fails; the
// caller reports either.
str KeepDamagedCopy(str const& path);
// Keeps damaged bytes that are not a file of their own, or a copy of a damaged file that stays
// in use, under the first free name of the same numbering: written like a save, then moved to
// that name. The new name, or "" when every name is taken (errno EEXIST) or the write fails
// (one "ERROR: " line).
str KeepDamagedBytes(str const& path, void const* data, unsigned long size);
// How many damaged copies of one file are kept at most.
const int kMaxDamagedCopies = 5;

// Removes the temporary files that a save of this program left in the folder when it was
// ended in the middle ("<name>.tmp<pid>-<n>", the pid's process gone), with one line each.
// Files of another naming, and those of a running copy of the program, stay. Called at the
// start, before this process saves anything: a file named with its own pid is a leftover of
// an earlier process that had the same pid.
void RemoveStaleTemporaryFiles(str const& folder);
