// End-to-end tests of the built program: start it headless, drive the main menu and its
// dialogs with scripted input, read their frames back and the log, and see it end cleanly.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "buildpaths.h"
#include "e2e/e2eharness.h"
#include "support/requirement.h"

namespace fs = std::filesystem;

namespace {

class AppEndToEnd : public EndToEnd
{};

} // namespace

TEST_F(AppEndToEnd, APlayerSignsInSetsTheMusicSeesHiscoresAndCreditsAndIsBackAfterARestart)
{
  // First start: the register asks for a name; then the options (the music slider dragged
  // to the left), the hiscore table and the credits, each closed again.
  const std::string first = "until game: main menu shown\n"
                            "wait 300\n"
                            "capture " +
                            Path("newplayer.ppm") +
                            "\n"
                            "click 400 239\n"
                            "text Holmes\n"
                            "wait 200\n"
                            "key return\n"
                            "wait 500\n"
                            "capture " +
                            Path("menu.ppm") +
                            "\n"
                            "click 400 305\n"
                            "wait 400\n"
                            "move 700 560\n"
                            "wait 100\n"
                            "capture " +
                            Path("options0.ppm") +
                            "\n"
                            "move 548 244\ndown 548 244\nmove 520 244\nmove 470 244\nup 470 244\n"
                            "move 700 560\n"
                            "wait 200\n"
                            "capture " +
                            Path("options1.ppm") +
                            "\n"
                            "click 400 431\n"
                            "wait 300\n"
                            "click 400 417\n"
                            "wait 400\n"
                            "capture " +
                            Path("hiscores.ppm") +
                            "\n"
                            "key escape\n"
                            "wait 300\n"
                            "click 400 473\n"
                            "wait 2000\n"
                            "capture " +
                            Path("credits.ppm") +
                            "\n"
                            "key escape\n"
                            "wait 300\n" +
                            kCloseAndLeave;
  TRun run = Run(first);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  for (const char* line :
       {"quillmoor-sleuth-bureau, version ", "First frame presented at ", "game: main menu shown",
        "game: detective created: Holmes", "game: detective: Holmes", "game: options shown", "game: options saved",
        "game: hiscores shown", "game: credits shown", "game: close requested"}) {
    EXPECT_TRUE(Has(run.log, line)) << line << "\n" << run.log;
  }
  EXPECT_FALSE(Has(run.log, "ERROR")) << run.log;

  TImage newPlayer = ReadPpm(Path("newplayer.ppm"));
  TImage menu = ReadPpm(Path("menu.ppm"));
  TImage options0 = ReadPpm(Path("options0.ppm"));
  TImage options1 = ReadPpm(Path("options1.ppm"));
  TImage hiscores = ReadPpm(Path("hiscores.ppm"));
  TImage credits = ReadPpm(Path("credits.ppm"));
  for (const TImage* frame : {&newPlayer, &menu, &options0, &options1, &hiscores, &credits}) {
    ASSERT_EQ(800, frame->width);
    ASSERT_EQ(600, frame->height);
  }
  // The register's parchment over the menu, and the menu's six buttons once it is gone.
  EXPECT_GT(CountNear(newPlayer, 150, 300, 650, 380, 230, 215, 175, 30), 20000);
  EXPECT_GT(CountNear(menu, 300, 195, 500, 525, 120, 45, 40, 45), 20000);
  EXPECT_LT(CountNear(menu, 150, 300, 650, 380, 230, 215, 175, 30), 2000);
  // The music thumb moved to the left, the effects thumb stayed.
  EXPECT_GT(CountDifferent(options0, options1, 355, 230, 630, 260), 100);
  EXPECT_EQ(0, CountDifferent(options0, options1, 355, 170, 630, 200));
  // The hiscore table fills the screen with its wide panel; the credits show text.
  EXPECT_GT(CountNear(hiscores, 40, 300, 760, 460, 230, 215, 175, 30), 80000);
  EXPECT_GT(CountDifferent(credits, options0, 160, 140, 640, 380), 1000);

  // A restart: the same detective is welcomed back without the register, at the same level.
  const std::string second = "until game: main menu shown\n"
                             "wait 300\n"
                             "capture " +
                             Path("menu2.ppm") +
                             "\n"
                             "click 400 305\n"
                             "wait 400\n"
                             "move 700 560\n"
                             "wait 100\n"
                             "capture " +
                             Path("options2.ppm") +
                             "\n"
                             "key escape\n"
                             "wait 200\n" +
                             kCloseAndLeave;
  TRun again = Run(second);
  ASSERT_TRUE(again.finished) << again.log;
  EXPECT_EQ(0, again.exitStatus) << again.log;
  EXPECT_TRUE(Has(again.log, "game: detective: Holmes")) << again.log;
  EXPECT_FALSE(Has(again.log, "detective created")) << again.log;
  EXPECT_FALSE(Has(again.log, "ERROR")) << again.log;
  TImage menu2 = ReadPpm(Path("menu2.ppm"));
  TImage options2 = ReadPpm(Path("options2.ppm"));
  ASSERT_EQ(800, menu2.width);
  ASSERT_EQ(800, options2.width);
  // The newcomer's greeting has become a welcome back.
  EXPECT_GT(CountDifferent(menu, menu2, 190, 115, 750, 147), 100);
  EXPECT_EQ(0, CountDifferent(options1, options2, 355, 170, 630, 260));

  // Nothing left in the temporary folder.
  EXPECT_TRUE(fs::is_empty(Path("tmp")));
}

