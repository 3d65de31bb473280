// objectfactory: makes scene objects by the class name that scene files and binary records
// give, from a registry of creation functions filled before the first lookup.
#pragma once

#include <utility>
#include <vector>

// Root of the scene-object classes: every creatable class names itself.
class CanlBaseClass
{
public:
  virtual const char* getDynamicId() const { return "CanlBaseClass"; }
  virtual ~CanlBaseClass() {}
};

typedef CanlBaseClass* (*TCanlCreator)();

// The registry. Names are kept as given (not copied), so they must outlive the program.
class CanlFactory
{
public:
  static CanlFactory& getInstance();

  // The first registration of a name stays; returns true in any case.
  bool Register(const char* name, TCanlCreator creator);
  // A new object of the first entry with that exact name; null for an unknown name.
  CanlBaseClass* Create(const char* name) const;

private:
  CanlFactory();
  std::vector<std::pair<const char*, TCanlCreator>> mEntries;
};

class CanlObjectFactory
{
public:
  static bool Register(const char* name, TCanlCreator creator);
  static CanlBaseClass* Create(const char* name);
};

// Enters the scene's own object classes into a new registry, in their fixed order.
void RegisterSceneObjectTypes(CanlFactory& factory);
