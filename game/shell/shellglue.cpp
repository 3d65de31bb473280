// shellglue: the window script as a Lua host for the game, Lua quoting, window lookups for
// scripts, labelled buttons built from style tables and number lists read from text.
#include "shell/shellglue.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/foundation/services.h"
#include "core/foundation/installable.h"
#include "core/foundation/stringtable.h"
#include "core/script/luabind.h"
#include "core/script/script.h"
#include "core/window/modalwindow.h"
#include "core/window/screen.h"
#include "core/window/button.h"
#include "core/window/image.h"
#include "core/window/text.h"
#include "core/window/windowmanager.h"
#include "core/window/windowstyle.h"
#include "shell/gamedefs.h"

namespace {

TStringTable* HostStringTable()
{
  IAppHost* host = TServices::Get().host;
  return host ? host->GetStringTable() : nullptr;
}

TInstallable<TStringTable> gStringTable(&HostStringTable);

} // namespace

TScript* GameScript()
{
  TWindowManager* manager = TWindowManager::GetInstance();
  return manager ? dynamic_cast<TScript*>(manager->GetScript()) : nullptr;
}

lua_State* GameLuaState()
{
  TScript* script = GameScript();
  return script ? script->GetState() : nullptr;
}

void RunGameLua(const str& code)
{
  if (TScript* script = GameScript()) {
    script->DoLuaString(code, -1, 0);
  }
}

str LuaQuote(const str& text)
{
  str quoted = "'";
  for (unsigned i = 0; i < text.length(); ++i) {
    const unsigned char c = (unsigned char)text[i];
    if (c == '\'' || c == '\\') {
      quoted += '\\';
      quoted += char(c);
    } else if (c < 32 || c == 127) {
      char escape[8];
      // Three digits, so a digit that follows cannot join the escape.
      std::snprintf(escape, sizeof escape, "\\%03u", unsigned(c));
      quoted += escape;
    } else {
      quoted += char(c);
    }
  }
  quoted += '\'';
  return quoted;
}

void UnbindLuaFrom(const void* object, const char* const* names, size_t count)
{
  lua_State* L = GameLuaState();
  if (!L) {
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    if (LuaIsBoundTo(L, names[i], object)) {
      LuaUnbind(L, names[i]);
    }
  }
}

void InvalidateGameScreen()
{
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->InvalidateScreen();
  }
}

void ShowWindow(TWindow* window, bool shown)
{
  if (!window) {
    return;
  }
  const unsigned flags = window->GetFlags();
  window->SetFlags(shown ? flags | TWindow::kVisible : flags & ~unsigned(TWindow::kVisible));
  InvalidateGameScreen();
}

void UseGameStringTable(TStringTable* table)
{
  gStringTable.Install(table);
}

str GameString(const str& label, const str& argument)
{
  TStringTable* table = gStringTable.Get();
  return table ? table->GetString(label, argument, "", "", "", "") : str("#####");
}

bool IsWindowExists(str name)
{
  TWindowManager* manager = TWindowManager::GetInstance();
  TWindow* screen = manager ? manager->GetScreen() : nullptr;
  return screen && screen->GetChildWindow(name, -1) != nullptr;
}

void SetUnderlineDistance(str name, int distance)
{
  TWindowManager* manager = TWindowManager::GetInstance();
  TModalWindow* top = manager ? manager->GetTopModalWindow() : nullptr;
  TWindow* window = top ? top->GetChildWindow(name, -1) : nullptr;
  if (!window) {
    return;
  }
  TText* text = window->GetCast<TText>();
  if (!text && window->GetCast<TButton>()) {
    for (TWindow* child : window->GetChildren()) {
      if (child->GetName() == str("label")) {
        text = child->GetCast<TText>();
        break;
      }
    }
  }
  if (text) {
    text->SetSpacing(distance);
    manager->InvalidateScreen();
  }
}

void SetAlpha(str name, float alpha)
{
  // Scripts may call it while no dialog is open.
  TWindowManager* manager = TWindowManager::GetInstance();
  TModalWindow* top = manager ? manager->GetTopModalWindow() : nullptr;
  TImage* image = top ? TWindow::GetCast<TImage>(top->GetChildWindow(name, -1)) : nullptr;
  if (image) {
    image->SetAlpha(alpha);
  }
}

void RegisterShellGlue()
{
  if (lua_State* L = GameLuaState()) {
    LuaBind(L, "SetAlpha", &SetAlpha);
    LuaBind(L, "IsWindowExists", &IsWindowExists);
    LuaBind(L, "SetUnderlineDistance", &SetUnderlineDistance);
  }
}

TButton* CreateButton(TLuaTable* style, const str& label, const TPoint& position)
{
  TButton* button = new TButton;
  TText* text = new TText(false);
  TWindowStyle view(style);
  button->Init(view);

  text->SetWindowSize(unsigned(std::max(0, int(view.GetNumber("tw", button->GetWindowWidth())))),
                      unsigned(std::max(0, int(view.GetNumber("th", button->GetWindowHeight())))));
  text->Init(view);
  text->SetName("label");
  button->AdoptChild(text, true);
  text->SetWindowPos(int(view.GetNumber("tx", 0)), int(view.GetNumber("ty", 0)));
  const int underline = int(view.GetNumber("fh", 0));
  if (underline != 0) {
    text->SetSpacing(underline);
  }

  if (position.x != ImpossiblePoint.x || position.y != ImpossiblePoint.y) {
    button->SetWindowPos(position.x, position.y);
  }
  if (!label.empty()) {
    str shown = label;
    if (TStringTable* table = gStringTable.Get()) {
      // A player name is no label: the lookup may fail without a note in the log.
      const bool quiet = table->IsQuiet();
      table->SetQuiet(true);
      shown = table->GetString(label, "", "", "", "", "");
      table->SetQuiet(quiet);
      if (shown == str("#####")) {
        shown = label;
      }
    }
    button->SetLabel(shown);
  }
  return button;
}

bool ReadVector(std::vector<float>& out, const str& text)
{
  out.clear();
  const char* p = text.c_str();
  auto partOfNumber = [](char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; };
  while (*p) {
    if (partOfNumber(*p)) {
      out.push_back(float(std::atof(p)));
      while (*p && partOfNumber(*p)) {
        ++p;
      }
    } else {
      ++p;
    }
  }
  return true;
}
