// inputscript: plays a file of timed input steps into SDL's event queue and writes frame
// captures; talks to SDL, the PNG encoder and the debug log.
#include "platform/display/inputscript.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include <SDL.h>

#include "core/foundation/atomicfile.h"
#include "core/graphics/ezpng.h"
#include "core/window/windowmanager.h"
#include "gl/framepresenter.h"
#include "core/foundation/debug.h"

namespace {

const size_t kMaxScriptBytes = 1 << 20;
// The log kept for "until": its older half goes when it grows past this.
const size_t kMaxLogBytes = 8 << 20;

SDL_Keycode KeyFromName(const std::string& name)
{
  static const struct
  {
    char const* name;
    SDL_Keycode code;
  } kKeys[] = {{"escape", SDLK_ESCAPE}, {"return", SDLK_RETURN}, {"backspace", SDLK_BACKSPACE},
               {"tab", SDLK_TAB},       {"delete", SDLK_DELETE}, {"left", SDLK_LEFT},
               {"right", SDLK_RIGHT},   {"up", SDLK_UP},         {"down", SDLK_DOWN},
               {"home", SDLK_HOME},     {"end", SDLK_END},       {"f1", SDLK_F1}};
  for (const auto& key : kKeys) {
    if (name == key.name) {
      return key.code;
    }
  }
  if (name.size() == 1 && name[0] > ' ' && name[0] < 127) {
    return SDL_Keycode(name[0] >= 'A' && name[0] <= 'Z' ? name[0] - 'A' + 'a' : name[0]);
  }
  return SDLK_UNKNOWN;
}

void PushButton(Uint32 type, Uint32 windowId, int x, int y)
{
  SDL_Event event;
  SDL_zero(event);
  event.type = type;
  event.button.windowID = windowId;
  event.button.button = SDL_BUTTON_LEFT;
  event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = 1;
  event.button.x = x;
  event.button.y = y;
  SDL_PushEvent(&event);
}

// "alt+return": the held modifiers before the last "+", and the key's name after it.
SDL_Keymod SplitChord(const std::string& chord, std::string* key)
{
  int modifiers = KMOD_NONE;
  size_t start = 0;
  for (size_t plus = chord.find('+'); plus != std::string::npos && plus + 1 < chord.size();
       plus = chord.find('+', start)) {
    const std::string name = chord.substr(start, plus - start);
    if (name == "alt")
      modifiers |= KMOD_LALT;
    else if (name == "ctrl")
      modifiers |= KMOD_LCTRL;
    else if (name == "shift")
      modifiers |= KMOD_LSHIFT;
    else
      return SDL_Keymod(-1);
    start = plus + 1;
  }
  *key = chord.substr(start);
  return SDL_Keymod(modifiers);
}

void PushKey(Uint32 type, Uint32 windowId, SDL_Keycode code, SDL_Keymod modifiers = KMOD_NONE)
{
  SDL_Event event;
  SDL_zero(event);
  event.type = type;
  event.key.windowID = windowId;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = code;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(code);
  event.key.keysym.mod = Uint16(modifiers);
  SDL_PushEvent(&event);
}

} // namespace

TInputScript::~TInputScript()
{
  if (mObserving) {
    SetDbgObserver(nullptr, nullptr);
  }
}

void TInputScript::ObserveLog(char const* line, void* context)
{
  TInputScript* script = static_cast<TInputScript*>(context);
  std::lock_guard<std::mutex> lock(script->mLogMutex);
  if (script->mLog.size() > kMaxLogBytes) {
    const size_t dropped = script->mLog.size() / 2;
    script->mLog.erase(0, dropped);
    script->mLogCursor = script->mLogCursor > dropped ? script->mLogCursor - dropped : 0;
    script->mAnswerCursor = script->mAnswerCursor > dropped ? script->mAnswerCursor - dropped : 0;
  }
  script->mLog += line;
  script->mLog += '\n';
}

bool TInputScript::TakeLine(const std::string& text, size_t* cursor)
{
  std::lock_guard<std::mutex> lock(mLogMutex);
  const size_t found = mLog.find(text, *cursor);
  if (found == std::string::npos) {
    return false;
  }
  *cursor = found + text.size();
  return true;
}

bool TInputScript::Load(const str& path)
{
  std::ifstream input(path.c_str(), std::ios::binary);
  if (!input) {
    WriteDbg("ERROR: Input script %s cannot be opened", path.c_str());
    return false;
  }
  std::string text;
  char buffer[4096];
  while (input.read(buffer, sizeof(buffer)) || input.gcount() > 0) {
    text.append(buffer, size_t(input.gcount()));
    if (text.size() > kMaxScriptBytes) {
      WriteDbg("ERROR: Input script %s is larger than %zu bytes", path.c_str(), kMaxScriptBytes);
      return false;
    }
  }
  return LoadText(text);
}

