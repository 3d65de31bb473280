// End-to-end tests of the story as a player plays it: from a fresh user folder through the
// map, a case's journal, its search room, its puzzles and its solved stamp, and a case left
// in the middle by a quit and taken up again at the next start.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/e2eharness.h"

namespace {

// Where things are drawn on the 800 x 600 frame.
struct TSpot
{
  const char* id;
  int x, y;
};

// The things of each room's list, at a pixel of their pictures.
const TSpot kMuseumThings[] = {{"glove", 692, 386}, {"umbrella", 148, 288}, {"spectacles", 537, 302},
                               {"key", 526, 472},   {"ticket", 318, 470},   {"pipe", 196, 466}};
const TSpot kLibraryThings[] = {{"scissors", 96, 378},   {"ink_bottle", 446, 220}, {"candle", 505, 252},
                                {"bowler_hat", 742, 462}, {"lantern", 238, 392},   {"letter", 570, 452}};
// The overlay's dialogs: waits until one has faded in, its Continue, and the wait until it
// has faded out again. Steps wait for log lines, not times: the game's time runs slower
// than the clock when frames are slow (a sanitizer build).
const char kDialogShown[] = "until Screen faded in: TOverlayScreen\n";
// A screen opened from the journal takes clicks once the journal has faded out behind it.
const char kJournalGone[] = "until Journal closed\n";
const char kDialogContinue[] = "click 396 412\nuntil PostEvent: evDialogClosed\n";
// The journal's step buttons, the case-solved way back.
const char kJournalSearch[] = "click 130 564\n";
const char kJournalSuspects[] = "click 320 564\n";
const char kJournalChecklist[] = "click 510 564\n";
const char kSolvedContinue[] = "click 400 448\n";
// Out of the way of everything a frame is checked for.
const char kMouseAway[] = "move 400 560\n";

std::string Click(const TSpot& spot)
{
  return "click " + std::to_string(spot.x) + " " + std::to_string(spot.y) + "\n";
}

class StoryRoad : public EndToEnd
{
protected:
  std::string Capture(const std::string& name) { return "capture " + Path(name) + "\n"; }

  // From the title to the story's map: the register at the first start, Story, relaxed play.
  static std::string ToTheMap(bool firstStart)
  {
    std::string steps = "until game: main menu shown\nwait 300\n";
    if (firstStart) {
      steps += "click 400 239\ntext Holmes\nkey return\nuntil game: detective created\nwait 300\n";
    }
    return steps + "click 400 193\nwait 800\nclick 520 203\nuntil to stMap\nuntil Screen faded in: TMapScreen\n";
  }

  // Pixels of a thing's place that changed between two frames of the room.
  static int Changed(const TImage& before, const TImage& after, const TSpot& spot)
  {
    return CountDifferent(before, after, spot.x - 15, spot.y - 15, spot.x + 15, spot.y + 15);
  }
};

// The lines in this order, each after the one before; the first missing one, or "".
std::string MissingInOrder(const std::string& log, const std::vector<std::string>& lines)
{
  size_t at = 0;
  for (const std::string& line : lines) {
    at = After(log, line, at);
    if (at == std::string::npos) return line;
  }
  return "";
}

} // namespace

