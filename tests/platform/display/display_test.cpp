// Tests of the display: the first window and its black frame, full screen, the cursor
// rules, the hardware cursor, letterboxing, the fatal path, shell-free browser launch and
// frame captures.
#include <fstream>
#include <sys/wait.h>

#include <SDL.h>

#include "core/window/event.h"
#include "core/graphics/displayhost.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "core/window/screen.h"
#include "core/window/windowmanager.h"
#include "gl/framepresenter.h"
#include "gl/gldisplayhandler.h"
#include "platform/browser.h"
#include "platform/display/cursor.h"
#include "platform/display/event.h"
#include "platform/display/inputscript.h"
#include "core/foundation/debug.h"
#include "support/apptestutil.h"
#include "support/faketimer.h"

namespace {

std::string ReadText(const std::string& path)
{
  std::ifstream input(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(input), std::istreambuf_iterator<char>());
}

std::vector<uint8_t> Frame()
{
  TRenderer::GetInstance();
  TGLDisplayHandler* handler = TGLDisplayHandler::GetInstance();
  return ReadFrameRGBA(handler->GetFrameBuffer(), 800, 600);
}

} // namespace

TEST(Display, TheFirstSetDisplayMakesOneWindowAndOneBlackFrame)
{
  TAppSandbox sandbox;
  TPlatform* platform = sandbox.Start();
  platform->SetWindowTitle("Quillmoor");
  platform->SetDisplay(800, 600, false);
  void* window = platform->GetData()->GetNativeWindow();
  ASSERT_NE(nullptr, window);
  EXPECT_STREQ("Quillmoor", SDL_GetWindowTitle(static_cast<SDL_Window*>(window)));
  TScreen* screen = TWindowManager::GetInstance()->GetScreen();
  ASSERT_NE(nullptr, screen);
  EXPECT_EQ(800, screen->GetRect().right - screen->GetRect().left);
  EXPECT_EQ(600, screen->GetRect().bottom - screen->GetRect().top);

  std::vector<uint8_t> frame = Frame();
  ASSERT_EQ(800u * 600u * 4u, frame.size());
  for (size_t pixel : {size_t(0), size_t(400 * 800 + 300), size_t(800 * 600 - 1)}) {
    EXPECT_EQ(0, frame[pixel * 4] | frame[pixel * 4 + 1] | frame[pixel * 4 + 2]) << pixel;
  }
  unsigned width = 0, height = 0;
  bool fullscreen = true;
  platform->GetDisplay(&width, &height, &fullscreen);
  EXPECT_EQ(800u, width);
  EXPECT_EQ(600u, height);
  EXPECT_FALSE(fullscreen);

  // Again at the same size: the same window.
  platform->SetDisplay(800, 600, false);
  EXPECT_EQ(window, platform->GetData()->GetNativeWindow());
}

TEST(Display, FullScreenTwiceSucceedsAndBackToAWindow)
{
  TAppSandbox sandbox;
  // The switch's fade to black is waited for on this clock.
  TFakeTimer clock;
  TPlatform* platform = sandbox.Start();
  platform->SetDisplay(800, 600, false);
  EXPECT_TRUE(platform->SetFullscreen(true));
  EXPECT_TRUE(platform->IsFullscreen());
  EXPECT_TRUE(platform->SetFullscreen(true));
  EXPECT_TRUE(platform->SetFullscreen(false));
  EXPECT_FALSE(platform->IsFullscreen());
  unsigned width = 0, height = 0;
  platform->GetDisplay(&width, &height, nullptr);
  EXPECT_EQ(800u, width);
  EXPECT_EQ(600u, height);
}

TEST(Display, HidingTheApplicationInFullScreenLeavesTheModeAndComesBack)
{
  TAppSandbox sandbox;
  TPlatform* platform = sandbox.Start();
  platform->SetDisplay(800, 600, true);
  TPlatformData* data = platform->GetData();
  SDL_Window* window = static_cast<SDL_Window*>(data->GetNativeWindow());
  if (!(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN)) {
    GTEST_SKIP() << "this video driver offers no full screen";
  }
  data->SwapDisplayMode();
  EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
  EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN);
  // The player's choice survives.
  EXPECT_TRUE(platform->IsFullscreen());
  data->SwapDisplayMode();
  EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN);
  EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN);

  // While a cinematic plays the window stays as it is.
  gbFlashPlaying = true;
  data->SwapDisplayMode();
  EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN);
  gbFlashPlaying = false;
}

