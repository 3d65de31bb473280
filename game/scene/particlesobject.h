// particlesobject: ties a particle effect, run by the game's particle systems, to the scene
// object it is emitted from; follows the object's position and draws with it.
#pragma once

#include "core/foundation/str.h"

class TDrawSpec;
class TSceneObject;

class TParticlesObject
{
public:
  explicit TParticlesObject(TSceneObject* object) : mObject(object) {}
  virtual ~TParticlesObject() {}

  // Starts the named effect (restarts it when it is the current one).
  void SetSystem(const str& name) { mName = name; }
  const str& GetName() const { return mName; }
  // Moves the emitter to the object's absolute position.
  void UpdatePosition() {}
  // Lets an effect that emits from the object's solid pixels read them again.
  void RefreshPixelChooser() {}
  // Advances the effect by one object tick.
  void OnTimer() {}
  void Draw(TDrawSpec* spec) {}

private:
  TSceneObject* mObject;
  str mName;
};
