// button: the clickable widget with one graphic per mouse state, press and rollover sounds,
// commands, toggle and radio groups and click masks; talks to the window manager, the
// window script (commands, messages) and the sound and texture assets.
#include "core/window/button.h"

#include <cstring>

#include <lua.hpp>

#include "core/foundation/config.h"
#include "core/foundation/services.h"
#include "core/graphics/texture.h"
#include "core/script/luatable.h"
#include "core/script/message.h"
#include "core/window/screen.h"
#include "core/window/image.h"
#include "core/window/text.h"
#include "core/window/windowmanager.h"
#include "core/window/windowstyle.h"

namespace {

// One playing copy of a button's sound, through the sound service the platform handed in.
void PlayOnce(const boost::shared_ptr<TSound>& sound)
{
  if (ISoundPlayback* playback = TServices::Get().sound)
    playback->PlayOnce(sound);
}

const char kButtonNameGlobal[] = "_qvButtonName";

TScript* ManagerScript()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  return manager ? dynamic_cast<TScript*>(manager->GetScript()) : nullptr;
}

// The name is handed over as a value, never compiled into Lua source.
int GetButtonName(lua_State* L)
{
  lua_getglobal(L, kButtonNameGlobal);
  return 1;
}

} // namespace

TWindow* TButtonDynamicCreate()
{
  return new TButton();
}

intptr_t TButton::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TButtonDynamicCreate);
  return id;
}

TButton::LuaAction::~LuaAction()
{
  delete mFunction;
}

bool TButton::LuaAction::DoAction(TButton* button)
{
  TWindowManager* manager = TWindowManager::GetInstance();
  TMessage* message = new TMessage(TMessage::kCommandOnly, str("LuaAction:") + button->GetName());
  if (!manager || !mFunction) {
    delete message;
    return false;
  }
  if (TScript* script = ManagerScript()) {
    lua_State* L = script->GetState();
    script->SetGlobalString(kButtonNameGlobal, button->GetName());
    lua_register(L, "GetButtonName", &GetButtonName);
  }
  mFunction->Push();
  manager->OnScriptMessage(message, new TLuaFunction(mFunction->GetState()));
  return true;
}

TButton::TButton()
    : TLayeredWindow(4), mState(0), mFlags2(0), mCommand(nullptr), mMask(nullptr), mMaskWidth(0), mMaskHeight(0)
{}

TButton::~TButton()
{
  if (GetState() != kUp) {
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->RemoveMouseListener(this);
    }
  }
  mState &= 0x8F;
  delete[] mMask;
  delete mCommand;
}

void TButton::SetType(EButtonType type)
{
  mState = uint8_t((mState & 0xF0) | (unsigned(type) & 0x0F));
}

void TButton::SetCommand(Action* action)
{
  if (action == mCommand) {
    return;
  }
  delete mCommand;
  mCommand = action;
}

void TButton::SetLuaCommand(TLuaFunction* command)
{
  SetCommand(command ? new LuaAction(command) : nullptr);
}

void TButton::SetSound(EMouseState state, str name)
{
  if (unsigned(state) >= 3) {
    return;
  }
  ISoundPlayback* sound = TServices::Get().sound;
  mSounds[state] =
      name.empty() || !sound ? boost::shared_ptr<TSound>() : sound->AsSound(sound->GetSoundAsset(name, true, 0));
}

boost::shared_ptr<TSound> TButton::GetSound(EMouseState state) const
{
  return unsigned(state) < 3 ? mSounds[state] : boost::shared_ptr<TSound>();
}

void TButton::SetClickMask(boost::shared_ptr<TTexture> texture)
{
  if (!texture) {
    return;
  }
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  if (!texture->Lock(&pixels, &pitch) || !pixels) {
    return;
  }
  delete[] mMask;
  mMaskWidth = int32_t(texture->GetWidth());
  mMaskHeight = int32_t(texture->GetHeight());
  mMask = new TColor32[size_t(mMaskWidth) * size_t(mMaskHeight)];
  for (int32_t row = 0; row < mMaskHeight; ++row) {
    std::memcpy(mMask + size_t(row) * size_t(mMaskWidth), pixels + size_t(row) * pitch,
                size_t(mMaskWidth) * sizeof(TColor32));
  }
  texture->Unlock();
}

void TButton::AddFlags(unsigned flags)
{
  if (flags & kAddBeginGroup) {
    // A class bit: SetFlags only writes the user bits.
    mFlags |= kBeginGroup;
  }
  if (flags & kAddSendToParent) {
    mState |= 0x80;
  }
  if (flags & kAddClose) {
    mFlags2 |= kCloseBit;
  }
  if (flags & kAddDefault) {
    mFlags2 |= kDefaultBit;
  }
  if (flags & kAddCancel) {
    mFlags2 |= kCancelBit;
  }
}

