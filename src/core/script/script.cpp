// script: the Lua host: state set-up, script files through the virtual file system and
// the asset registry, Lua strings, protected calls and the coroutine driven by the task list.
#include "core/script/script.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "core/foundation/file.h"
#include "core/script/luabind.h"
#include "core/script/luacompat.h"
#include "core/script/luatable.h"
#include "core/foundation/debug.h"

str TScript::mLuaPath = "assets/?;?;../?;../../?";

namespace {

// The run budget of this thread's scripts (see TScript::StartRunBudget).
const int kHookInterval = 1000;
// Once the code that was stopped has left the host, the code that runs after it in the same
// turn runs this far before the next stop.
const uint64_t kStopGraceInstructions = 1000000;
thread_local bool tBudgetStarted = false;
thread_local uint64_t tInstructionsRun = 0;
thread_local uint64_t tQuietUntil = 0;
// The last stop, logged where it happened: the handlers that see it come by do not log it again.
thread_local str tLastStop;
// Set from a stop until the error is back in the host: every Lua instruction of this thread
// raises it again, so no pcall in the stopped code can catch it and go on.
thread_local bool tStopping = false;
// The host's calls into Lua in progress on this thread (nested through native functions).
thread_local int tHostCalls = 0;
std::function<bool()> sInterruptCheck;

// Registry key of the function whose own code a stop ends in (TScript::SetStopBoundary).
char const kStopBoundaryKey[] = "qvStopBoundary";

void RaiseStop(lua_State* L)
{
  lua_pushlstring(L, tLastStop.c_str(), tLastStop.length());
  lua_error(L);
}

void EndStop()
{
  tStopping = false;
  tQuietUntil = tInstructionsRun + kStopGraceInstructions;
}

// True when the code about to run is the stop boundary's own: the stop is back where it
// was meant to end.
bool AtStopBoundary(lua_State* L)
{
  lua_Debug here;
  if (!lua_getstack(L, 0, &here) || !lua_getinfo(L, "f", &here))
    return false;
  lua_getfield(L, LUA_REGISTRYINDEX, kStopBoundaryKey);
  const bool boundary = lua_isfunction(L, -1) && lua_rawequal(L, -1, -2);
  lua_pop(L, 2);
  return boundary;
}

void CountHook(lua_State* L, lua_Debug* where)
{
  const int interval = lua_gethookcount(L);
  if (tStopping) {
    if (AtStopBoundary(L)) {
      EndStop();
      return;
    }
    // At every instruction from here: the code that caught the stop gets no further.
    if (interval != 1)
      lua_sethook(L, CountHook, LUA_MASKCOUNT, 1);
    RaiseStop(L);
  }
  // A thread left counting every instruction by a stop goes back to the usual pace.
  if (interval != kHookInterval)
    lua_sethook(L, CountHook, LUA_MASKCOUNT, kHookInterval);
  if (!tBudgetStarted)
    return;
  tInstructionsRun += uint64_t(interval);
  if (tInstructionsRun < tQuietUntil)
    return;
  const bool overrun = tInstructionsRun >= TScript::kMaxRunInstructions;
  const bool interrupted = !overrun && sInterruptCheck && sInterruptCheck();
  if (!overrun && !interrupted)
    return;
  lua_getinfo(L, "Sl", where);
  // Logged here, as a script may catch the error without a word.
  tLastStop = str::getFormatted("%s:%d: %s", where->short_src, where->currentline,
                                overrun ? "stopped: the script ran too long without handing control back"
                                        : "stopped: the program is closing");
  WriteDbg("ERROR: %s", tLastStop.c_str());
  tStopping = true;
  lua_sethook(L, CountHook, LUA_MASKCOUNT, 1);
  RaiseStop(L);
}

// Marks one call of the host into Lua; when the outermost ends, a stop has reached the host.
class THostCall
{
public:
  THostCall() { ++tHostCalls; }
  ~THostCall()
  {
    if (--tHostCalls == 0 && tStopping)
      EndStop();
  }
  THostCall(const THostCall&) = delete;
  THostCall& operator=(const THostCall&) = delete;
};

int HostPcall(lua_State* L, int argumentCount, int resultCount, int handler)
{
  THostCall call;
  return lua_pcall(L, argumentCount, resultCount, handler);
}

int HostResume(lua_State* thread, lua_State* from, int argumentCount, int* results)
{
  THostCall call;
  return lua_resume(thread, from, argumentCount, results);
}

// Every state's allocator: the standard one, held to kMaxStateBytes per state.
void* LimitedAlloc(void* used, void* block, size_t oldSize, size_t newSize)
{
  size_t& bytes = *static_cast<size_t*>(used);
  // Without a block, the old size names the kind of object to make.
  const size_t held = block ? oldSize : 0;
  if (newSize == 0) {
    std::free(block);
    bytes -= held;
    return nullptr;
  }
  if (newSize > held && newSize - held > TScript::kMaxStateBytes - bytes)
    return nullptr;
  void* grown = std::realloc(block, newSize);
  if (grown)
    bytes = bytes - held + newSize;
  return grown;
}

int LuaPanic(lua_State* L)
{
  const char* message = lua_tostring(L, -1);
  WriteDbg("ERROR: Lua cannot go on outside a protected call: %s", message ? message : "(no message)");
  return 0;
}

char const kDefaultCodePath[] = "assets/?;../?;?";

char const kDumpTableSource[] =
    "function _Internal_DumpEntry( key, value, indent )\n"
    "  local pad = string.rep( ' ', indent )\n"
    "  if type( value ) == 'table' then\n"
    "    if indent > 10 then return pad .. tostring( key ) .. ' -> ...\\n' end\n"
    "    return pad .. tostring( key ) .. ' -> {\\n' .. _Internal_DumpTable( value, indent + 2 ) .. pad .. '}\\n'\n"
    "  end\n"
    "  return pad .. tostring( key ) .. ' -> ' .. tostring( value ) .. '\\n'\n"
    "end\n"
    "function _Internal_DumpTable( t, indent )\n"
    "  local text = ''\n"
    "  for key, value in pairs( t ) do text = text .. _Internal_DumpEntry( key, value, indent ) end\n"
    "  return text\n"
    "end\n"
    "function DumpTable( t )\n"
    "  DebugOut( 'Dump Table: \\n' .. _Internal_DumpTable( t, 2 ) )\n"
    "end\n";

// At most six arguments survive the packaging, as scripts have always seen.
char const kGetClosureSource[] = "function GetClosure( f, ... ) local a = table.pack( ... ); "
                                 "return function() return f( a[1], a[2], a[3], a[4], a[5], a[6] ); end; end";

str ValueText(lua_State* L, int index)
{
  str text;
  if (QvLuaToStr(L, index, &text))
    return text;
  if (lua_isboolean(L, index))
    return lua_toboolean(L, index) ? "true" : "false";
  if (lua_isnil(L, index))
    return "nil";
  return str::getFormatted("%s: %p", luaL_typename(L, index), lua_topointer(L, index));
}

// True when Lua already put "file:line:" in front of the message.
bool HasLocation(const str& message)
{
  const char* text = message.c_str();
  const char* colon = std::strchr(text, ':');
  if (!colon || colon == text || std::memchr(text, '\n', size_t(colon - text)))
    return false;
  const char* digit = colon + 1;
  if (!std::isdigit((unsigned char)*digit))
    return false;
  while (std::isdigit((unsigned char)*digit))
    ++digit;
  return *digit == ':';
}

// The error at index, with the script file and line of the innermost Lua code running
// from the stack level on when Lua did not name them (errors raised by native functions).
str LocatedMessage(lua_State* L, int index, int level)
{
  str message = ValueText(L, index);
  if (HasLocation(message))
    return message;
  lua_Debug where;
  for (; lua_getstack(L, level, &where); ++level) {
    if (lua_getinfo(L, "Sl", &where) && where.currentline > 0) {
      return str::getFormatted("%s:%d: %s", where.short_src, where.currentline, message.c_str());
    }
  }
  return message;
}

// "file:line: message" with the place where the function at index was defined, for errors
// that come back without a place (Lua's memory error passes no message handler).
str MessageAtFunction(lua_State* L, int index, const str& message)
{
  if (HasLocation(message) || !lua_isfunction(L, index))
    return message;
  lua_Debug where;
  lua_pushvalue(L, index);
  if (!lua_getinfo(L, ">S", &where))
    return message;
  if (where.linedefined > 0)
    return str::getFormatted("%s:%d: %s", where.short_src, where.linedefined, message.c_str());
  return str::getFormatted("%s: %s", where.short_src, message.c_str());
}

// _ALERT, also the message handler of every protected call: logs the error once and
// returns its located text as the error. A function as second argument names the place
// when the error carries none.
int LuaAlert(lua_State* L)
{
  const str message = lua_gettop(L) >= 2 ? MessageAtFunction(L, 2, ValueText(L, 1)) : LocatedMessage(L, 1, 1);
  if (message != tLastStop)
    WriteDbg("ERROR: %s", message.c_str());
  if (lua_getglobal(L, "_SCRIPT") == LUA_TLIGHTUSERDATA) {
    static_cast<TScript*>(lua_touserdata(L, -1))->SetLastError(message);
  }
  lua_pop(L, 1);
  lua_pushlstring(L, message.c_str(), message.length());
  return 1;
}

void LuaDebugOut(str text) {}

int LuaToParams(lua_State* L)
{
  int table = lua_gettop(L);
  if (lua_type(L, table) != LUA_TTABLE)
    return 0;
  int count = lua_getn(L, table);
  if (count <= 0)
    return 0;
  if (!lua_checkstack(L, count))
    return luaL_error(L, "too many results in toparams");
  for (int i = 1; i <= count; ++i)
    lua_rawgeti(L, table, i);
  return count;
}

str FindScriptFile(const str& name, const str& luaPath)
{
  if (TFile::Exists(name))
    return name;
  str path = luaPath.empty() ? str(kDefaultCodePath) : luaPath;
  unsigned start = 0;
  while (start <= path.length()) {
    unsigned end = path.find(';', 0, start);
    if (end == str::npos)
      end = path.length();
    str candidate = path.substr(start, int(end - start));
    if (candidate.find('?') != str::npos) {
      candidate.replace("?", name, str::kReplaceAll);
      if (TFile::Exists(candidate))
        return candidate;
    }
    start = end + 1;
  }
  return str();
}

} // namespace

