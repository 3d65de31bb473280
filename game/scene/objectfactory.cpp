// objectfactory: makes scene objects by the class name that scene files and binary records
// give, from a registry of creation functions filled before the first lookup.
#include "scene/objectfactory.h"

#include <cstring>

CanlFactory::CanlFactory() {}

CanlFactory& CanlFactory::getInstance()
{
  // The built-in classes are entered when the registry is made, not by initialisers in
  // their own files: a static library drops files nothing refers to, and with them
  // their initialisers.
  static CanlFactory* instance = [] {
    static CanlFactory factory;
    RegisterSceneObjectTypes(factory);
    return &factory;
  }();
  return *instance;
}

bool CanlFactory::Register(const char* name, TCanlCreator creator)
{
  if (!name || !creator)
    return false;
  for (const auto& entry : mEntries)
    if (std::strcmp(entry.first, name) == 0)
      return true;
  mEntries.emplace_back(name, creator);
  return true;
}

CanlBaseClass* CanlFactory::Create(const char* name) const
{
  if (!name)
    return nullptr;
  for (const auto& entry : mEntries)
    if (std::strcmp(entry.first, name) == 0)
      return entry.second();
  return nullptr;
}

bool CanlObjectFactory::Register(const char* name, TCanlCreator creator)
{
  return CanlFactory::getInstance().Register(name, creator);
}

CanlBaseClass* CanlObjectFactory::Create(const char* name)
{
  return CanlFactory::getInstance().Create(name);
}
