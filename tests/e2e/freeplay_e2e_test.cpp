// End-to-end tests of free play: a new detective plays the museum against the clock by clicking
// the things where the room draws them, with a trip to the map half-way, sees the round's result
// and the score in the hiscores; a clock that runs out says so and scores what was found.
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/e2ehiscores.h"

namespace fs = std::filesystem;

namespace {

struct TThing
{
  const char* id;
  int x, y;
};

// The museum's free-play list, each at a point of its picture that is opaque (the spectacles
// through a tinted lens) whichever way the room turns it.
const TThing kMuseum[] = {{"teacup", 730, 284}, {"glove", 692, 386}, {"pocket_watch", 616, 404}, {"umbrella", 148, 273},
                          {"feather", 84, 256}, {"key", 526, 472},   {"spectacles", 537, 300},   {"pipe", 205, 465}};
// The museum on the free-play map, the room's way back to it, and the free-play button of the
// main menu.
const char kChooseMuseum[] = "click 235 180\n";
const char kRoomToMap[] = "click 714 569\n";
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
};

} // namespace

TEST_F(FreePlayEndToEnd, ANewDetectiveClearsTheMuseumAgainstTheClockAndFindsTheScoreInTheHiscores)
{
  const std::string resources = CopyStillResources();
  std::string steps = kSignIn;
  steps += kFreePlayButton;
  steps += "until to stFreePlayMap\n"
           "until Screen faded in\n" +
           Capture("map.ppm") + kChooseMuseum +
           "until to stFreePlaySearch\n"
           "until Screen faded in\n" +
           Capture("room.ppm") +
           // A click on bare floor is a miss and changes nothing.
           "click 400 160\n";
  for (const TThing& thing : kMuseum) {
    steps += "click " + std::to_string(thing.x) + " " + std::to_string(thing.y) + "\n";
    steps += "wait 120\n";
    if (std::string(thing.id) == "umbrella") {
      // Half-way, a look at the map and back: the room keeps its finds and their points.
      steps += "wait 400\n" + Capture("half.ppm") + kRoomToMap +
               "until from stFreePlaySearch to stFreePlayMap\n"
               "until Screen faded in\n" +
               kChooseMuseum + "until to stFreePlaySearch\nuntil Screen faded in\n";
    }
  }
  steps += "until to stFreePlayScore\n"
           "wait 600\n" +
           Capture("result.ppm") +
           "key return\n"
           "until from stFreePlayScore to stFreePlayMap\n"
           "wait 500\n" +
           Capture("mapagain.ppm") +
           // The map's way back to the menu, then the hiscores of the mode just played.
           "click 95 562\n"
           "until game: main menu shown\n"
           "wait 300\n"
           "click 400 417\n"
           "until game: hiscores shown\n"
           "wait 300\n" +
           Capture("hiscores.ppm") +
           "key escape\n"
           "wait 200\n" +
           kCloseAndLeave;
  TRun run = Run(steps, resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
  size_t at = 0;
  for (const char* line :
       {"game: detective created: Holmes", "game: free play chosen", "to stFreePlayMap",
        "to stFreePlaySearch, event: evLocationChosen", "from stFreePlaySearch to stFreePlayMap",
        "to stFreePlaySearch, event: evLocationChosen",
        "from stFreePlaySearch to stFreePlayScore, event: evSearchCompleted", "Round scored: Object_Found 800,",
        "result: result_title", "from stFreePlayScore to stFreePlayMap", "from stFreePlayMap to stMainMenu",
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
  // The first four things found are gone from where they were drawn, the others still there.
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
  const std::vector<int> scores = HiscoreScores(Path("home"), 1, "Holmes");
  ASSERT_EQ(1u, scores.size()) << HiscoreText(Path("home"));
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
                       "until Screen faded in\n" +
                       kChooseMuseum +
                       "until to stFreePlaySearch\n"
                       "until Screen faded in\n" +
                       Capture("roomagain.ppm") + kCloseAndLeave,
                   resources);
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
  const std::string resources = CopyStillResources();
  {
    std::ofstream rules(resources + "/assets/configs/game_rules.xml");
    rules << "<game_rules><scores object_found=\"100\" puzzle=\"500\" time_bonus=\"10\"/><freeplay time=\"3\"/>"
             "<story end_cinema=\"movies/the_end.swf\"/>"
             "<scenes title=\"scenes/title/title.sxm\" tutorial=\"scenes/tutorial/tutorial.sxm\"/></game_rules>";
  }
  std::string steps = kSignIn;
  steps += kFreePlayButton;
  // A first visit finds nothing before the time is up; the second finds two things.
  steps += "until to stFreePlayMap\n"
           "until Screen faded in\n" +
           std::string(kChooseMuseum) +
           "until to stFreePlayScore\n"
           "until game: result: result_timeup\n"
           "wait 300\n"
           "key return\n"
           "until from stFreePlayScore to stFreePlayMap\n"
           "wait 500\n" +
           kChooseMuseum +
           "until to stFreePlaySearch\n"
           "until Screen faded in\n" +
           Capture("first.ppm") + "click " + std::to_string(kMuseum[0].x) + " " + std::to_string(kMuseum[0].y) + "\n" +
           "click " + std::to_string(kMuseum[1].x) + " " + std::to_string(kMuseum[1].y) + "\n" +
           "until to stFreePlayScore\n"
           "wait 300\n"
           "key return\n"
           "until from stFreePlayScore to stFreePlayMap\n"
           "wait 500\n" +
           kChooseMuseum +
           "until to stFreePlaySearch\n"
           "until Screen faded in\n" +
           Capture("again.ppm") + kCloseAndLeave;
  TRun run = Run(steps, resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
  size_t at = 0;
  for (const char* line :
       {"from stFreePlaySearch to stFreePlayScore, event: evSearchTimeUp",
        "Round scored: Object_Found 0, Extra_Time 0, Puzzles 0, Total_round 0", "result: result_timeup",
        "from stFreePlaySearch to stFreePlayScore, event: evSearchTimeUp",
        "Round scored: Object_Found 200, Extra_Time 0, Puzzles 0, Total_round 200", "result: result_timeup"}) {
    at = After(run.log, line, at);
    ASSERT_NE(std::string::npos, at) << "missing, or out of order: " << line << "\n" << run.log;
  }
  // The round that scored nothing left no row in the hiscores.
  const std::vector<int> scores = HiscoreScores(Path("home"), 1, "Holmes");
  ASSERT_EQ(1u, scores.size()) << HiscoreText(Path("home"));
  EXPECT_EQ(200, scores[0]);
  // The teacup found before the clock ran out is back for the next visit.
  TImage first = ReadPpm(Path("first.ppm"));
  TImage again = ReadPpm(Path("again.ppm"));
  ASSERT_EQ(800, first.width) << run.log;
  ASSERT_EQ(800, again.width) << run.log;
  EXPECT_LT(ChangedAround(first, again, kMuseum[0]), 16);
}
