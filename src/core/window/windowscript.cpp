// windowscript: the window script: construction stack and window types, the message
// bridge to the dialog coroutine, and the commands; talks to the window manager, windows and the platform.
#include "core/window/windowscript.h"

#include <cctype>
#include <cstring>

#include "core/foundation/config.h"
#include "core/foundation/services.h"
#include "core/foundation/timesource.h"
#include "core/foundation/stringtable.h"
#include "core/graphics/textgraphic.h"
#include "core/script/luabind.h"
#include "core/script/luacompat.h"
#include "core/window/dialog.h"
#include "core/window/layeredwindow.h"
#include "core/window/modalwindow.h"
#include "core/window/screen.h"
#include "core/window/screeninit.h"
#include "core/window/button.h"
#include "core/window/image.h"
#include "core/window/slider.h"
#include "core/window/text.h"
#include "core/window/textedit.h"
#include "core/window/window.h"
#include "core/window/windowmanager.h"
#include "core/window/windowrenderer.h"
#include "core/window/windowstyle.h"
#include "core/window/xsellwindow.h"
#include "core/foundation/debug.h"

namespace {

TMovieHostFactory sMovieHostFactory = nullptr;

uint32_t GetTimer()
{
  return TTimeSource::Timer();
}
str GetConfig(const str& key, const str& defaultValue)
{
  return TConfig::Get(key, defaultValue);
}
bool IsEnabled(const str& key)
{
  return TConfig::IsEnabled(key);
}

void SetTopModalOnly(bool topOnly)
{
  if (TWindowManager* manager = TWindowManager::GetInstance())
    manager->SetTopModalOnly(topOnly);
}

IScriptWidget* Widget(TWindow* window)
{
  return window ? dynamic_cast<IScriptWidget*>(window) : nullptr;
}

bool IsWidget(TWindow* window, IScriptWidget::EScriptKind kind)
{
  IScriptWidget* widget = Widget(window);
  return widget && widget->GetScriptKind() == kind;
}

// Bytes of the UTF-8 character that starts at text[i], never past the end.
unsigned CharLength(const str& text, unsigned i)
{
  unsigned char lead = (unsigned char)text[i];
  unsigned length = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  unsigned left = text.length() - i;
  return length < left ? length : left;
}

bool IsValidTypeName(const str& name)
{
  if (name.empty())
    return false;
  for (unsigned i = 0; i < name.length(); ++i) {
    unsigned char c = (unsigned char)name[i];
    if (!(std::isalpha(c) || c == '_' || (i > 0 && std::isdigit(c))))
      return false;
  }
  return true;
}

unsigned ClampToUnsigned(double value)
{
  if (!(value > 0))
    return 0;
  if (value >= 4294967295.0)
    return 0xFFFFFFFFu;
  return (unsigned)value;
}

char const kDialogFunctionSource[] = "local id = ...; return function() WaitForCloseMessage( id ); end";

} // namespace

// ---------------------------------------------------------------------------------------
// Messages

TLuaMessageWrapper::TLuaMessageWrapper(lua_State* L, TMessage* held)
    : TMessage(held->GetType(), held->GetName(), held->GetTarget()), mPin(L)
{}

TMessage* TLuaMessageWrapper::Unwrap()
{
  lua_State* L = mPin.GetState();
  mPin.Push();
  TMessage* held = QvLuaToMessage(L, -1);
  lua_pop(L, 1);
  return held ? held : this;
}

TMessage* CreateNamedMessage(int kind, str name)
{
  return new TMessage(kind, name);
}

// ---------------------------------------------------------------------------------------
// Set-up

void TWindowScript::SetMovieHostFactory(TMovieHostFactory factory)
{
  sMovieHostFactory = factory;
}

TWindowScript::TWindowScript(lua_State* state) : TScript(state)
{
  RegisterCommands();
  AddWindowType("Slider", TSlider::ClassId());
  AddWindowType("Bitmap", TImage::ClassId());
  AddWindowType("Button", TButton::ClassId());
  AddWindowType("Text", TText::ClassId());
  AddWindowType("TextEdit", TTextEdit::ClassId());
  AddWindowType("Window", TWindow::ClassId());
  QvLuaEnsureMessageMetatable(mState);
  if (lua_dobuffer(mState, kScreenInitSource, kScreenInitLength, "gScreenInit") != LUA_OK) {
    WriteDbg("ERROR: the window-script library did not run: %s", lua_tostring(mState, -1));
    lua_pop(mState, 1);
  }
  // A handler stopped for running too long ends there, like one that failed; the wait goes on.
  SetStopBoundary("RunHandler");
}

