// savestring: strings in saved-game records (a 32-bit length and the bytes, any length the
// record holds), lists of them, and score tables (category and points); every reader is
// bounded by the bytes left, never by a fixed buffer.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "core/foundation/str.h"

class TBinaryBuffer;

void SaveString(TBinaryBuffer* buffer, const str& text);
// False (the buffer failed) when the length runs past the record's end.
bool LoadString(TBinaryBuffer* buffer, str& text);

// A u32 count and the strings.
void SaveStrings(TBinaryBuffer* buffer, const std::vector<str>& texts);
// Appends the strings read; false for a damaged list.
bool LoadStrings(TBinaryBuffer* buffer, std::vector<str>* texts);
// Replaces names with the list read; false (the buffer failed) for a damaged list, or one
// with a name not in allowed or named twice.
bool LoadNames(TBinaryBuffer* buffer, std::vector<str>* names, const std::vector<str>& allowed);

// A u32 count and per entry the category and its points, in key order.
void SaveScores(TBinaryBuffer* buffer, const std::map<str, uint32_t>& scores);
// Sets each entry read into scores; false for a damaged table.
bool LoadScores(TBinaryBuffer* buffer, std::map<str, uint32_t>* scores);
