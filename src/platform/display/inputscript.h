// inputscript: a file of timed input steps (pointer, clicks, keys, text, close, frame
// captures) played into SDL's event queue, so a whole run can be driven from outside.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/foundation/str.h"

class TInputScript
{
public:
  static const uint32_t kUntilLimitMs = 60000;

  TInputScript() {}
  ~TInputScript();

  // One step per line; "#" starts a comment. Steps:
  //   wait MS | move X Y | click X Y | down X Y | up X Y | key [alt+|ctrl+|shift+]NAME | text TEXT |
  //   capture FILE (.png or .ppm) | close | sigterm | sigint | log TEXT | until TEXT
  // "until" holds the script until the debug log shows a line containing TEXT after the one
  // the previous "until" matched (at most kUntilLimitMs, then an "ERROR: " line and on).
  // False (after an "ERROR: " line) when the file cannot be read or a line is not a step.
  bool Load(const str& path);
  bool LoadText(const std::string& text);

  // Plays the steps that are due at `now` (ms); the clock starts at the first call.
  // window is the SDL window the events are for.
  void Poll(uint32_t now, void* window);
  // A frame was presented: serves a capture that waits for it.
  void OnFramePresented(unsigned frameBuffer, int width, int height);
  bool IsCapturePending() const { return !mPendingCapture.empty(); }
  bool IsFinished() const { return mNext >= mSteps.size() && mPendingCapture.empty() && mAwaited.empty(); }

  // The script named by $QV_INPUT_SCRIPT, or null when it is not set or not readable.
  static TInputScript* FromEnvironment();

private:
  struct TStep
  {
    std::string verb;
    std::string text;
    int x = 0;
    int y = 0;
  };
  TInputScript(const TInputScript&) = delete;
  TInputScript& operator=(const TInputScript&) = delete;

  bool ParseLine(const std::string& line, int number);
  void Play(const TStep& step, void* window);
  static void ObserveLog(char const* line, void* context);
  // Whether the awaited text has shown in the log since the last match (consumed if so).
  bool TakeAwaitedLine();

  std::vector<TStep> mSteps;
  size_t mNext = 0;
  bool mStarted = false;
  uint32_t mDueTime = 0;
  std::string mPendingCapture;
  bool mHeldModifiers = false;
  std::string mAwaited;
  uint32_t mAwaitDeadline = 0;
  bool mObserving = false;
  // The log's lines, written on any thread; the matches of "until" move the cursor on.
  std::mutex mLogMutex;
  std::string mLog;
  size_t mLogCursor = 0;
};

// Writes rows top-down of R, G, B, A bytes as an RGB PNG (or, for a name ending in ".ppm", a
// binary PPM), without the alpha, as a window shows them. False after an "ERROR: " line when
// it cannot be written.
bool WriteImageFile(const std::string& path, const std::vector<uint8_t>& rgba, int width,
                    int height);