TWindowScript::~TWindowScript()
{
  StopMovie();
  // Messages owned by Lua values die now, while their classes still exist.
  lua_gc(mState, LUA_GCCOLLECT, 0);
  if (mManager && mManager->GetScript() == this)
    mManager->AttachWindowScript(nullptr);
  if (IAppHost* host = TServices::Get().host)
    host->GetTaskList()->OrphanTask(this);
}

void TWindowScript::RegisterCommands()
{
  lua_State* L = mState;
  LuaBind(L, "PostCreate", this, &TWindowScript::PostChildCreate);
  LuaBind(L, "GetLabel", this, &TWindowScript::GetLabel);
  LuaBind(L, "_RegisterHotkey", this, &TWindowScript::RegisterHotkey);
  LuaBind(L, "SetLabel", this, &TWindowScript::SetLabel);
  LuaBind(L, "TagHotKey", this, &TWindowScript::TagHotKey);
  LuaBind(L, "_SetBitmap", this, &TWindowScript::SetBitmap);
  LuaBind(L, "SetPosition", this, &TWindowScript::SetPosition);
  LuaBind(L, "SetCommand", this, &TWindowScript::SetCommand);
  LuaBindRaw(L, "StripKeyFromLabel", this, &TWindowScript::StripKeyFromLabel);
  LuaBind(L, "SetWindowName", this, &TWindowScript::SetWindowName);
  LuaBind(L, "FillRect", this, &TWindowScript::FillRect);
  LuaBind(L, "GetTimer", &GetTimer);
  LuaBind(L, "GetConfig", &GetConfig);
  LuaBind(L, "IsEnabled", &IsEnabled);
  LuaBind(L, "DoSelectLayer", this, &TWindowScript::SelectLayer);
  LuaBind(L, "EnableWindow", this, &TWindowScript::EnableWindow);
  LuaBind(L, "GetButtonToggleState", this, &TWindowScript::GetButtonToggleState);
  LuaBind(L, "SetButtonToggleState", this, &TWindowScript::SetButtonToggleState);
  LuaBind(L, "PopWindow", this, &TWindowScript::PopWindow);
  LuaBind(L, "RealSetFocus", this, &TWindowScript::SetFocus);
  LuaBind(L, "StringToClipboard", this, &TWindowScript::StringToClipboard);
  LuaBind(L, "UpdateWindow", this, &TWindowScript::UpdateWindow);
  LuaBind(L, "PushModal", this, &TWindowScript::PushModal);
  LuaBind(L, "ClearModalChildren", this, &TWindowScript::ClearModalChildren);
  LuaBind(L, "GetWindowDepth", this, &TWindowScript::GetWindowDepth);
  LuaBind(L, "DoPopModal", this, &TWindowScript::DoPopModal);
  LuaBindRaw(L, "HandleGetMessage", this, &TWindowScript::HandleGetMessage);
  LuaBindRaw(L, "GenericCreate", this, &TWindowScript::CreateCustomWindow);
  LuaBind(L, "CreateNamedMessage", &CreateNamedMessage);
  LuaBind(L, "CreateCloseMessage", this, &TWindowScript::CreateCloseMessage);
  LuaBindRaw(L, "PostMessage", this, &TWindowScript::PostMessage);
  LuaBindRaw(L, "PostMessageToParent", this, &TWindowScript::PostMessageToParent);
  LuaBind(L, "_GetString", this, &TWindowScript::GetString);
  LuaBind(L, "StartMovie", this, &TWindowScript::StartMovie);
  LuaBind(L, "IsMoviePlaying", this, &TWindowScript::IsMoviePlaying);
  LuaBind(L, "StopMovie", this, &TWindowScript::StopMovie);
  LuaBind(L, "ImageLoaded", this, &TWindowScript::ImageLoaded);
  LuaBind(L, "DestroyWindow", this, &TWindowScript::DestroyWindow);
  LuaBind(L, "DoFitToChildren", this, &TWindowScript::FitToChildren);
}

