// scripttestutil: stand-ins for the widgets the window-script commands reach (a button,
// a text window, an image, a logging window) and a fixture with a screen, a manager and the window script.
#pragma once

#include <string>
#include <vector>

#include "core/script/luatable.h"
#include "core/script/message.h"
#include "core/window/screen.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "core/window/windowstyle.h"
#include "support/faketimer.h"
#include "support/vfssandbox.h"
#include "support/windowtestutil.h"

#include <gtest/gtest.h>

// Hands its command (or a button-press message) to the script when clicked.
class TTestButton : public TWindow, public IScriptWidget
{
public:
  static TWindow* Create() { return new TTestButton; }
  static intptr_t ClassId()
  {
    static const intptr_t id = RegisterCreatable(&TTestButton::Create);
    return id;
  }
  const char* GetTypeName() const override { return "TTestButton"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }
  ~TTestButton() override { delete mCommand; }

  EScriptKind GetScriptKind() const override { return kScriptButton; }
  str GetScriptLabel() const override { return mLabel; }
  void SetScriptLabel(const str& text) override { mLabel = text; }
  bool GetToggleState() const override { return mOn; }
  void SetToggleState(bool on) override { mOn = on; }
  void SetLuaCommand(TLuaFunction* command) override
  {
    delete mCommand;
    mCommand = command;
  }

  void Init(TWindowStyle& style) override
  {
    TWindow::Init(style);
    mLabel = style.GetString("label", "");
  }
  bool OnMouseDown(const TPoint&) override { return true; }
  bool OnMouseUp(const TPoint&) override
  {
    TWindowManager* manager = TWindowManager::GetInstance();
    if (mCommand) {
      mCommand->Push();
      manager->OnScriptMessage(new TMessage(TMessage::kButtonPress, GetName()), new TLuaFunction(mCommand->GetState()));
    } else {
      manager->PostWindowMessage(new TMessage(TMessage::kButtonPress, GetName()));
    }
    return true;
  }
  bool OnMouseLeave() override
  {
    ++leaves;
    return false;
  }

  str mLabel;
  bool mOn = false;
  TLuaFunction* mCommand = nullptr;
  int leaves = 0;
};

class TTestText : public TWindow, public IScriptWidget
{
public:
  static TWindow* Create() { return new TTestText; }
  static intptr_t ClassId()
  {
    static const intptr_t id = RegisterCreatable(&TTestText::Create);
    return id;
  }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }
  EScriptKind GetScriptKind() const override { return kScriptText; }
  str GetScriptLabel() const override { return text; }
  void SetScriptLabel(const str& value) override { text = value; }
  str text;
};

class TTestImage : public TWindow, public IScriptWidget
{
public:
  static TWindow* Create() { return new TTestImage; }
  static intptr_t ClassId()
  {
    static const intptr_t id = RegisterCreatable(&TTestImage::Create);
    return id;
  }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }
  EScriptKind GetScriptKind() const override { return kScriptImage; }
  void SetImage(const str& name, float value) override
  {
    image = name;
    scale = value;
  }
  bool HasImage() const override { return !image.empty(); }
  void Init(TWindowStyle& style) override
  {
    TWindow::Init(style);
    image = style.GetString("image", "");
  }
  str image;
  float scale = 0;
};

// Logs its Init and PostChildrenInit calls.
class TLogWindow : public TWindow
{
public:
  static std::vector<std::string>& Log()
  {
    static std::vector<std::string> log;
    return log;
  }
  static TWindow* Create() { return new TLogWindow; }
  static intptr_t ClassId()
  {
    static const intptr_t id = RegisterCreatable(&TLogWindow::Create);
    return id;
  }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }
  void Init(TWindowStyle& style) override
  {
    TWindow::Init(style);
    Log().push_back("init " + std::string(GetName().c_str()));
  }
  void PostChildrenInit(TWindowStyle& style) override
  {
    TWindow::PostChildrenInit(style);
    Log().push_back("post " + std::string(GetName().c_str()));
  }
};

class TRefusingChild : public TWindow
{
public:
  static TWindow* Create() { return new TRefusingChild; }
  static intptr_t ClassId()
  {
    static const intptr_t id = RegisterCreatable(&TRefusingChild::Create);
    return id;
  }
  bool OnNewParent() override { return false; }
};

class ScriptWindowTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    manager.SetRenderer(&renderer);
    screen = new TScreen;
    manager.SetScreen(screen);
    manager.AttachWindowScript(&script);
    manager.AddWindowType("Button", TTestButton::ClassId());
    manager.AddWindowType("Text", TTestText::ClassId());
    manager.AddWindowType("Bitmap", TTestImage::ClassId());
    manager.AddWindowType("Probe", TLogWindow::ClassId());
    manager.AddWindowType("Refuser", TRefusingChild::ClassId());
    TLogWindow::Log().clear();
  }

  str Global(char const* name)
  {
    lua_getglobal(L, name);
    return script.PopString();
  }
  bool Truth(char const* name)
  {
    lua_getglobal(L, name);
    bool value = lua_toboolean(L, -1) != 0;
    lua_pop(L, 1);
    return value;
  }
  void Run(char const* text) { script.DoLuaString(text); }
  // One pass of the main loop: the script's task when due, then an idle event.
  void Tick(uint32_t ms = 1)
  {
    timer.Advance(ms);
    if (script.Ready(TTask::eEventLoop))
      script.DoTask();
    TEvent idle(TEvent::kIdle, 0, 0, 0, 0);
    manager.HandleEvent(&idle);
  }
  void Click(TWindow* window)
  {
    TRect place;
    window->GetWindowRect(&place);
    int x = (place.left + place.right) / 2;
    int y = (place.top + place.bottom) / 2;
    TEvent down(TEvent::kMouseDown, 0, x, y, 0);
    manager.HandleEvent(&down);
    TEvent up(TEvent::kMouseUp, 0, x, y, 0);
    manager.HandleEvent(&up);
  }

  // Declared so that the manager (and its windows) go before the script's state.
  TVfsSandbox sandbox;
  TFakeTimer timer{1000};
  TRecordingRenderer renderer;
  TWindowScript script;
  lua_State* L = script.GetState();
  TWindowManager manager;
  TScreen* screen = nullptr;
};