// ---------------------------------------------------------------------------------------
// TScriptCode

intptr_t TScriptCode::ClassId()
{
  return reinterpret_cast<intptr_t>(&TScriptCode::ClassId);
}

TScriptCode::~TScriptCode()
{
  if (TAssetManager* registry = TAssetManager::GetInstance())
    registry->RemoveAsset(mName);
}

boost::shared_ptr<TScriptCode> TScriptCode::Get(const str& name, const str& luaPath, str* error)
{
  if (name.empty())
    return boost::shared_ptr<TScriptCode>();
  TAssetManager* registry = TAssetManager::GetInstance();
  if (registry && registry->HasEntry(name)) {
    boost::shared_ptr<TAsset> asset = registry->GetAsset(name);
    if (asset && asset->IsKindOf(TScriptCode::ClassId()))
      return boost::static_pointer_cast<TScriptCode>(asset);
  }

  str file = FindScriptFile(name, luaPath);
  str text, message;
  if (file.empty() || !QvLuaReadFile(file, &text, &message)) {
    if (error)
      *error = str::getFormatted("cannot read %s", name.c_str());
    return boost::shared_ptr<TScriptCode>();
  }
  // Compiled once in a scratch state, so a syntax error is found here with its line.
  lua_State* scratch = luaL_newstate();
  if (!scratch) {
    if (error)
      *error = "not enough memory";
    return boost::shared_ptr<TScriptCode>();
  }
  str chunkName = "@" + name;
  bool loaded = QvLuaLoadText(scratch, text.c_str(), text.length(), chunkName.c_str()) == LUA_OK;
  if (!loaded && error)
    QvLuaToStr(scratch, -1, error);
  lua_close(scratch);
  if (!loaded)
    return boost::shared_ptr<TScriptCode>();

  boost::shared_ptr<TScriptCode> code(new TScriptCode(name, text));
  if (registry)
    registry->AddAsset(name, code);
  return code;
}

