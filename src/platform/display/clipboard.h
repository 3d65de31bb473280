// clipboard: the system clipboard as UTF-8 text, through SDL; the text entry pastes from it
// and the window script copies into it.
#pragma once

#include "core/foundation/str.h"

// False when the clipboard cannot be reached.
bool QvSetClipboardText(const str& text);
// Empty when the clipboard is empty or cannot be reached.
str QvGetClipboardText();
