// windowtestutil: a recording renderer, a style from a map and a probe window that logs
// what reaches it; shared by the window system's tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "core/script/message.h"
#include "core/window/modalwindow.h"
#include "core/window/screen.h"
#include "core/window/windowmanager.h"
#include "core/window/windowrenderer.h"
#include "core/window/windowscript.h"
#include "core/window/windowstyle.h"

// A window script that keeps the name and type of every message handed to it.
class TRecordingScript : public IWindowScript
{
public:
  void OnMessage(TMessage* message, TLuaFunction*) override
  {
    if (message) {
      names.push_back(message->GetName().c_str());
      types.push_back(message->GetType());
    }
    delete message;
  }
  std::vector<std::string> names;
  std::vector<int> types;
};

// Records every call as a line of text and keeps the viewport and clipping stacks.
class TRecordingRenderer : public TWindowRenderer
{
public:
  explicit TRecordingRenderer(int width = 800, int height = 600) : mBase(0, 0, width, height) {}

  bool BeginDraw(bool) override
  {
    log.push_back("begin");
    ++frames;
    return beginSucceeds;
  }
  void EndDraw(bool) override { log.push_back("end"); }
  void PushViewport(const TRect& v) override
  {
    viewports.push_back(v);
    log.push_back("viewport " + Text(v.left, v.top, v.right, v.bottom));
  }
  void PopViewport() override
  {
    if (!viewports.empty()) {
      viewports.pop_back();
    }
    log.push_back("popviewport");
  }
  void GetViewport(TRect* v) override { *v = viewports.empty() ? mBase : viewports.back(); }
  void PushClippingRectangle(const TURect& c) override
  {
    clips.push_back(c);
    log.push_back("clip " + Text(int(c.left), int(c.top), int(c.right), int(c.bottom)));
  }
  void PopClippingRectangle() override
  {
    if (!clips.empty()) {
      clips.pop_back();
    }
    log.push_back("popclip");
  }
  TURect GetClippingRectangle() override
  {
    return clips.empty()
               ? TURect(unsigned(mBase.left), unsigned(mBase.top), unsigned(mBase.right), unsigned(mBase.bottom))
               : clips.back();
  }
  void FillRect(const TURect& r, const TColor& c) override
  {
    log.push_back("fill " + Text(int(r.left), int(r.top), int(r.right), int(r.bottom)));
  }
  bool BeginRenderTarget(boost::shared_ptr<TTexture> texture, int mode) override
  {
    log.push_back("target " + std::to_string(mode));
    return targetSucceeds && texture;
  }
  void EndRenderTarget() override { log.push_back("endtarget"); }
  void CopyToFrame(boost::shared_ptr<TTexture> texture) override { log.push_back(texture ? "copy" : "copy null"); }

  void Note(const std::string& line) { log.push_back(line); }
  // The lines that start with prefix, in order.
  std::vector<std::string> Lines(const std::string& prefix) const
  {
    std::vector<std::string> out;
    for (const std::string& line : log) {
      if (line.compare(0, prefix.size(), prefix) == 0) {
        out.push_back(line);
      }
    }
    return out;
  }

  static std::string Text(int a, int b, int c, int d)
  {
    return std::to_string(a) + "," + std::to_string(b) + "," + std::to_string(c) + "," + std::to_string(d);
  }

  std::vector<std::string> log;
  std::vector<TRect> viewports;
  std::vector<TURect> clips;
  int frames = 0;
  bool beginSucceeds = true;
  bool targetSucceeds = true;

private:
  TRect mBase;
};

class TMapStyle : public TWindowStyle
{
public:
  TMapStyle& Set(const char* key, double value)
  {
    mNumbers[key] = value;
    return *this;
  }
  bool Has(const char* key) const override { return mNumbers.count(key) != 0; }
  double GetNumber(const char* key, double defaultValue) const override
  {
    auto found = mNumbers.find(key);
    return found == mNumbers.end() ? defaultValue : found->second;
  }
  bool GetBool(const char* key, bool defaultValue) const override
  {
    auto found = mNumbers.find(key);
    return found == mNumbers.end() ? defaultValue : found->second != 0;
  }

private:
  std::map<std::string, double> mNumbers;
};

