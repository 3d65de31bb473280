// e2eharness: runs the built program headless on an input script from a fresh user folder and
// reads back what it left: the log, the frames it captured, pixel counts over them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

// How one run of the program ended and what it logged.
struct TRun
{
  bool finished = false;
  int exitStatus = -1;
  // The signal that ended the program, 0 when it exited.
  int signal = 0;
  int elapsedMs = 0;
  std::string log;
};

// A frame the program captured ("capture FILE.ppm" in the input script), as 8-bit RGB. In a
// namespace of its own: the engine's widget TImage is linked into tests that use game code,
// and the two destructors must not be taken for one another.
namespace e2e {
struct TImage
{
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
  const unsigned char* At(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};
} // namespace e2e
using e2e::TImage;

// Input steps that end a run as a player does: the close box, then Yes to the question
// whether to leave.
extern const std::string kCloseAndLeave;

std::string ReadText(const std::string& path);
// An empty image when the file is missing or not a whole binary PPM.
TImage ReadPpm(const std::string& path);
// Pixels of the rectangle [left, right) x [top, bottom) within tolerance of a colour in every channel.
int CountNear(const TImage& image, int left, int top, int right, int bottom, int r, int g, int b, int tolerance = 40);
// Pixels of the rectangle that differ between two frames of the same size.
int CountDifferent(const TImage& a, const TImage& b, int left, int top, int right, int bottom);
// The log's lines that start with "ERROR: ".
std::vector<std::string> ErrorLines(const std::string& log);
bool Has(const std::string& log, const std::string& text);
// The offset just past the first occurrence of text at or after from, or npos: steps through a
// log in order ("this, then that").
size_t After(const std::string& log, const std::string& text, size_t from = 0);

// A fixture with its own folder: the user folder (home), TMPDIR (tmp) and room for frames.
// Skips (or fails under QV_REQUIRE_ALL) when the program was not built.
class EndToEnd : public ::testing::Test
{
protected:
  void SetUp() override;
  void TearDown() override;

  std::string Path(const std::string& name) const { return mRoot + "/" + name; }

  // Runs the program with the input steps until it ends (killed after 90 s); resources "" means
  // the source tree's data. environment sets further variables after the usual ones; an empty
  // value unsets one. wrapper is a command the program runs under (a virtual X server).
  TRun Run(const std::string& steps, const std::string& resources = "",
           const std::vector<std::pair<std::string, std::string>>& environment = {},
           const std::vector<std::string>& wrapper = {});

  // A copy of the game's data to break, laid out as installed: the checkout's data with what
  // the build generated merged in. Returns its folder, for Run's resources.
  std::string CopyResources();
  // The same copy with no particle effect in its scenes (drifting dust, steam): two frames then
  // differ only where the game changed something, whenever they are taken.
  std::string CopyStillResources();

  std::string mRoot;
};
