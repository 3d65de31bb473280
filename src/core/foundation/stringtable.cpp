// stringtable: the row scan of spreadsheet XML and the expansion of "%" escapes; talks to
// TFile for table files, the XML module for escapes and "ZXML", TConfig for "stringtest".
#include "core/foundation/stringtable.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "core/foundation/config.h"
#include "core/foundation/file.h"
#include "core/foundation/xmlnode.h"
#include "core/foundation/debug.h"

namespace {

const char kMissing[] = "#####";

char const* Search(char const* from, char const* end, char const* pattern, size_t length)
{
  if (from >= end)
    return nullptr;
  return (char const*)memmem(from, (size_t)(end - from), pattern, length);
}

// The next cell of a row between from and end (the text's end); the "<Data" and the
// ">" closing its start tag must lie before limit (the next row) when there is one, so a
// broken row cannot send the scan across the rest of the file once per row.
char const* NextCell(char const* from, char const* end, char const* limit, str* out)
{
  char const* bound = limit ? limit : end;
  char const* data = Search(from, bound, "<Data", 5);
  if (!data)
    return nullptr;
  char const* open = (char const*)memchr(data + 5, '>', (size_t)(bound - (data + 5)));
  if (!open)
    return nullptr;
  char const* close = (char const*)memchr(open + 1, '<', (size_t)(end - (open + 1)));
  if (!close)
    return nullptr;
  *out = str(open + 1, (unsigned long)(close - (open + 1)));
  removeXMLEscapeChars(*out, nullptr, nullptr);
  return close + 1;
}

bool AllDigits(str const& text)
{
  unsigned n = text.length();
  if (n == 0)
    return false;
  for (unsigned i = 0; i < n; ++i)
    if (text[i] < '0' || text[i] > '9')
      return false;
  return true;
}

void Append(std::vector<char>& out, str const& text)
{
  out.insert(out.end(), text.c_str(), text.c_str() + text.length());
}

} // namespace

char const* GetRowString(char const* limit, char const* from, str* out)
{
  if (!from || !out)
    return nullptr;
  return NextCell(from, from + strlen(from), limit, out);
}

TStringTable::TStringTable() : mQuiet(false) {}

TStringTable::~TStringTable() {}

bool TStringTable::LoadStringTable(str file)
{
  mStrings.clear();
  return MergeStringTable(file);
}

bool TStringTable::MergeStringTable(str file)
{
  TFile input;
  if (!input.Open(file, kFileRead)) {
    WriteDbg("ERROR: String table %s cannot be opened", file.c_str());
    return false;
  }
  unsigned long size = input.Size();
  if (size > kMaxXmlBytes) {
    WriteDbg("ERROR: String table %s is %lu bytes, above the limit of %lu", file.c_str(), size, kMaxXmlBytes);
    return false;
  }
  std::vector<char> buffer(size + 1);
  unsigned long got = input.Read(buffer.data(), size);
  input.Close();
  return MergeStringBuffer(buffer.data(), got, file.c_str());
}

bool TStringTable::MergeStringBuffer(char const* data, unsigned long size, char const* what)
{
  if (!what)
    what = "string table";
  if (!data)
    size = 0;
  if (size >= 4 && memcmp(data, "ZXML", 4) == 0) {
    std::vector<char> text;
    if (!qvInflateZxml(data, size, what, &text))
      return false;
    return MergeText(text.data(), text.size(), what);
  }
  return MergeText(data, size, what);
}

bool TStringTable::MergeText(char const* text, unsigned long length, char const* what)
{
  // The text ends at its first zero byte, as a C string would.
  char const* end = text ? text + strnlen(text, length) : text;
  char const* row = Search(text, end, "<Row", 4);
  if (!row) {
    WriteDbg("ERROR: String table %s holds no rows", what);
    return false;
  }
  while (row) {
    char const* from = row + 1;
    char const* limit = Search(from, end, "<Row", 4);
    str label;
    char const* afterLabel = NextCell(from, end, limit, &label);
    if (afterLabel) {
      str value("");
      char const* next = afterLabel + 1;
      if (next < (limit ? limit : end))
        NextCell(next, end, limit, &value);
      mStrings[label] = value;
    }
    row = limit;
  }
  return true;
}