TEST_F(StoryRoad, TheFirstCaseIsPlayedFromTheMapThroughItsRoomAndPuzzlesToTheSolvedStamp)
{
  std::string steps = ToTheMap(true) + kMouseAway + Capture("map.ppm") +
                      // The museum on the map, its intro, the journal with its first tutorial.
                      "click 215 170\nuntil Overlay show dialog: museum_intro\n" + kDialogShown + kDialogContinue +
                      "until Tutorial: journal_search_tutorial\nwait 300\n" + Capture("journal.ppm") +
                      "click 600 450\nwait 300\n" + kJournalSearch + "until Overlay show dialog: museum_search_intro\n" +
                      kDialogShown + kJournalGone + kDialogContinue + kMouseAway + "wait 300\n" + Capture("room0.ppm");
  // Every thing but the last, a look at the room once the last one found has faded, then the last.
  for (int i = 0; i < 5; ++i) {
    steps += Click(kMuseumThings[i]) + "until found " + kMuseumThings[i].id + "\n";
  }
  steps += std::string(kMouseAway) + "wait 1000\n" + Capture("room5.ppm") + Click(kMuseumThings[5]) +
           "until Overlay show dialog: museum_search_end\n" + kDialogShown + kDialogContinue +
           "until Tutorial: identify_the_suspect_tutorial\nwait 300\nclick 440 440\nwait 300\n" + kJournalSuspects +
           // The night's timeline, earliest card first.
           "until Screen faded in: TSuspectPuzzleSequence\n" + kJournalGone + "click 494 336\nwait 200\nclick 684 336\nwait 200\n"
           "click 114 336\nwait 200\nclick 304 336\n"
           "until Journal open\n" + kJournalChecklist +
           // Mr Pell, the one suspect with red gloves and a key.
           "until Screen faded in: TSuspectPuzzleChecklist\n" + kJournalGone + Capture("checklist.ppm") + "click 395 326\n" +
           "until the way back to the map shows\n" + Capture("solved.ppm") + kSolvedContinue +
           "until Overlay show dialog: museum_end\n" + kDialogShown + kJournalGone + kDialogContinue +
           "until from stCaseEnd to stMap\n" + kMouseAway + "wait 500\n" + Capture("map2.ppm") + kCloseAndLeave;
  TRun run = Run(steps);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
  std::vector<std::string> road = {"Cinematic movies/round1_intro.swf skipped",
                                   "from stCinema to stMap",
                                   "from stMap to stCaseIntro",
                                   "from stCaseIntro to stJournal",
                                   "from stJournal to stSearch"};
  for (int i = 0; i < 6; ++i) {
    road.push_back(std::string("Search room: found ") + kMuseumThings[i].id + ", " + std::to_string(5 - i) + " left\n");
  }
  for (const char* line : {"from stSearch to stSearchEnd", "from stSearchEnd to stJournal",
                           "from stJournal to stSuspectPuzzle", "event: evSequencePuzzleCompleted",
                           "from stJournal to stSuspectPuzzle", "event: evChecklistPuzzleCompleted",
                           "from stJournal to stCaseSolved", "from stCaseSolved to stCaseEnd",
                           "from stCaseEnd to stMap", "game: close requested"}) {
    road.push_back(line);
  }
  EXPECT_EQ("", MissingInOrder(run.log, road)) << run.log;

  const TImage map = ReadPpm(Path("map.ppm"));
  const TImage journal = ReadPpm(Path("journal.ppm"));
  const TImage room0 = ReadPpm(Path("room0.ppm"));
  const TImage room5 = ReadPpm(Path("room5.ppm"));
  const TImage solved = ReadPpm(Path("solved.ppm"));
  const TImage map2 = ReadPpm(Path("map2.ppm"));
  for (const TImage* frame : {&map, &journal, &room0, &room5, &solved, &map2}) {
    ASSERT_EQ(800, frame->width) << run.log;
  }
  // The museum's red pin shows where to start; once solved, the pin goes and only the
  // library has one.
  EXPECT_GT(CountNear(map, 215, 85, 255, 135, 181, 28, 26, 30), 200);
  EXPECT_LT(CountNear(map2, 215, 85, 255, 135, 181, 28, 26, 30), 20);
  EXPECT_GT(CountNear(map2, 590, 85, 630, 135, 181, 28, 26, 30), 200);
  // Found things are gone from the room; the one still to find is drawn as before.
  for (int i = 0; i < 5; ++i) {
    EXPECT_GT(Changed(room0, room5, kMuseumThings[i]), 200) << kMuseumThings[i].id;
  }
  EXPECT_LT(Changed(room0, room5, kMuseumThings[5]), 60);
  // The red "CASE SOLVED" stamp across the book, which the journal did not show before.
  EXPECT_GT(CountNear(solved, 180, 170, 620, 350, 192, 31, 30, 40), 3000);
  EXPECT_LT(CountNear(journal, 180, 170, 620, 350, 192, 31, 30, 40), 100);
}