// ---------------------------------------------------------------------------------------
// TScript

void TScript::StartRunBudget()
{
  tBudgetStarted = true;
  tInstructionsRun = 0;
  tQuietUntil = 0;
  // Called between the loop's turns, when no Lua runs: a stop still marked was raised in
  // code the host did not call itself, and is over.
  if (tHostCalls == 0)
    tStopping = false;
}

void TScript::SetInterruptCheck(std::function<bool()> check)
{
  sInterruptCheck = std::move(check);
}

void TScript::SetStopBoundary(const char* name)
{
  lua_getglobal(mState, name);
  lua_setfield(mState, LUA_REGISTRYINDEX, kStopBoundaryKey);
}

TScript::TScript(lua_State*) : TAnimTask(nullptr)
{
  mState = lua_newstate(LimitedAlloc, &mBytesUsed);
  lua_atpanic(mState, LuaPanic);
  // Threads made later (the coroutines) take the hook over.
  lua_sethook(mState, CountHook, LUA_MASKCOUNT, kHookInterval);
  lua_pushlightuserdata(mState, this);
  lua_setglobal(mState, "_SCRIPT");
  LuaInit();
  Pause();
}

TScript::~TScript()
{
  DeleteDeferredTables();
  lua_close(mState);
}

void TScript::LuaInit()
{
  luaL_requiref(mState, LUA_GNAME, luaopen_base, 1);
  luaL_requiref(mState, LUA_STRLIBNAME, luaopen_string, 1);
  luaL_requiref(mState, LUA_TABLIBNAME, luaopen_table, 1);
  // Dialog scripts yield through the coroutine library.
  luaL_requiref(mState, LUA_COLIBNAME, luaopen_coroutine, 1);
  lua_pop(mState, 4);
  QvLuaOpenCompat(mState);

  lua_pushcfunction(mState, LuaAlert);
  lua_setglobal(mState, "_ALERT");
  LuaBind(mState, "DebugOut", &LuaDebugOut);
  lua_pushcfunction(mState, LuaToParams);
  lua_setglobal(mState, "toparams");
  if (lua_dobuffer(mState, kDumpTableSource, sizeof kDumpTableSource - 1, "DumpTable") != LUA_OK)
    lua_pop(mState, 1);
}

