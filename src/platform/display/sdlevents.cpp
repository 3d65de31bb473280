// sdlevents: the SDL side of the event queue; waits for SDL events and hands them over
// as native events, and reports the keyboard's modifiers and the pointer.
#include "platform/display/sdlevents.h"

uint32_t SdlKeyToNative(SDL_Keycode sym)
{
  switch (sym) {
  case SDLK_RETURN:
    return kNativeKeyReturn;
  case SDLK_KP_ENTER:
    return kNativeKeyKeypadEnter;
  case SDLK_ESCAPE:
    return kNativeKeyEscape;
  case SDLK_BACKSPACE:
    return kNativeKeyBackspace;
  case SDLK_TAB:
    return kNativeKeyTab;
  case SDLK_DELETE:
    return kNativeKeyDelete;
  case SDLK_LEFT:
    return kNativeKeyLeft;
  case SDLK_RIGHT:
    return kNativeKeyRight;
  case SDLK_UP:
    return kNativeKeyUp;
  case SDLK_DOWN:
    return kNativeKeyDown;
  case SDLK_HOME:
    return kNativeKeyHome;
  case SDLK_END:
    return kNativeKeyEnd;
  case SDLK_PAGEUP:
    return kNativeKeyPageUp;
  case SDLK_PAGEDOWN:
    return kNativeKeyPageDown;
  case SDLK_F1:
    return kNativeKeyF1;
  case SDLK_F2:
    return kNativeKeyF2;
  case SDLK_F3:
    return kNativeKeyF3;
  case SDLK_F4:
    return kNativeKeyF4;
  default:
    break;
  }
  if ((sym >= SDLK_F5 && sym <= SDLK_F12) || (sym >= SDLK_F13 && sym <= SDLK_F24)) {
    return kNativeKeyOtherFunction;
  }
  // Keys with a character have their (unshifted) character as keycode.
  if (sym >= 32 && sym < 127) {
    return uint32_t(sym);
  }
  if (sym > 127 && !(sym & SDLK_SCANCODE_MASK)) {
    return uint32_t(sym);
  }
  return kNativeKeyIgnored;
}

uint32_t SdlModifiers(SDL_Keymod state)
{
  // Right-hand keys are not reported: right Alt is AltGr on many layouts.
  uint32_t modifiers = 0;
  if (state & KMOD_LSHIFT) {
    modifiers |= TEvent::kShift;
  }
  if (state & KMOD_LCTRL) {
    modifiers |= TEvent::kControl;
  }
  if (state & KMOD_LALT) {
    modifiers |= TEvent::kOption;
  }
  return modifiers;
}

bool SdlToNativeEvent(const SDL_Event& event, TNativeEvent* native)
{
  *native = TNativeEvent();
  switch (event.type) {
  case SDL_KEYDOWN:
  case SDL_KEYUP:
    native->kind = event.type == SDL_KEYDOWN ? TNativeEvent::kKeyDown : TNativeEvent::kKeyUp;
    native->key = SdlKeyToNative(event.key.keysym.sym);
    native->hasModifiers = true;
    native->modifiers = SdlModifiers(SDL_Keymod(event.key.keysym.mod));
    return true;
  case SDL_TEXTINPUT:
    native->kind = TNativeEvent::kTextInput;
    native->text.assign(event.text.text, strnlen(event.text.text, sizeof(event.text.text)));
    return true;
  case SDL_MOUSEBUTTONDOWN:
  case SDL_MOUSEBUTTONUP:
    native->kind = event.type == SDL_MOUSEBUTTONDOWN ? TNativeEvent::kMouseDown : TNativeEvent::kMouseUp;
    switch (event.button.button) {
    case SDL_BUTTON_LEFT:
      native->button = 1;
      break;
    case SDL_BUTTON_RIGHT:
      native->button = 2;
      break;
    case SDL_BUTTON_MIDDLE:
      native->button = 3;
      break;
    default:
      native->button = 4 + event.button.button;
      break;
    }
    native->x = event.button.x;
    native->y = event.button.y;
    return true;
  case SDL_MOUSEMOTION:
    native->kind = TNativeEvent::kMouseMove;
    native->x = event.motion.x;
    native->y = event.motion.y;
    return true;
  case SDL_MOUSEWHEEL: {
    native->kind = TNativeEvent::kMouseWheel;
    const int sign = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
    native->wheelX = sign * event.wheel.x;
    native->wheelY = sign * event.wheel.y;
    SDL_GetMouseState(&native->x, &native->y);
    return true;
  }
  case SDL_QUIT:
    native->kind = TNativeEvent::kCloseRequest;
    return true;
  case SDL_WINDOWEVENT:
    switch (event.window.event) {
    case SDL_WINDOWEVENT_ENTER:
      native->kind = TNativeEvent::kPointerEnter;
      break;
    case SDL_WINDOWEVENT_LEAVE:
      native->kind = TNativeEvent::kPointerLeave;
      SDL_GetMouseState(&native->x, &native->y);
      break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
      native->kind = TNativeEvent::kFocusGained;
      break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
      native->kind = TNativeEvent::kFocusLost;
      break;
    case SDL_WINDOWEVENT_MINIMIZED:
      native->kind = TNativeEvent::kMinimized;
      break;
    case SDL_WINDOWEVENT_RESTORED:
      native->kind = TNativeEvent::kRestored;
      break;
    case SDL_WINDOWEVENT_CLOSE:
      native->kind = TNativeEvent::kCloseRequest;
      break;
    default:
      return false;
    }
    return true;
  default:
    return false;
  }
}

IEventHost::EWait TSdlEventHost::WaitEvent(TNativeEvent* native, int timeoutMs)
{
  SDL_Event event;
  // SDL reports a time-out and a failure alike; both leave the queue idle.
  if (!SDL_WaitEventTimeout(&event, timeoutMs)) {
    return kTimedOut;
  }
  if (!SdlToNativeEvent(event, native)) {
    *native = TNativeEvent();
  }
  return kGotEvent;
}

uint32_t TSdlEventHost::GetModifiers()
{
  return SdlModifiers(SDL_GetModState());
}

void TSdlEventHost::GetMouse(int* x, int* y)
{
  SDL_GetMouseState(x, y);
}

void TSdlEventHost::Sleep(unsigned ms)
{
  SDL_Delay(ms);
}

bool TSdlEventHost::IsFullscreen()
{
  return mWindow && (SDL_GetWindowFlags(mWindow) & SDL_WINDOW_FULLSCREEN) != 0;
}

void TSdlEventHost::SetFullscreen(bool fullscreen)
{
  if (mFullscreenHandler) {
    mFullscreenHandler(fullscreen);
  } else if (mWindow) {
    SDL_SetWindowFullscreen(mWindow, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  }
}

void TSdlEventHost::ToggleHUD()
{
  if (mHUDToggle) {
    mHUDToggle();
  }
}

void TSdlEventHost::RaiseWindow()
{
  if (mWindow) {
    SDL_RaiseWindow(mWindow);
  }
}

void TSdlEventHost::Minimize()
{
  if (mWindow) {
    SDL_MinimizeWindow(mWindow);
  }
}
