// screenfactory: the list of screen classes by name and the screens made from it.
#include "controller/screenfactory.h"

#include "screenbase/scenescreen.h"
#include "core/foundation/debug.h"

TScreenFactory gScreenFactory;

void TScreenFactory::Register(const str& className, TScreenCreator creator)
{
  for (auto& entry : mCreators) {
    if (entry.first == className) {
      entry.second = creator;
      return;
    }
  }
  mCreators.emplace_back(className, creator);
}

void TScreenFactory::Unregister(const str& className)
{
  for (auto it = mCreators.begin(); it != mCreators.end(); ++it) {
    if (it->first == className) {
      mCreators.erase(it);
      return;
    }
  }
}

bool TScreenFactory::IsRegistered(const str& className) const
{
  for (const auto& entry : mCreators) {
    if (entry.first == className) {
      return true;
    }
  }
  return false;
}

TSceneScreen* TScreenFactory::Create(const str& className) const
{
  for (const auto& entry : mCreators) {
    if (entry.first == className && entry.second) {
      TSceneScreen* screen = entry.second();
      if (screen) {
        screen->SetDynamicScreenID(className);
      }
      return screen;
    }
  }
  WriteDbg("ERROR: No screen class %s", className.c_str());
  return nullptr;
}