void TScript::Alert(const str& text)
{
  if (lua_getglobal(mState, "_ALERT") == LUA_TFUNCTION) {
    lua_pushlstring(mState, text.c_str(), text.length());
    THostCall call;
    if (lua_pcall(mState, 1, 0, 0) != LUA_OK)
      lua_pop(mState, 1);
  } else {
    lua_pop(mState, 1);
    WriteDbg("ERROR: %s", text.c_str());
  }
}

bool TScript::RunScript(const str& name)
{
  int top = lua_gettop(mState);
  if (name.empty() || !TFile::Exists(name))
    return false;
  str error;
  boost::shared_ptr<TScriptCode> code = TScriptCode::Get(name, mLuaPath, &error);
  bool loaded = false;
  if (code) {
    str chunkName = "@" + name;
    loaded = QvLuaLoadText(mState, code->GetText().c_str(), code->GetLength(), chunkName.c_str()) == LUA_OK;
    if (!loaded)
      error = ValueText(mState, -1);
  }
  if (!loaded) {
    Alert(error);
    lua_settop(mState, top);
    return false;
  }
  // A failure was reported where it happened, with its file and line.
  int status = RunFunction(0, 1);
  lua_settop(mState, top);
  return status == LUA_OK;
}

void TScript::DoLuaString(const str& text, int length, int resultCount)
{
  SetGlobalString("LUA_PATH", mLuaPath);
  size_t size = text.length();
  if (length >= 0 && (size_t)length < size)
    size = (size_t)length;
  int top = lua_gettop(mState);
  int status = QvLuaLoadText(mState, text.c_str(), size, text.c_str());
  if (status == LUA_OK) {
    // A run-time error is reported by the message handler where it happens.
    status = RunFunction(0, resultCount > 0 ? resultCount : 1);
    if (status == LUA_OK && resultCount == 0)
      lua_pop(mState, 1);
    if (status != LUA_OK)
      lua_settop(mState, top);
    return;
  }
  if (lua_type(mState, -1) == LUA_TSTRING) {
    str report = str::getFormatted("Lua Error: %s\n\twhen parsing", lua_tostring(mState, -1));
    WriteDbg("ERROR: %s in: %s", lua_tostring(mState, -1), text.c_str());
    if (lua_getglobal(mState, "LuaErrorMessage") != LUA_TNIL) {
      lua_pushlstring(mState, report.c_str(), report.length());
      THostCall call;
      lua_pcall(mState, 1, 0, 0);
    }
  }
  lua_settop(mState, top);
}