TEST(Display, TheWindowTellsAFramesFactsInTheOneCallBeforeIt)
{
  TAppSandbox sandbox;
  TPlatform* platform = sandbox.Start();
  platform->SetDisplay(800, 600, false);
  TPlatformData* data = platform->GetData();
  SDL_WarpMouseInWindow(static_cast<SDL_Window*>(data->GetNativeWindow()), 100, 120);
  TEvent event;
  for (int pumped = 0; pumped < 5; ++pumped)
    platform->GetEvent(&event);
  TDisplayHost* host = TDisplayHost::Get();
  ASSERT_NE(nullptr, host);
  const TFrameFacts frame = host->BeginFrame();
  int width = 0, height = 0;
  data->GetDrawableSize(&width, &height);
  EXPECT_EQ(width, frame.mDrawableWidth);
  EXPECT_EQ(height, frame.mDrawableHeight);
  EXPECT_EQ(100, frame.mPointer.x);
  EXPECT_EQ(120, frame.mPointer.y);
  EXPECT_EQ(host->WantsSoftwareCursor(), frame.mDrawCursor);
}

TEST(Display, HidingTheCursorKeepsTheSystemCursorOutsideTheWindow)
{
  TAppSandbox sandbox;
  TPlatform* platform = sandbox.Start();
  platform->SetDisplay(800, 600, false);
  TPlatformData* data = platform->GetData();
  SDL_ShowCursor(SDL_ENABLE);
  if (!data->IsMouseInContent()) {
    platform->ShowCursor(false);
    EXPECT_TRUE(data->IsSystemCursorVisible());
  }
  SDL_WarpMouseInWindow(static_cast<SDL_Window*>(data->GetNativeWindow()), 100, 120);
  TEvent event;
  for (int pumped = 0; pumped < 5; ++pumped)
    platform->GetEvent(&event);
  ASSERT_TRUE(data->IsMouseInContent());
  EXPECT_EQ(100, data->GetMouse().x);
  EXPECT_EQ(120, data->GetMouse().y);
  platform->ShowCursor(false);
  EXPECT_FALSE(data->IsSystemCursorVisible());
  EXPECT_FALSE(data->IsCursorShown());
  platform->ShowCursor(true);
  EXPECT_TRUE(data->IsCursorShown());
  // Inside the window the engine draws the cursor; the system's stays hidden.
  EXPECT_FALSE(data->IsSystemCursorVisible());
}

namespace {

// Draws a white frame through the renderer, as the window manager does.
void DrawWhiteFrame()
{
  TRenderer* renderer = TRenderer::GetInstance();
  ASSERT_TRUE(renderer->BeginDraw(false));
  ASSERT_TRUE(renderer->Begin2d());
  renderer->FillRect(TURect(0, 0, 800, 600), TColor(1.0f, 1.0f, 1.0f, 1.0f), boost::shared_ptr<TTexture>());
  renderer->End2d();
  renderer->EndDraw(true);
}

int CountDark(const std::vector<uint8_t>& frame, int left, int top, int right, int bottom)
{
  int dark = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const uint8_t* pixel = &frame[(size_t(y) * 800 + x) * 4];
      if (pixel[0] < 60 && pixel[1] < 60 && pixel[2] < 60)
        ++dark;
    }
  }
  return dark;
}

} // namespace

TEST(Display, TheEngineDrawsItsCursorAtThePointerOnlyWhileItIsShown)
{
  TAppSandbox sandbox;
  TPlatform* platform = sandbox.Start();
  platform->SetDisplay(800, 600, false);
  SDL_WarpMouseInWindow(static_cast<SDL_Window*>(platform->GetData()->GetNativeWindow()), 200, 150);
  TEvent event;
  for (int pumped = 0; pumped < 5; ++pumped)
    platform->GetEvent(&event);
  ASSERT_TRUE(platform->GetData()->IsMouseInContent());

  DrawWhiteFrame();
  std::vector<uint8_t> frame = Frame();
  // The arrow's outline lies just below and right of the pointer; the rest is white.
  EXPECT_GT(CountDark(frame, 198, 148, 232, 182), 20);
  EXPECT_EQ(0, CountDark(frame, 0, 0, 190, 140));
  EXPECT_EQ(0, CountDark(frame, 240, 190, 800, 600));

  platform->ShowCursor(false);
  DrawWhiteFrame();
  EXPECT_EQ(0, CountDark(Frame(), 0, 0, 800, 600));
}