str const* TStringTable::Find(str const& label) const
{
  auto found = mStrings.find(label);
  return found == mStrings.end() ? nullptr : &found->second;
}

str TStringTable::GetString(str label, str a1, str a2, str a3, str a4, str a5)
{
  str args[5] = {a1, a2, a3, a4, a5};
  return GetString(label, 5, args);
}

str TStringTable::GetStringWithText(str label, str a1, str a2, str a3, str a4, str a5)
{
  str args[5] = {a1, a2, a3, a4, a5};
  return Expand(label, 5, args, true);
}

str TStringTable::GetString(str label, unsigned count, str* args)
{
  return Expand(label, count, args, false);
}

str TStringTable::Expand(str label, unsigned count, str* args, bool textArguments)
{
  if (!args)
    count = 0;
  str const* found = Find(label);
  bool ok = found != nullptr;
  std::vector<char> result;
  if (ok) {
    str const& text = *found;
    unsigned n = text.length();
    char const* bytes = text.c_str();
    result.reserve(n + 16);
    unsigned i = 0;
    while (ok && i < n) {
      if (bytes[i] != '%') {
        result.push_back(bytes[i++]);
        continue;
      }
      char const* close = (char const*)memchr(bytes + i + 1, '%', n - i - 1);
      str body;
      if (close) {
        body = str(bytes + i + 1, (unsigned long)(close - (bytes + i + 1)));
        i = (unsigned)(close - bytes) + 1;
      } else {
        WriteDbg("ERROR: Non-matched percent (%%) escape found in string %s, '%s'", label.c_str(), text.c_str());
        body = str(bytes + i + 1, (unsigned long)(n - i - 1));
        ++i;
      }

      if (body.length() == 0) {
        result.push_back('%');
      } else if (AllDigits(body)) {
        // Long digit runs are out of range, not an overflow.
        unsigned long number = body.length() > 9 ? 0 : (unsigned long)body.to_int();
        if (number < 1 || number > count) {
          ok = false;
          break;
        }
        str const& arg = args[number - 1];
        unsigned argLength = arg.length();
        if (argLength == 0 || arg[0] != '%' || textArguments)
          Append(result, arg);
        else if (argLength == 2 && arg[1] == '%')
          result.push_back('%');
        else if (argLength >= 2 && arg[argLength - 1] == '%') {
          str const* referenced = Find(arg.substr(1, (int)argLength - 2));
          if (!referenced)
            ok = false;
          else
            Append(result, *referenced);
        } else
          ok = false;
      } else {
        str const* referenced = Find(body);
        if (!referenced)
          ok = false;
        else
          Append(result, *referenced);
      }
    }
  }
  if (!ok) {
    if (!mQuiet)
      WriteDbg("ERROR: ##### : Missing string for label '%s'", label.c_str());
    return str(kMissing);
  }
  if (TConfig::IsEnabled("stringtest"))
    for (char& c : result)
      if (c != ' ')
        c = 'x';
  if (result.empty())
    return str("");
  return str(result.data(), result.size());
}

void TStringTable::GetFlashStrings(std::list<str>& out)
{
  bool found = false;
  for (auto const& entry : mStrings)
    if (strncmp(entry.first.c_str(), "FLASH_", 6) == 0) {
      out.push_back(entry.first);
      found = true;
    }
  if (found)
    return;
  for (auto const& entry : mStrings) {
    int first = 0;
    int second = 0;
    if (sscanf(entry.first.c_str(), "flash%2d_%2d", &first, &second) >= 1)
      out.push_back(entry.first);
  }
}