void TWindowScript::OnDetached(TWindowManager* manager)
{
  if (mManager == manager)
    mManager = nullptr;
}

void TWindowScript::OnAttached(TWindowManager* manager)
{
  mManager = manager;
  AddWindowType("XSellWindow", TXSellWindow::ClassId());
  LuaBind(mState, "SetTopModalOnly", &SetTopModalOnly);
  IAppHost* host = TServices::Get().host;
  if (host && !host->GetTaskList()->Contains(this))
    host->GetTaskList()->AdoptTask(this);
}

void TWindowScript::AddWindowType(const str& name, intptr_t classId)
{
  // The name becomes Lua source: only identifiers are accepted.
  if (!IsValidTypeName(name)) {
    WriteDbg("ERROR: window type name '%s' is not an identifier", name.c_str());
    return;
  }
  str text = str::getFormatted("function %s( table )\tCreating( '%s', table );\ttable.typename='%s';\n\treturn "
                               "function() DoWindow( table ) end end;",
                               name.c_str(), name.c_str(), name.c_str());
  TScript::DoLuaString(text, -1, 0);
  mWindowTypes[name] = classId;
}

intptr_t TWindowScript::GetWindowType(const str& name) const
{
  auto found = mWindowTypes.find(name);
  return found == mWindowTypes.end() ? 0 : found->second;
}

// ---------------------------------------------------------------------------------------
// Construction

void TWindowScript::PushWindow(TWindow* window)
{
  mStack.push_back(window);
}

void TWindowScript::PopWindow()
{
  if (mStack.size() > 1)
    mStack.pop_back();
}

void TWindowScript::NewModalWindow(TModalWindow* top)
{
  mStack.clear();
  if (top)
    mStack.push_back(top);
}

int TWindowScript::CreateCustomWindow(lua_State* L)
{
  if (lua_type(L, 1) != LUA_TTABLE) {
    lua_pushboolean(L, 0);
    return 1;
  }
  lua_pushvalue(L, 1);
  TLuaTable table(L);
  TWindowStyle style(&table);
  str typeName = style.GetString("typename", "");
  bool created = false;
  auto found = mWindowTypes.find(typeName);
  if (found == mWindowTypes.end()) {
    mWindowTypes[typeName] = 0;
  } else if (found->second != 0) {
    if (TWindow* window = TWindow::CreateFromId(found->second)) {
      TLuaTable* previous = mCreateStyle;
      mCreateStyle = &table;
      created = InitWindow(window);
      mCreateStyle = previous;
    }
  }
  // Whether a window was made, so the library leaves the parent alone when none was.
  lua_pushboolean(L, created);
  return 1;
}

bool TWindowScript::InitWindow(TWindow* window)
{
  TWindow* parent = GetBuildWindow();
  if (!parent || !parent->AdoptChild(window, true)) {
    delete window;
    return false;
  }
  if (mCreateStyle) {
    TWindowStyle style(mCreateStyle);
    window->Init(style);
  } else {
    TWindowStyle style;
    window->Init(style);
  }
  PushWindow(window);
  SetGlobalNumber("gDialogWidth", window->GetWindowWidth());
  SetGlobalNumber("gDialogHeight", window->GetWindowHeight());
  return true;
}

void TWindowScript::PostChildCreate(TLuaTable* style, str)
{
  TWindow* window = GetBuildWindow();
  if (!window || !style)
    return;
  TWindowStyle view(style);
  window->PostChildrenInit(view);
}

void TWindowScript::SetWindowName(str name)
{
  if (TWindow* window = GetBuildWindow())
    window->SetName(name);
}

bool TWindowScript::FitToChildren()
{
  TWindow* window = GetBuildWindow();
  if (!window)
    return false;
  window->FitToChildren();
  return !window->GetChildren().empty();
}

void TWindowScript::SelectLayer(int layer)
{
  if (TLayeredWindow* layered = TWindow::GetCast<TLayeredWindow>(GetBuildWindow()))
    layered->SetCurrentLayer(layer);
}