namespace {

// Stands in for SDL's cursor calls (the offscreen driver has no cursors): hands out
// tokens and records what is made, set and freed.
class TCursorSpy
{
public:
  TCursorSpy() : mSaved(CursorCalls())
  {
    sSpy = this;
    CursorCalls().create = [](SDL_Surface* surface, int hotX, int hotY) -> SDL_Cursor* {
      if (sSpy->mRefuse)
        return nullptr;
      sSpy->mHot = TPoint(hotX, hotY);
      sSpy->mPixels.clear();
      for (int row = 0; row < surface->h; ++row) {
        const uint32_t* line = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(surface->pixels) +
                                                                 size_t(row) * surface->pitch);
        sSpy->mPixels.insert(sSpy->mPixels.end(), line, line + surface->w);
      }
      sSpy->mTokens.push_back(std::make_unique<char>());
      SDL_Cursor* cursor = reinterpret_cast<SDL_Cursor*>(sSpy->mTokens.back().get());
      sSpy->mCreated.push_back(cursor);
      return cursor;
    };
    CursorCalls().set = [](SDL_Cursor* cursor) { sSpy->mCurrent = cursor; };
    CursorCalls().free = [](SDL_Cursor* cursor) {
      sSpy->mFreed.push_back(cursor);
      // SDL falls back to its default when the current cursor goes.
      if (cursor == sSpy->mCurrent)
        sSpy->mCurrent = SDL_GetDefaultCursor();
    };
  }
  ~TCursorSpy()
  {
    CursorCalls() = mSaved;
    sSpy = nullptr;
  }

  bool mRefuse = false;
  std::vector<SDL_Cursor*> mCreated;
  std::vector<SDL_Cursor*> mFreed;
  SDL_Cursor* mCurrent = nullptr;
  TPoint mHot;
  std::vector<uint32_t> mPixels;

private:
  TCursorCalls mSaved;
  std::vector<std::unique_ptr<char>> mTokens;
  static inline TCursorSpy* sSpy = nullptr;
};

void PointerTo(TPlatform* platform, int x, int y)
{
  SDL_WarpMouseInWindow(static_cast<SDL_Window*>(platform->GetData()->GetNativeWindow()), x, y);
  TEvent event;
  for (int pumped = 0; pumped < 5; ++pumped)
    platform->GetEvent(&event);
}

} // namespace

