// configuredscreen: configuration roots, name lists, object marks and name-list records of
// the screens configured from a file.
#include "flow/configuredscreen.h"

#include <algorithm>

#include "core/foundation/xmlnode.h"
#include "flow/savestring.h"
#include "platform/debug.h"
#include "scene/binarybuffer.h"
#include "scene/sceneobject.h"

TXmlNode* ReadScreenConfig(const str& file, const char* root, TXmlNode* document, const char* screen)
{
  document->ParseFile(file.c_str());
  TXmlNode* element = document->GetChild(root);
  if (!element) {
    WriteDbg("ERROR: %s: %s has no \"%s\"", screen, file.c_str(), root);
  }
  return element;
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

void SaveNames(TBinaryBuffer* buffer, const std::vector<str>& names)
{
  buffer->WriteU32(uint32_t(names.size()));
  for (const str& name : names) {
    SaveString(buffer, name);
  }
}

bool LoadNames(TBinaryBuffer* buffer, std::vector<str>* names, const std::vector<str>& allowed)
{
  uint32_t count = 0;
  if (!buffer->ReadCount(&count, 4, "names")) {
    return false;
  }
  names->clear();
  for (uint32_t i = 0; i < count; ++i) {
    str name;
    if (!LoadString(buffer, name)) {
      return false;
    }
    if (std::find(allowed.begin(), allowed.end(), name) == allowed.end() ||
        std::find(names->begin(), names->end(), name) != names->end()) {
      buffer->Fail("name list");
      return false;
    }
    names->push_back(name);
  }
  return true;
}
