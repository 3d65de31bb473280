// message: the note that windows, dialogs and window scripts pass to each other through
// the window manager's queue; a kind, a name and an optional target window.
#pragma once

#include "core/foundation/str.h"

class TWindow;

class TMessage
{
public:
  enum EMessageType
  {
    kGeneric = 0,
    kCloseWindow = 1,
    kDefaultAction = 2,
    kButtonPress = 3,
    kPressAnyKey = 4,
    kQuitNow = 5,
    kModalClosed = 6,
    kTextEditChanged = 7,
    kCommandOnly = 8,
    kSliderValChanged = 9,
    kSliderMouseUp = 10,
    kSliderPageUp = 11,
    kSliderPageDown = 12,
    kUserMessageBase = 1000
  };

  TMessage(int type, const str& name, TWindow* target = nullptr) : mType(type), mName(name), mTarget(target) {}
  virtual ~TMessage() {}

  int GetType() const { return mType; }
  const str& GetName() const { return mName; }
  void SetName(const str& name) { mName = name; }
  TWindow* GetTarget() const { return mTarget; }
  void SetTarget(TWindow* target) { mTarget = target; }

  // The message this one stands for; a script's wrapper answers with the message the
  // script keeps, every other message with itself.
  virtual TMessage* Unwrap() { return this; }

private:
  TMessage(const TMessage&) = delete;
  TMessage& operator=(const TMessage&) = delete;

  int mType;
  str mName;
  TWindow* mTarget;
};