TEST_F(StoryRoad, ACaseLeftThroughTheQuitQuestionIsTakenUpWithTheThingsAlreadyFound)
{
  std::string steps = ToTheMap(true) +
                      // The library on the map, its intro, the journal, the room.
                      "click 610 180\nuntil Overlay show dialog: library_intro\n" + kDialogShown + kDialogContinue +
                      "until Tutorial: journal_search_tutorial\nwait 300\nclick 600 450\nwait 300\n" + kJournalSearch +
                      "until Overlay show dialog: library_search_intro\n" + kDialogShown + kJournalGone + kDialogContinue +
                      kMouseAway + "wait 300\n" + Capture("room0.ppm");
  for (int i = 0; i < 2; ++i) {
    steps += Click(kLibraryThings[i]) + "until found " + kLibraryThings[i].id + "\n";
  }
  // The close box asks first: No plays on, Yes leaves with the case saved.
  steps += "close\nuntil game: asked: quit_title\nwait 200\n" + Capture("question.ppm") +
           "key escape\nuntil game: quit answered: no\n" + Click(kLibraryThings[2]) + "until found " +
           kLibraryThings[2].id + "\n" + kCloseAndLeave;
  TRun run = Run(steps);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
  EXPECT_EQ("", MissingInOrder(run.log, {"from stJournal to stSearch", "found scissors, 5 left",
                                         "found ink_bottle, 4 left", "game: close requested", "game: quit answered: no",
                                         "found candle, 3 left", "game: close requested", "game: quit answered: yes"}))
      << run.log;
  // The question's parchment over the room.
  const TImage question = ReadPpm(Path("question.ppm"));
  ASSERT_EQ(800, question.width) << run.log;
  EXPECT_GT(CountNear(question, 160, 190, 640, 410, 230, 215, 175, 30), 50000);

  // The next start: the story goes on where it was, and the room shows only what is left.
  steps = ToTheMap(false) + "click 610 180\nuntil to stJournal\n" +
          "until Tutorial: journal_search_tutorial\nwait 300\nclick 600 450\nwait 300\n" + kJournalSearch +
          "until Overlay show dialog: library_search_intro\n" + kDialogShown + kJournalGone + kDialogContinue + kMouseAway +
          "wait 300\n" + Capture("room3.ppm");
  for (int i = 3; i < 6; ++i) {
    steps += Click(kLibraryThings[i]) + "until found " + kLibraryThings[i].id + "\n";
  }
  steps += "until to stSearchEnd\n" + kCloseAndLeave;
  TRun again = Run(steps);
  ASSERT_TRUE(again.finished) << again.log;
  EXPECT_EQ(0, again.exitStatus) << again.log;
  EXPECT_TRUE(ErrorLines(again.log).empty()) << again.log;
  EXPECT_FALSE(Has(again.log, "Overlay show dialog: library_intro")) << again.log;
  EXPECT_EQ("", MissingInOrder(again.log, {"Resuming round 0 saved in stSearch", "from stStoryStart to stMap",
                                           "from stCaseIntro to stJournal, event: evPlayCase",
                                           "from stJournal to stSearch", "found bowler_hat, 2 left",
                                           "found lantern, 1 left", "found letter, 0 left",
                                           "from stSearch to stSearchEnd"}))
      << again.log;

  const TImage room0 = ReadPpm(Path("room0.ppm"));
  const TImage room3 = ReadPpm(Path("room3.ppm"));
  ASSERT_EQ(800, room0.width) << run.log;
  ASSERT_EQ(800, room3.width) << again.log;
  for (int i = 0; i < 3; ++i) {
    EXPECT_GT(Changed(room0, room3, kLibraryThings[i]), 100) << kLibraryThings[i].id;
  }
  for (int i = 3; i < 6; ++i) {
    EXPECT_LT(Changed(room0, room3, kLibraryThings[i]), 60) << kLibraryThings[i].id;
  }
}
