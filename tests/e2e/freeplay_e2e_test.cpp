// End-to-end tests of free play: a new detective plays the museum against the clock by clicking
// the things where the room draws them, sees the round's result and the score in the hiscores.
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/e2eharness.h"
#include "flow/vellumkitinit.h"
#include "support/blowfishoracle.h"

namespace fs = std::filesystem;

namespace {

struct TThing
{
  const char* id;
  int x, y;
};

// The museum's free-play list, each at a point of its picture that is opaque (the spectacles
// through a tinted lens) whichever way the room turns it.
const TThing kMuseum[] = {{"teacup", 730, 284},  {"glove", 692, 386},    {"pocket_watch", 616, 404},
                          {"umbrella", 148, 273}, {"feather", 84, 256},   {"key", 526, 472},
                          {"spectacles", 537, 300}, {"pipe", 205, 465}};
// The museum on the free-play map, and the free-play button of the main menu.
const char kChooseMuseum[] = "click 235 180\n";
const char kFreePlayButton[] = "click 400 249\n";
const char kSignIn[] = "until game: main menu shown\n"
                       "wait 300\n"
                       "click 400 239\n"
                       "text Holmes\n"
                       "key return\n"
                       "until game: detective created\n"
                       "wait 300\n";

// Pixels of the 8 x 8 square at a thing's point that differ between two frames.
int ChangedAround(const TImage& a, const TImage& b, const TThing& thing)
{
  return CountDifferent(a, b, thing.x - 4, thing.y - 4, thing.x + 4, thing.y + 4);
}

class FreePlayEndToEnd : public EndToEnd
{
protected:
  std::string Capture(const std::string& name) { return "capture " + Path(name) + "\n"; }

  // The local free-play table's rows in the saved hiscore file, deciphered.
  std::string HiscoreText()
  {
    const std::string bytes = ReadText(Path("home/user/hiscore.dat"));
    if (bytes.size() < 16 || (bytes.size() - 8) % 8 != 0) {
      return "";
    }
    oracle::TBlowfishOracle cipher{std::string(ENCRYPTION_KEY)};
    std::vector<uint8_t> plain;
    if (!cipher.DecryptPadded(std::vector<uint8_t>(bytes.begin(), bytes.end() - 8), &plain)) {
      return "";
    }
    return std::string(plain.begin(), plain.end());
  }

  // Scores of the rows the hiscore file keeps for free play under the name.
  std::vector<int> FreePlayScores(const std::string& name)
  {
    // The file's XML is laid out over lines: one space stands for any run of white space.
    const std::string text = std::regex_replace(HiscoreText(), std::regex("\\s+"), " ");
    const size_t table = text.find(std::string("<score name=\"") + QVGAMEMODENAMES[1] + "\"");
    std::vector<int> scores;
    if (table == std::string::npos) {
      return scores;
    }
    const std::string rows = text.substr(table, text.find("</score>", table) - table);
    const std::regex row("<row [^>]*score=\"([0-9]+)\"[^>]*name=\"" + name + "\"");
    for (auto it = std::sregex_iterator(rows.begin(), rows.end(), row); it != std::sregex_iterator(); ++it) {
      scores.push_back(std::stoi((*it)[1]));
    }
    return scores;
  }
};

} // namespace