bool TButton::OnNewParent()
{
  SetState(kUp);
  return true;
}

void TButton::Init(TWindowStyle& style)
{
  TWindow::Init(style);
  const str sound = style.GetString("sound", "");
  const str rolloverSound = style.GetString("rolloversound", "");
  const str mask = style.GetString("mask", "");
  SetType(EButtonType(style.GetInt("type", 0) & 0x0F));
  const float scale = float(style.GetNumber("scale", 1.0));

  unsigned flags = 0;
  if (style.GetBool("sendToParent", false))
    flags |= kAddSendToParent;
  if (style.GetBool("beginGroup", false))
    flags |= kAddBeginGroup;
  if (style.GetBool("close", false))
    flags |= kAddClose;
  if (style.GetBool("default", false))
    flags |= kAddDefault;
  if (style.GetBool("cancel", false))
    flags |= kAddCancel;
  // The flags go first: a radio button that begins its group and starts on must not
  // switch off the group before it.
  AddFlags(flags);
  if (style.GetBool("on", false)) {
    SetOn(true);
  }

  if (!sound.empty())
    SetSound(kDown, sound);
  if (!rolloverSound.empty())
    SetSound(kRollover, rolloverSound);
  if (!mask.empty())
    SetClickMask(TTexture::Get(mask, 0));

  if (boost::shared_ptr<TLuaTable> graphics = style.GetTable("graphics")) {
    const int count = GetType() == kPush ? 3 : 4;
    unsigned drawFlags = 0;
    if (style.GetBool("hflip", false))
      drawFlags |= 1;
    if (style.GetBool("vflip", false))
      drawFlags |= 2;
    const bool rotate = style.GetBool("rotate", false);
    TImage* image = nullptr;
    for (int i = 0; i < count; ++i) {
      const str name = graphics->GetString(double(i + 1), "");
      if (!name.empty()) {
        image = new TImage(true);
        image->SetTexture(TTexture::Get(name, 0), scale);
        image->SetName(str::getFormatted("image%d", i));
        image->SetDrawFlags(drawFlags);
        image->SetRotate(rotate);
      }
      SetCurrentLayer(i);
      if (image) {
        AdoptChild(image, true);
      }
    }
    FitToChildren();
  }

  if (TLuaFunction* command = style.GetFunction("command")) {
    if (command->GetType() == LUA_TFUNCTION) {
      SetCommand(new LuaAction(command));
    } else {
      delete command;
    }
  }
  SetCurrentLayer(-1);
}

void TButton::PostChildrenInit(TWindowStyle& style)
{
  TWindow::PostChildrenInit(style);
  SetState(kUp);
}

void TButton::SetState(EMouseState state)
{
  const EMouseState previous = GetState();
  mState = uint8_t((mState & 0x8F) | ((unsigned(state) & 0x07) << 4));
  StateUpdate(state, previous);
}

void TButton::StateUpdate(EMouseState newState, EMouseState oldState)
{
  if (newState != oldState && newState != kDown && oldState != kPressed && unsigned(newState) < 3 &&
      mSounds[newState] && (GetFlags() & kVisible)) {
    PlayOnce(mSounds[newState]);
  }
  if (newState == kPressed) {
    return;
  }
  const int on = IsOn() ? 1 : 0;
  switch (GetType()) {
  case kPush:
    SetCurrentLayer(int(newState));
    break;
  case kToggle:
  case kRadio:
    SetCurrentLayer(newState == kUp ? on : newState == kDown ? 1 - on : 2 + on);
    break;
  default:
    break;
  }
}

bool TButton::IsShown() const
{
  for (const TWindow* window = this; window; window = window->GetParent()) {
    if (!(window->GetFlags() & kVisible)) {
      return false;
    }
    if (window->GetFlags() & kModal) {
      return true;
    }
    if (!window->GetParent()) {
      return false;
    }
  }
  return false;
}

bool TButton::ReleaseCapture(TPoint const& point)
{
  TRect client;
  GetClientRect(&client);
  bool hit = point.x >= client.left && point.x < client.right && point.y >= client.top && point.y < client.bottom;
  if (hit && mMask && mMaskWidth >= 1 && mMaskHeight >= 1) {
    const float scaleX = float(client.right - client.left) / float(mMaskWidth);
    const float scaleY = float(client.bottom - client.top) / float(mMaskHeight);
    const int dx = point.x - client.left;
    const int dy = point.y - client.top;
    int maskX = 0;
    int maskY = 0;
    if (TConfig::Get(TConfig::kFixButtonMaskScaling, "").to_int() != 0) {
      maskX = int(float(dx) / scaleX);
      maskY = int(float(dy) / scaleY);
    } else {
      maskX = int(float(dx) * scaleX);
      maskY = int(float(dy) * scaleY);
    }
    hit = false;
    if (maskX >= 0 && maskY >= 0 && maskX < mMaskWidth && maskY < mMaskHeight) {
      const TColor32 pixel = mMask[size_t(maskX) + size_t(mMaskWidth) * size_t(maskY)];
      hit = pixel.Red() > 19 || pixel.Green() > 19 || pixel.Blue() > 19;
    }
  }
  if (hit) {
    return false;
  }
  OnMouseLeave();
  return true;
}