void TWindowScript::DestroyWindow(str name)
{
  TWindow* build = GetBuildWindow();
  TWindow* window = build ? build->GetChildWindow(name, -1) : nullptr;
  if (!window || !window->GetParent())
    return;
  for (TWindow* entry : mStack)
    if (entry == window)
      return; // still being built
  window->GetParent()->OrphanChild(window);
  if (TWindowManager* manager = mManager) {
    manager->SafeDestroyWindow(window);
  } else {
    delete window;
  }
}

void TWindowScript::SetFocus(str name)
{
  TWindowManager* manager = mManager;
  TWindow* build = GetBuildWindow();
  if (!manager)
    return;
  TWindow* window = build ? build->GetChildWindow(name, -1) : nullptr;
  if (!window) {
    WriteDbg("ERROR: SetFocus: no window named '%s'", name.c_str());
  } else if (!manager->SetFocus(window)) {
    WriteDbg("ERROR: SetFocus: the window '%s' does not take the focus", name.c_str());
  }
}

// ---------------------------------------------------------------------------------------
// The message bridge

void TWindowScript::PushMessage(TMessage* message)
{
  if (TLuaMessageWrapper* wrapper = dynamic_cast<TLuaMessageWrapper*>(message)) {
    // The script gets back the very value it posted; the queue's copy is done with.
    wrapper->PushPinned(mState);
    delete wrapper;
    return;
  }
  QvLuaPushMessage(mState, message);
}

void TWindowScript::QueueValue(char const* queue)
{
  if (lua_getglobal(mState, queue) != LUA_TTABLE) {
    lua_pop(mState, 2);
    return;
  }
  lua_insert(mState, -2);
  lua_seti(mState, -2, (lua_Integer)lua_rawlen(mState, -2) + 1);
  lua_pop(mState, 1);
}

void TWindowScript::OnMessage(TMessage* message, TLuaFunction* command)
{
  if (!CoroutineActive() || !mWaitingForMessage) {
    // Nobody waits (no coroutine, it runs now, or it yielded some other way): both are
    // kept for the next wait, which takes them newest first.
    if (message) {
      PushMessage(message);
      QueueValue("gMessageQueue");
    }
    if (command) {
      command->Push();
      delete command;
      QueueValue("gCommandQueue");
    }
    return;
  }
  int count = 1;
  if (message) {
    PushMessage(message);
  } else {
    QvLuaPushMessage(mState, new TMessage(TMessage::kCommandOnly, ""));
  }
  if (command) {
    command->Push();
    delete command;
    ++count;
  }
  TScript::Resume(count);
}

void TWindowScript::Resume()
{
  if (CoroutineActive())
    TScript::Resume(0);
}

TScript::EInjected TWindowScript::InjectFunction()
{
  if (!CoroutineActive() || !mWaitingForMessage) {
    lua_pop(mState, 1);
    return kNotDelivered;
  }
  int base = lua_gettop(mState) - 1;
  lua_pushnil(mState);
  lua_insert(mState, -2);
  int results = 0;
  const bool resumed = ResumeWith(2, true, &results) == LUA_OK;
  // The closure was delivered (even when the coroutine then failed, it must not run a
  // second time): the caller gets the coroutine's answer as one value.
  lua_settop(mState, base + 1);
  // RunHandler answers with gHandlerFailed when the closure raised an error.
  lua_getglobal(mState, "gHandlerFailed");
  const bool failed = !lua_isnil(mState, -1) && lua_rawequal(mState, -1, -2);
  lua_pop(mState, 1);
  if (failed) {
    lua_pushnil(mState);
    lua_replace(mState, -2);
  }
  return resumed && !failed ? kDelivered : kDeliveredAndFailed;
}

int TWindowScript::HandleGetMessage(lua_State* L)
{
  if (!lua_isyieldable(L))
    return luaL_error(L, "WaitForMessage called outside the dialog coroutine");
  if (lua_gettop(L) >= 1) {
    int delay = QvLuaToInt(L, 1);
    SetDelay(delay > 0 ? (unsigned)delay : 0, false, true, false);
  } else {
    Pause();
  }
  lua_settop(L, 0);
  lua_getglobal(L, "gYieldResult");
  mWaitingForMessage = true;
  return lua_yield(L, 1);
}

