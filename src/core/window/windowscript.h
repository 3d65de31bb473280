// windowscript: the window system's Lua script (TWindowScript): builds windows from
// style tables, carries messages to and from the dialog coroutine, and the script commands.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "core/foundation/str.h"
#include "core/script/luatable.h"
#include "core/script/script.h"
#include "core/script/message.h"

class TDialog;
class TLuaFunction;
class TMessage;
class TModalWindow;
class TWindow;
class TWindowManager;

class IWindowScript
{
public:
  virtual ~IWindowScript() {}

  // Called once when the manager attaches the script: the script registers its own
  // window types and Lua functions and joins the idle tasks.
  virtual void OnAttached(TWindowManager* manager) {}
  // The manager let the script go (another was attached, or the manager is going).
  virtual void OnDetached(TWindowManager* manager) {}
  virtual void PushWindow(TWindow* window) {}
  virtual void PopWindow() {}
  // The top layer changed (null: no layer left).
  virtual void NewModalWindow(TModalWindow* top) {}
  // Takes ownership of the message (which may be null when only a function is handed
  // over): resumes the coroutine waiting for messages or keeps the message for it.
  virtual void OnMessage(TMessage* message, TLuaFunction* function);
  // Resumes the waiting coroutine without arguments.
  virtual void Resume() {}
  // The user asked to close the application.
  virtual void CloseRequested() {}
  virtual void AddWindowType(const str& name, intptr_t classId) {}
  virtual void EnableStringTable(bool enable) {}
  virtual void DoLuaString(const str& code) {}
  // Hands a dialog's body and title to its script, runs the script, and starts the
  // coroutine that waits for the dialog's close message (named closeName).
  virtual void StartDialog(TDialog* dialog, const str& scriptFile, const str& body, const str& title,
                           const str& closeName)
  {}
};

// What the script commands ask of text windows, buttons and images; those classes
// implement it. A window without it is none of them.
class IScriptWidget
{
public:
  enum EScriptKind
  {
    kScriptText,
    kScriptButton,
    kScriptImage
  };
  virtual ~IScriptWidget() {}
  virtual EScriptKind GetScriptKind() const = 0;
  // A text window's text, a button's label.
  virtual str GetScriptLabel() const { return str(); }
  virtual void SetScriptLabel(const str& text) {}
  // Buttons.
  virtual bool GetToggleState() const { return false; }
  virtual void SetToggleState(bool on) {}
  // Takes ownership of the command.
  virtual void SetLuaCommand(TLuaFunction* command) { delete command; }
  // Images.
  virtual void SetImage(const str& image, float scale) {}
  virtual bool HasImage() const { return false; }
};

// A movie player for "StartMovie"; the cinematic host supplies one through the factory.
class IMovieHost
{
public:
  virtual ~IMovieHost() {}
  virtual bool Start(bool loop, bool translate, bool allowInput) = 0;
  virtual bool IsPlaying() = 0;
  virtual void Stop() = 0;
  // False when the host has nothing to play the movie with (no movie file, no player).
  virtual bool IsReady() const { return true; }
};
typedef IMovieHost* (*TMovieHostFactory)(const str& file);

// A message a script posted: a copy for the queue that pins the script's own message
// value, so the script receives back the very value it posted.
class TLuaMessageWrapper : public TMessage
{
public:
  // Pins the message userdata on top of the stack (popped); held is the message it holds.
  TLuaMessageWrapper(lua_State* L, TMessage* held);
  ~TLuaMessageWrapper() override {}
  TMessage* Unwrap() override;
  void PushPinned(lua_State* L) const { mPin.Push(L); }

private:
  TLuaObjectWrapper mPin;
};

TMessage* CreateNamedMessage(int kind, str name);

class TWindowScript : public TScript, public IWindowScript
{
public:
  explicit TWindowScript(lua_State* state = nullptr);
  ~TWindowScript() override;

  // Where "StartMovie" gets its players (none: no movie ever plays).
  static void SetMovieHostFactory(TMovieHostFactory factory);

  // IWindowScript. Attaching also makes the script an idle task of the platform, whose
  // list then owns it.
  void OnAttached(TWindowManager* manager) override;
  void OnDetached(TWindowManager* manager) override;
  void PushWindow(TWindow* window) override;
  void PopWindow() override;
  void NewModalWindow(TModalWindow* top) override;
  void OnMessage(TMessage* message, TLuaFunction* command) override;
  using TScript::Resume;
  void Resume() override;
  void CloseRequested() override;
  void AddWindowType(const str& name, intptr_t classId) override;
  void EnableStringTable(bool enable) override { mStringTable = enable; }
  bool IsStringTableEnabled() const { return mStringTable; }
  void DoLuaString(const str& code) override { TScript::DoLuaString(code, -1, 0); }
  void StartDialog(TDialog* dialog, const str& scriptFile, const str& body, const str& title,
                   const str& closeName) override;

  EInjected InjectFunction() override;

  // Construction.
  bool InitWindow(TWindow* window);
  TWindow* GetBuildWindow() const { return mStack.empty() ? nullptr : mStack.back(); }
  size_t GetStackDepth() const { return mStack.size(); }
  intptr_t GetWindowType(const str& name) const;
  bool IsWaitingForMessage() const { return mWaitingForMessage; }

  // The commands (Lua names in the comments where they differ).
  void PostChildCreate(TLuaTable* style, str unused); // "PostCreate"
  str GetLabel(str name);
  void RegisterHotkey(str key, str button); // "_RegisterHotkey"
  void SetLabel(str name, str text);
  str TagHotKey(str key, str label, str unused);
  void SetBitmap(str name, str image, float scale); // "_SetBitmap"
  void SetPosition(str name, int x, int y);
  void SetCommand(str name, TLuaFunction* command);
  int StripKeyFromLabel(lua_State* L);
  void SetWindowName(str name);
  void FillRect(TLuaTable* rectangle, TLuaTable* colour);
  void SelectLayer(int layer); // "DoSelectLayer"
  bool EnableWindow(str name, bool enable);
  bool GetButtonToggleState(str name);
  void SetButtonToggleState(str name, bool on);
  void SetFocus(str name); // "RealSetFocus"
  bool StringToClipboard(str text);
  void UpdateWindow();
  str PushModal(str name);
  void ClearModalChildren();
  int GetWindowDepth();
  void DoPopModal(str name);
  int HandleGetMessage(lua_State* L);
  int CreateCustomWindow(lua_State* L); // "GenericCreate"
  TMessage* CreateCloseMessage();
  int PostMessage(lua_State* L);
  int PostMessageToParent(lua_State* L);
  str GetString(str label, str p1, str p2, str p3, str p4, str p5); // "_GetString"
  bool StartMovie(str file, bool translate, bool allowInput);
  bool IsMoviePlaying();
  void StopMovie();
  bool ImageLoaded(str name);
  void DestroyWindow(str name);
  // "DoFitToChildren"; false when the window being built has no children (nothing was built).
  bool FitToChildren();

private:
  void RegisterCommands();
  void QueueValue(char const* queue);
  void PushMessage(TMessage* message);
  int Post(lua_State* L, bool toParent);
  TWindow* FindUnderTopModal(const str& name) const;

  // The manager the script is attached to, which it runs its windows in; null while none.
  TWindowManager* mManager = nullptr;
  std::vector<TWindow*> mStack;
  std::map<str, intptr_t> mWindowTypes;
  bool mStringTable = false;
  IMovieHost* mMovie = nullptr;
  // The style table GenericCreate is building from.
  TLuaTable* mCreateStyle = nullptr;
};
