// stringtable: localised texts by label, read from spreadsheet XML files (plain or "ZXML"),
// with numbered arguments and label references; reads through TFile, logs through WriteDbg.
#pragma once

#include <list>
#include <map>

#include "core/foundation/str.h"

class TStringTable
{
public:
  TStringTable();
  ~TStringTable();

  // Empties the table, then merges the file.
  bool LoadStringTable(str file);
  // Adds the rows of a file, replacing labels that exist. False, after one "ERROR: "
  // line, when the file cannot be opened or read (too large, corrupt compressed block,
  // no rows at all); the table is then unchanged.
  bool MergeStringTable(str file);
  // The same over a file's bytes in memory; what names the source in error lines.
  bool MergeStringBuffer(char const* data, unsigned long size, char const* what);

  // The expanded text of label, or "#####" when the label, an argument or a referenced
  // label is missing.
  str GetString(str label, unsigned count, str* args);
  str GetString(str label, str a1, str a2, str a3, str a4, str a5);
  // The same with arguments that are text to show as given (a name a player typed),
  // never "%label%" references.
  str GetStringWithText(str label, str a1, str a2, str a3, str a4, str a5);

  // Appends the labels of cinematic texts in ascending order.
  void GetFlashStrings(std::list<str>& out);

  // While quiet, a failed lookup writes no debug line (the text window raises it
  // around lookups of texts that may or may not be labels).
  void SetQuiet(bool quiet) { mQuiet = quiet; }
  bool IsQuiet() const { return mQuiet; }

private:
  str Expand(str label, unsigned count, str* args, bool textArguments);
  TStringTable(TStringTable const&) = delete;
  TStringTable& operator=(TStringTable const&) = delete;

  // The raw text of a label, or null.
  str const* Find(str const& label) const;
  bool MergeText(char const* text, unsigned long length, char const* what);

  std::map<str, str> mStrings;
  bool mQuiet;
};

// Finds the next cell at or after from (before limit, when limit is not null) in a
// zero-terminated text; stores its text, escapes resolved, in *out and returns the
// position just after the "<" that ends it. Null when there is no further cell.
char const* GetRowString(char const* limit, char const* from, str* out);
