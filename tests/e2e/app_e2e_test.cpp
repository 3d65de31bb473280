// End-to-end tests of the built program: start it headless, drive the front-desk dialog
// with scripted input, read its frames back and its log, and see it end cleanly.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#ifndef QV_GAME_EXECUTABLE
#define QV_GAME_EXECUTABLE ""
#endif

namespace fs = std::filesystem;

namespace {

const int kRunTimeoutMs = 90000;

struct TRun
{
  bool finished = false;
  int exitStatus = -1;
  std::string log;
};

struct TImage
{
  int width = 0;
  int height = 0;
  std::vector<unsigned char> rgb;
  const unsigned char* At(int x, int y) const { return &rgb[(size_t(y) * width + x) * 3]; }
};

std::string ReadText(const std::string& path)
{
  std::ifstream input(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
}

// Reads the binary PPM frames the program captures.
TImage ReadPpm(const std::string& path)
{
  TImage image;
  std::string bytes = ReadText(path);
  int maxValue = 0, consumed = 0;
  if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &image.width, &image.height, &maxValue, &consumed) != 3) {
    return TImage();
  }
  const size_t size = size_t(image.width) * image.height * 3;
  if (bytes.size() < size_t(consumed) + 1 + size) {
    return TImage();
  }
  image.rgb.assign(bytes.end() - long(size), bytes.end());
  return image;
}

// Pixels of a rectangle that are near a colour.
int CountNear(const TImage& image, int left, int top, int right, int bottom, int r, int g, int b,
              int tolerance = 40)
{
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const unsigned char* p = image.At(x, y);
      if (std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance && std::abs(p[2] - b) <= tolerance) {
        ++count;
      }
    }
  }
  return count;
}

int CountDifferent(const TImage& a, const TImage& b, int left, int top, int right, int bottom)
{
  int count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      if (std::memcmp(a.At(x, y), b.At(x, y), 3) != 0) ++count;
    }
  }
  return count;
}

class AppEndToEnd : public ::testing::Test
{
protected:
  void SetUp() override
  {
    char const* base = std::getenv("QV_HOME");
    std::string pattern = std::string(base && base[0] ? base : "/tmp") + "/e2e-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back(0);
    ASSERT_NE(nullptr, mkdtemp(buffer.data()));
    mRoot = buffer.data();
    fs::create_directories(mRoot + "/home");
    fs::create_directories(mRoot + "/tmp");
    if (std::string(QV_GAME_EXECUTABLE).empty() || !fs::exists(QV_GAME_EXECUTABLE)) {
      GTEST_SKIP() << "the program was not built";
    }
  }
  void TearDown() override
  {
    std::error_code ignored;
    fs::remove_all(mRoot, ignored);
  }

  std::string Path(const std::string& name) const { return mRoot + "/" + name; }

  // Runs the program with the input steps; resources "" means the source tree's data.
  TRun Run(const std::string& steps, const std::string& resources = "")
  {
    const std::string script = Path("input.txt");
    std::ofstream(script) << steps;
    const std::string logPath = Path("log.txt");
    TRun run;
    pid_t child = fork();
    if (child == 0) {
      int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(log, 2);
      dup2(log, 1);
      setenv("SDL_VIDEODRIVER", "offscreen", 1);
      setenv("ALSOFT_DRIVERS", "null", 1);
      setenv("QV_HOME", Path("home").c_str(), 1);
      setenv("TMPDIR", Path("tmp").c_str(), 1);
      setenv("QV_INPUT_SCRIPT", script.c_str(), 1);
      if (!resources.empty()) setenv("QV_RESOURCES", resources.c_str(), 1);
      else unsetenv("QV_RESOURCES");
      execl(QV_GAME_EXECUTABLE, QV_GAME_EXECUTABLE, static_cast<char*>(nullptr));
      _exit(127);
    }
    if (child < 0) return run;
    int status = 0;
    // Waiting on another process: there is no clock to inject here.
    for (int waited = 0; waited < kRunTimeoutMs; waited += 20) {
      if (waitpid(child, &status, WNOHANG) == child) {
        run.finished = true;
        break;
      }
      usleep(20000);
    }
    if (!run.finished) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
    }
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.log = ReadText(logPath);
    return run;
  }

  std::string mRoot;
};

bool Has(const std::string& log, const std::string& line)
{
  return log.find(line) != std::string::npos;
}

} // namespace