TEST(Display, AHardwareCursorCarriesTheImageAndTheEngineDrawsNone)
{
  TCursorSpy spy;
  {
    TAppSandbox sandbox;
    TPlatform* platform = sandbox.Start();
    TPlatformData* data = platform->GetData();
    TRenderer::GetInstance()->SetOption("mac_use_hw_cursors", "1");
    // A system that refuses the pointer leaves the engine drawing its own.
    spy.mRefuse = true;
    platform->SetDisplay(800, 600, false);
    EXPECT_FALSE(data->UsesHardwareCursor());
    PointerTo(platform, 200, 150);
    ASSERT_TRUE(data->IsMouseInContent());
    DrawWhiteFrame();
    EXPECT_GT(CountDark(Frame(), 198, 148, 232, 182), 20);

    // The built-in cursor as the system pointer: its hot spot (1, 1) is pixel (0, 0), and
    // the engine draws nothing.
    spy.mRefuse = false;
    boost::shared_ptr<TTexture> arrow = TTexture::GetSimple("__systemcursor__.png");
    ASSERT_TRUE(arrow);
    platform->SetCursor(arrow, TPoint(1, 1), false);
    ASSERT_EQ(1u, spy.mCreated.size());
    EXPECT_TRUE(data->UsesHardwareCursor());
    EXPECT_EQ(spy.mCreated[0], spy.mCurrent);
    EXPECT_EQ(0, spy.mHot.x);
    EXPECT_EQ(0, spy.mHot.y);
    EXPECT_EQ(size_t(arrow->GetWidth()) * arrow->GetHeight(), spy.mPixels.size());
    DrawWhiteFrame();
    EXPECT_EQ(0, CountDark(Frame(), 0, 0, 800, 600));
    EXPECT_TRUE(data->IsSystemCursorVisible());
    platform->ShowCursor(false);
    EXPECT_FALSE(data->IsSystemCursorVisible());
    platform->ShowCursor(true);
    EXPECT_TRUE(data->IsSystemCursorVisible());

    // A new image frees the pointer it replaces; magenta is clear, other pixels are
    // opaque, and the hot spot is kept inside the image.
    boost::shared_ptr<TTexture> image = TTexture::Create(3, 2, false);
    ASSERT_TRUE(image);
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    ASSERT_TRUE(image->Lock(&pixels, &pitch));
    pixels[0] = TColor32(255, 0, 255, 255);
    pixels[1] = TColor32(255, 0, 0, 0);
    pixels[pitch + 2] = TColor32(0, 0, 255, 0);
    image->Unlock();
    platform->SetCursor(image, TPoint(100, -4), true);
    ASSERT_EQ(2u, spy.mCreated.size());
    EXPECT_EQ(std::vector<SDL_Cursor*>{spy.mCreated[0]}, spy.mFreed);
    EXPECT_EQ(spy.mCreated[1], spy.mCurrent);
    EXPECT_EQ(2, spy.mHot.x);
    EXPECT_EQ(0, spy.mHot.y);
    ASSERT_EQ(6u, spy.mPixels.size());
    EXPECT_EQ(0u, spy.mPixels[0] >> 24);
    EXPECT_EQ(0xFFFF0000u, spy.mPixels[1]);
    EXPECT_EQ(0xFF0000FFu, spy.mPixels[5]);

    // Back to the software cursor: a request meant for hardware only does nothing, an
    // ordinary one frees the pointer and the engine draws the arrow again.
    TRenderer::GetInstance()->SetOption("mac_use_hw_cursors", "0");
    platform->SetCursor(arrow, TPoint(1, 1), true);
    EXPECT_TRUE(data->UsesHardwareCursor());
    platform->SetCursor(arrow, TPoint(1, 1), false);
    EXPECT_FALSE(data->UsesHardwareCursor());
    EXPECT_EQ(spy.mCreated, spy.mFreed);
    EXPECT_EQ(SDL_GetDefaultCursor(), spy.mCurrent);
    EXPECT_FALSE(data->IsSystemCursorVisible());
    DrawWhiteFrame();
    EXPECT_GT(CountDark(Frame(), 198, 148, 232, 182), 20);

    TRenderer::GetInstance()->SetOption("mac_use_hw_cursors", "1");
    platform->SetCursor(arrow, TPoint(1, 1), false);
    EXPECT_TRUE(data->UsesHardwareCursor());
  }
  // Closing the display frees the last pointer.
  EXPECT_EQ(3u, spy.mCreated.size());
  EXPECT_EQ(spy.mCreated, spy.mFreed);
}

TEST(Display, ACaptureTextureMustMatchTheScreenWindow)
{
  TAppSandbox sandbox;
  TPlatform* platform = sandbox.Start();
  platform->SetDisplay(800, 600, false);
  TRenderer* renderer = TRenderer::GetInstance();
  boost::shared_ptr<TTexture> capture = TTexture::Create(800, 600, false);
  renderer->SetCaptureTexture(capture);
  EXPECT_EQ(capture, renderer->GetCaptureTexture());
  renderer->SetCaptureTexture(TTexture::Create(800, 300, false));
  EXPECT_EQ(capture, renderer->GetCaptureTexture());
  renderer->SetCaptureTexture(boost::shared_ptr<TTexture>());
  EXPECT_FALSE(renderer->GetCaptureTexture());
  renderer->SetCaptureTexture(TTexture::Create(10, 10, false));
  EXPECT_FALSE(renderer->GetCaptureTexture());
}