TEST_F(AppEndToEnd, TypingGoesOnInTheEntryAfterAButtonWasClicked)
{
  const std::string steps = "until game: main menu shown\n"
                            "wait 300\n"
                            "click 400 239\n"
                            "text Hol\n"
                            "wait 100\n"
                            // The register's cancel button, which takes no focus.
                            "click 520 421\n"
                            "wait 100\n"
                            "text mes\n"
                            // Tab with the only entry focused keeps it there.
                            "key tab\n"
                            "text !\n"
                            "wait 200\n"
                            "key return\n"
                            "wait 300\n" +
                            kCloseAndLeave;
  TRun run = Run(steps);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_TRUE(Has(run.log, "game: detective created: Holmes!\n")) << run.log;
}

TEST_F(AppEndToEnd, SigtermAsksToCloseAndTheProgramEndsCleanly)
{
  // The session ends the game: the quit script leaves at once, without a question.
  TRun run = Run("until game: main menu shown\nwait 100\nsigterm\n");
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(Has(run.log, "game: close requested")) << run.log;
  EXPECT_FALSE(Has(run.log, "game: asked:")) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
  EXPECT_TRUE(fs::is_empty(Path("tmp")));
}

TEST_F(AppEndToEnd, AHandlerInAnEndlessLoopIsStoppedNamingItsScriptAndTheCloseBoxStillWorks)
{
  const std::string resources = CopyResources();
  std::ofstream(resources + "/assets/scripts/mainmenu.lua", std::ios::app)
      << "\nSetCommand( 'credits', function() GameLog( 'spinning' ) while true do end end )\n";
  TRun run = Run("until game: main menu shown\nwait 300\nclick 400 239\ntext Holmes\nkey return\n"
                 "until game: detective created\nwait 300\nclick 400 473\nuntil game: spinning\nwait 100\n" +
                     kCloseAndLeave,
                 resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  const std::vector<std::string> errors = ErrorLines(run.log);
  ASSERT_EQ(errors.size(), 1u) << run.log;
  EXPECT_NE(errors[0].find("scripts/mainmenu.lua:"), std::string::npos) << errors[0];
  EXPECT_NE(errors[0].find("stopped: the script ran too long"), std::string::npos) << errors[0];
  EXPECT_TRUE(Has(run.log, "game: quit answered: yes")) << run.log;
}

TEST_F(AppEndToEnd, MissingOrDamagedStartUpFilesAreLoggedAndTheProgramStillStarts)
{
  const std::string resources = CopyResources();
  std::ofstream(resources + "/assets/settings.xml") << "<settings><publisher>Quorvant</pub";
  fs::remove(resources + "/assets/strings.xml");
  fs::remove(resources + "/assets/fonts/default.mvec");
  TRun run = Run("until game: main menu shown\ncapture " + Path("frame.ppm") + "\n" + kCloseAndLeave, resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(Has(run.log, "ERROR: Settings file")) << run.log;
  EXPECT_TRUE(Has(run.log, "strings.xml")) << run.log;
  EXPECT_TRUE(Has(run.log, "default.mvec")) << run.log;
  EXPECT_TRUE(Has(run.log, "game: main menu shown")) << run.log;
  TImage frame = ReadPpm(Path("frame.ppm"));
  EXPECT_EQ(800, frame.width);
}

TEST_F(AppEndToEnd, DamagedOrMissingGameDataIsLoggedAndTheTitleStillShows)
{
  const std::string resources = CopyResources();
  std::ofstream(resources + "/assets/configs/rounds_config.xml") << "<rounds><round journal_scene=";
  fs::remove(resources + "/assets/scenes/case_journal/journal.sxm");
  std::ofstream(resources + "/assets/configs/loading.xml") << "\x01\x02 not xml";
  fs::remove(resources + "/assets/scenes/title/title.sxm");
  TRun run =
      Run("until game: main menu shown\nwait 300\ncapture " + Path("frame.ppm") + "\n" + kCloseAndLeave, resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  for (const char* file : {"rounds_config.xml", "journal.sxm", "loading.xml", "title.sxm"}) {
    bool logged = false;
    for (const std::string& line : ErrorLines(run.log)) {
      logged = logged || line.find(file) != std::string::npos;
    }
    EXPECT_TRUE(logged) << file << "\n" << run.log;
  }
  EXPECT_TRUE(Has(run.log, "Changing state from stLoading to stMainMenu")) << run.log;
  // The first start's register over the menu and an empty title.
  TImage frame = ReadPpm(Path("frame.ppm"));
  ASSERT_EQ(800, frame.width) << run.log;
  EXPECT_GT(CountNear(frame, 150, 300, 650, 380, 230, 215, 175, 30), 20000);
}

TEST_F(AppEndToEnd, WithoutAWorkingQuitScriptTheCloseRequestQuits)
{
  const std::string resources = CopyResources();
  fs::remove(resources + "/assets/scripts/quitverify.lua");
  TRun run = Run("wait 100\nclose\n", resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  std::vector<std::string> errors = ErrorLines(run.log);
  ASSERT_EQ(errors.size(), 1u) << run.log;
  EXPECT_EQ(errors[0], "ERROR: Script scripts/quitverify.lua cannot run: the file is missing");

  std::ofstream(resources + "/assets/scripts/quitverify.lua")
      << "GameLog( 'asking' )\nlocal answer = nil\nanswer.yes = 1\n";
  run = Run("wait 100\nclose\n", resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  errors = ErrorLines(run.log);
  ASSERT_EQ(errors.size(), 1u) << run.log;
  EXPECT_EQ(errors[0].rfind("ERROR: scripts/quitverify.lua:3: attempt to index a nil value", 0), 0u) << errors[0];

  // A script cut short: it neither quits nor asks.
  std::ofstream(resources + "/assets/scripts/quitverify.lua") << "GameLog( 'cut short' )\n";
  run = Run("wait 100\nclose\n", resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(Has(run.log, "game: cut short")) << run.log;
  errors = ErrorLines(run.log);
  ASSERT_EQ(errors.size(), 1u) << run.log;
  EXPECT_EQ(errors[0], "ERROR: Script scripts/quitverify.lua neither quit nor asked the player within 2000 ms of the "
                       "close request; quitting");
}

TEST_F(AppEndToEnd, AnEmptyResourcesFolderShowsWhatIsMissingAndStillCloses)
{
  fs::create_directories(Path("empty"));
  TRun run = Run("wait 200\ncapture " + Path("frame.ppm") + "\nclose\n", Path("empty"));
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(Has(run.log, "ERROR: Script scripts/mainloop.lua cannot run: the file is missing")) << run.log;
  TImage frame = ReadPpm(Path("frame.ppm"));
  ASSERT_EQ(800, frame.width) << run.log;
  EXPECT_GT(CountNear(frame, 40, 40, 760, 140, 255, 255, 255), 300);
}

TEST_F(AppEndToEnd, AFailingStartUpScriptIsShownOnTheScreenAndLogged)
{
  const std::string resources = CopyResources();
  // What the first script opens once the game has reached its title.
  std::ofstream(resources + "/assets/scripts/mainmenu.lua", std::ios::app)
      << "\nMakeDialog{ Text{ label = nil .. 'x' } }\n";
  TRun run = Run("until scripts/mainmenu.lua:\nwait 200\ncapture " + Path("frame.ppm") + "\nclose\n", resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  const std::vector<std::string> errors = ErrorLines(run.log);
  ASSERT_EQ(errors.size(), 1u) << run.log;
  EXPECT_NE(errors[0].find("scripts/mainmenu.lua:"), std::string::npos) << errors[0];
  EXPECT_NE(errors[0].find("attempt to concatenate a nil value"), std::string::npos) << errors[0];
  EXPECT_TRUE(Has(run.log, "game: close requested")) << run.log;
  // The error screen: white text on a dark ground instead of the menu.
  TImage frame = ReadPpm(Path("frame.ppm"));
  ASSERT_EQ(800, frame.width) << run.log;
  EXPECT_GT(CountNear(frame, 40, 40, 760, 140, 255, 255, 255), 300);
  EXPECT_LT(CountNear(frame, 300, 195, 500, 525, 120, 45, 40, 45), 100);
}

TEST_F(AppEndToEnd, AnEmptyMainMenuScriptFailsLikeTheOtherStartUpScripts)
{
  const std::string resources = CopyResources();
  std::ofstream(resources + "/assets/scripts/mainmenu.lua", std::ios::trunc);
  TRun run = Run("until built no menu\nwait 200\ncapture " + Path("frame.ppm") + "\nclose\n", resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  const std::vector<std::string> errors = ErrorLines(run.log);
  ASSERT_EQ(errors.size(), 1u) << run.log;
  EXPECT_NE(errors[0].find("scripts/mainmenu.lua built no menu: the script is empty or cut short"), std::string::npos)
      << run.log;
  EXPECT_FALSE(Has(run.log, "game: main menu shown")) << run.log;
  // The error screen instead of a title without a menu.
  TImage frame = ReadPpm(Path("frame.ppm"));
  ASSERT_EQ(800, frame.width) << run.log;
  EXPECT_GT(CountNear(frame, 40, 40, 760, 140, 255, 255, 255), 300);
}

TEST_F(AppEndToEnd, SigtermEndsTheProgramWithinSecondsWhateverTheQuitScriptDoes)
{
  const std::string resources = CopyResources();
  // A script that says it asks the player, and asks nobody.
  std::ofstream(resources + "/assets/scripts/quitverify.lua")
      << "GameLog( 'staying' )\nAnswerCloseRequest( 'asking' )\n";
  TRun run = Run("wait 100\nsigterm\n", resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(Has(run.log, "game: staying")) << run.log;
  EXPECT_LT(run.elapsedMs, 10000) << run.log;
  EXPECT_TRUE(Has(run.log, "ERROR: The scripts did not close the program")) << run.log;

  // A script that never ends is stopped with a line naming it, and the quit is a clean one.
  std::ofstream(resources + "/assets/scripts/quitverify.lua") << "GameLog( 'spinning' )\nwhile true do end\n";
  run = Run("until game: main menu shown\nwait 100\nsigterm\n", resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.signal) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(Has(run.log, "ERROR: scripts/quitverify.lua:2: stopped: ")) << run.log;
  EXPECT_LT(run.elapsedMs, 8000) << run.log;
}

TEST_F(AppEndToEnd, ASecondControlCEndsTheProgramAtOnce)
{
  const std::string resources = CopyResources();
  std::ofstream(resources + "/assets/scripts/quitverify.lua") << "GameLog( 'staying' )\n";
  TRun run = Run("wait 100\nsigint\nwait 300\nsigint\nwait 60000\n", resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(SIGINT, run.signal) << run.log;
  EXPECT_TRUE(Has(run.log, "game: staying")) << run.log;
  EXPECT_LT(run.elapsedMs, 10000) << run.log;
}

TEST_F(AppEndToEnd, WithoutADisplayTheProgramSaysSoInOneLineAndEnds)
{
  // Over a remote shell: no display at all.
  TRun run = Run("wait 100\nclose\n", "", {{"SDL_VIDEODRIVER", ""}, {"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}});
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_NE(0, run.exitStatus) << run.log;
  EXPECT_EQ(run.log,
            "ERROR: The game cannot show its window: there is no display (neither DISPLAY nor WAYLAND_DISPLAY is "
            "set); SDL_VIDEODRIVER=offscreen runs without one\n");

  // A display that does not answer: the drivers that show nothing are not taken instead.
  run = Run("wait 100\nclose\n", "",
            {{"SDL_VIDEODRIVER", ""}, {"DISPLAY", ":97"}, {"WAYLAND_DISPLAY", ""}, {"XDG_RUNTIME_DIR", Path("tmp")}});
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_NE(0, run.exitStatus) << run.log;
  ASSERT_EQ(ErrorLines(run.log).size(), 1u) << run.log;
  EXPECT_NE(run.log.find("no display can be opened"), std::string::npos) << run.log;
  EXPECT_EQ(std::count(run.log.begin(), run.log.end(), '\n'), 1) << run.log;
}

TEST_F(AppEndToEnd, AWindowOfTheFramesSizeShowsWhatTheFrameBufferWouldHaveShown)
{
  if (system("command -v xvfb-run > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "xvfb-run is not installed (tools/install-deps.sh installs xvfb)";
  }
  TRun first =
      Run("until game: main menu shown\nwait 300\nclick 400 239\ntext Holmes\nkey return\nwait 300\n" + kCloseAndLeave);
  ASSERT_TRUE(Has(first.log, "game: detective created: Holmes")) << first.log;
  // The offscreen driver's surface has one buffer: the frame is drawn into the frame buffer
  // object. A display server's window of the frame's size takes the frame itself.
  const std::string steps = "until game: main menu shown\nwait 300\nmove 795 595\nwait 100\ncapture ";
  TRun offscreen = Run(steps + Path("buffered.ppm") + "\n" + kCloseAndLeave);
  ASSERT_TRUE(offscreen.finished) << offscreen.log;
  TRun window = Run(steps + Path("direct.ppm") + "\n" + kCloseAndLeave, "",
                    {{"SDL_VIDEODRIVER", "x11"}, {"LIBGL_ALWAYS_SOFTWARE", "1"}},
                    {"xvfb-run", "-a", "-s", "-screen 0 1024x768x24"});
  ASSERT_TRUE(window.finished) << window.log;
  TImage buffered = ReadPpm(Path("buffered.ppm"));
  TImage direct = ReadPpm(Path("direct.ppm"));
  ASSERT_EQ(800, buffered.width) << offscreen.log;
  ASSERT_EQ(800, direct.width) << window.log;
  EXPECT_EQ(0, CountDifferent(buffered, direct, 190, 115, 750, 147));
}

TEST_F(AppEndToEnd, FullScreenWithoutAWindowManagerTakesClicksWhereTheFrameShowsThem)
{
  if (system("command -v xvfb-run > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "xvfb-run is not installed (tools/install-deps.sh installs xvfb)";
  }
  // A detective first, so the menu comes up at once.
  TRun first =
      Run("until game: main menu shown\nwait 300\nclick 400 239\ntext Holmes\nkey return\nwait 300\n" + kCloseAndLeave);
  ASSERT_TRUE(Has(first.log, "game: detective created: Holmes")) << first.log;
  // The menu's options button is at (400, 305) of the 800 x 600 frame; the screens scale it
  // up, keep it, or scale it and put bars beside it.
  struct TMode
  {
    const char* screen;
    int x, y;
  };
  for (const TMode& mode :
       {TMode{"1024x768x24", 512, 390}, TMode{"800x600x24", 400, 305}, TMode{"1280x720x24", 640, 366}}) {
    // The click once the switch is done (its fade to black is waited for), as the picture fades back.
    const std::string steps = "until game: main menu shown\nwait 300\nkey alt+return\n"
                              "until display: fading back from black\nwait 500\nclick " +
                              std::to_string(mode.x) + " " + std::to_string(mode.y) + "\nwait 600\n" + kCloseAndLeave;
    TRun run = Run(steps, "", {{"SDL_VIDEODRIVER", "x11"}, {"LIBGL_ALWAYS_SOFTWARE", "1"}},
                   {"xvfb-run", "-a", "-s", std::string("-screen 0 ") + mode.screen});
    ASSERT_TRUE(run.finished) << mode.screen << "\n" << run.log;
    EXPECT_EQ(0, run.exitStatus) << mode.screen << "\n" << run.log;
    EXPECT_TRUE(Has(run.log, "game: options shown")) << mode.screen << "\n" << run.log;
  }
}

// A program killed during the fades of a switch to full screen leaves the display as it was: the
// fades darken the game's own frames only, so the display's size and the root window's
// properties are as before, and its window goes with it.
TEST_F(AppEndToEnd, AKillDuringTheFadesOfAFullScreenSwitchLeavesTheDisplayAsItWas)
{
  for (const char* tool : {"xvfb-run", "xwininfo", "xdpyinfo", "xprop"}) {
    if (system((std::string("command -v ") + tool + " > /dev/null 2>&1").c_str()) != 0) {
      QV_SKIP_UNLESS_REQUIRED(std::string(tool) + " is not installed (tools/install-deps.sh installs it)");
    }
  }
  const std::string state = "{ xdpyinfo | grep dimensions; xprop -root; } > ";
  std::ofstream(Path("x.sh")) << "until_log 'game: main menu shown'\n"
                              << state << Path("before.txt") << "\n"
                              << "until_log 'display: fading back from black'\n"
                              << "kill -9 \"$program\"\n"
                              << "sleep 0.3\n"
                              << state << Path("after.txt") << "\n"
                              << "tree\n";
  TRun run = Run("until game: main menu shown\nwait 300\nkey alt+return\n", "",
                 {{"SDL_VIDEODRIVER", "x11"}, {"LIBGL_ALWAYS_SOFTWARE", "1"}},
                 {"xvfb-run", "-a", "-s", "-screen 0 1024x768x24", "sh",
                  std::string(QV_E2E_SOURCE_DIR) + "/xsession.sh", Path("x.sh"), Path("log.txt")});
  ASSERT_TRUE(run.finished) << run.log;
  // Killed, not ended, once the fade back had begun.
  EXPECT_EQ(128 + 9, run.exitStatus) << run.log;
  EXPECT_NE(std::string::npos,
            After(run.log, "display: fading back from black", After(run.log, "display: fading to black")))
      << run.log;
  const std::string before = ReadText(Path("before.txt"));
  EXPECT_TRUE(Has(before, "dimensions:    1024x768 pixels")) << before;
  EXPECT_EQ(before, ReadText(Path("after.txt")));
  EXPECT_FALSE(Has(run.log, "window: ")) << run.log;
}

// A start with the preference at full screen (a first start) on a 1024 x 768 X display, with and
// without a window manager: the window covers the display, and the register's entry and OK take
// a player's clicks at the X server where the scaled frame draws them.
class FullScreenStart : public EndToEnd, public ::testing::WithParamInterface<const char*>
{};

TEST_P(FullScreenStart, CoversTheDisplayAndTheRegisterTakesClicksWhereItIsDrawn)
{
  const std::string manager = GetParam();
  for (const char* tool : {"xvfb-run", "xdotool", "xwininfo", "xprop"}) {
    if (system((std::string("command -v ") + tool + " > /dev/null 2>&1").c_str()) != 0) {
      QV_SKIP_UNLESS_REQUIRED(std::string(tool) + " is not installed (tools/install-deps.sh installs it)");
    }
  }
  if (!manager.empty() && system(("command -v " + manager + " > /dev/null 2>&1").c_str()) != 0) {
    QV_SKIP_UNLESS_REQUIRED(manager + " is not installed (tools/install-deps.sh installs it)");
  }
  // The entry at (400, 239) and OK at (280, 422) of the frame, 1.28 times as far on the display.
  std::ofstream(Path("x.sh")) << "until_log 'game: main menu shown'\n"
                                 "sleep 0.5\n"
                                 "tree\n"
                                 "xdotool mousemove 512 306 click 1\n"
                                 "sleep 0.3\n"
                                 "xdotool type --delay 40 Holmes\n"
                                 "sleep 0.5\n"
                                 "xdotool mousemove 358 540 click 1\n";
  std::vector<std::string> wrapper = {
      "xvfb-run", "-a", "-s", "-screen 0 1024x768x24", "sh", std::string(QV_E2E_SOURCE_DIR) + "/xsession.sh"};
  if (!manager.empty()) {
    wrapper.push_back("--wm");
    wrapper.push_back(manager);
  }
  wrapper.push_back(Path("x.sh"));
  wrapper.push_back(Path("log.txt"));
  TRun run = Run("until game: detective created\nwait 300\n" + kCloseAndLeave, "",
                 {{"QV_WINDOWED", ""}, {"SDL_VIDEODRIVER", "x11"}, {"LIBGL_ALWAYS_SOFTWARE", "1"}}, wrapper);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(Has(run.log, "window: 1024x768+0+0\n")) << run.log;
  EXPECT_TRUE(Has(run.log, "game: detective created: Holmes\n")) << run.log;
  EXPECT_TRUE(ErrorLines(run.log).empty()) << run.log;
}

INSTANTIATE_TEST_SUITE_P(WindowManagers, FullScreenStart, ::testing::Values("", "openbox"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           return std::string(info.param).empty() ? std::string("None") : std::string(info.param);
                         });
