// Tests of the cinematic host over a scripted movie view: readiness, the player movie's
// bytes, the strings file, escaping in the page, the end of the movie and clean-up.
#include <cstring>
#include <fstream>
#include <iterator>
#include <list>

#include "platform/platform.h"
#include "core/foundation/file.h"
#include "core/foundation/stringtable.h"
#include "core/window/windowmanager.h"
#include "platform/flashhost.h"
#include "platform/cinema/movieview.h"
#include "platform/display/event.h"
#include "support/apptestutil.h"
#include "support/vfssandbox.h"

#include <gtest/gtest.h>

namespace {

class TFakeView : public IWebMovieView
{
public:
  bool IsAvailable() override { return mAvailable; }
  void Show() override { ++mShown; }
  void Hide() override { ++mHidden; }
  void Update() override { ++mUpdates; }
  void LoadHTML(const std::string& html) override
  {
    mPage = html;
    mLocation = "about:blank";
  }
  std::string Location() override { return mLocation; }

  bool mAvailable = true;
  int mShown = 0;
  int mHidden = 0;
  int mUpdates = 0;
  std::string mPage;
  std::string mLocation;
};

std::string ReadBytes(const std::string& path)
{
  std::ifstream input(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path)
{
  return std::ifstream(path).good();
}

class FlashHostTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    gbMissingNIB = false;
    gbFlashPlaying = false;
    SetMovieView(&mView);
    mSandbox.WriteFile("assets/intro.swf", "FWS movie");
    mSandbox.WriteFile("assets/story2.swf", "FWS movie");
    TFile::ScanForResources();
  }
  void TearDown() override
  {
    SetMovieView(nullptr);
    gbMissingNIB = false;
  }

  TVfsSandbox mSandbox;
  TFakeView mView;
};

} // namespace

TEST_F(FlashHostTest, AMissingMovieIsNeverReadyAndNothingShows)
{
  TFlashHost host("nothere.swf");
  EXPECT_FALSE(host.IsReady());
  EXPECT_FALSE(host.Start(false, false, false));
  EXPECT_FALSE(host.IsPlaying());
  EXPECT_FALSE(gbFlashPlaying);
  EXPECT_EQ(0, mView.mShown);
}

TEST_F(FlashHostTest, WithoutAMoviePlayerTheCinematicIsSkippedForGood)
{
  SetMovieView(nullptr);
  {
    TFlashHost host("intro.swf");
    EXPECT_FALSE(host.Start(false, true, false));
    EXPECT_FALSE(host.IsPlaying());
    EXPECT_FALSE(gbFlashPlaying);
  }
  EXPECT_TRUE(gbMissingNIB);
  // Even a working view is not tried again.
  SetMovieView(&mView);
  TFlashHost host("intro.swf");
  EXPECT_FALSE(host.IsReady());
}

TEST_F(FlashHostTest, ThePlayerMovieRunsSlowerOnlyForIntroAndOutro)
{
  ASSERT_EQ(1498u, kSwfDataSize);
  EXPECT_EQ(0, std::memcmp(_kSwfData, "FWS\x06", 4));
  const uint32_t length = _kSwfData[4] | _kSwfData[5] << 8 | _kSwfData[6] << 16 | uint32_t(_kSwfData[7]) << 24;
  EXPECT_EQ(1498u, length);
  {
    TFlashHost host("intro.swf");
    ASSERT_TRUE(host.Start(false, false, false));
    std::string player = ReadBytes(host.GetPlayerPath());
    ASSERT_EQ(1498u, player.size());
    EXPECT_EQ(12, player[18]);
  }
  TFlashHost host("story2.swf");
  ASSERT_TRUE(host.Start(false, false, false));
  EXPECT_EQ(30, ReadBytes(host.GetPlayerPath())[18]);
}

TEST_F(FlashHostTest, StringsFileKeysDropThePrefixUnlessTheyStartWithFlash)
{
  const std::pair<std::vector<std::pair<std::string, std::string>>, std::string> cases[] = {
      {{{"FLASH_INTRO", "Welcome"}, {"other", "x"}}, "INTRO@@~~@@~~Welcome@@~~@@~~"},
      {{{"flash01_02", "Chapter"}, {"other", "x"}}, "flash01_02@@~~@@~~Chapter@@~~@@~~"}};
  for (const auto& entry : cases) {
    TAppSandbox app;
    app.WriteFile("assets/strings.xml", StringTableXml(entry.first));
    app.WriteFile("assets/story2.swf", "FWS");
    app.Start();
    TFlashHost host("story2.swf");
    ASSERT_TRUE(host.Start(false, true, false));
    EXPECT_EQ(entry.second, ReadBytes(host.GetStringsPath()));
    EXPECT_NE(std::string::npos, mView.mPage.find("strings=" + EncodeParameter(AsFileURL(host.GetStringsPath()))));
  }
}