TEST_F(AppEndToEnd, TheFrontDeskTakesClicksTypingEscapeAndCloseAndTheProgramEndsCleanly)
{
  const std::string steps = "capture " + Path("start.ppm") + "\n"
                            "move 300 330\n"
                            "click 400 208\n"
                            "text Holmes\n"
                            "wait 200\n"
                            "click 290 441\n"
                            "wait 200\n"
                            "capture " + Path("greet.ppm") + "\n"
                            "down 489 266\nmove 560 266\nmove 600 266\nup 600 266\n"
                            "wait 200\n"
                            "key escape\n"
                            "wait 200\n"
                            "capture " + Path("clear.ppm") + "\n"
                            "close\n";
  TRun run = Run(steps);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  for (const char* line : {"quillmoor-sleuth-bureau, version ", "First frame presented at ",
                           "game: front desk shown", "game: typed: Holmes", "game: greet: Holmes",
                           "game: button: greet", "game: lamp set", "game: cleared",
                           "game: close requested"}) {
    EXPECT_TRUE(Has(run.log, line)) << line << "\n" << run.log;
  }
  EXPECT_FALSE(Has(run.log, "ERROR")) << run.log;
  EXPECT_FALSE(Has(run.log, "Lua error")) << run.log;

  TImage start = ReadPpm(Path("start.ppm"));
  TImage greet = ReadPpm(Path("greet.ppm"));
  TImage clear = ReadPpm(Path("clear.ppm"));
  ASSERT_EQ(800, start.width);
  ASSERT_EQ(600, start.height);
  ASSERT_EQ(800, greet.width);
  ASSERT_EQ(800, clear.width);
  // The frame, the background and the gold title.
  EXPECT_EQ(CountNear(start, 0, 0, 8, 8, 70, 52, 30, 2), 64);
  const unsigned char* background = start.At(20, 300);
  EXPECT_GT(background[2], background[0] + 20);
  EXPECT_GT(CountNear(start, 40, 28, 400, 72, 214, 180, 90), 300);
  // Both buttons show their up state at first.
  EXPECT_GT(CountNear(start, 210, 425, 260, 432, 60, 110, 60, 6), 300);
  EXPECT_GT(CountNear(start, 430, 425, 480, 432, 60, 110, 60, 6), 300);
  // The greeting replaces "Ready." and the name shows in the entry.
  EXPECT_GT(CountDifferent(start, greet, 200, 318, 760, 346), 200);
  EXPECT_GT(CountDifferent(start, greet, 340, 192, 640, 222), 100);
  // The pointer rests over the greet button, which shows its rollover state.
  EXPECT_GT(CountNear(greet, 210, 425, 260, 432, 80, 150, 80, 6), 300);
  // Escape pressed the cancel button: the entry is empty again and the status changed.
  EXPECT_GT(CountDifferent(greet, clear, 200, 318, 760, 346), 200);
  EXPECT_LT(CountNear(clear, 342, 194, 638, 222, 255, 255, 255, 30), 5);
  // The entry is a visible field: a dark box inside a frame, which is bright while the
  // entry has the focus.
  EXPECT_GT(CountNear(start, 342, 194, 638, 222, 20, 20, 26, 12), 7000);
  EXPECT_GT(CountNear(clear, 340, 192, 640, 193, 255, 255, 255, 30), 290);
  // The thumb moved right.
  EXPECT_GT(CountDifferent(start, clear, 470, 250, 620, 282), 100);

  // Nothing left in the temporary folder.
  EXPECT_TRUE(fs::is_empty(Path("tmp")));
}

TEST_F(AppEndToEnd, TypingGoesOnInTheEntryAfterAButtonWasClicked)
{
  const std::string steps = "click 400 208\n"
                            "text Hol\n"
                            "wait 100\n"
                            "click 290 441\n"
                            "wait 100\n"
                            "text mes\n"
                            "wait 100\n"
                            // Tab with the only entry focused keeps it there.
                            "key tab\n"
                            "text !\n"
                            "wait 200\n"
                            "close\n";
  TRun run = Run(steps);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_TRUE(Has(run.log, "game: greet: Hol\n")) << run.log;
  EXPECT_TRUE(Has(run.log, "game: typed: Holmes!\n")) << run.log;
}

TEST_F(AppEndToEnd, SigtermAsksToCloseAndTheProgramEndsCleanly)
{
  TRun run = Run("wait 100\nsigterm\n");
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(Has(run.log, "game: close requested")) << run.log;
  EXPECT_TRUE(fs::is_empty(Path("tmp")));
}

TEST_F(AppEndToEnd, MissingOrDamagedStartUpFilesAreLoggedAndTheProgramStillStarts)
{
  const std::string resources = Path("resources");
  fs::copy(QV_SOURCE_DATA_DIR, resources, fs::copy_options::recursive);
  std::ofstream(resources + "/assets/settings.xml") << "<settings><publisher>Quorvant</pub";
  fs::remove(resources + "/assets/strings.xml");
  fs::remove(resources + "/assets/fonts/default.mvec");
  TRun run = Run("wait 100\ncapture " + Path("frame.ppm") + "\nclose\n", resources);
  ASSERT_TRUE(run.finished) << run.log;
  EXPECT_EQ(0, run.exitStatus) << run.log;
  EXPECT_TRUE(Has(run.log, "ERROR: Settings file")) << run.log;
  EXPECT_TRUE(Has(run.log, "strings.xml")) << run.log;
  EXPECT_TRUE(Has(run.log, "default.mvec")) << run.log;
  EXPECT_TRUE(Has(run.log, "game: front desk shown")) << run.log;
  TImage frame = ReadPpm(Path("frame.ppm"));
  EXPECT_EQ(800, frame.width);
}
