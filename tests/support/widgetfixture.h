// widgetfixture: the window script with the real widget types registered, a recorder
// window and a hook that log the messages widgets send, and helpers for mouse and keys.
#pragma once

#include <string>
#include <vector>

#include "core/foundation/stringtable.h"
#include "core/graphics/qvminivecdraw.h"
#include "core/graphics/textgraphic.h"
#include "core/window/button.h"
#include "core/window/image.h"
#include "core/window/slider.h"
#include "core/window/text.h"
#include "core/window/textedit.h"
#include "support/scripttestutil.h"

// Every message that reaches it, as "kind name", in one log.
inline std::vector<std::string>& WidgetMessages()
{
  static std::vector<std::string> log;
  return log;
}

// "Any key" notes of the layers are left out.
inline void LogWidgetMessage(TMessage* message)
{
  if (message->GetType() == TMessage::kPressAnyKey)
    return;
  WidgetMessages().push_back(std::to_string(message->GetType()) + " " + message->GetName().c_str());
}

// A plain parent that keeps the messages sent up to it.
class TRecorderWindow : public TWindow
{
public:
  static TWindow* Create() { return new TRecorderWindow; }
  static intptr_t ClassId()
  {
    static const intptr_t id = RegisterCreatable(&TRecorderWindow::Create);
    return id;
  }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }
  bool OnMessage(TMessage* message) override
  {
    LogWidgetMessage(message);
    return true;
  }
};

class TRecordingHook : public TMessageHook
{
public:
  bool OnMessage(TMessage* message) override
  {
    LogWidgetMessage(message);
    return true;
  }
};

class WidgetTest : public ScriptWindowTest
{
protected:
  void SetUp() override
  {
    ScriptWindowTest::SetUp();
    manager.AddWindowType("Button", TButton::ClassId());
    manager.AddWindowType("Text", TText::ClassId());
    manager.AddWindowType("Bitmap", TImage::ClassId());
    manager.AddWindowType("TextEdit", TTextEdit::ClassId());
    manager.AddWindowType("Slider", TSlider::ClassId());
    manager.AddWindowType("Recorder", TRecorderWindow::ClassId());
    manager.AddMessageHook(new TRecordingHook);
    WidgetMessages().clear();
  }

  void TearDown() override
  {
    manager.EnableStringTable(false);
    TFontData::ShutDown();
    TQvMiniVecDraw::ShutDown();
    TPlatform::SetConfig(TPlatform::kFixButtonMaskScaling, "");
  }

  template <class T>
  T* Find(const char* name)
  {
    return TWindow::GetCast<T>(screen->GetChildWindow(name, -1));
  }

  // Delivers the queued messages and returns the log since the last call.
  std::vector<std::string> Messages()
  {
    manager.DispatchMessages();
    std::vector<std::string> log = WidgetMessages();
    WidgetMessages().clear();
    return log;
  }

  TPoint Centre(TWindow* window)
  {
    TRect place;
    window->GetWindowRect(&place);
    return TPoint((place.left + place.right) / 2, (place.top + place.bottom) / 2);
  }

  void Mouse(int kind, TPoint at)
  {
    TEvent event(kind, 0, at.x, at.y, 0);
    manager.HandleEvent(&event);
  }
  void Down(TPoint at) { Mouse(TEvent::kMouseDown, at); }
  void Up(TPoint at) { Mouse(TEvent::kMouseUp, at); }
  void Move(TPoint at) { Mouse(TEvent::kMouseMove, at); }

  void Key(int kind, int code, unsigned modifiers = 0)
  {
    TEvent event(kind, code, 0, 0, modifiers);
    manager.HandleEvent(&event);
  }
  void Type(const char* text)
  {
    for (const char* p = text; *p; ++p)
      Key(TEvent::kChar, (unsigned char)*p);
  }
};