TEST(Display, AFailingWindowEndsTheProcessWithItsErrorAndStatusMinusTwo)
{
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        setenv("SDL_VIDEODRIVER", "no-such-video-driver", 1);
        TAppSandbox sandbox;
        sandbox.Start()->SetDisplay(800, 600, false);
      },
      ::testing::ExitedWithCode(254), "aglGetError .* in file src/platform/display/display at line [0-9]+");
}

TEST(Letterbox, TheFrameIsScaledToFitAndCentred)
{
  TLetterbox wide = FitFrame(800, 600, 1920, 1080);
  EXPECT_EQ(1440, wide.width);
  EXPECT_EQ(1080, wide.height);
  EXPECT_EQ(240, wide.x);
  EXPECT_EQ(0, wide.y);
  TLetterbox tall = FitFrame(800, 600, 1280, 1024);
  EXPECT_EQ(1280, tall.width);
  EXPECT_EQ(960, tall.height);
  EXPECT_EQ(32, tall.y);
  TLetterbox exact = FitFrame(800, 600, 800, 600);
  EXPECT_EQ(0, exact.x);
  EXPECT_EQ(800, exact.width);
  EXPECT_EQ(0, FitFrame(800, 600, 0, 600).width);
}

TEST(Browser, TheAddressReachesTheOpenerAsOneArgumentWithoutAShell)
{
  TAppSandbox sandbox;
  const std::string bin = sandbox.Root() + "/bin";
  const std::string record = sandbox.Root() + "/arguments";
  sandbox.WriteFile("bin/xdg-open", "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" + record + "'\n");
  chmod((bin + "/xdg-open").c_str(), 0755);
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", (bin + ":" + oldPath).c_str(), 1);

  const std::string marker = sandbox.Root() + "/injected";
  const std::string url = "http://example.com/a b?x=1&y=$(touch " + marker + ")\";`touch " + marker + "`'";
  pid_t child = LaunchProgram("xdg-open", url.c_str());
  ASSERT_GT(child, 0);
  int status = 0;
  ASSERT_EQ(child, waitpid(child, &status, 0));
  EXPECT_EQ("1|" + url + "|", ReadText(record));
  EXPECT_FALSE(std::filesystem::exists(marker));

  EXPECT_FALSE(LaunchBrowser(""));
  EXPECT_EQ(-1, LaunchProgram("no-such-program-anywhere", "x"));
  setenv("PATH", oldPath.c_str(), 1);
}

TEST(Browser, HowTheOpenerEndedIsToldWithoutWaiting)
{
  TAppSandbox sandbox;
  const std::string bin = sandbox.Root() + "/bin";
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  // Waits for the opener, a real process: there is no clock to inject.
  auto settle = [] {
    for (int tries = 0; tries < 500 && LastBrowserStatus() == kBrowserOpening; ++tries)
      usleep(10000);
    return LastBrowserStatus();
  };
  std::filesystem::create_directories(bin);
  setenv("PATH", bin.c_str(), 1);
  EXPECT_FALSE(LaunchBrowser("http://example.com/"));
  EXPECT_EQ(kBrowserFailed, LastBrowserStatus());

  // xdg-open ends with 3 when no browser is there to open the address.
  sandbox.WriteFile("bin/xdg-open", "#!/bin/sh\nexit $(cat '" + sandbox.Root() + "/status')\n");
  chmod((bin + "/xdg-open").c_str(), 0755);
  setenv("PATH", (bin + ":" + oldPath).c_str(), 1);
  sandbox.WriteFile("status", "3");
  ASSERT_TRUE(LaunchBrowser("http://example.com/"));
  EXPECT_EQ(kBrowserFailed, settle());
  sandbox.WriteFile("status", "0");
  ASSERT_TRUE(LaunchBrowser("http://example.com/"));
  EXPECT_EQ(kBrowserOpened, settle());
  setenv("PATH", oldPath.c_str(), 1);
}