TMessage* TWindowScript::CreateCloseMessage()
{
  TWindow* window = GetBuildWindow();
  return new TMessage(TMessage::kCloseWindow, window ? window->GetIdString() : str());
}

int TWindowScript::Post(lua_State* L, bool toParent)
{
  TMessage* held = QvLuaToMessage(L, 1);
  if (!held)
    return 0;
  lua_pushvalue(L, 1);
  TLuaMessageWrapper* wrapper = new TLuaMessageWrapper(L, held);
  TWindowManager* manager = mManager;
  if (toParent) {
    TModalWindow* top = manager ? manager->GetTopModalWindow() : nullptr;
    wrapper->SetTarget(top ? top->GetParent() : nullptr);
  }
  if (manager) {
    manager->PostWindowMessage(wrapper);
  } else {
    delete wrapper;
  }
  return 0;
}

int TWindowScript::PostMessage(lua_State* L)
{
  return Post(L, false);
}
int TWindowScript::PostMessageToParent(lua_State* L)
{
  return Post(L, true);
}

void TWindowScript::StartDialog(TDialog* dialog, const str& scriptFile, const str& body, const str& title,
                                const str& closeName)
{
  lua_State* L = mState;
  if (lua_getglobal(L, "gDialogTable") != LUA_TTABLE) {
    lua_pop(L, 1);
    lua_newtable(L);
    lua_pushvalue(L, -1);
    lua_setglobal(L, "gDialogTable");
  }
  lua_pushlstring(L, body.c_str(), body.length());
  lua_setfield(L, -2, "body");
  lua_pushlstring(L, title.c_str(), title.length());
  lua_setfield(L, -2, "title");
  lua_pop(L, 1);

  RunScript(scriptFile);

  // The close name travels as a value too.
  if (QvLuaLoadText(L, kDialogFunctionSource, sizeof kDialogFunctionSource - 1, "gDialogFunction") != LUA_OK) {
    lua_pop(L, 1);
    return;
  }
  lua_pushlstring(L, closeName.c_str(), closeName.length());
  if (lua_pcall(L, 1, 1, 0) != LUA_OK) {
    lua_pop(L, 1);
    return;
  }
  lua_pushvalue(L, -1);
  lua_setglobal(L, "gDialogFunction");
  TLuaFunction* function = new TLuaFunction(L);
  if (TWindowManager* manager = mManager) {
    manager->OnScriptMessage(nullptr, function);
  } else {
    OnMessage(nullptr, function);
  }
}

// ---------------------------------------------------------------------------------------
// Commands on windows of the top layer

TWindow* TWindowScript::FindUnderTopModal(const str& name) const
{
  TWindowManager* manager = mManager;
  TModalWindow* top = manager ? manager->GetTopModalWindow() : nullptr;
  return top ? top->GetChildWindow(name, -1) : nullptr;
}

str TWindowScript::GetLabel(str name)
{
  TWindowManager* manager = mManager;
  if (!manager || !manager->GetTopModalWindow())
    return str();
  TWindow* window = FindUnderTopModal(name);
  if (!window)
    return name + "_is_not_found";
  if (IsWidget(window, IScriptWidget::kScriptText) || IsWidget(window, IScriptWidget::kScriptButton))
    return Widget(window)->GetScriptLabel();
  return name + "_is_not_a_TText_window_or_TButton";
}

void TWindowScript::RegisterHotkey(str key, str button)
{
  TWindowManager* manager = mManager;
  TModalWindow* top = manager ? manager->GetTopModalWindow() : nullptr;
  if (!key.empty() && top)
    top->AddHotkey(key, button);
}

void TWindowScript::SetLabel(str name, str text)
{
  TWindow* window = FindUnderTopModal(name);
  if (IsWidget(window, IScriptWidget::kScriptText) || IsWidget(window, IScriptWidget::kScriptButton))
    Widget(window)->SetScriptLabel(text);
}

