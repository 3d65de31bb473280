// e2eharness: starts the built program with its environment pointed at a test's own folders,
// waits for it, and reads its log and captured frames.
#include "buildpaths.h"
#include "e2e/e2eharness.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/requirement.h"
#include "support/testfolder.h"

#ifndef QV_GAME_EXECUTABLE
#define QV_GAME_EXECUTABLE ""
#endif

namespace fs = std::filesystem;

namespace {

const int kRunTimeoutMs = 90000;

} // namespace

const std::string kCloseAndLeave = "close\nuntil game: asked: quit_title\nkey return\n";

std::string ReadText(const std::string& path)
{
  std::ifstream input(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
}

TImage ReadPpm(const std::string& path)
{
  TImage image;
  std::string bytes = ReadText(path);
  int maxValue = 0, consumed = 0;
  if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &image.width, &image.height, &maxValue, &consumed) != 3 ||
      image.width <= 0 || image.height <= 0 || image.width > 16384 || image.height > 16384) {
    return TImage();
  }
  const size_t size = size_t(image.width) * image.height * 3;
  if (bytes.size() < size_t(consumed) + 1 + size) {
    return TImage();
  }
  image.rgb.assign(bytes.end() - long(size), bytes.end());
  return image;
}

int CountNear(const TImage& image, int left, int top, int right, int bottom, int r, int g, int b, int tolerance)
{
  int count = 0;
  for (int y = std::max(top, 0); y < std::min(bottom, image.height); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, image.width); ++x) {
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
  if (a.width != b.width || a.height != b.height)
    return -1;
  int count = 0;
  for (int y = std::max(top, 0); y < std::min(bottom, a.height); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, a.width); ++x) {
      if (std::memcmp(a.At(x, y), b.At(x, y), 3) != 0)
        ++count;
    }
  }
  return count;
}

std::vector<std::string> ErrorLines(const std::string& log)
{
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < log.size()) {
    size_t end = log.find('\n', start);
    if (end == std::string::npos)
      end = log.size();
    if (log.compare(start, 7, "ERROR: ") == 0)
      lines.push_back(log.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool Has(const std::string& log, const std::string& text)
{
  return log.find(text) != std::string::npos;
}

size_t After(const std::string& log, const std::string& text, size_t from)
{
  if (from == std::string::npos)
    return std::string::npos;
  const size_t at = log.find(text, from);
  return at == std::string::npos ? at : at + text.size();
}

void EndToEnd::SetUp()
{
  mRoot = MakeTestFolder("e2e");
  ASSERT_FALSE(mRoot.empty());
  fs::create_directories(mRoot + "/home");
  fs::create_directories(mRoot + "/tmp");
  if (std::string(QV_GAME_EXECUTABLE).empty() || !fs::exists(QV_GAME_EXECUTABLE)) {
    QV_SKIP_UNLESS_REQUIRED("the program was not built");
  }
}

void EndToEnd::TearDown()
{
  std::error_code ignored;
  fs::remove_all(mRoot, ignored);
}

TRun EndToEnd::Run(const std::string& steps, const std::string& resources,
                   const std::vector<std::pair<std::string, std::string>>& environment,
                   const std::vector<std::string>& wrapper)
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
    // A first start opens a window, not the whole screen.
    setenv("QV_WINDOWED", "1", 1);
    if (!resources.empty())
      setenv("QV_RESOURCES", resources.c_str(), 1);
    else
      unsetenv("QV_RESOURCES");
    for (const auto& variable : environment) {
      if (variable.second.empty())
        unsetenv(variable.first.c_str());
      else
        setenv(variable.first.c_str(), variable.second.c_str(), 1);
    }
    std::vector<std::string> command(wrapper);
    command.push_back(QV_GAME_EXECUTABLE);
    std::vector<char*> arguments;
    for (std::string& argument : command)
      arguments.push_back(&argument[0]);
    arguments.push_back(nullptr);
    execvp(arguments[0], arguments.data());
    _exit(127);
  }
  if (child < 0)
    return run;
  int status = 0;
  // Waiting on another process: there is no clock to inject here.
  for (int waited = 0; waited < kRunTimeoutMs; waited += 20) {
    if (waitpid(child, &status, WNOHANG) == child) {
      run.finished = true;
      run.elapsedMs = waited;
      break;
    }
    usleep(20000);
  }
  if (!run.finished) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
  }
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  run.log = ReadText(logPath);
  return run;
}

std::string EndToEnd::CopyResources()
{
  const std::string resources = Path("resources");
  fs::copy(QV_SOURCE_DATA_DIR, resources, fs::copy_options::recursive);
  if (fs::exists(QV_GENERATED_DATA_DIR)) {
    fs::copy(QV_GENERATED_DATA_DIR, resources, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  return resources;
}

std::string EndToEnd::CopyStillResources()
{
  const std::string resources = CopyResources();
  // A scene object's particle effect is its "pr" attribute.
  const std::regex effect(" pr=\"[^\"]*\"");
  for (const auto& entry : fs::recursive_directory_iterator(resources)) {
    if (entry.is_regular_file() && entry.path().extension() == ".sxm") {
      const std::string scene = ReadText(entry.path().string());
      std::ofstream(entry.path(), std::ios::binary | std::ios::trunc) << std::regex_replace(scene, effect, "");
    }
  }
  return resources;
}
