// End-to-end tests of the story as a player plays it: from a fresh user folder through the
// map, a case's journal, its search room, its puzzles and its solved page; a case left in the
// middle by a quit and taken up again at the next start; timed play's clock, the second case's
// journal page, clue and torn letter; a round whose end is left by a quit at each of its dialogs.
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "e2e/e2ehiscores.h"
#include "e2e/e2estory.h"

namespace {

class StoryRoad : public EndToEnd
{
protected:
  std::string Capture(const std::string& name) { return "capture " + Path(name) + "\n"; }

  // From the title to the story's map: the register at the first start, Story, and for a new
  // story the choice of timed or relaxed play.
  static std::string ToTheMap(bool firstStart, bool timed = false)
  {
    std::string steps = "until game: main menu shown\nwait 300\n";
    if (firstStart) {
      steps += "click 400 239\ntext Holmes\nkey return\nuntil game: detective created\nwait 300\n";
      steps += "click 400 193\nwait 800\n" + std::string(timed ? "click 280 203\n" : "click 520 203\n");
    } else {
      steps += "click 400 193\n";
    }
    return steps + "until to stMap\nuntil Screen faded in: TMapScreen\n";
  }

  // The museum's case from the map to its end dialog, shown; the journal's first tip closed.
  std::string SolveTheMuseum()
  {
    std::string steps = "click 215 170\nuntil Overlay show dialog: museum_intro\n" + std::string(kDialogShown) +
                        kDialogContinue +
                        "until Tutorial: journal_search_tutorial\nwait 300\nclick 600 450\nwait 300\n" +
                        kJournalSearch + "until Overlay show dialog: museum_search_intro\n" + kDialogShown +
                        kJournalGone + kDialogContinue + kMouseAway + "wait 300\n" + Capture("museumroom.ppm");
    for (const TSpot& thing : kMuseumThings) {
      steps += Click(thing) + "until found " + thing.id + "\n";
    }
    return steps + "until Overlay show dialog: museum_search_end\n" + kDialogShown + kDialogContinue +
           "until Tutorial: identify_the_suspect_tutorial\nwait 300\nclick 440 440\nwait 300\n" + kJournalSuspects +
           "until Screen faded in: TSuspectPuzzleSequence\n" + kJournalGone + kMouseAway + "wait 100\n" +
           Capture("sequence.ppm") +
           "click 494 336\nwait 200\nclick 684 336\nwait 200\nclick 114 336\nwait 200\nclick 304 336\n"
           "until Journal open\n" +
           kJournalChecklist + "until Screen faded in: TSuspectPuzzleChecklist\n" + kJournalGone +
           "click 395 326\nuntil the way back to the map shows\n" + kSolvedContinue +
           "until Overlay show dialog: museum_end\n" + kDialogShown;
  }

  // A click at a point inside the scene's object, by where the scene file puts it: a puzzle's
  // cards and suspects are read from the data played, not from a picture of them.
  static std::string ClickInside(const std::string& resources, const std::string& scene, const std::string& id, int dx,
                                 int dy)
  {
    std::smatch at;
    const std::string text = ReadText(resources + "/assets/" + scene);
    if (!std::regex_search(text, at, std::regex("id=\"" + id + "\"[^>]* p=\"([0-9]+),([0-9]+)\""))) {
      ADD_FAILURE() << scene << " has no " << id;
      return "";
    }
    return "click " + std::to_string(std::stoi(at[1]) + dx) + " " + std::to_string(std::stoi(at[2]) + dy) + "\n";
  }

