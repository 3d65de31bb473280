// folders: finds (and creates) the per-user, shared and desktop folders of the game
// under the XDG base directories; the virtual file system names them "user:", "common:", "desktop:".
#pragma once

#include "core/foundation/str.h"

// Every function returns an absolute path without a trailing "/", or "" (after an
// "ERROR: " debug line) when the folder cannot be found or created. When the
// environment variable QV_HOME is set, the three folders are $QV_HOME/user,
// $QV_HOME/common and $QV_HOME/desktop instead, so tests never touch the real home.

// $XDG_DATA_HOME/<gameName> (default ~/.local/share/<gameName>), created with mode 0755.
str GetUserFolder(str gameName);

// $XDG_DATA_HOME/<publisherName>/<gameName>, shared by every player of the game on
// this account, created with mode 0777 (less the umask).
str GetCommonFolder(str gameName, str publisherName);

// XDG_DESKTOP_DIR from $XDG_CONFIG_HOME/user-dirs.dirs, else ~/Desktop; it must exist
// (it is created only below QV_HOME).
str GetDesktopFolder();