str TWindowScript::TagHotKey(str key, str label, str)
{
  if (key.empty() || label.empty())
    return label;
  // The key's last character, whole.
  unsigned last = key.length() - 1;
  while (last > 0 && ((unsigned char)key[last] & 0xC0) == 0x80)
    --last;
  str wanted = key.substr(last);
  for (unsigned i = 0; i < label.length(); i += CharLength(label, i)) {
    unsigned length = CharLength(label, i);
    str candidate = label.substr(i, (int)length);
    bool same = length == wanted.length() &&
                (length == 1 ? std::tolower((unsigned char)candidate[0]) == std::tolower((unsigned char)wanted[0])
                             : candidate == wanted);
    if (same)
      return label.substr(0, (int)i) + "<u>" + candidate + "</u>" + label.substr(i + length);
  }
  return label;
}

int TWindowScript::StripKeyFromLabel(lua_State* L)
{
  str label;
  QvLuaToStr(L, 1, &label);
  str key;
  unsigned amp = label.find('&');
  if (amp != str::npos) {
    if (amp + 1 < label.length() && (unsigned char)label[amp + 1] < 0x80)
      key = str("@") + label[amp + 1];
    label.erase(amp, 1);
  }
  lua_pushlstring(L, label.c_str(), label.length());
  lua_pushlstring(L, key.c_str(), key.length());
  return 2;
}

void TWindowScript::SetBitmap(str name, str image, float scale)
{
  TWindow* window = FindUnderTopModal(name);
  if (IsWidget(window, IScriptWidget::kScriptImage))
    Widget(window)->SetImage(image, scale);
}

void TWindowScript::SetPosition(str name, int x, int y)
{
  TWindow* window = FindUnderTopModal(name);
  if (!window)
    return;
  // Without a parent (the screen itself) FixSize leaves the position as given.
  int width = window->GetWindowWidth();
  int height = window->GetWindowHeight();
  window->FixSize(&x, &width, &TWindow::GetWindowWidth, false, false, false);
  window->FixSize(&y, &height, &TWindow::GetWindowHeight, false, false, false);
  window->SetWindowPos(x, y);
}

void TWindowScript::SetCommand(str name, TLuaFunction* command)
{
  TWindow* window = FindUnderTopModal(name);
  if (IsWidget(window, IScriptWidget::kScriptButton)) {
    Widget(window)->SetLuaCommand(command);
  } else {
    delete command;
  }
}

void TWindowScript::FillRect(TLuaTable* rectangle, TLuaTable* colour)
{
  TWindowManager* manager = mManager;
  TWindowRenderer* renderer = manager ? manager->GetRenderer() : nullptr;
  if (!renderer || !rectangle || !colour)
    return;
  TURect area(ClampToUnsigned(rectangle->GetNumber(1, 0)), ClampToUnsigned(rectangle->GetNumber(2, 0)),
              ClampToUnsigned(rectangle->GetNumber(3, 0)), ClampToUnsigned(rectangle->GetNumber(4, 0)));
  area.Check();
  if (TScreen* screen = manager->GetScreen()) {
    TRect bounds;
    screen->GetWindowRect(&bounds);
    TURect limit(ClampToUnsigned(bounds.left), ClampToUnsigned(bounds.top), ClampToUnsigned(bounds.right),
                 ClampToUnsigned(bounds.bottom));
    area.left = area.left > limit.left ? area.left : limit.left;
    area.top = area.top > limit.top ? area.top : limit.top;
    area.right = area.right < limit.right ? area.right : limit.right;
    area.bottom = area.bottom < limit.bottom ? area.bottom : limit.bottom;
    if (area.right < area.left)
      area.right = area.left;
    if (area.bottom < area.top)
      area.bottom = area.top;
  }
  TColor fill((float)colour->GetNumber(1, 0), (float)colour->GetNumber(2, 0), (float)colour->GetNumber(3, 0),
              (float)colour->GetNumber(4, 0));
  renderer->PushClippingRectangle(area);
  renderer->FillRect(area, fill);
  renderer->PopClippingRectangle();
}

bool TWindowScript::EnableWindow(str name, bool enable)
{
  TWindowManager* manager = mManager;
  for (TWindow* layer = manager ? manager->GetTopModalWindow() : nullptr; layer; layer = layer->GetParent()) {
    TWindow* window = layer->GetChildWindow(name, -1);
    if (!window)
      continue;
    if (enable) {
      window->SetFlags(window->GetFlags() | TWindow::kVisible);
    } else {
      window->SetFlags(window->GetFlags() & ~unsigned(TWindow::kVisible));
      if (IsWidget(window, IScriptWidget::kScriptButton))
        window->OnMouseLeave();
    }
    manager->InvalidateScreen();
    return true;
  }
  return false;
}

