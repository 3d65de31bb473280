// Tests of the SDL event host: SDL keys and modifiers in the native form, and real SDL
// events (keys with the modifiers they carry) pushed through the platform's GetEvent under
// the offscreen video driver.
#include "platform/display/sdlevents.h"

#include <cstring>

#include <gtest/gtest.h>

#include "platform/platform.h"

namespace {

TEST(SdlKeys, KeysWithoutTextAndPrintableKeys)
{
  EXPECT_EQ(SdlKeyToNative(SDLK_RETURN), uint32_t(kNativeKeyReturn));
  EXPECT_EQ(SdlKeyToNative(SDLK_KP_ENTER), uint32_t(kNativeKeyKeypadEnter));
  EXPECT_EQ(SdlKeyToNative(SDLK_ESCAPE), uint32_t(kNativeKeyEscape));
  EXPECT_EQ(SdlKeyToNative(SDLK_BACKSPACE), uint32_t(kNativeKeyBackspace));
  EXPECT_EQ(SdlKeyToNative(SDLK_DELETE), uint32_t(kNativeKeyDelete));
  EXPECT_EQ(SdlKeyToNative(SDLK_LEFT), uint32_t(kNativeKeyLeft));
  EXPECT_EQ(SdlKeyToNative(SDLK_PAGEDOWN), uint32_t(kNativeKeyPageDown));
  EXPECT_EQ(SdlKeyToNative(SDLK_F1), uint32_t(kNativeKeyF1));
  EXPECT_EQ(SdlKeyToNative(SDLK_F4), uint32_t(kNativeKeyF4));
  EXPECT_EQ(SdlKeyToNative(SDLK_F9), uint32_t(kNativeKeyOtherFunction));
  EXPECT_EQ(SdlKeyToNative(SDLK_a), uint32_t('a'));
  EXPECT_EQ(SdlKeyToNative(SDLK_SPACE), uint32_t(' '));
  EXPECT_EQ(SdlKeyToNative(SDLK_LSHIFT), uint32_t(kNativeKeyIgnored));
  EXPECT_EQ(SdlKeyToNative(SDLK_KP_1), uint32_t(kNativeKeyIgnored));
}

TEST(SdlKeys, OnlyLeftHandModifiersCount)
{
  EXPECT_EQ(SdlModifiers(SDL_Keymod(KMOD_LSHIFT | KMOD_LCTRL | KMOD_LALT)), 7u);
  EXPECT_EQ(SdlModifiers(SDL_Keymod(KMOD_RSHIFT | KMOD_RCTRL | KMOD_RALT | KMOD_GUI)), 0u);
}

TEST(SdlKeys, WheelRespectsFlippedDirection)
{
  SDL_Event event;
  std::memset(&event, 0, sizeof(event));
  event.type = SDL_MOUSEWHEEL;
  event.wheel.y = 1;
  event.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
  TNativeEvent native;
  ASSERT_TRUE(SdlToNativeEvent(event, &native));
  EXPECT_EQ(native.kind, TNativeEvent::kMouseWheel);
  EXPECT_EQ(native.wheelY, -1);
}

TEST(SdlKeys, MinimiseAndRestoreAreTheHideAndShowOfTheApplication)
{
  SDL_Event event;
  std::memset(&event, 0, sizeof(event));
  event.type = SDL_WINDOWEVENT;
  event.window.event = SDL_WINDOWEVENT_MINIMIZED;
  TNativeEvent native;
  ASSERT_TRUE(SdlToNativeEvent(event, &native));
  EXPECT_EQ(native.kind, TNativeEvent::kMinimized);
  event.window.event = SDL_WINDOWEVENT_RESTORED;
  ASSERT_TRUE(SdlToNativeEvent(event, &native));
  EXPECT_EQ(native.kind, TNativeEvent::kRestored);
}

class SdlEventHostTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS), 0) << SDL_GetError();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    gbQVUnicode = false;
    gbTarvishUnicode = false;
    mPlatform = new TPlatform;
    mPlatform->SetEventHost(new TSdlEventHost);
  }
  void TearDown() override
  {
    delete mPlatform;
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  }

  void Push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

  TEvent Next()
  {
    // Pushed events may sit behind ones SDL generated itself; skip idle events.
    TEvent event;
    for (int i = 0; i < 50; ++i) {
      mPlatform->GetEvent(&event);
      if (event.type != TEvent::kIdle) {
        break;
      }
    }
    return event;
  }

  TPlatform* mPlatform = nullptr;
};

TEST_F(SdlEventHostTest, PushedEventsComeOutTranslatedOnce)
{
  SDL_Event event;
  std::memset(&event, 0, sizeof(event));
  event.type = SDL_KEYDOWN;
  event.key.keysym.sym = SDLK_a;
  Push(event);

  std::memset(&event, 0, sizeof(event));
  event.type = SDL_TEXTINPUT;
  std::strcpy(event.text.text, "a");
  Push(event);

  std::memset(&event, 0, sizeof(event));
  event.type = SDL_MOUSEBUTTONDOWN;
  event.button.button = SDL_BUTTON_RIGHT;
  event.button.x = 40;
  event.button.y = 50;
  Push(event);

  std::memset(&event, 0, sizeof(event));
  event.type = SDL_MOUSEWHEEL;
  event.wheel.y = -1;
  Push(event);

  std::memset(&event, 0, sizeof(event));
  event.type = SDL_QUIT;
  Push(event);

  TEvent e = Next();
  EXPECT_EQ(e.type, TEvent::kKeyDown);
  EXPECT_EQ(e.code, 'A');
  e = Next();
  EXPECT_EQ(e.type, TEvent::kChar);
  EXPECT_EQ(e.code, 'a');
  e = Next();
  EXPECT_EQ(e.type, TEvent::kExtendedMouse);
  EXPECT_EQ(e.code, TEvent::kSecondaryDown);
  EXPECT_EQ(e.x, 40);
  EXPECT_EQ(e.y, 50);
  e = Next();
  EXPECT_EQ(e.type, TEvent::kExtendedMouse);
  EXPECT_EQ(e.code, TEvent::kWheelVerticalMinus);
  // The session's quit is a close request, never a second wheel event.
  e = Next();
  EXPECT_EQ(e.type, TEvent::kClose);
  mPlatform->GetEvent(&e);
  EXPECT_EQ(e.type, TEvent::kIdle);
}

TEST_F(SdlEventHostTest, AKeyCarriesTheModifiersHeldWhenItWentDownNotThoseHeldWhenItIsRead)
{
  // A quick Alt+Return: Alt is let go before the Return is read.
  SDL_SetModState(KMOD_NONE);
  SDL_Event event;
  std::memset(&event, 0, sizeof(event));
  event.type = SDL_KEYDOWN;
  event.key.keysym.sym = SDLK_RETURN;
  event.key.keysym.mod = KMOD_LALT;
  Push(event);
  TEvent e = Next();
  EXPECT_EQ(e.type, TEvent::kFullscreenToggled);
  EXPECT_EQ(e.modifiers, uint32_t(TEvent::kOption));

  // A Return typed alone just after an Alt+Tab, the keyboard's state still saying Alt.
  SDL_SetModState(KMOD_LALT);
  event.key.keysym.mod = KMOD_NONE;
  Push(event);
  e = Next();
  SDL_SetModState(KMOD_NONE);
  EXPECT_EQ(e.type, TEvent::kKeyDown);
  EXPECT_EQ(e.code, int(TEvent::kEnter));
  EXPECT_EQ(e.modifiers, 0u);
}

} // namespace
