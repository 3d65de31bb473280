// configuredscreen: configuration roots and scenes, name lists and object marks of the
// screens configured from a file.
#include "screenbase/configuredscreen.h"

#include <algorithm>

#include "core/foundation/xmlnode.h"
#include "scene/binarybuffer.h"
#include "screenbase/scenescreen.h"
#include "core/foundation/debug.h"
#include "scene/sceneobject.h"
#include "scene/textobject.h"

TXmlNode* ReadScreenConfig(const str& file, const char* root, TXmlNode* document, const char* screen)
{
  document->ParseFile(file.c_str());
  TXmlNode* element = document->GetChild(root);
  if (!element) {
    WriteDbg("ERROR: %s: %s has no \"%s\"", screen, file.c_str(), root);
  }
  return element;
}

bool IsExpectedConfig(const str& saved, const str& expected, TBinaryBuffer* buffer)
{
  if (expected.empty() || saved == expected) {
    return true;
  }
  buffer->Fail("of a screen (it names another configuration than the game's)");
  return false;
}

void AddConfiguredScene(TSceneScreen* screen, TXmlNode* root)
{
  TXmlNode* scene = root->GetChild("scene");
  const str file = scene ? scene->GetAttribute("file") : str();
  if (!file.empty()) {
    screen->AddScene(file, true);
  }
}

std::vector<str> SplitNames(const str& text)
{
  std::vector<str> names;
  const char* at = text.c_str();
  while (*at) {
    const char* end = at;
    while (*end && *end != ',') {
      ++end;
    }
    const char* first = at;
    const char* last = end;
    while (first < last && (*first == ' ' || *first == '\t')) {
      ++first;
    }
    while (last > first && (last[-1] == ' ' || last[-1] == '\t')) {
      --last;
    }
    if (last > first) {
      names.push_back(str(first, unsigned(last - first)));
    }
    at = *end ? end + 1 : end;
  }
  return names;
}

void SetStateOrHide(TSceneObject* object, const char* state)
{
  if (object->getStateNum(state) >= 0) {
    object->setState(str(state));
  } else {
    object->setVisible(false);
  }
}

TSceneObject* FindNamedAncestor(TSceneObject* object, const std::vector<str>& names)
{
  for (; object; object = object->GetParent()) {
    if (std::find(names.begin(), names.end(), object->GetId()) != names.end()) {
      return object;
    }
  }
  return nullptr;
}

str FormatClock(int32_t ms)
{
  if (ms < 0) {
    return str();
  }
  const int32_t seconds = ms / 1000 + (ms % 1000 ? 1 : 0);
  return str::getFormatted("%d:%02d", int(seconds / 60), int(seconds % 60));
}

void ShowClock(TSceneScreen* screen, int32_t ms)
{
  TTextObject* clock = screen ? dynamic_cast<TTextObject*>(screen->FindObject("timer")) : nullptr;
  const str text = FormatClock(ms);
  // A text object lays its text out again on every change.
  if (clock && clock->GetText() != text) {
    clock->setText(text);
  }
}
