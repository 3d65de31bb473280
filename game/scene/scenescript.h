// scenescript: the Lua state in which a scene's state and action scripts run, kept away
// from files, and the expansion of "$this.id" and "$this.state" into Lua string literals.
#pragma once

#include "core/foundation/str.h"
#include "core/script/script.h"

class TSceneScript : public TScript
{
public:
  TSceneScript();

  // Runs a script text; errors are reported by the script host and the call returns.
  void Run(const str& text);

  // The script with every "$this.id" and "$this.state" replaced by the id and the state
  // name as Lua string literals, quotes and control characters escaped, so a name can
  // never change what the script does.
  static str ExpandThis(const str& script, const str& id, const str& state);
  // The text as a double-quoted Lua string literal.
  static str Quote(const str& text);
};
