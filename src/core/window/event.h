// event: the record of one input or system event as the platform hands it to the game's
// loop and the window manager; five 32-bit fields, copied by value.
#pragma once

#include <cstdint>

struct TEvent
{
  // Kinds. The platform produces idle, close, quit, the mouse, keys, characters,
  // activation and full-screen toggles; the others are understood by the window manager.
  enum EKind
  {
    kIgnore = 2,
    kIdle = 1,
    kClose = 3,
    kQuit = 4,
    kMouseDown = 5,
    kExtendedMouse = 6,
    kMouseUp = 7,
    kMouseMove = 8,
    kMouseLeave = 9,
    kMouseHover = 10,
    kKeyDown = 11,
    kKeyUp = 12,
    kChar = 13,
    kUTF8Char = 14,
    kRedraw = 15,
    kReleaseCapture = 17,
    kActivate = 18,
    kFullscreenToggled = 19
  };

  // Codes of kind kExtendedMouse.
  enum EExtendedCode
  {
    kSecondaryUp = 0,
    kSecondaryDown = 1,
    kTertiaryUp = 2,
    kTertiaryDown = 3,
    kWheelHorizontalPlus = 4,  // horizontal axis, delta 0 or more
    kWheelHorizontalMinus = 5, // horizontal axis, negative delta
    kWheelVerticalPlus = 6,    // vertical axis, delta 0 or more
    kWheelVerticalMinus = 7    // vertical axis, negative delta
  };

  // Modifier bits (left-hand keys only).
  enum EModifier
  {
    kShift = 1,
    kControl = 2,
    kOption = 4
  };

  static const int kTab = 9;
  static const int kDelete = 127;
  static const int kEscape = 27;
  static const int kEnter = 13;
  static const int kRight = 29;
  static const int kLeft = 28;
  static const int kPaste = 0;

  int32_t type;
  int32_t code;
  int32_t x;
  int32_t y;
  uint32_t modifiers;

  TEvent() : type(kIdle), code(0), x(0), y(0), modifiers(0) {}
  TEvent(int32_t type_, int32_t code_, int32_t x_, int32_t y_, uint32_t modifiers_)
      : type(type_), code(code_), x(x_), y(y_), modifiers(modifiers_)
  {}
};

static_assert(sizeof(TEvent) == 20, "TEvent is five 32-bit fields");
