// particlesmanager: the process-wide maker of the game's particle systems and of the data
// sources their scripts ask for by class name; lends systems to their owners.
#pragma once

#include <cstdint>
#include <map>

#include "core/foundation/str.h"
#include "scene/defsingleton.h"
#include "scene/particlessystem.h"

class GParticlesDataSource;

class GParticlesManager
{
public:
  typedef GParticlesDataSource* (*TCreator)();

  // Made with the six data-source classes registered.
  GParticlesManager();
  // Deletes the pooled systems.
  ~GParticlesManager();

  // Null once destroyed at exit.
  static GParticlesManager* GetInstance() { return TDefSingleton<GParticlesManager>::GetInstance(); }

  // A later registration of a name replaces the earlier one.
  bool RegisterDataSource(const str& name, TCreator creator);
  // Null for an unknown name.
  GParticlesDataSource* CreateDataSource(const str& name);
  // A new system running "particles/<name>.lua"; null when the script cannot be loaded.
  GParticlesSystem* CreateSystem(const str& name);
  // A system of that name lent to the owner (a pooled one, else a new one); null when
  // none can be had.
  GParticlesSystem* DragSystem(const str& name, GParticlesSystem::GParticleSystemOwner* owner);
  // Deletes every pooled system.
  void Clear();
  size_t GetPoolSize() const { return mPool.size(); }

  // The particle target point (two integers) the game keeps and moves; the data sources
  // made from now on read it. Null points them at a fixed origin. It must outlive them.
  static void SetParticleTarget(int32_t* target);
  static const int32_t* GetParticleTarget();

private:
  GParticlesManager(const GParticlesManager&) = delete;
  GParticlesManager& operator=(const GParticlesManager&) = delete;

  std::multimap<str, GParticlesSystem*> mPool;
  std::map<str, TCreator> mCreators;
};