bool TWindowScript::GetButtonToggleState(str name)
{
  TWindowManager* manager = mManager;
  for (TWindow* layer = manager ? manager->GetTopModalWindow() : nullptr; layer; layer = layer->GetParent()) {
    TWindow* window = layer->GetChildWindow(name, -1);
    if (window)
      return IsWidget(window, IScriptWidget::kScriptButton) && Widget(window)->GetToggleState();
  }
  return false;
}

void TWindowScript::SetButtonToggleState(str name, bool on)
{
  TWindowManager* manager = mManager;
  for (TWindow* layer = manager ? manager->GetTopModalWindow() : nullptr; layer; layer = layer->GetParent()) {
    TWindow* window = layer->GetChildWindow(name, -1);
    if (IsWidget(window, IScriptWidget::kScriptButton))
      Widget(window)->SetToggleState(on);
  }
}

bool TWindowScript::ImageLoaded(str name)
{
  TWindow* window = FindUnderTopModal(name);
  return IsWidget(window, IScriptWidget::kScriptImage) && Widget(window)->HasImage();
}

bool TWindowScript::StringToClipboard(str text)
{
  IClipboard* clipboard = TServices::Get().clipboard;
  return clipboard && clipboard->SetClipboardText(text);
}

void TWindowScript::UpdateWindow()
{
  if (TWindowManager* manager = mManager)
    manager->InvalidateScreen();
}

str TWindowScript::PushModal(str name)
{
  TWindowManager* manager = mManager;
  if (!manager)
    return str();
  TModalWindow* window = new TModalWindow;
  window->SetName(name);
  manager->PushModal(window);
  return window->GetIdString();
}

void TWindowScript::ClearModalChildren()
{
  TWindowManager* manager = mManager;
  TModalWindow* top = manager ? manager->GetTopModalWindow() : nullptr;
  if (!top)
    return;
  top->DestroyTasks();
  top->DestroyAllChildren();
  top->SetWindowSize(0, 0);
  top->SetWindowPos(0, 0);
}

int TWindowScript::GetWindowDepth()
{
  TWindowManager* manager = mManager;
  int depth = 0;
  for (TWindow* window = manager ? manager->GetTopModalWindow() : nullptr; window; window = window->GetParent())
    ++depth;
  return depth;
}

void TWindowScript::DoPopModal(str name)
{
  if (TWindowManager* manager = mManager)
    manager->PopModal(name);
}

str TWindowScript::GetString(str label, str p1, str p2, str p3, str p4, str p5)
{
  if (label.length() > 0 && label[0] == '#')
    return label.substr(1);
  IAppHost* host = TServices::Get().host;
  TStringTable* table = host ? host->GetStringTable() : nullptr;
  if (!table)
    return "#####";
  // Scripts hand over values (names, scores) for windows to show: taken as text, not as
  // labels or markup.
  return table->GetStringWithText(label, TTextGraphic::Escape(p1), TTextGraphic::Escape(p2), TTextGraphic::Escape(p3),
                                  TTextGraphic::Escape(p4), TTextGraphic::Escape(p5));
}

// ---------------------------------------------------------------------------------------
// Movies

bool TWindowScript::StartMovie(str file, bool translate, bool allowInput)
{
  if (file.empty() || !sMovieHostFactory)
    return false;
  StopMovie();
  mMovie = sMovieHostFactory(file);
  if (!mMovie)
    return false;
  if (!mMovie->Start(false, translate, allowInput)) {
    delete mMovie;
    mMovie = nullptr;
    return false;
  }
  return true;
}

bool TWindowScript::IsMoviePlaying()
{
  return mMovie && mMovie->IsPlaying();
}

void TWindowScript::StopMovie()
{
  if (!mMovie)
    return;
  IMovieHost* movie = mMovie;
  mMovie = nullptr;
  movie->Stop();
  delete movie;
}

void TWindowScript::CloseRequested()
{
  StopMovie();
}