void TScript::DeleteDeferredTables()
{
  // Tables of calls still in progress (a native function that called back into Lua)
  // must live until that call returns, so only the outermost entry frees them.
  if (mResuming > 0 || mCallDepth > 0)
    return;
  std::vector<TLuaTable*> tables;
  tables.swap(mDeferredTables);
  for (TLuaTable* table : tables)
    delete table;
}

int TScript::RunFunction(int argumentCount, int resultCount)
{
  DeleteDeferredTables();
  if (argumentCount < 0 || lua_gettop(mState) < argumentCount + 1)
    return LUA_ERRRUN;

  if (CoroutineActive() && resultCount <= 1) {
    // The waiting coroutine must not be entered directly: the call travels to it as a
    // closure (at most six arguments survive).
    int function = lua_gettop(mState) - argumentCount;
    if (lua_getglobal(mState, "GetClosure") != LUA_TFUNCTION) {
      lua_pop(mState, 1);
      if (lua_dobuffer(mState, kGetClosureSource, sizeof kGetClosureSource - 1, "GetClosure") != LUA_OK)
        lua_pop(mState, 1);
      lua_getglobal(mState, "GetClosure");
    }
    lua_insert(mState, function);
    lua_getglobal(mState, "_ALERT");
    lua_insert(mState, function);
    ++mCallDepth;
    int status = HostPcall(mState, argumentCount + 1, 1, function);
    --mCallDepth;
    lua_remove(mState, function);
    if (status != LUA_OK)
      return status;
    TLuaFunction closure(mState);
    closure.Push();
    const EInjected injected = InjectFunction();
    if (injected != kNotDelivered) {
      // The coroutine's answer (one value) is on top.
      if (resultCount == 0)
        lua_pop(mState, 1);
      return injected == kDelivered ? LUA_OK : LUA_ERRRUN;
    }
    closure.Push();
    argumentCount = 0;
  }

  // Below the message handler, a copy of the function names the place of errors that pass
  // no handler.
  int function = lua_gettop(mState) - argumentCount;
  lua_pushvalue(mState, function);
  lua_insert(mState, function);
  lua_getglobal(mState, "_ALERT");
  lua_insert(mState, function + 1);
  ++mCallDepth;
  int status = HostPcall(mState, argumentCount, resultCount, function + 1);
  --mCallDepth;
  if (status == LUA_ERRMEM || status == LUA_ERRERR) {
    const str message = MessageAtFunction(mState, function, ValueText(mState, -1));
    WriteDbg("ERROR: %s", message.c_str());
    SetLastError(message);
  }
  lua_remove(mState, function + 1);
  lua_remove(mState, function);

  if (status == LUA_OK) {
    if (CoroutineActive())
      return LUA_OK;
    // A coroutine that fails at once fails the call that started it.
    if (resultCount == 1 && lua_type(mState, -1) == LUA_TFUNCTION && !StartCoroutine())
      return LUA_ERRRUN;
    return LUA_OK;
  }
  return status;
}

