// memoryfile_test: blocks of memory read as files under virtual names.
#include "core/foundation/memoryfile.h"

#include "support/vfssandbox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class MemoryFileTest : public ::testing::Test
{
protected:
  TVfsSandbox sandbox;
  char mBlock[7] = {'a', '\r', '\n', 'b', '\r', 'c', 'd'};
};

TEST_F(MemoryFileTest, RegisteredBlockReadsInBothModes)
{
  TFile::AddMemoryFile("Blocks/One.bin", mBlock, sizeof mBlock);
  TFile file;
  ASSERT_TRUE(file.Open("blocks/one.bin", kFileRead));
  char buffer[16];
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 7u);
  EXPECT_EQ(std::string(buffer, 7), std::string(mBlock, 7));
  EXPECT_TRUE(file.AtEOF());

  ASSERT_TRUE(file.Open("BLOCKS/ONE.BIN", kFileReadText));
  EXPECT_EQ(file.Read(buffer, 3), 3u); // "a\nb": the returns are skipped, not counted
  EXPECT_EQ(std::string(buffer, 3), "a\nb");
  EXPECT_EQ(file.Tell(), 4);
  EXPECT_EQ(file.Read(buffer, sizeof buffer), 2u);
  EXPECT_EQ(std::string(buffer, 2), "cd");
}

TEST_F(MemoryFileTest, SeekClampsToTheBlockAndUngetStopsAtTheStart)
{
  TFile::AddMemoryFile("m", mBlock, sizeof mBlock);
  TFile file;
  ASSERT_TRUE(file.Open("m", kFileRead));
  file.Unget(); // stepping back from the start must not jump to the end
  EXPECT_EQ(file.Tell(), 0);
  EXPECT_FALSE(file.AtEOF());
  file.Seek(-2, kSeekEnd);
  EXPECT_EQ(file.Tell(), 5);
  file.Seek(100, kSeekCurrent);
  EXPECT_EQ(file.Tell(), 7);
  EXPECT_TRUE(file.AtEOF());
  file.Seek(-1, kSeekStart);
  EXPECT_EQ(file.Tell(), 7);
  file.Unget();
  char byte = 0;
  EXPECT_EQ(file.Read(&byte, 1), 1u);
  EXPECT_EQ(byte, 'd');
  EXPECT_EQ(file.Size(), 7u);
}

TEST_F(MemoryFileTest, NullDataRemovesTheNameWhateverItsCase)
{
  TFile::AddMemoryFile("Cursor.png", mBlock, sizeof mBlock);
  ASSERT_TRUE(TFile::Exists("cursor.png"));
  TFile::AddMemoryFile("CURSOR.PNG", nullptr, 0);
  EXPECT_FALSE(TFile::Exists("cursor.png"));
  TFile file;
  EXPECT_FALSE(file.Open("cursor.png", kFileRead));
}

TEST_F(MemoryFileTest, LaterRegistrationReplacesAScannedFile)
{
  sandbox.WriteFile("assets/m.txt", "disk");
  TFile::ScanForResources();
  TFile::AddMemoryFile("m.txt", mBlock, 1);
  TFile file;
  ASSERT_TRUE(file.Open("m.txt", kFileRead));
  EXPECT_EQ(file.Size(), 1u);
}

TEST_F(MemoryFileTest, WritingAndMalformedLocationsFail)
{
  TFile::AddMemoryFile("m", mBlock, sizeof mBlock);
  TFile file;
  EXPECT_FALSE(file.Open("m", kFileWrite));
  EXPECT_FALSE(file.Open("m", kFileAppend));

  TMemoryFile memory;
  EXPECT_FALSE(memory.Open("&0,4", kFileRead));
  EXPECT_FALSE(memory.Open("&1234", kFileRead));
  EXPECT_FALSE(memory.Open("&abc,4", kFileRead));
  EXPECT_FALSE(memory.Open("&1234,", kFileRead));
  EXPECT_FALSE(memory.Open("@0:0,4", kFileRead));
  char buffer[4];
  EXPECT_EQ(memory.Read(buffer, 4), 0u);
  EXPECT_EQ(memory.Write(buffer, 4), 0u);
}

} // namespace