TEST(InputScript, StepsAreCheckedAndACaptureWritesTheNextFrame)
{
  TInputScript bad;
  EXPECT_FALSE(bad.LoadText("wait 10\njump 3 4\n"));
  EXPECT_FALSE(bad.LoadText("key no-such-key\n"));
  EXPECT_FALSE(bad.LoadText("click 3\n"));

  TAppSandbox sandbox;
  TPlatform* platform = sandbox.Start();
  platform->SetDisplay(800, 600, false);
  TInputScript script;
  const std::string png = sandbox.Root() + "/frame.png";
  const std::string ppm = sandbox.Root() + "/frame.ppm";
  ASSERT_TRUE(script.LoadText("# a comment\nwait 100\ncapture " + png + "\ncapture " + ppm + "\n"));
  script.Poll(1000, nullptr);
  EXPECT_FALSE(script.IsCapturePending());
  script.Poll(1099, nullptr);
  EXPECT_FALSE(script.IsCapturePending());
  script.Poll(1100, nullptr);
  EXPECT_TRUE(script.IsCapturePending());
  // A capture holds the script until a frame was shown.
  script.Poll(1200, nullptr);
  TRenderer::GetInstance();
  unsigned frameBuffer = TGLDisplayHandler::GetInstance()->GetFrameBuffer();
  script.OnFramePresented(frameBuffer, 800, 600);
  const std::string picture = ReadText(png);
  EXPECT_EQ("\x89PNG", picture.substr(0, 4));
  // The colour type of its header: RGB, without the frame's alpha, which no window shows.
  ASSERT_GT(picture.size(), 25u);
  EXPECT_EQ(2, picture[25]);
  script.Poll(1201, nullptr);
  script.OnFramePresented(frameBuffer, 800, 600);
  std::string image = ReadText(ppm);
  ASSERT_EQ(std::string("P6\n800 600\n255\n").size() + 800u * 600u * 3u, image.size());
  EXPECT_EQ(std::string(3, '\0'), image.substr(image.size() - 3));
  EXPECT_TRUE(script.IsFinished());
}

TEST(InputScript, UntilHoldsTheStepsUntilTheLogShowsItsLineOnceEach)
{
  TInputScript script;
  ASSERT_TRUE(script.LoadText("until menu shown\nuntil menu shown\nlog done\nuntil never said\n"));
  EXPECT_FALSE(script.LoadText("until\n"));
  ASSERT_TRUE(script.LoadText("until menu shown\nuntil menu shown\nlog done\nuntil never said\n"));
  testing::internal::CaptureStderr();
  // A line written before its step was reached counts.
  WriteDbg("game: main menu shown");
  script.Poll(1000, nullptr);
  script.Poll(1001, nullptr);
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::string::npos, log.find("input: done")) << "one line matches one step";
  testing::internal::CaptureStderr();
  WriteDbg("game: main menu shown again");
  script.Poll(1002, nullptr);
  script.Poll(1002 + TInputScript::kUntilLimitMs - 1, nullptr);
  EXPECT_FALSE(script.IsFinished());
  script.Poll(1003 + TInputScript::kUntilLimitMs, nullptr);
  log = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("input: done")) << log;
  EXPECT_NE(std::string::npos, log.find("ERROR: Input script waited 60000 ms for a line with \"never said\"")) << log;
  EXPECT_TRUE(script.IsFinished());
}

TEST(InputScript, AnswerPressesReturnOnceForEachLaterLineAndHoldsTheStepsAfterIt)
{
  TInputScript script;
  EXPECT_FALSE(script.LoadText("answer\n"));
  ASSERT_TRUE(script.LoadText("wait 10\nanswer notice:\nlog one\nwait 1000\nlog two\n"));
  testing::internal::CaptureStderr();
  script.Poll(1000, nullptr);
  WriteDbg("game: notice: before its step");
  script.Poll(1010, nullptr);
  WriteDbg("game: notice: shown");
  script.Poll(1500, nullptr);
  script.Poll(1600, nullptr);
  WriteDbg("game: notice: shown again");
  script.Poll(1999, nullptr);
  script.Poll(2010, nullptr);
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::string::npos, log.find("input: two")) << "held after the second answer: " << log;
  testing::internal::CaptureStderr();
  script.Poll(1999 + TInputScript::kAnswerPauseMs, nullptr);
  log += testing::internal::GetCapturedStderr();
  size_t answers = 0;
  for (size_t at = log.find("input: answered"); at != std::string::npos; at = log.find("input: answered", at + 1)) {
    ++answers;
  }
  EXPECT_EQ(2u, answers) << log;
  EXPECT_NE(std::string::npos, log.find("input: two")) << log;
  EXPECT_TRUE(script.IsFinished());
}