bool TScript::StartCoroutine()
{
  if (mThread) {
    // One coroutine per state: a function returned while one runs is not started.
    WriteDbg("ERROR: a script returned a function while its coroutine is running; not started");
    return false;
  }
  lua_State* thread = lua_newthread(mState);
  mThreadRef = luaL_ref(mState, LUA_REGISTRYINDEX);
  lua_pushvalue(mState, -1);
  lua_xmove(mState, thread, 1);
  mThread = thread;
  if (IsPaused())
    SetDelay(0, false, true, false);

  mWaitingForMessage = false;
  ++mResuming;
  int results = 0;
  int status = HostResume(thread, mState, 0, &results);
  --mResuming;
  if (status == LUA_YIELD) {
    lua_pop(thread, results);
    return true;
  }
  if (status != LUA_OK)
    ReportCoroutineError(thread);
  if (mThread == thread)
    ReleaseThread();
  if (!CoroutineActive())
    Pause();
  return status == LUA_OK;
}

void TScript::ReportCoroutineError(lua_State* thread)
{
  // The dead coroutine keeps its stack, so the line that failed can be found.
  const str message = LocatedMessage(thread, lua_gettop(thread), 0);
  if (message != tLastStop)
    WriteDbg("ERROR: %s", message.c_str());
  SetLastError(message);
  if (mFailureHook)
    mFailureHook(message);
}

void TScript::ReleaseThread()
{
  if (mThreadRef != LUA_NOREF)
    luaL_unref(mState, LUA_REGISTRYINDEX, mThreadRef);
  mThreadRef = LUA_NOREF;
  mThread = nullptr;
}

int TScript::Resume(int argumentCount)
{
  return ResumeWith(argumentCount, false, nullptr);
}

int TScript::ResumeWith(int argumentCount, bool keepResults, int* resultCount)
{
  if (resultCount)
    *resultCount = 0;
  DeleteDeferredTables();
  if (!CoroutineActive()) {
    // Nothing waits (it ended, failed, or is the one running now): the values go.
    lua_pop(mState, argumentCount);
    return -1;
  }
  mWaitingForMessage = false;
  lua_State* thread = mThread;
  lua_xmove(mState, thread, argumentCount);
  ++mResuming;
  int results = 0;
  int status = HostResume(thread, mState, argumentCount, &results);
  --mResuming;
  if (status == LUA_OK || status == LUA_YIELD) {
    if (keepResults) {
      lua_xmove(thread, mState, results);
      if (resultCount)
        *resultCount = results;
    } else {
      lua_pop(thread, results);
    }
    if (status == LUA_OK && mThread == thread)
      ReleaseThread();
    return LUA_OK;
  }
  ReportCoroutineError(thread);
  lua_pop(thread, 1);
  if (mThread == thread)
    ReleaseThread();
  return status;
}

bool TScript::Animate()
{
  if (!CoroutineActive()) {
    Pause();
    return true;
  }
  if (Resume(0) != LUA_OK)
    Pause();
  if (!CoroutineActive())
    Pause();
  return true;
}

TScript::EInjected TScript::InjectFunction()
{
  lua_pop(mState, 1);
  return kNotDelivered;
}

bool TScript::CoroutineActive(int) const
{
  return mThread && lua_status(mThread) == LUA_YIELD;
}

void TScript::SetGlobalString(const str& name, const str& value)
{
  lua_pushlstring(mState, value.c_str(), value.length());
  lua_setglobal(mState, name.c_str());
}

void TScript::SetGlobalNumber(const str& name, double value)
{
  QvLuaPushNumber(mState, value);
  lua_setglobal(mState, name.c_str());
}

str TScript::PopString()
{
  str text;
  QvLuaToStr(mState, -1, &text);
  lua_pop(mState, 1);
  return text;
}

TColor TScript::PopColor()
{
  TColor colour;
  if (lua_type(mState, -1) == LUA_TTABLE) {
    float* components[4] = {&colour.r, &colour.g, &colour.b, &colour.a};
    for (int i = 0; i < 4; ++i) {
      lua_rawgeti(mState, -1, i + 1);
      *components[i] = (float)lua_tonumber(mState, -1);
      lua_pop(mState, 1);
    }
  }
  lua_pop(mState, 1);
  return colour;
}

void TScript::DeferDeleteTable(TLuaTable* table)
{
  mDeferredTables.push_back(table);
}
