// atomicfile: replaces a file in one step, so that a crash or a full disk leaves the old file
// or the new one and never a mixture; the one way every save of the engine and the game writes.
#pragma once

#include "core/foundation/str.h"

// Replaces the file at a native path with `size` bytes: writes a temporary file in the same
// folder, checks every write and the close, syncs the file, renames it over the old one and
// syncs the folder. On any failure the temporary file is removed, the old file stays as it
// was and one "ERROR: " line names the file and the reason. A write-protected file is left
// alone as well (a rename would replace it whatever its permissions say).
bool WriteFileAtomically(str const& path, void const* data, unsigned long size);

// The same for a name of the virtual file system ("user:hiscore.dat", "::/some/path");
// missing folders below the user or common folder are made as for any write.
bool SaveFileAtomically(str const& name, void const* data, unsigned long size);
