// button: the clickable widget with one graphic per mouse state, press and rollover sounds,
// commands, toggle and radio groups and click masks; talks to the window manager, the
// window script (commands, messages) and the sound and texture assets.
#pragma once

#include <cstdint>

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/window/layeredwindow.h"
#include "core/window/modalwindow.h"
#include "core/window/windowscript.h"

class TLuaFunction;
class TSound;
class TTexture;

class TButton : public TLayeredWindow, public TButtonRole, public IScriptWidget
{
public:
  enum EButtonType
  {
    kPush = 0,
    kToggle = 1,
    kRadio = 2
  };
  enum EMouseState
  {
    kUp = 0,
    kDown = 1,
    kRollover = 2,
    kPressed = 3
  };
  // AddFlags values (also the style keys' meaning).
  enum EAddFlags
  {
    kAddBeginGroup = 1,
    kAddSendToParent = 2,
    kAddClose = 4,
    kAddDefault = 8,
    kAddCancel = 16
  };

  // The command a button runs on a completed click; owned by the button.
  class Action
  {
  public:
    virtual ~Action() {}
    virtual bool DoAction(TButton* button) = 0;
  };

  // Runs a Lua function through the window script.
  class LuaAction : public Action
  {
  public:
    // Takes ownership of the function.
    explicit LuaAction(TLuaFunction* function) : mFunction(function) {}
    ~LuaAction() override;
    bool DoAction(TButton* button) override;
    TLuaFunction* GetFunction() const { return mFunction; }

  private:
    LuaAction(const LuaAction&) = delete;
    LuaAction& operator=(const LuaAction&) = delete;
    TLuaFunction* mFunction;
  };

  TButton();
  ~TButton() override;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TButton"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TLayeredWindow::IsKindOf(id); }

  bool OnNewParent() override;
  void Init(TWindowStyle& style) override;
  void PostChildrenInit(TWindowStyle& style) override;
  bool OnMouseDown(const TPoint& point) override;
  bool OnMouseUp(const TPoint& point) override;
  bool OnMouseMove(const TPoint& point) override;
  bool OnMouseLeave() override;
  // A click completed; false when the button was reset (the command consumed the click, or
  // its layer is no longer on top).
  bool Press() override;
  virtual void StateUpdate(EMouseState newState, EMouseState oldState);
  virtual void SetState(EMouseState state);

  void SetType(EButtonType type);
  EButtonType GetType() const { return EButtonType(mState & 0x0F); }
  EMouseState GetState() const { return EMouseState((mState >> 4) & 0x07); }
  // Takes ownership; null clears the command.
  void SetCommand(Action* action);
  Action* GetCommand() const { return mCommand; }
  void SetSound(EMouseState state, str name);
  boost::shared_ptr<TSound> GetSound(EMouseState state) const;
  void SetClickMask(boost::shared_ptr<TTexture> texture);
  void SetOn(bool on);
  bool IsOn() const { return (mFlags2 & kOnBit) != 0; }
  bool DoCommand() override;
  void SetLabel(str label);
  str GetLabel();
  void AddFlags(unsigned flags);
  bool IsSendToParent() const { return (mState & 0x80) != 0; }
  bool IsCloseButton() const { return (mFlags2 & kCloseBit) != 0; }
  bool IsDefaultButton() const override { return (mFlags2 & kDefaultBit) != 0; }
  bool IsCancelButton() const override { return (mFlags2 & kCancelBit) != 0; }
  // The hit test: true (after OnMouseLeave) when the point misses the button.
  bool ReleaseCapture(TPoint const& point);
  // It and its ancestors up to its modal window are visible.
  bool IsShown() const;

  // Script commands.
  EScriptKind GetScriptKind() const override { return kScriptButton; }
  str GetScriptLabel() const override { return const_cast<TButton*>(this)->GetLabel(); }
  void SetScriptLabel(const str& text) override { SetLabel(text); }
  bool GetToggleState() const override { return IsOn(); }
  void SetToggleState(bool on) override { SetOn(on); }
  void SetLuaCommand(TLuaFunction* command) override;

private:
  enum
  {
    kOnBit = 1,
    kCloseBit = 2,
    kDefaultBit = 4,
    kCancelBit = 8
  };

  uint8_t mState;
  uint8_t mFlags2;
  Action* mCommand;
  boost::shared_ptr<TSound> mSounds[3];
  TColor32* mMask;
  int32_t mMaskWidth;
  int32_t mMaskHeight;
};

// Calls a member function of an object with the button.
template <class T, class Member>
class TButtonListener : public TButton::Action
{
public:
  TButtonListener(T* object, Member member) : mObject(object), mMember(member) {}
  bool DoAction(TButton* button) override
  {
    (mObject->*mMember)(button);
    return true;
  }

private:
  T* mObject;
  Member mMember;
};

template <class T, class Member>
TButton::Action* CreateButtonListener(T* object, Member member)
{
  return new TButtonListener<T, Member>(object, member);
}

// Switches off the other buttons of a radio button's group (see TButton::SetOn).
class TRadioButtonSpider : public TWindowSpider
{
public:
  explicit TRadioButtonSpider(TButton* button) : mButton(button) {}
  bool Process(TWindow* window) override;

  int mPass = 0;
  bool mInGroup = false;
  TWindow* mGroupStart = nullptr;
  TButton* mButton;
};

TWindow* TButtonDynamicCreate();
