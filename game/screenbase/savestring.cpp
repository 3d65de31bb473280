// savestring: strings, string lists and score tables of saved-game records, over the binary
// buffer's records.
#include "screenbase/savestring.h"

#include <algorithm>

#include "scene/binarybuffer.h"

void SaveString(TBinaryBuffer* buffer, const str& text)
{
  buffer->WriteString(text);
}

bool LoadString(TBinaryBuffer* buffer, str& text)
{
  if (!buffer->ReadString(&text)) {
    buffer->Fail("string");
    return false;
  }
  return true;
}

void SaveStrings(TBinaryBuffer* buffer, const std::vector<str>& texts)
{
  buffer->WriteU32(uint32_t(texts.size()));
  for (const str& text : texts) {
    SaveString(buffer, text);
  }
}

bool LoadStrings(TBinaryBuffer* buffer, std::vector<str>* texts)
{
  uint32_t count = 0;
  // Each string needs at least its length word.
  if (!buffer->ReadCount(&count, 4, "strings")) {
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    str text;
    if (!LoadString(buffer, text)) {
      return false;
    }
    texts->push_back(text);
  }
  return true;
}

bool LoadNames(TBinaryBuffer* buffer, std::vector<str>* names, const std::vector<str>& allowed)
{
  std::vector<str> read;
  if (!LoadStrings(buffer, &read)) {
    return false;
  }
  for (size_t i = 0; i < read.size(); ++i) {
    if (std::find(allowed.begin(), allowed.end(), read[i]) == allowed.end() ||
        std::find(read.begin(), read.begin() + i, read[i]) != read.begin() + i) {
      buffer->Fail("name list");
      return false;
    }
  }
  names->swap(read);
  return true;
}

void SaveScores(TBinaryBuffer* buffer, const std::map<str, uint32_t>& scores)
{
  buffer->WriteU32(uint32_t(scores.size()));
  for (const auto& score : scores) {
    SaveString(buffer, score.first);
    buffer->WriteU32(score.second);
  }
}

bool LoadScores(TBinaryBuffer* buffer, std::map<str, uint32_t>* scores)
{
  uint32_t count = 0;
  if (!buffer->ReadCount(&count, 8, "scores")) {
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    str category;
    uint32_t points = 0;
    if (!LoadString(buffer, category) || !buffer->ReadU32(&points)) {
      return false;
    }
    (*scores)[category] = points;
  }
  return true;
}
