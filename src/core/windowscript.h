// windowscript: what the window manager and its windows ask of the attached window
// script (the Lua host); the manager works without one.
#pragma once

#include <cstdint>

#include "core/str.h"

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
  {
  }
};
