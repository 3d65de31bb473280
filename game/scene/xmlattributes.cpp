// xmlattributes: reads numbers, flags, points and comma-separated lists from the attributes
// of scene XML and writes them back; numbers always in the "C" locale, over TXmlNode.
#include "scene/xmlattributes.h"

#include <cfloat>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

#include "core/foundation/xmlnode.h"

namespace {

const char kComma[] = ",";

locale_t CLocale()
{
  static locale_t locale = newlocale(LC_ALL_MASK, "C", (locale_t)0);
  return locale;
}

// Where the field after the one starting at text begins, or null when it is the last.
const char* NextField(const char* text, const char* delimiters)
{
  const char* end = text + std::strcspn(text, delimiters);
  return *end ? end + 1 : nullptr;
}

// The start of field index, or null when the text has no such field or the field
// starts at the very end of the text (a trailing delimiter).
const char* FieldStart(const char* text, int index, const char* delimiters)
{
  if (!text || index < 0)
    return nullptr;
  const char* field = text;
  for (int i = 0; i < index && field; ++i)
    field = NextField(field, delimiters);
  return field && *field ? field : nullptr;
}

} // namespace

float ReadCNumber(const char* text)
{
  if (!text)
    return 0.0f;
  double value = strtod_l(text, nullptr, CLocale());
  if (value != value)
    return 0.0f;
  if (value > FLT_MAX)
    return FLT_MAX;
  if (value < -FLT_MAX)
    return -FLT_MAX;
  return static_cast<float>(value);
}

int ReadCInteger(const char* text)
{
  if (!text)
    return 0;
  long value = strtol_l(text, nullptr, 10, CLocale());
  if (value > INT_MAX)
    return INT_MAX;
  if (value < INT_MIN)
    return INT_MIN;
  return static_cast<int>(value);
}

str FormatC(const char* format, ...)
{
  locale_t previous = uselocale(CLocale());
  va_list args;
  va_start(args, format);
  str text = str::getFormattedV(format, args);
  va_end(args);
  uselocale(previous);
  return text;
}

str getSubString(const char* text, int first, int last, const char* delimiters)
{
  const char* start = FieldStart(text, first, delimiters);
  if (!start)
    return str();
  const char* end = start;
  for (int field = first; field <= last; ++field) {
    end += std::strcspn(end, delimiters);
    if (!*end || field == last)
      break;
    ++end;
  }
  return str(start, static_cast<unsigned long>(end - start));
}

float ReadTRealAttributeEx(bool* found, TXmlNode* node, const char* name, float defaultValue)
{
  str text = node->GetAttribute(name);
  *found = !text.empty();
  return *found ? ReadCNumber(text.c_str()) : defaultValue;
}

int ReadIntAttributeEx(bool* found, TXmlNode* node, const char* name, int defaultValue)
{
  str text = node->GetAttribute(name);
  *found = !text.empty();
  return *found ? ReadCInteger(text.c_str()) : defaultValue;
}

bool ReadBoolAttributeEx(bool* found, TXmlNode* node, const char* name, bool defaultValue)
{
  str text = node->GetAttribute(name);
  *found = !text.empty();
  return *found ? ReadCInteger(text.c_str()) != 0 : defaultValue;
}

TVec2 ReadTVec2AttributeEx(bool* found, TXmlNode* node, const char* name, TVec2 defaultValue)
{
  str text = node->GetAttribute(name);
  const char* x = FieldStart(text.c_str(), 0, kComma);
  const char* y = FieldStart(text.c_str(), 1, kComma);
  *found = x && y;
  return *found ? TVec2(ReadCNumber(x), ReadCNumber(y)) : defaultValue;
}

bool ReadTRealArrayAttributeEx(TXmlNode* node, const char* name, float* out, const float* defaults, int n)
{
  str text = node->GetAttribute(name);
  bool complete = true;
  const char* field = text.c_str();
  for (int i = 0; i < n; ++i) {
    if (field && *field) {
      out[i] = ReadCNumber(field);
      field = NextField(field, kComma);
    } else {
      out[i] = defaults[i];
      complete = false;
      field = nullptr;
    }
  }
  return complete;
}

float ReadTRealAttribute(TXmlNode* node, const char* name, float defaultValue)
{
  bool found;
  return ReadTRealAttributeEx(&found, node, name, defaultValue);
}

int ReadIntAttribute(TXmlNode* node, const char* name, int defaultValue)
{
  bool found;
  return ReadIntAttributeEx(&found, node, name, defaultValue);
}

bool ReadBoolAttribute(TXmlNode* node, const char* name, bool defaultValue)
{
  bool found;
  return ReadBoolAttributeEx(&found, node, name, defaultValue);
}

TVec2 ReadTVec2Attribute(TXmlNode* node, const char* name, TVec2 defaultValue)
{
  bool found;
  return ReadTVec2AttributeEx(&found, node, name, defaultValue);
}

void SetTRealAttribute(TXmlNode* node, const char* name, float value)
{
  node->SetAttribute(name, FormatC("%f", value).c_str());
}

void SetTVec2Attribute(TXmlNode* node, const char* name, TVec2 value)
{
  node->SetAttribute(name, FormatC("%f,%f", value.x, value.y).c_str());
}

namespace {

// Joins the formatted elements in one pass (appending to a str one piece at a time would
// measure the whole text again for every element).
template <typename T, typename Format>
void AppendJoined(str* out, const std::vector<T>* values, Format format)
{
  if (!values || values->empty())
    return;
  std::string text(out->c_str());
  locale_t previous = uselocale(CLocale());
  char piece[128];
  for (size_t i = 0; i < values->size(); ++i) {
    if (i)
      text += ',';
    format(piece, sizeof piece, (*values)[i]);
    text += piece;
  }
  uselocale(previous);
  *out = str(text.data(), text.size());
}

} // namespace

void int_to_str(str* out, std::vector<int>* values)
{
  AppendJoined(out, values, [](char* piece, size_t size, int value) { std::snprintf(piece, size, "%d", value); });
}

void real_to_str(str* out, std::vector<float>* values)
{
  AppendJoined(out, values, [](char* piece, size_t size, float value) { std::snprintf(piece, size, "%f", value); });
}

void vec2_to_str(str* out, std::vector<TVec2>* values)
{
  AppendJoined(out, values,
               [](char* piece, size_t size, TVec2 value) { std::snprintf(piece, size, "%f,%f", value.x, value.y); });
}

void str_to_int(const char* text, std::vector<int>* out)
{
  for (const char* field = text; field && *field; field = NextField(field, kComma))
    out->push_back(ReadCInteger(field));
}

void str_to_real(const char* text, std::vector<float>* out)
{
  for (const char* field = text; field && *field; field = NextField(field, kComma))
    out->push_back(ReadCNumber(field));
}

void str_to_vec2(const char* text, std::vector<TVec2>* out)
{
  const char* field = text;
  while (field && *field) {
    const char* second = NextField(field, kComma);
    if (!second || !*second)
      return;
    out->push_back(TVec2(ReadCNumber(field), ReadCNumber(second)));
    field = NextField(second, kComma);
  }
}

void ReadNumberList(const char* text, std::vector<float>* out)
{
  auto partOfNumber = [](char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; };
  for (const char* p = text ? text : ""; *p;) {
    if (!partOfNumber(*p)) {
      ++p;
      continue;
    }
    out->push_back(ReadCNumber(p));
    while (partOfNumber(*p))
      ++p;
  }
}
