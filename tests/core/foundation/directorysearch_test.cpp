// directorysearch_test: listing one folder's entries.
#include "core/foundation/directorysearch.h"

#include "support/vfssandbox.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(DirectorySearch, ListsFilesAndOptionallyFoldersButNeverDotEntries)
{
  TVfsSandbox sandbox;
  sandbox.WriteFile("list/a.txt", "a");
  sandbox.WriteFile("list/B.TXT", "b");
  sandbox.MakeFolder("list/sub");

  std::set<std::string> files;
  TDirectorySearch onlyFiles(sandbox.Path("list").c_str());
  str name;
  while (onlyFiles.GetNextFile(&name, nullptr))
    files.insert(name.c_str());
  EXPECT_EQ(files, (std::set<std::string>{"a.txt", "B.TXT"}));
  EXPECT_FALSE(onlyFiles.GetNextFile(&name, nullptr)); // stays exhausted

  std::set<std::string> folders;
  TDirectorySearch all(sandbox.Path("list").c_str());
  bool isFolder = false;
  int entries = 0;
  while (all.GetNextFile(&name, &isFolder)) {
    ++entries;
    if (isFolder)
      folders.insert(name.c_str());
  }
  EXPECT_EQ(entries, 3);
  EXPECT_EQ(folders, (std::set<std::string>{"sub"}));
}

TEST(DirectorySearch, MissingFolderIsAnExhaustedSearch)
{
  TDirectorySearch search("/nonexistent/folder/for/sure");
  str name;
  bool isFolder = false;
  EXPECT_FALSE(search.IsOpen());
  EXPECT_FALSE(search.GetNextFile(&name, &isFolder));
  TDirectorySearch none(nullptr);
  EXPECT_FALSE(none.GetNextFile(&name, nullptr));
}

} // namespace