TEST_F(FlashHostTest, WithoutTranslationTheStringsAddressIsBareAndNoFileIsMade)
{
  TFlashHost host("story2.swf");
  ASSERT_TRUE(host.Start(true, false, false));
  EXPECT_TRUE(host.GetStringsPath().empty());
  EXPECT_NE(std::string::npos, mView.mPage.find("value=\"strings=file://&amp;swf="));
  EXPECT_NE(std::string::npos, mView.mPage.find("loop=\"true\""));
  EXPECT_NE(std::string::npos, mView.mPage.find("width=\"800\" height=\"600\""));
}

TEST_F(FlashHostTest, AddressesAreEscapedSoNoPathCanBreakThePage)
{
  EXPECT_EQ("file:///a%20b/c%2Bd/e%26f%23g%25h%22i", AsFileURL("/a b/c+d/e&f#g%h\"i"));
  EXPECT_EQ("a%26b%3Dc%2Bd%23e%25f:/x", EncodeParameter("a&b=c+d#e%f:/x"));
  // A zero byte is escaped like any other, never passed on raw.
  EXPECT_EQ("a%00b%C3%A9", EncodeParameter(std::string("a\0b\xC3\xA9", 5)));
  EXPECT_EQ("&lt;a href=&quot;x&quot;&gt;&amp;&#39;", EscapeHTML("<a href=\"x\">&'"));

  // A resources folder whose name holds every troublesome character.
  TVfsSandbox awkward;
  const std::string folder = awkward.Root() + "/R&D #1 \"100%\" a+b";
  std::filesystem::create_directories(folder + "/assets");
  std::ofstream(folder + "/assets/story2.swf") << "FWS";
  ASSERT_EQ(0, chdir(folder.c_str()));
  TFile::ScanForResources();
  TFlashHost host("story2.swf");
  ASSERT_TRUE(host.Start(false, false, false));
  const std::string& page = mView.mPage;
  const size_t value = page.find("name=\"flashvars\" value=\"");
  ASSERT_NE(std::string::npos, value);
  const std::string flashVars = page.substr(value + 24, page.find('"', value + 24) - value - 24);
  // Exactly three parameters and nothing that ends the attribute early.
  EXPECT_EQ(std::string::npos, flashVars.find('#'));
  EXPECT_EQ(std::string::npos, flashVars.find(' '));
  size_t separators = 0;
  for (size_t at = flashVars.find("&amp;"); at != std::string::npos; at = flashVars.find("&amp;", at + 1)) {
    ++separators;
  }
  EXPECT_EQ(2u, separators);
  EXPECT_NE(std::string::npos, flashVars.find("R%2526D%2520%25231%2520%2522100%2525%2522%2520a%252Bb"));
  EXPECT_EQ(std::string::npos, page.find(folder));
}

TEST_F(FlashHostTest, TheMovieEndsAtTheEndPageAndItsFilesGoWithTheHost)
{
  TWindowManager manager;
  std::string player, ending;
  {
    TFlashHost host("story2.swf");
    ASSERT_TRUE(host.IsReady());
    EXPECT_TRUE(gbFlashPlaying);
    EXPECT_EQ(1, mView.mShown);
    ASSERT_TRUE(host.Start(false, false, false));
    player = host.GetPlayerPath();
    ending = host.GetEndPagePath();
    EXPECT_TRUE(Exists(player));
    EXPECT_EQ(65u, ReadBytes(ending).size());
    EXPECT_TRUE(host.IsPlaying());
    EXPECT_EQ(1, mView.mUpdates);
    mView.mLocation = "applewebdata://" + ending;
    EXPECT_TRUE(host.IsPlaying());
    mView.mLocation = AsFileURL(ending);
    EXPECT_FALSE(host.IsPlaying());
    host.Stop();
  }
  EXPECT_FALSE(gbFlashPlaying);
  EXPECT_EQ(1, mView.mHidden);
  EXPECT_FALSE(Exists(player));
  EXPECT_FALSE(Exists(ending));
}

TEST_F(FlashHostTest, AHostThatOutlivesTheWindowManagerStopsSafely)
{
  TFlashHost* host = nullptr;
  {
    TWindowManager manager;
    host = new TFlashHost("story2.swf");
    ASSERT_TRUE(host->Start(false, false, false));
  }
  ASSERT_EQ(nullptr, TWindowManager::GetInstance());
  host->Stop();
  delete host;
  EXPECT_FALSE(gbFlashPlaying);
}