// Logs its drawing and input into a shared log, and consumes what it is told to.
class TProbeWindow : public TWindow
{
public:
  TProbeWindow(const char* name, std::vector<std::string>* log, int l = 0, int t = 0, int r = 0, int b = 0) : mLog(log)
  {
    SetName(name);
    SetWindowPos(l, t);
    SetWindowSize(unsigned(r - l), unsigned(b - t));
  }
  ~TProbeWindow() override
  {
    if (destroyed) {
      *destroyed = true;
    }
  }

  void Draw() override
  {
    if (TWindowManager::GetInstance() && TWindowManager::GetInstance()->GetRenderer()) {
      static_cast<TRecordingRenderer*>(TWindowManager::GetInstance()->GetRenderer())
          ->Note("draw " + std::string(GetName().c_str()));
    }
  }
  bool OnMouseDown(const TPoint& p) override { return Record("down", p, consumeMouse); }
  bool OnMouseUp(const TPoint& p) override { return Record("up", p, consumeMouse); }
  bool OnMouseMove(const TPoint& p) override { return Record("move", p, consumeMouse); }
  bool OnExtendedMouseEvent(const TPoint& p, int code) override { return Record("ext", p, consumeMouse); }
  bool OnMouseLeave() override
  {
    mLog->push_back(std::string(GetName().c_str()) + " leave");
    if (removeListenerOnLeave) {
      TWindowManager::GetInstance()->RemoveMouseListener(this);
    }
    return false;
  }
  bool OnKeyDown(char key, unsigned) override
  {
    mLog->push_back(std::string(GetName().c_str()) + " key " + key);
    return consumeKeys;
  }
  bool OnChar(char c) override
  {
    mLog->push_back(std::string(GetName().c_str()) + " char " + c);
    return consumeKeys;
  }
  bool OnUTF8Char(str c) override
  {
    mLog->push_back(std::string(GetName().c_str()) + " utf8 " + c.c_str());
    return consumeUtf8;
  }
  bool OnMessage(TMessage* m) override
  {
    mLog->push_back(std::string(GetName().c_str()) + " msg " + m->GetName().c_str());
    return consumeMessages;
  }
  void OnSetFocus(TWindow* previous) override { mLog->push_back(std::string(GetName().c_str()) + " focus"); }
  void OnKillFocus(TWindow* next) override
  {
    mLog->push_back(std::string(GetName().c_str()) + " unfocus to " + (next ? next->GetName().c_str() : "none"));
  }
  bool CanAcceptFocus() override { return acceptsFocus; }
  bool OnTaskAnimate() override
  {
    ++animations;
    return true;
  }
  void OnParentModalPopped() override { mLog->push_back(std::string(GetName().c_str()) + " popped"); }

  void MakeFocusable() { mFlags |= kFocusable; }
  void MakeCaptureDraw() { mFlags |= kCaptureDraw; }

  bool consumeMouse = false;
  bool consumeKeys = false;
  bool consumeUtf8 = false;
  bool consumeMessages = false;
  bool removeListenerOnLeave = false;
  bool acceptsFocus = true;
  bool* destroyed = nullptr;
  int animations = 0;

private:
  bool Record(const char* what, const TPoint& p, bool result)
  {
    mLog->push_back(std::string(GetName().c_str()) + " " + what + " " + std::to_string(p.x) + "," +
                    std::to_string(p.y));
    return result;
  }
  std::vector<std::string>* mLog;
};

// A layer that logs like the probe.
class TProbeLayer : public TModalWindow
{
public:
  TProbeLayer(const char* name, std::vector<std::string>* log) : mLog(log) { SetName(name); }
  ~TProbeLayer() override
  {
    if (destroyed) {
      *destroyed = true;
    }
  }
  void Draw() override
  {
    static_cast<TRecordingRenderer*>(TWindowManager::GetInstance()->GetRenderer())
        ->Note("draw " + std::string(GetName().c_str()));
  }
  bool OnMessage(TMessage* m) override
  {
    mLog->push_back(std::string(GetName().c_str()) + " msg " + m->GetName().c_str());
    return TModalWindow::OnMessage(m);
  }
  void OnSetFocus(TWindow* previous) override
  {
    mLog->push_back(std::string(GetName().c_str()) + " focus");
    TModalWindow::OnSetFocus(previous);
  }
  void OnKillFocus(TWindow* next) override
  {
    mLog->push_back(std::string(GetName().c_str()) + " unfocus to " + (next ? next->GetName().c_str() : "none"));
  }
  bool* destroyed = nullptr;

private:
  std::vector<std::string>* mLog;
};
