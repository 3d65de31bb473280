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
  static const uint32_t kAnswerPauseMs = 400;

  TInputScript() {}
  ~TInputScript();

  // One step per line; "#" starts a comment. Steps:
  //   wait MS | move X Y | click X Y | down X Y | up X Y | key [alt+|ctrl+|shift+]NAME | text TEXT |
  //   capture FILE (.png or .ppm) | close | sigterm | sigint | log TEXT | until TEXT | answer TEXT
  // "until" holds the script until the debug log shows a line containing TEXT after the one
  // the previous "until" matched (at most kUntilLimitMs, then an "ERROR: " line and on).
  // "answer" stands from its step on: each later log line containing TEXT is answered with
  // the Return key, and the steps after it wait kAnswerPauseMs (for a dialog that may open at
  // any time, such as a notice, and that must not take the clicks meant for what is below).
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
  // Whether the text has shown in the log after the cursor; the cursor moves past it if so.
  // The awaited text of "until" and the answered one of "answer" have a cursor each.
  bool TakeLine(const std::string& text, size_t* cursor);

  std::vector<TStep> mSteps;
  size_t mNext = 0;
  bool mStarted = false;
  uint32_t mDueTime = 0;
  std::string mPendingCapture;
  bool mHeldModifiers = false;
  std::string mAwaited;
  std::string mAnswered;
  uint32_t mAwaitDeadline = 0;
  bool mObserving = false;
  // The log's lines, written on any thread; the matches of "until" move the cursor on.
  std::mutex mLogMutex;
  std::string mLog;
  size_t mLogCursor = 0;
  size_t mAnswerCursor = 0;
};

// Writes rows top-down of R, G, B, A bytes as an RGB PNG (or, for a name ending in ".ppm", a
// binary PPM), without the alpha, as a window shows them. False after an "ERROR: " line when
// it cannot be written.
bool WriteImageFile(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height);