  // The library's case from the map to its end dialog, shown, the museum's being solved: its
  // room, its timeline in the order its configuration gives and its guilty suspect.
  std::string SolveTheLibrary(const std::string& resources)
  {
    std::string steps = "click 610 180\nuntil Overlay show dialog: library_intro\n" + std::string(kDialogShown) +
                        kDialogContinue + "until Journal open\nwait 300\n" + kJournalSearch +
                        "until Overlay show dialog: library_search_intro\n" + kDialogShown + kJournalGone +
                        kDialogContinue + kMouseAway + "wait 300\n";
    for (const TSpot& thing : kLibraryThings) {
      steps += Click(thing) + "until found " + thing.id + "\n";
    }
    steps += "until Overlay show dialog: library_search_end\n" + std::string(kDialogShown) + kDialogContinue +
             "until Journal open\nwait 300\n" + kJournalSuspects + "until Screen faded in: TSuspectPuzzleSequence\n" +
             kJournalGone;
    std::smatch match;
    const std::string sequence = ReadText(resources + "/assets/configs/puzzles/library_sequence.xml");
    EXPECT_TRUE(std::regex_search(sequence, match, std::regex("ids=\"([^\"]*)\"")));
    const std::string ids = match.empty() ? std::string() : match[1].str();
    const std::regex card("[a-z_]+");
    for (auto it = std::sregex_iterator(ids.begin(), ids.end(), card); it != std::sregex_iterator(); ++it) {
      steps += ClickInside(resources, "scenes/puzzles/library_sequence.sxm", it->str(), 85, 100) + "wait 200\n";
    }
    const std::string rounds = ReadText(resources + "/assets/configs/rounds_config.xml");
    EXPECT_TRUE(std::regex_search(rounds, match, std::regex("15_library[\\s\\S]*?guilty=\"([0-9])\"")));
    const std::string guilty = match.empty() ? std::string("0") : match[1].str();
    return steps + "until Journal open\n" + kJournalChecklist + "until Screen faded in: TSuspectPuzzleChecklist\n" +
           kJournalGone +
           ClickInside(resources, "scenes/puzzles/library_checklist.sxm", "suspect_" + guilty, 105, 100) +
           "until the way back to the map shows\n" + kSolvedContinue + "until Overlay show dialog: library_end\n" +
           kDialogShown;
  }

  // Pixels of a thing's place that changed between two frames of the room.
  static int Changed(const TImage& before, const TImage& after, const TSpot& spot)
  {
    return CountDifferent(before, after, spot.x - 15, spot.y - 15, spot.x + 15, spot.y + 15);
  }

  // The game's data with a round of the museum's case alone.
  std::string OneCaseResources()
  {
    const std::string resources = CopyStillResources();
    const std::string config = resources + "/assets/configs/rounds_config.xml";
    const std::string rounds = ReadText(config);
    std::ofstream(config, std::ios::trunc)
        << std::regex_replace(rounds, std::regex("<case location_id=\"15_library\">[\\s\\S]*?</case>"), "");
    return resources;
  }
};

// Letters' ink on the journal's paper, and the ruled lines under a case's description.
int Ink(const TImage& frame, int left, int top, int right, int bottom)
{
  return CountNear(frame, left, top, right, bottom, 41, 28, 18, 60);
}
int Rule(const TImage& frame, int y)
{
  return CountNear(frame, 70, y, 380, y + 1, 186, 187, 183, 16);
}
// The "Back to the map" button's red.
int ButtonRed(const TImage& frame, int left, int top, int right, int bottom)
{
  return CountNear(frame, left, top, right, bottom, 120, 50, 45, 35);
}
// The room's clock, in the strip under the room: its gold figures.
int RoomClock(const TImage& frame)
{
  return CountNear(frame, 660, 506, 770, 542, 250, 219, 130, 40);
}

// The lines in this order, each after the one before; the first missing one, or "".
std::string MissingInOrder(const std::string& log, const std::vector<std::string>& lines)
{
  size_t at = 0;
  for (const std::string& line : lines) {
    at = After(log, line, at);
    if (at == std::string::npos)
      return line;
  }
  return "";
}

} // namespace

