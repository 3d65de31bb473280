// particlesobject: ties a particle effect, run by the game's particle systems, to the scene
// object it is emitted from; follows the object's position and draws with it.
#pragma once

#include "core/foundation/str.h"
#include "scene/particlessystem.h"

class TDrawSpec;
class TSceneObject;

class TParticlesObject : public GParticlesSystem::GParticleSystemOwner
{
public:
  // Every object tick advances the effect by this much, whatever the tick's length.
  static const int kTickMs = 20;

  explicit TParticlesObject(TSceneObject* object) : mSystem(nullptr), mObject(object) {}
  // Drops the system it holds.
  ~TParticlesObject() override;

  // Starts the named effect; the current one is restarted instead of reloaded, another
  // is dropped first. An empty name stops the effect.
  void SetSystem(const str& name);
  const str& GetName() const { return mName; }
  GParticlesSystem* GetSystem() const { return mSystem; }
  // Moves the emitter to the object's absolute position.
  void UpdatePosition();
  // Lets an effect that emits from the object's solid pixels read them again.
  void RefreshPixelChooser();
  // Advances the effect by one object tick.
  void OnTimer();
  void Draw(TDrawSpec* spec);

  void OnParticleFinish(GParticlesSystem* system) override;
  void OnDropSystem(GParticlesSystem* system) override;

private:
  TParticlesObject(const TParticlesObject&) = delete;
  TParticlesObject& operator=(const TParticlesObject&) = delete;

  GParticlesSystem* mSystem;
  TSceneObject* mObject;
  str mName;
};
