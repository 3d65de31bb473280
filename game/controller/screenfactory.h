// screenfactory: makes the game's screens by class name, the names the configuration files
// and the game controller use ("TSearchScreen", "TCaseJournal", "TMetaPuzzle", ...).
#pragma once

#include <utility>
#include <vector>

#include "core/foundation/str.h"

class TSceneScreen;

typedef TSceneScreen* (*TScreenCreator)();

class TScreenFactory
{
public:
  // A later registration of a name replaces the earlier one.
  void Register(const str& className, TScreenCreator creator);
  void Unregister(const str& className);
  bool IsRegistered(const str& className) const;
  // A new screen that knows its class name; null with an "ERROR: " line for a name that
  // is not registered.
  TSceneScreen* Create(const str& className) const;

private:
  // Few names, looked up rarely: a list in registration order.
  std::vector<std::pair<str, TScreenCreator>> mCreators;
};

extern TScreenFactory gScreenFactory;

// Registers every screen of the game (its own, the search rooms' and the puzzles') once;
// the game controller calls it when it is built.
void RegisterGameScreens();

// The creation function of a screen class, for Register.
template <class T>
TSceneScreen* CreateScreen()
{
  return new T;
}
