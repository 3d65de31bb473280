// scenescript: the Lua state in which a scene's state and action scripts run, kept away
// from files, and the expansion of "$this.id" and "$this.state" into Lua string literals.
#include "scene/scenescript.h"

#include <cstdio>
#include <cstring>
#include <string>

TSceneScript::TSceneScript() : TScript(nullptr)
{
  // Scene scripts come from scene files and saved games; none of them needs to reach
  // files or load code of its own.
  DoLuaString("dofile, loadfile, load, loadstring, require = nil, nil, nil, nil, nil", -1, 0);
}

void TSceneScript::Run(const str& text)
{
  DoLuaString(text, -1, 0);
}

str TSceneScript::Quote(const str& text)
{
  std::string quoted("\"");
  for (const char* p = text.c_str(); *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 32 || c == 127) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\%03u", c);
      quoted += escape;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  quoted += '"';
  return str(quoted.data(), quoted.size());
}

str TSceneScript::ExpandThis(const str& script, const str& id, const str& state)
{
  static const char kId[] = "$this.id";
  static const char kState[] = "$this.state";
  // One pass, so a name that itself reads "$this.state" is never expanded a second time.
  std::string out;
  const char* text = script.c_str();
  const char* mark;
  while ((mark = std::strstr(text, "$this.")) != nullptr) {
    out.append(text, mark);
    if (std::strncmp(mark, kId, sizeof kId - 1) == 0) {
      out += Quote(id).c_str();
      text = mark + sizeof kId - 1;
    } else if (std::strncmp(mark, kState, sizeof kState - 1) == 0) {
      out += Quote(state).c_str();
      text = mark + sizeof kState - 1;
    } else {
      out += '$';
      text = mark + 1;
    }
  }
  out += text;
  return str(out.data(), out.size());
}
