// otherprogram: another program on a preferences file, as far as SQLite's locks go: it can
// hold the file for writing ("BEGIN IMMEDIATE") or exclusively ("BEGIN EXCLUSIVE").
#pragma once

#include <string>

#include <gtest/gtest.h>
#include <sqlite3.h>

class TOtherProgram
{
public:
  explicit TOtherProgram(std::string const& path) { EXPECT_EQ(sqlite3_open(path.c_str(), &mDb), SQLITE_OK); }
  ~TOtherProgram() { sqlite3_close(mDb); }
  bool Run(char const* sql) { return sqlite3_exec(mDb, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

private:
  TOtherProgram(TOtherProgram const&) = delete;
  TOtherProgram& operator=(TOtherProgram const&) = delete;

  sqlite3* mDb = nullptr;
};
