// scriptfailure: the plain screen shown when a start-up script is missing or fails, or the
// window script's coroutine dies: the script and Lua's message, so the player sees why.
#include "app/scriptfailure.h"

#include "core/graphics/textgraphic.h"
#include "core/window/screen.h"
#include "core/window/text.h"
#include "core/window/windowmanager.h"

namespace {

const int kMargin = 40;
const unsigned kTextSize = 20;
// The built-in font: the game's own font files may be what is missing.
const char kFont[] = "__DEFAULT";

} // namespace

void ShowScriptFailure(TWindowManager* manager, const str& script, const str& message)
{
  TScreen* screen = manager ? manager->GetScreen() : nullptr;
  if (!screen) {
    return;
  }
  while (manager->_PopModal()) {
  }
  screen->DestroyAllChildren();
  screen->SetBackgroundColor(TColor(0.1f, 0.1f, 0.12f, 1.0f));
  const int width = screen->GetWindowWidth() - 2 * kMargin;
  const int height = screen->GetWindowHeight() - 2 * kMargin;
  if (width <= 0 || height <= 0) {
    return;
  }
  TText* text = new TText();
  text->Create("The game cannot go on: a script failed.<br><br>" + TTextGraphic::Escape(script) + "<br>" +
                   TTextGraphic::Escape(message),
               unsigned(width), unsigned(height), 0, kFont, kTextSize, TColor(1.0f, 1.0f, 1.0f, 1.0f));
  text->SetName("scriptfailure");
  text->SetWindowPos(kMargin, kMargin);
  screen->AdoptChild(text);
  manager->InvalidateScreen();
}
