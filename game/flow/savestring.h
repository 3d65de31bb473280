// savestring: strings in saved-game records: a 32-bit length and the bytes, any length the
// record holds (reading is bounded by the bytes left, never by a fixed buffer).
#pragma once

#include "core/foundation/str.h"

class TBinaryBuffer;

void SaveString(TBinaryBuffer* buffer, const str& text);
// False (the buffer failed) when the length runs past the record's end.
bool LoadString(TBinaryBuffer* buffer, str& text);