bool TInputScript::LoadText(const std::string& text)
{
  mSteps.clear();
  mNext = 0;
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!ParseLine(line, number)) {
      mSteps.clear();
      return false;
    }
  }
  return true;
}

bool TInputScript::ParseLine(const std::string& line, int number)
{
  size_t start = line.find_first_not_of(" \t\r");
  if (start == std::string::npos || line[start] == '#') {
    return true;
  }
  std::string body = line.substr(start);
  while (!body.empty() && (body.back() == '\r' || body.back() == ' ')) {
    body.pop_back();
  }
  TStep step;
  size_t space = body.find(' ');
  step.verb = body.substr(0, space);
  std::string rest = space == std::string::npos ? std::string() : body.substr(space + 1);
  bool valid = true;
  if (step.verb == "move" || step.verb == "click" || step.verb == "down" || step.verb == "up") {
    valid = std::sscanf(rest.c_str(), "%d %d", &step.x, &step.y) == 2;
  } else if (step.verb == "wait") {
    valid = std::sscanf(rest.c_str(), "%d", &step.x) == 1 && step.x >= 0;
  } else if (step.verb == "key") {
    step.text = rest;
    std::string key;
    valid = SplitChord(rest, &key) != SDL_Keymod(-1) && KeyFromName(key) != SDLK_UNKNOWN;
  } else if (step.verb == "text" || step.verb == "capture" || step.verb == "log" || step.verb == "until" ||
             step.verb == "answer") {
    step.text = rest;
    valid = step.verb == "text" || step.verb == "log" || !rest.empty();
  } else if (step.verb != "close" && step.verb != "sigterm" && step.verb != "sigint") {
    valid = false;
  }
  if (!valid) {
    WriteDbg("ERROR: Input script line %d is not a step: %s", number, body.c_str());
    return false;
  }
  if ((step.verb == "until" || step.verb == "answer") && !mObserving) {
    // From now on, so that a line written before its step is reached still counts.
    mObserving = true;
    SetDbgObserver(&TInputScript::ObserveLog, this);
  }
  mSteps.push_back(step);
  return true;
}

void TInputScript::Poll(uint32_t now, void* window)
{
  if (mHeldModifiers) {
    mHeldModifiers = false;
    SDL_SetModState(KMOD_NONE);
  }
  if (!mStarted) {
    mStarted = true;
    mDueTime = now;
  }
  if (!mAnswered.empty() && TakeLine(mAnswered, &mAnswerCursor)) {
    SDL_Window* sdlWindow = static_cast<SDL_Window*>(window);
    const Uint32 windowId = sdlWindow ? SDL_GetWindowID(sdlWindow) : 0;
    PushKey(SDL_KEYDOWN, windowId, SDLK_RETURN);
    PushKey(SDL_KEYUP, windowId, SDLK_RETURN);
    if (int32_t(now + kAnswerPauseMs - mDueTime) > 0) {
      mDueTime = now + kAnswerPauseMs;
    }
    WriteDbg("input: answered with the Return key");
  }
  // A capture holds the script until a frame has been shown, "until" until its line.
  while (mPendingCapture.empty() && int32_t(now - mDueTime) >= 0) {
    if (!mAwaited.empty()) {
      if (!TakeLine(mAwaited, &mLogCursor)) {
        if (int32_t(now - mAwaitDeadline) < 0) {
          break;
        }
        WriteDbg("ERROR: Input script waited %u ms for a line with \"%s\"; it goes on", unsigned(kUntilLimitMs),
                 mAwaited.c_str());
      }
      mAwaited.clear();
    }
    if (mNext >= mSteps.size()) {
      break;
    }
    const TStep& step = mSteps[mNext++];
    if (step.verb == "wait") {
      mDueTime = now + uint32_t(step.x);
      continue;
    }
    if (step.verb == "until") {
      mAwaited = step.text;
      mAwaitDeadline = now + kUntilLimitMs;
      continue;
    }
    if (step.verb == "answer") {
      std::lock_guard<std::mutex> lock(mLogMutex);
      mAnswered = step.text;
      mAnswerCursor = mLog.size();
      continue;
    }
    Play(step, window);
  }
}