bool TButton::OnMouseDown(const TPoint& point)
{
  if (GetState() == kUp) {
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->AddMouseListener(this);
    }
  }
  SetState(kDown);
  ReleaseCapture(point);
  return true;
}

bool TButton::OnMouseMove(const TPoint& point)
{
  if (ReleaseCapture(point)) {
    return false;
  }
  if (GetState() != kUp) {
    return true;
  }
  SetState(kRollover);
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->AddMouseListener(this);
  }
  return true;
}

bool TButton::OnMouseLeave()
{
  if (GetState() != kUp) {
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->RemoveMouseListener(this);
    }
  }
  SetState(kUp);
  return true;
}

bool TButton::OnMouseUp(const TPoint& point)
{
  if (GetState() == kUp || ReleaseCapture(point)) {
    return true;
  }
  if (GetState() == kDown && !Press()) {
    return true;
  }
  if (IsShown()) {
    SetState(kRollover);
  } else {
    OnMouseLeave();
  }
  return true;
}

bool TButton::Press()
{
  StateUpdate(kPressed, kDown);
  if (mSounds[kDown] && IsShown()) {
    PlayOnce(mSounds[kDown]);
  }
  if (DoCommand()) {
    OnMouseLeave();
    return false;
  }
  if (GetType() == kRadio) {
    SetOn(true);
  } else if (GetType() == kToggle) {
    mFlags2 ^= kOnBit;
    SetState(GetState());
  }
  TWindowManager* manager = TWindowManager::GetInstance();
  if (manager && FindParentModal() == manager->GetTopModalWindow()) {
    return true;
  }
  OnMouseLeave();
  return false;
}

bool TButton::DoCommand()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  if (!manager) {
    return false;
  }
  TModalWindow* modal = FindParentModal();
  if (IsCloseButton() && modal) {
    manager->PostWindowMessage(new TMessage(TMessage::kCloseWindow, modal->GetIdString()));
    if (TScript* script = ManagerScript()) {
      script->SetGlobalString("gReturnValue", GetName());
    }
  }
  TWindow* target = GetParent();
  if (IsSendToParent()) {
    TModalWindow* top = manager->GetTopModalWindow();
    target = top ? top->GetParent() : nullptr;
  }
  TMessage* message = new TMessage(TMessage::kButtonPress, GetName(), target);
  if (!mCommand) {
    manager->PostWindowMessage(message);
    return false;
  }
  mCommand->DoAction(this);
  TWindow* screen = manager->GetScreen();
  for (TWindow* ancestor = GetParent(); ancestor; ancestor = ancestor->GetParent()) {
    if (screen && ancestor == screen) {
      manager->PostWindowMessage(message);
      return false;
    }
  }
  if (IsSendToParent()) {
    manager->PostWindowMessage(message);
  } else {
    delete message;
  }
  return true;
}

void TButton::SetOn(bool on)
{
  if (GetType() == kRadio && on && GetParent()) {
    TRadioButtonSpider spider(this);
    GetParent()->ForEachChild(&spider, true);
    spider.mPass = 1;
    GetParent()->ForEachChild(&spider, true);
  }
  if (on) {
    mFlags2 |= kOnBit;
  } else {
    mFlags2 &= ~kOnBit;
  }
  SetState(GetState());
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->InvalidateScreen();
  }
}

void TButton::SetLabel(str label)
{
  TWindow* child = GetChildWindow("label", -1);
  if (TText* text = child ? child->GetCast<TText>() : nullptr) {
    text->SetText(label);
  }
}

str TButton::GetLabel()
{
  TWindow* child = GetChildWindow("label", -1);
  TText* text = child ? child->GetCast<TText>() : nullptr;
  return text ? text->GetText() : str();
}

bool TRadioButtonSpider::Process(TWindow* window)
{
  if (mPass == 0) {
    if (window->GetFlags() & TWindow::kBeginGroup) {
      mGroupStart = window;
    }
    return window != mButton;
  }
  if (!mGroupStart) {
    return false;
  }
  if (!mInGroup) {
    if (window != mGroupStart) {
      return true;
    }
    mInGroup = true;
  } else if (window->GetFlags() & TWindow::kBeginGroup) {
    return false;
  }
  if (window != mButton) {
    if (TButton* button = window->GetCast<TButton>()) {
      button->SetOn(false);
    }
  }
  return true;
}
