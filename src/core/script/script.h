// script: the host of one Lua state (TScript): loads script files and Lua strings, calls
// Lua functions and drives the state's one coroutine from the task list; TScriptCode caches script texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include <boost/shared_ptr.hpp>
#include <lua.hpp>

#include "core/foundation/asset.h"
#include "core/foundation/color.h"
#include "core/foundation/str.h"
#include "core/foundation/task.h"

class TLuaTable;

// The checked text of one script file, shared through the asset registry under the
// file's name while somebody holds it.
class TScriptCode : public TAsset
{
public:
  TScriptCode(const str& name, const str& text) : mName(name), mText(text) {}
  ~TScriptCode() override;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TScriptCode"; }
  bool IsKindOf(intptr_t classId) const override { return classId == ClassId() || TAsset::IsKindOf(classId); }

  const str& GetName() const { return mName; }
  const str& GetText() const { return mText; }
  unsigned GetLength() const { return mText.length(); }

  // The script of that file, found as the name itself or along the ";"-separated
  // templates of luaPath ("?" stands for the name; empty: "assets/?;../?;?"), and
  // compiled once to check it. Null on failure, with Lua's message in *error.
  static boost::shared_ptr<TScriptCode> Get(const str& name, const str& luaPath, str* error);

private:
  str mName;
  str mText;
};

class TScript : public TAnimTask
{
public:
  // Every caller passes null: the script always opens a state of its own.
  explicit TScript(lua_State* state = nullptr);
  ~TScript() override;

  // The module search path given to every script RunScript and DoLuaString run.
  static str mLuaPath;

  // Lua code must hand control back to the event loop. From the first call on, every state
  // of this thread counts the instructions it runs, and code that runs kMaxRunInstructions
  // of them before the next call (the loop calls it at every turn) is stopped with an error
  // that names its script and line.
  static void StartRunBudget();
  static constexpr uint64_t kMaxRunInstructions = 100000000;
  // Asked every few thousand instructions while the budget counts: true stops the running
  // code as well (the program must close now). An empty function removes the check.
  static void SetInterruptCheck(std::function<bool()> check);
  // A stopped piece of code stays stopped: no pcall of its own catches the stop, which goes
  // on to the host, or to the Lua function of this global (one that runs handlers in a
  // protected call of its own): once that function's own code runs again, the stop is over.
  void SetStopBoundary(const char* name);
  // Bytes one state may hold; an allocation beyond fails as Lua's memory error.
  static constexpr size_t kMaxStateBytes = size_t(256) << 20;

  lua_State* GetState() const { return mState; }

  bool RunScript(const str& name);
  void DoLuaString(const str& text, int length = -1, int resultCount = 0);
  // Calls the function below its arguments; returns the Lua status (0 success). On
  // success exactly resultCount values replace the function and its arguments.
  int RunFunction(int argumentCount, int resultCount);
  // Resumes the coroutine with the values on top of the stack; returns the Lua status,
  // -1 (quietly) when no coroutine is suspended.
  int Resume(int argumentCount);
  bool Animate() override;
  // Hands the closure on top of the stack to a waiting coroutine; this base declines
  // (pops it and answers kNotDelivered) so the caller runs it directly.
  enum EInjected
  {
    kNotDelivered,
    kDelivered,
    kDeliveredAndFailed
  };
  virtual EInjected InjectFunction();

  // True while the coroutine is suspended in a yield.
  bool CoroutineActive(int unused = 0) const;
  // True while native code runs inside the coroutine.
  bool CoroutineRunning() const { return mResuming > 0; }

  // Called when the coroutine ended with an error, with its message (already logged).
  void SetFailureHook(std::function<void(const str&)> hook) { mFailureHook = std::move(hook); }
  // The last error reported (with its file and line), for a caller that must show it.
  const str& GetLastError() const { return mLastError; }
  void SetLastError(const str& message) { mLastError = message; }

  void SetGlobalString(const str& name, const str& value);
  void SetGlobalNumber(const str& name, double value);
  str PopString();
  TColor PopColor();
  void DeferDeleteTable(TLuaTable* table);

protected:
  // Resumes with the values on top of the main stack; with keepResults the values the
  // coroutine yields are moved onto the main stack (how many is returned in *resultCount).
  int ResumeWith(int argumentCount, bool keepResults, int* resultCount);
  void DeleteDeferredTables();
  // Calls the global "_ALERT" with the text.
  void Alert(const str& text);

  lua_State* mState;
  // The coroutine's own thread, anchored in the registry; null when none.
  lua_State* mThread = nullptr;
  int mThreadRef = LUA_NOREF;
  int mResuming = 0;
  // Protected calls in progress on the main thread.
  int mCallDepth = 0;
  // Set just before a coroutine yields to wait for a message; every resume clears it.
  bool mWaitingForMessage = false;

private:
  TScript(const TScript&) = delete;
  TScript& operator=(const TScript&) = delete;

  void LuaInit();
  bool StartCoroutine();
  // Logs the error on top of the failed coroutine's stack, with its file and line.
  void ReportCoroutineError(lua_State* thread);
  void ReleaseThread();

  std::vector<TLuaTable*> mDeferredTables;
  // Bytes the state holds now.
  size_t mBytesUsed = 0;
  str mLastError;
  std::function<void(const str&)> mFailureHook;
};