void TInputScript::Play(const TStep& step, void* window)
{
  SDL_Window* sdlWindow = static_cast<SDL_Window*>(window);
  const Uint32 windowId = sdlWindow ? SDL_GetWindowID(sdlWindow) : 0;
  if (step.verb == "move" || step.verb == "click" || step.verb == "down" || step.verb == "up") {
    // A warp moves SDL's own pointer state too, which key events and the cursor read.
    if (sdlWindow) {
      SDL_WarpMouseInWindow(sdlWindow, step.x, step.y);
    }
    if (step.verb == "click" || step.verb == "down") {
      PushButton(SDL_MOUSEBUTTONDOWN, windowId, step.x, step.y);
    }
    if (step.verb == "click" || step.verb == "up") {
      PushButton(SDL_MOUSEBUTTONUP, windowId, step.x, step.y);
    }
  } else if (step.verb == "key") {
    std::string key;
    const SDL_Keymod modifiers = SplitChord(step.text, &key);
    const SDL_Keycode code = KeyFromName(key);
    // The modifiers are held while the key-down is read; the next poll lets them go.
    SDL_SetModState(modifiers);
    mHeldModifiers = modifiers != KMOD_NONE;
    PushKey(SDL_KEYDOWN, windowId, code, modifiers);
    PushKey(SDL_KEYUP, windowId, code, modifiers);
  } else if (step.verb == "text") {
    // One event per character, as typing gives them.
    for (size_t index = 0; index < step.text.size();) {
      size_t length = 1;
      const unsigned char lead = static_cast<unsigned char>(step.text[index]);
      if (lead >= 0xF0)
        length = 4;
      else if (lead >= 0xE0)
        length = 3;
      else if (lead >= 0xC0)
        length = 2;
      SDL_Event event;
      SDL_zero(event);
      event.type = SDL_TEXTINPUT;
      event.text.windowID = windowId;
      std::string character = step.text.substr(index, length);
      std::strncpy(event.text.text, character.c_str(), sizeof(event.text.text) - 1);
      SDL_PushEvent(&event);
      index += length;
    }
  } else if (step.verb == "capture") {
    mPendingCapture = step.text;
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->InvalidateScreen();
    }
  } else if (step.verb == "close") {
    SDL_Event event;
    SDL_zero(event);
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = windowId;
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&event);
  } else if (step.verb == "sigterm") {
    std::raise(SIGTERM);
  } else if (step.verb == "sigint") {
    std::raise(SIGINT);
  } else if (step.verb == "log") {
    WriteDbg("input: %s", step.text.c_str());
  }
}

void TInputScript::OnFramePresented(unsigned frameBuffer, int width, int height)
{
  if (mPendingCapture.empty()) {
    return;
  }
  std::vector<uint8_t> pixels = ReadFrameRGBA(frameBuffer, width, height);
  if (!pixels.empty() && WriteImageFile(mPendingCapture, pixels, width, height)) {
    WriteDbg("input: captured %s", mPendingCapture.c_str());
  }
  mPendingCapture.clear();
}

TInputScript* TInputScript::FromEnvironment()
{
  char const* path = std::getenv("QV_INPUT_SCRIPT");
  if (!path || !path[0]) {
    return nullptr;
  }
  TInputScript* script = new TInputScript;
  if (!script->Load(path)) {
    delete script;
    return nullptr;
  }
  return script;
}

bool WriteImageFile(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height)
{
  if (width <= 0 || height <= 0 || rgba.size() != size_t(width) * height * 4) {
    WriteDbg("ERROR: Image %s: %dx%d does not match its %zu bytes", path.c_str(), width, height, rgba.size());
    return false;
  }
  // The frame's alpha is what blending left behind; the window shows none, so neither does a
  // picture of it.
  std::vector<uint8_t> rgb;
  rgb.reserve(size_t(width) * height * 3);
  for (size_t pixel = 0; pixel < size_t(width) * height; ++pixel) {
    rgb.insert(rgb.end(), &rgba[pixel * 4], &rgba[pixel * 4] + 3);
  }
  std::vector<uint8_t> bytes;
  const bool ppm = path.size() > 4 && path.compare(path.size() - 4, 4, ".ppm") == 0;
  if (ppm) {
    char header[64];
    int length = std::snprintf(header, sizeof header, "P6\n%d %d\n255\n", width, height);
    bytes.assign(header, header + length);
    bytes.insert(bytes.end(), rgb.begin(), rgb.end());
  } else {
    TPngImage image;
    image.width = unsigned(width);
    image.height = unsigned(height);
    image.colorType = TPngImage::kRGB;
    image.samples = std::move(rgb);
    if (!EncodePng(image, &bytes, path.c_str())) {
      return false;
    }
  }
  // A reader (the end-to-end test) never sees half a picture.
  return WriteFileAtomically(str(path.c_str()), bytes.data(), bytes.size());
}