TEST_F(FreePlayEndToEnd, ANewDetectiveClearsTheMuseumAgainstTheClockAndFindsTheScoreInTheHiscores)
{
  std::string steps = kSignIn;
  steps += kFreePlayButton;
  steps += "until to stFreePlayMap\n"
           "until Screen faded in\n" + Capture("map.ppm") + kChooseMuseum +
           "until to stFreePlaySearch\n"
           "until Screen faded in\n" + Capture("room.ppm") +
           // A click on bare floor is a miss and changes nothing.
           "click 400 160\n";
  for (const TThing& thing : kMuseum) {
    steps += "click " + std::to_string(thing.x) + " " + std::to_string(thing.y) + "\n";
    steps += "wait 120\n";
    if (std::string(thing.id) == "umbrella") {
      steps += "wait 400\n" + Capture("half.ppm");
    }
  }
  steps += "until to stFreePlayScore\n"
           "wait 600\n" + Capture("result.ppm") +
           "key return\n"
           "until from stFreePlayScore to stFreePlayMap\n"
           "wait 500\n" + Capture("mapagain.ppm") +
           // The map's way back to the menu, then the hiscores of the mode just played.
           "click 95 562\n"
           "until game: main menu shown\n"
           "wait 300\n"
           "click 400 417\n"
           "until game: hiscores shown\n"
           "wait 300\n" + Capture("hiscores.ppm") +
           "key escape\n"
           "wait 200\n"
           + kCloseAndLeave;
  TRun run = Run(steps);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
  size_t at = 0;
  for (const char* line : {"game: detective created: Holmes", "game: free play chosen", "to stFreePlayMap",
                           "to stFreePlaySearch, event: evLocationChosen",
                           "from stFreePlaySearch to stFreePlayScore, event: evSearchCompleted",
                           "from stFreePlayScore to stFreePlayMap", "from stFreePlayMap to stMainMenu",
                           "game: hiscores shown", "game: close requested"}) {
    at = After(run.log, line, at);
    ASSERT_NE(std::string::npos, at) << "missing, or out of order: " << line << "\n" << run.log;
  }

  TImage map = ReadPpm(Path("map.ppm"));
  TImage room = ReadPpm(Path("room.ppm"));
  TImage half = ReadPpm(Path("half.ppm"));
  TImage result = ReadPpm(Path("result.ppm"));
  TImage mapAgain = ReadPpm(Path("mapagain.ppm"));
  TImage hiscores = ReadPpm(Path("hiscores.ppm"));
  for (const TImage* frame : {&map, &room, &half, &result, &mapAgain, &hiscores}) {
    ASSERT_EQ(800, frame->width);
    ASSERT_EQ(600, frame->height);
  }
  // The map is drawn (not a black fade) and differs from the room.
  EXPECT_LT(CountNear(map, 0, 0, 800, 600, 0, 0, 0, 8), 800 * 600 / 4);
  EXPECT_GT(CountDifferent(map, room, 0, 0, 800, 500), 800 * 500 / 2);
  // The first four things found are gone from where they were drawn, the others still there
  // (a speck of the room's drifting dust may cross one).
  for (int i = 0; i < 8; ++i) {
    const TThing& thing = kMuseum[i];
    const int changed = ChangedAround(room, half, thing);
    if (i < 4) {
      EXPECT_GT(changed, 48) << thing.id;
    } else {
      EXPECT_LT(changed, 16) << thing.id;
    }
  }
  // The result's parchment over the map, whole beside it; the map again once it is closed.
  EXPECT_GT(CountDifferent(result, mapAgain, 300, 150, 650, 350), 800 * 600 / 4 / 2);
  EXPECT_LT(CountDifferent(result, mapAgain, 0, 150, 110, 520), 200);
  EXPECT_LT(CountDifferent(map, mapAgain, 300, 150, 650, 350), 200);
  EXPECT_GT(CountNear(hiscores, 40, 300, 760, 460, 230, 215, 175, 30), 80000);

  // One free-play score: every thing found and the seconds left on the three minutes.
  const std::vector<int> scores = FreePlayScores("Holmes");
  ASSERT_EQ(1u, scores.size()) << HiscoreText();
  EXPECT_GT(scores[0], 800 + 10 * 120);
  EXPECT_LE(scores[0], 800 + 10 * 180);
  // The free-play record was saved where the next start finds it.
  const std::string saved = ReadText(Path("home/user/freeplay_test_gamesave.dat"));
  ASSERT_GE(saved.size(), 20u);
  EXPECT_EQ("QSB1", saved.substr(0, 4));
  EXPECT_EQ(2, saved[4]);
  EXPECT_TRUE(fs::is_empty(Path("tmp")));

  // The next start goes on from the saved free play: the cleared museum is there to play afresh.
  TRun again = Run(std::string("until game: main menu shown\nwait 300\n") + kFreePlayButton +
                   "until to stFreePlayMap\n"
                   "until Screen faded in\n" + kChooseMuseum +
                   "until to stFreePlaySearch\n"
                   "until Screen faded in\n" + Capture("roomagain.ppm") + kCloseAndLeave);
  ASSERT_TRUE(again.finished) << again.log;
  EXPECT_EQ(0, again.exitStatus) << again.log;
  EXPECT_TRUE(ErrorLines(again.log).empty()) << again.log;
  EXPECT_FALSE(Has(again.log, "detective created")) << again.log;
  TImage roomAgain = ReadPpm(Path("roomagain.ppm"));
  ASSERT_EQ(800, roomAgain.width) << again.log;
  for (const TThing& thing : kMuseum) {
    EXPECT_LT(ChangedAround(room, roomAgain, thing), 16) << thing.id;
  }
}

TEST_F(FreePlayEndToEnd, WhenTheClockRunsOutTheThingsFoundAreScoredAndTheRoomStartsAfreshNextTime)
{
  const std::string resources = CopyResources();
  {
    std::ofstream rules(resources + "/assets/configs/game_rules.xml");
    rules << "<game_rules><scores object_found=\"100\" puzzle=\"500\" time_bonus=\"10\"/><freeplay time=\"3\"/>"
             "<story end_cinema=\"movies/the_end.swf\"/>"
             "<scenes title=\"scenes/title/title.sxm\" tutorial=\"scenes/tutorial/tutorial.sxm\"/></game_rules>";
  }
  std::string steps = kSignIn;
  steps += kFreePlayButton;
  steps += "until to stFreePlayMap\n"
           "until Screen faded in\n" + std::string(kChooseMuseum) +
           "until to stFreePlaySearch\n"
           "until Screen faded in\n" + Capture("first.ppm") +
           "click " + std::to_string(kMuseum[0].x) + " " + std::to_string(kMuseum[0].y) + "\n" +
           "click " + std::to_string(kMuseum[1].x) + " " + std::to_string(kMuseum[1].y) + "\n" +
           "until to stFreePlayScore\n"
           "wait 300\n"
           "key return\n"
           "until from stFreePlayScore to stFreePlayMap\n"
           "wait 500\n" + kChooseMuseum +
           "until to stFreePlaySearch\n"
           "until Screen faded in\n" + Capture("again.ppm") + kCloseAndLeave;
  TRun run = Run(steps, resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
  EXPECT_TRUE(Has(run.log, "from stFreePlaySearch to stFreePlayScore, event: evSearchTimeUp")) << run.log;
  const std::vector<int> scores = FreePlayScores("Holmes");
  ASSERT_EQ(1u, scores.size()) << HiscoreText();
  EXPECT_EQ(200, scores[0]);
  // The teacup found before the clock ran out is back for the next visit.
  TImage first = ReadPpm(Path("first.ppm"));
  TImage again = ReadPpm(Path("again.ppm"));
  ASSERT_EQ(800, first.width) << run.log;
  ASSERT_EQ(800, again.width) << run.log;
  EXPECT_LT(ChangedAround(first, again, kMuseum[0]), 16);
}