TEST_F(StoryRoad, TheFirstCaseIsPlayedFromTheMapThroughItsRoomAndPuzzlesToTheSolvedStamp)
{
  const std::string resources = CopyStillResources();
  std::string steps = ToTheMap(true) + kMouseAway + Capture("map.ppm") +
                      // The museum on the map, its intro, the journal with its first tutorial.
                      "click 215 170\nuntil Overlay show dialog: museum_intro\n" + kDialogShown + kDialogContinue +
                      "until Tutorial: journal_search_tutorial\nwait 300\n" + Capture("journal.ppm") +
                      "click 600 450\nwait 300\n" + kJournalSearch +
                      "until Overlay show dialog: museum_search_intro\n" + kDialogShown + kJournalGone +
                      kDialogContinue + kMouseAway + "wait 300\n" + Capture("room0.ppm");
  // Every thing but the last, a look at the room once the last one found has faded, then the last.
  for (int i = 0; i < 5; ++i) {
    steps += Click(kMuseumThings[i]) + "until found " + kMuseumThings[i].id + "\n";
  }
  steps += std::string(kMouseAway) + "wait 1000\n" + Capture("room5.ppm") + Click(kMuseumThings[5]) +
           "until Overlay show dialog: museum_search_end\n" + kDialogShown + kDialogContinue +
           "until Tutorial: identify_the_suspect_tutorial\nwait 300\nclick 440 440\nwait 300\n" + kJournalSuspects +
           // The night's timeline, earliest card first.
           "until Screen faded in: TSuspectPuzzleSequence\n" + kJournalGone +
           "click 494 336\nwait 200\nclick 684 336\nwait 200\n"
           "click 114 336\nwait 200\nclick 304 336\n"
           "until Journal open\n" +
           kJournalChecklist +
           // Mr Pell, the one suspect with red gloves and a key.
           "until Screen faded in: TSuspectPuzzleChecklist\n" + kJournalGone + Capture("checklist.ppm") +
           "click 395 326\n" + "until the way back to the map shows\n" + Capture("solved.ppm") + kSolvedContinue +
           "until Overlay show dialog: museum_end\n" + kDialogShown + kJournalGone + kDialogContinue +
           "until from stCaseEnd to stMap\n" + kMouseAway + "wait 500\n" + Capture("map2.ppm") + kCloseAndLeave;
  TRun run = Run(steps, resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
  std::vector<std::string> road = {"Cinematic movies/round1_intro.swf skipped", "from stCinema to stMap",
                                   "from stMap to stCaseIntro", "from stCaseIntro to stJournal",
                                   "from stJournal to stSearch"};
  for (int i = 0; i < 6; ++i) {
    road.push_back(std::string("Search room: found ") + kMuseumThings[i].id + ", " + std::to_string(5 - i) + " left\n");
  }
  for (const char* line :
       {"from stSearch to stSearchEnd", "from stSearchEnd to stJournal", "from stJournal to stSuspectPuzzle",
        "event: evSequencePuzzleCompleted", "from stJournal to stSuspectPuzzle", "event: evChecklistPuzzleCompleted",
        "from stJournal to stCaseSolved", "from stCaseSolved to stCaseEnd", "from stCaseEnd to stMap",
        "game: close requested"}) {
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
  // Relaxed play shows no clock.
  EXPECT_LT(RoomClock(room0), 5);
  // The solved page says all it has to say, with the way back to the map below the book: the
  // clues on the left, the solution on the right, no button over either (the book's spine
  // between them shares the button's red).
  EXPECT_GT(Ink(solved, 110, 415, 380, 435), 60);
  EXPECT_GT(Ink(solved, 418, 420, 740, 452), 150);
  EXPECT_LT(ButtonRed(solved, 110, 400, 385, 480), 300);
  EXPECT_LT(ButtonRed(solved, 415, 400, 740, 480), 300);
  EXPECT_GT(ButtonRed(solved, 300, 534, 500, 590), 2000);
}

TEST_F(StoryRoad, ACaseLeftThroughTheQuitQuestionIsTakenUpWithTheThingsAlreadyFound)
{
  const std::string resources = CopyStillResources();
  // The library on the map, its intro, the journal, the room.
  std::string steps = ToTheMap(true) + MapToLibraryRoom() + Capture("room0.ppm");
  for (int i = 0; i < 2; ++i) {
    steps += Click(kLibraryThings[i]) + "until found " + kLibraryThings[i].id + "\n";
  }
  // The close box asks first: No plays on, Yes leaves with the case saved.
  steps += "close\nuntil game: asked: quit_title\nwait 200\n" + Capture("question.ppm") +
           "key escape\nuntil game: quit answered: no\n" + Click(kLibraryThings[2]) + "until found " +
           kLibraryThings[2].id + "\n" + kCloseAndLeave;
  TRun run = Run(steps, resources);
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

  // The next start: the story goes on where it was, and the room shows only what is left; the
  // journal's tip, read before the quit, is not shown again.
  steps = ToTheMap(false) + MapToLibraryRoomAgain() + Capture("room3.ppm");
  for (int i = 3; i < 6; ++i) {
    steps += Click(kLibraryThings[i]) + "until found " + kLibraryThings[i].id + "\n";
  }
  steps += "until to stSearchEnd\n" + kCloseAndLeave;
  TRun again = Run(steps, resources);
  ASSERT_TRUE(again.finished) << again.log;
  EXPECT_EQ(0, again.exitStatus) << again.log;
  EXPECT_TRUE(ErrorLines(again.log).empty()) << again.log;
  EXPECT_FALSE(Has(again.log, "Overlay show dialog: library_intro")) << again.log;
  EXPECT_FALSE(Has(again.log, "Tutorial:")) << again.log;
  EXPECT_EQ("",
            MissingInOrder(again.log, {"Resuming round 0 saved in stSearch", "from stStoryStart to stMap",
                                       "from stCaseIntro to stJournal, event: evPlayCase", "from stJournal to stSearch",
                                       "found bowler_hat, 2 left", "found lantern, 1 left", "found letter, 0 left",
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

TEST_F(StoryRoad, AHandlerThatCatchesItsStopIsStoppedOnceAndSigtermStillSavesTheThingsFound)
{
  const std::string resources = CopyStillResources();
  ASSERT_TRUE(AddCatchingHandler(resources));
  std::string steps = ToTheMap(true) + MapToLibraryRoom();
  for (int i = 0; i < 2; ++i) {
    steps += Click(kLibraryThings[i]) + "until found " + kLibraryThings[i].id + "\n";
  }
  steps += "text l\nuntil game: spinning\nsigterm\n";
  TRun run = Run(steps, resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.signal) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  const std::vector<std::string> errors = ErrorLines(run.log);
  ASSERT_EQ(1u, errors.size()) << run.log;
  EXPECT_NE(std::string::npos, errors[0].find("scripts/mainloop.lua:")) << errors[0];
  EXPECT_NE(std::string::npos, errors[0].find(": stopped: ")) << errors[0];
  // The quit, saved, within the time a session's end gives (a later one would be a second
  // line, and the alarm's kill a signal).
  EXPECT_EQ("", MissingInOrder(run.log, {"found ink_bottle, 4 left", "game: spinning", "game: close requested"}))
      << run.log;

  // The next start takes the room up with both things found.
  steps = ToTheMap(false) + MapToLibraryRoomAgain() + Click(kLibraryThings[2]) + "until found " + kLibraryThings[2].id +
          "\n" + kCloseAndLeave;
  TRun again = Run(steps, resources);
  ASSERT_TRUE(again.finished) << again.log;
  EXPECT_TRUE(ErrorLines(again.log).empty()) << again.log;
  EXPECT_EQ("", MissingInOrder(again.log, {"Resuming round 0 saved in stSearch", "found candle, 3 left"})) << again.log;
}

TEST_F(StoryRoad, TimedPlayShowsItsClockAndTheSecondCaseHasItsOwnPageClueAndWholeTornLetter)
{
  const std::string resources = CopyStillResources();
  // The museum's search begun, its first suspect found (Lady Ashcombe, by her umbrella) and
  // seen on its page; then the library.
  std::string steps =
      ToTheMap(true, true) + "click 215 170\nuntil Overlay show dialog: museum_intro\n" + kDialogShown +
      kDialogContinue + "until Tutorial: journal_search_tutorial\nwait 300\nclick 600 450\nwait 300\n" +
      kJournalSearch + "until Overlay show dialog: museum_search_intro\n" + kDialogShown + kJournalGone +
      kDialogContinue + kMouseAway + "wait 300\n" + Capture("museumroom.ppm") + Click(kMuseumThings[1]) +
      "until found umbrella\n" + kRoomToMap + "until from stSearch to stMap\nuntil Screen faded in: TMapScreen\n" +
      "click 215 170\nuntil from stCaseIntro to stJournal\nuntil Journal open\nwait 300\n" + kMouseAway +
      Capture("museumpage.ppm") + kJournalToMap + "until from stJournal to stMap\nuntil Journal closed\n" +
      "click 610 180\nuntil Overlay show dialog: library_intro\n" + kDialogShown + kDialogContinue +
      "until Journal open\nwait 300\n" + kMouseAway + Capture("librarypage.ppm") + kJournalSearch +
      "until Overlay show dialog: library_search_intro\n" + kDialogShown + kJournalGone + kDialogContinue + kMouseAway +
      "wait 300\n" + Capture("libraryroom.ppm") + Click(kLibraryThings[0]) +
      "until Overlay show dialog: library_clue_scissors\nuntil Screen faded in: TOverlayScreen\n" +
      Capture("clue.ppm") + kTornLetter + "until to stMetaPuzzle\nuntil Screen faded in: TMetaPuzzle\n" +
      "click 120 290\nwait 200\nclick 665 310\nwait 200\nclick 120 495\nwait 200\nclick 680 480\n"
      "until Meta puzzle: whole\n" +
      kMouseAway + "wait 1000\n" + Capture("letter.ppm") +
      "log the whole letter was seen\nclick 400 560\nuntil from stMetaPuzzle to stSearch\n" + kCloseAndLeave;
  TRun run = Run(steps, resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
  EXPECT_EQ("", MissingInOrder(run.log, {"game: play chosen: timed", "found umbrella", "from stSearch to stMap",
                                         "from stJournal to stMap", "Overlay show dialog: library_intro",
                                         "found scissors", "to stMetaPuzzle", "Meta puzzle: whole",
                                         "input: the whole letter was seen", "from stMetaPuzzle to stSearch"}))
      << run.log;

  const TImage museumRoom = ReadPpm(Path("museumroom.ppm"));
  const TImage museumPage = ReadPpm(Path("museumpage.ppm"));
  const TImage libraryPage = ReadPpm(Path("librarypage.ppm"));
  const TImage libraryRoom = ReadPpm(Path("libraryroom.ppm"));
  const TImage clue = ReadPpm(Path("clue.ppm"));
  const TImage letter = ReadPpm(Path("letter.ppm"));
  for (const TImage* frame : {&museumRoom, &museumPage, &libraryPage, &libraryRoom, &clue, &letter}) {
    ASSERT_EQ(800, frame->width) << run.log;
  }
  // The round's clock in the room and over the puzzle.
  EXPECT_GT(RoomClock(museumRoom), 40);
  EXPECT_GT(Ink(letter, 688, 18, 788, 54), 40);
  // The museum's page names the suspect found; the library's, where nobody is found yet,
  // names nobody.
  EXPECT_GT(Ink(museumPage, 420, 206, 520, 226), 20);
  for (int row : {206, 366}) {
    EXPECT_LT(Ink(libraryPage, 420, row, 740, row + 20), 5) << row;
  }
  // The case's description sits on the ruled lines: no rule crosses its letters, and its lines
  // stand on rules.
  int linesOnRules = 0;
  for (int y = 246; y < 356; ++y) {
    if (Rule(libraryPage, y) < 100) {
      continue;
    }
    EXPECT_LT(Ink(libraryPage, 70, y, 380, y + 1), 12) << "a rule at " << y << " crosses the letters";
    linesOnRules += Ink(libraryPage, 70, y - 1, 380, y) >= 20;
  }
  EXPECT_GE(linesOnRules, 2);
  // The clue's note leaves the torn letter's button in view.
  EXPECT_LT(CountDifferent(libraryRoom, clue, 614, 8, 784, 52), 20);
  EXPECT_GT(CountDifferent(libraryRoom, clue, 126, 14, 600, 100), 10000);
  // The whole letter, its four scraps in the outline, stays until the click.
  EXPECT_GT(CountNear(letter, 252, 207, 548, 423, 246, 240, 222, 30), 50000);
}

TEST_F(StoryRoad, ARoundEndLeftByAQuitAtEachOfItsDialogsIsTakenUpToTheEnd)
{
  const std::string resources = OneCaseResources();
  // The round's one case, played against the clock, left at its end dialog.
  TRun run = Run(ToTheMap(true, true) + SolveTheMuseum() + kCloseAndLeave, resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
  EXPECT_EQ("", MissingInOrder(run.log, {"from stCaseSolved to stCaseEnd", "Overlay show dialog: museum_end",
                                         "game: close requested"}))
      << run.log;
  EXPECT_FALSE(Has(run.log, "to stRoundEnd")) << run.log;
  const TImage sequence = ReadPpm(Path("sequence.ppm"));
  ASSERT_EQ(800, sequence.width) << run.log;
  EXPECT_GT(Ink(sequence, 688, 18, 788, 54), 40);

  // The next start goes on at the round's end, which scores the round, asking nothing about
  // the clock; it is left by a quit too.
  TRun second =
      Run(kResumeStory + "until Overlay show dialog: round1_end\n" + kDialogShown + kCloseAndLeave, resources);
  ASSERT_TRUE(second.finished) << second.log;
  EXPECT_TRUE(ErrorLines(second.log).empty()) << second.log;
  EXPECT_FALSE(Has(second.log, "play chosen")) << second.log;
  EXPECT_EQ("",
            MissingInOrder(second.log, {"Resuming round 0", "from stStoryStart to stMap", "from stMap to stRoundEnd",
                                        "Round scored:", "Overlay show dialog: round1_end"}))
      << second.log;
  // The time left when the case was solved paid, and the clock had run.
  const std::smatch scored = [&second] {
    std::smatch match;
    std::regex_search(second.log, match, std::regex("Extra_Time ([0-9]+), Puzzles ([0-9]+), Total_round ([0-9]+)"));
    return match;
  }();
  ASSERT_EQ(4u, scored.size()) << second.log;
  EXPECT_GT(std::stoi(scored[1]), 0);
  EXPECT_LT(std::stoi(scored[1]), 900 * 10);
  EXPECT_EQ(1000, std::stoi(scored[2]));

  // The start after: the round's end again, then its score, left by a quit.
  TRun third = Run(kResumeStory + "until Overlay show dialog: round1_end\n" + kDialogShown + kDialogContinue +
                       "until game: result: result_title\nwait 300\n" + kCloseAndLeave,
                   resources);
  ASSERT_TRUE(third.finished) << third.log;
  EXPECT_TRUE(ErrorLines(third.log).empty()) << third.log;
  EXPECT_FALSE(Has(third.log, "Round scored:")) << third.log;
  EXPECT_EQ("", MissingInOrder(third.log, {"from stMap to stRoundEnd", "from stRoundEnd to stRoundScore",
                                           "result: result_title", "game: close requested"}))
      << third.log;

  // The start after: the round's end and its score again, then the end of the story and the
  // title. The round's score is kept once.
  TRun fourth = Run(kResumeStory + "until Overlay show dialog: round1_end\n" + kDialogShown + kDialogContinue +
                        "until game: result: result_title\nwait 300\nkey return\n" +
                        "until to stTheEndCinema\nuntil game: main menu shown\n" + kCloseAndLeave,
                    resources);
  ASSERT_TRUE(fourth.finished) << fourth.log;
  EXPECT_TRUE(ErrorLines(fourth.log).empty()) << fourth.log;
  EXPECT_FALSE(Has(fourth.log, "Round scored:")) << fourth.log;
  EXPECT_EQ("",
            MissingInOrder(fourth.log, {"from stMap to stRoundEnd", "from stRoundEnd to stRoundScore",
                                        "result: result_title", "from stRoundScore to stStoryStart",
                                        "from stStoryStart to stTheEndCinema", "from stTheEndCinema to stMainMenu"}))
      << fourth.log;
  const std::vector<int> scores = HiscoreScores(Path("home"), 0, "Holmes");
  ASSERT_EQ(1u, scores.size()) << HiscoreText(Path("home"));
  EXPECT_EQ(std::stoi(scored[3]), scores[0]);
}

TEST_F(StoryRoad, ATimedRoundPlayedQuicklyPaysItsTimeLeftOnceAndEndsWithItsScore)
{
  const std::string resources = CopyStillResources();
  // Both cases of the round against the clock, then the round's end and its score.
  const std::string steps =
      ToTheMap(true, true) + SolveTheMuseum() + kJournalGone + kDialogContinue + "until from stCaseEnd to stMap\n" +
      SolveTheLibrary(resources) + kJournalGone + kDialogContinue + "until Overlay show dialog: round1_end\n" +
      kDialogShown + kDialogContinue + "until game: result: result_title\nwait 600\n" + kMouseAway +
      Capture("score.ppm") + "key return\nuntil to stTheEndCinema\nuntil game: main menu shown\n" + kCloseAndLeave;
  TRun run = Run(steps, resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
  EXPECT_EQ("", MissingInOrder(run.log, {"game: play chosen: timed", "Overlay show dialog: museum_end",
                                         "Overlay show dialog: library_end", "from stMap to stRoundEnd",
                                         "Round scored:", "from stRoundEnd to stRoundScore", "result: result_title",
                                         "from stRoundScore to stStoryStart", "from stStoryStart to stTheEndCinema"}))
      << run.log;
  EXPECT_FALSE(Has(run.log, "time_up")) << run.log;
  // The time left when the last case was solved, paid once: never more than the round's 900 s.
  std::smatch scored;
  ASSERT_TRUE(std::regex_search(run.log, scored, std::regex("Extra_Time ([0-9]+), Puzzles ([0-9]+)"))) << run.log;
  EXPECT_GT(std::stoi(scored[1]), 0);
  EXPECT_LE(std::stoi(scored[1]), 900 * 10);
  EXPECT_EQ(2000, std::stoi(scored[2]));
  // The round result window lies over the map: its parchment in the middle, the map's edge beside it.
  const TImage score = ReadPpm(Path("score.ppm"));
  ASSERT_EQ(800, score.width) << run.log;
  EXPECT_GT(Ink(score, 200, 150, 600, 380), 300);
}
