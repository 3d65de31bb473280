// particlesmanager: the process-wide maker of the game's particle systems and of the data
// sources their scripts ask for by class name; lends systems to their owners.
#include "scene/particlesmanager.h"

#include "core/foundation/debug.h"
#include "scene/particlesdatasource.h"
#include "scene/particlesound.h"

namespace {

int32_t sOrigin[2] = {0, 0};
int32_t* sTarget = sOrigin;

// Effect names become file names under "particles/".
bool IsEffectName(const str& name)
{
  const char* text = name.c_str();
  if (!*text || *text == '/' || *text == '\\')
    return false;
  return name.find(str("..")) == str::npos && name.find(':') == str::npos;
}

} // namespace

GParticlesManager::GParticlesManager()
{
  RegisterDataSource("GSpeedMouseEscaper", &GSpeedMouseEscaper::Create);
  RegisterDataSource("TParticlesTarget", &TParticlesTarget::Create);
  RegisterDataSource("TParticlesTargetDistance", &TParticlesTargetDistance::Create);
  RegisterDataSource("GParticleSound", &GParticleSound::Create);
  RegisterDataSource("GPositionsChooser", &GPositionsChooser::Create);
  RegisterDataSource("GTSceneObjectPixelChooser", &GTSceneObjectPixelChooser::Create);
}

GParticlesManager::~GParticlesManager()
{
  Clear();
}

void GParticlesManager::SetParticleTarget(int32_t* target)
{
  sTarget = target ? target : sOrigin;
}

const int32_t* GParticlesManager::GetParticleTarget()
{
  return sTarget;
}

bool GParticlesManager::RegisterDataSource(const str& name, TCreator creator)
{
  mCreators[name] = creator;
  return true;
}

GParticlesDataSource* GParticlesManager::CreateDataSource(const str& name)
{
  std::map<str, TCreator>::const_iterator found = mCreators.find(name);
  return found != mCreators.end() && found->second ? found->second() : nullptr;
}

GParticlesSystem* GParticlesManager::CreateSystem(const str& name)
{
  if (!IsEffectName(name)) {
    WriteDbg("ERROR: Particle effect name '%s' names no file under particles/", name.c_str());
    return nullptr;
  }
  GParticlesSystem* system = new GParticlesSystem;
  if (!system->Init(name)) {
    WriteDbg("ERROR: Particle effect particles/%s.lua cannot be loaded", name.c_str());
    delete system;
    return nullptr;
  }
  return system;
}

GParticlesSystem* GParticlesManager::DragSystem(const str& name, GParticlesSystem::GParticleSystemOwner* owner)
{
  GParticlesSystem* system = nullptr;
  std::multimap<str, GParticlesSystem*>::iterator pooled = mPool.find(name);
  if (pooled != mPool.end()) {
    system = pooled->second;
    mPool.erase(pooled);
  } else {
    system = CreateSystem(name);
  }
  if (!system)
    return nullptr;
  if (system->OnDrag(owner))
    return system;
  mPool.emplace(name, system);
  return nullptr;
}

void GParticlesManager::Clear()
{
  std::multimap<str, GParticlesSystem*> pool;
  pool.swap(mPool);
  for (auto& entry : pool)
    delete entry.second;
}
