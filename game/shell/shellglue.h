// shellglue: what the game's menus and dialogs share with their window scripts: the
// window script as a Lua host, quoting for Lua text, the Lua functions "IsWindowExists"
// and "SetUnderlineDistance", labelled buttons from a style table and number lists.
#pragma once

#include <cstddef>
#include <vector>

#include "core/foundation/rect.h"
#include "core/foundation/str.h"

class TButton;
class TLuaTable;
class TScript;
class TStringTable;
class TWindow;
struct lua_State;

// The window manager's script as a Lua host; null without one.
TScript* GameScript();
lua_State* GameLuaState();
// Runs Lua text in the window manager's script; nothing happens without one.
void RunGameLua(const str& code);
// The text as a Lua string literal in single quotes: "Ann" gives 'Ann', and quotes,
// backslashes and control characters are escaped, so any text stays one value.
str LuaQuote(const str& text);
// Sets to nil each named global that is still bound to object (a later window of the
// same class may have taken the name over; that binding stays).
void UnbindLuaFrom(const void* object, const char* const* names, size_t count);

// Has the whole screen drawn again at the next frame.
void InvalidateGameScreen();
// Sets or clears a window's enabled flag (a window without it is neither drawn nor hit).
void ShowWindow(TWindow* window, bool shown);

// The string table's text of a label ("#####" when it has none, or there is no table),
// with up to one argument for "%1%".
str GameString(const str& label, const str& argument = str());
// Puts a table in place of the platform's for GameString (tests); null restores it.
void UseGameStringTable(TStringTable* table);

// Some window at any depth below the screen (or the screen itself) has the name.
bool IsWindowExists(str name);
// Sets the underline distance of a text window of the top dialog, or of a button's label.
void SetUnderlineDistance(str name, int distance);
// Sets the alpha of an image window of the top dialog; anything else (or no dialog) is left.
void SetAlpha(str name, float alpha);
// Registers "SetAlpha", "IsWindowExists" and "SetUnderlineDistance" in the window
// manager's script.
void RegisterShellGlue();

// A button initialised from the style, with a "label" text window sized and placed by the
// style's "tw", "th", "tx", "ty" (and "fh", the underline distance); moved to position
// unless it is ImpossiblePoint; label is a string-table label or, when the table does not
// hold it, the text itself. The caller adopts the button.
TButton* CreateButton(TLuaTable* style, const str& label, const TPoint& position);

// Every number in the text ('-', '.' and digits start one; anything else separates).
bool ReadVector(std::vector<float>& out, const str& text);
