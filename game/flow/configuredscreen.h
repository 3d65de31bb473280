// configuredscreen: what the screens configured from one file share (the search room and
// the puzzles): reading the file's root, lists of object names, marking objects, and the
// records of name lists that must name what the file names.
#pragma once

#include <vector>

#include "core/foundation/str.h"

class TBinaryBuffer;
class TSceneObject;
class TXmlNode;

// Parses the file into document and answers its element root; null, with an "ERROR: "
// line naming the screen, when the file has none.
TXmlNode* ReadScreenConfig(const str& file, const char* root, TXmlNode* document, const char* screen);
// The comma-separated names of the text, blanks around them dropped, empty ones skipped.
std::vector<str> SplitNames(const str& text);
// The object enters the state; an object without that state is hidden instead, so the
// change shows whatever the scene provides.
void SetStateOrHide(TSceneObject* object, const char* state);
// The object or its nearest ancestor whose name is in names; null when none is.
TSceneObject* FindNamedAncestor(TSceneObject* object, const std::vector<str>& names);

// A u32 count and the names.
void SaveNames(TBinaryBuffer* buffer, const std::vector<str>& names);
// False (the buffer failed) for a damaged list, or one with a name not in allowed or
// named twice.
bool LoadNames(TBinaryBuffer* buffer, std::vector<str>* names, const std::vector<str>& allowed);
