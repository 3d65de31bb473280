// particlesdatasource: the game values particle scripts can read or call by name: escape
// from a point, the way to and the distance from the game's target, and chosen positions.
#pragma once

#include <cstdint>
#include <vector>

#include "core/foundation/random.h"
#include "core/foundation/str.h"
#include "core/foundation/vec.h"
#include "core/particles/particlefunction.h"

class GParticlesSystem;
class TSceneObject;

// A game value for particle scripts, made by class name through the particle manager.
class GParticlesDataSource : public TParticleFunction
{
public:
  static intptr_t ClassId();
  const char* GetTypeName() const override { return "GParticlesDataSource"; }
  bool IsKindOf(intptr_t classId) const override
  {
    return classId == ClassId() || TParticleFunction::IsKindOf(classId);
  }
  // False refuses the source (it is then deleted).
  virtual bool Init(const str& name, GParticlesSystem* system) = 0;
  virtual bool OnDrag() = 0;

protected:
  // Float i of the call's arguments, counted from the first float of the first argument;
  // 0 for a float the call did not pass.
  static float Argument(const TParticleMachineState& machine, unsigned i);
};

#define QV_GAME_DATA_SOURCE(Name, Base)                                                                                \
  class Name : public Base                                                                                             \
  {                                                                                                                    \
  public:                                                                                                              \
    static intptr_t ClassId();                                                                                         \
    static GParticlesDataSource* Create();                                                                             \
    const char* GetTypeName() const override { return #Name; }                                                         \
    bool IsKindOf(intptr_t classId) const override { return classId == ClassId() || Base::IsKindOf(classId); }         \
    bool Init(const str& name, GParticlesSystem* system) override;                                                     \
    bool OnDrag() override { return true; }                                                                            \
    uint8_t GetReturnSize(int argCount, uint8_t* argWidths) override;                                                  \
    bool Process(TParticleState& state, TParticleMachineState& machine) override;

// Pushes particles away from a point within a radius: floats x, y and the radius.
QV_GAME_DATA_SOURCE(GSpeedMouseEscaper, GParticlesDataSource)
GSpeedMouseEscaper();
TVec2 mPoint;
}
;

// The unit vector from (x, y) towards the game's particle target.
QV_GAME_DATA_SOURCE(TParticlesTarget, GParticlesDataSource)
TParticlesTarget();
const int32_t* mTarget;
}
;

// The distance from (x, y) to the game's particle target.
QV_GAME_DATA_SOURCE(TParticlesTargetDistance, GParticlesDataSource)
TParticlesTargetDistance();
const int32_t* mTarget;
}
;

// The positions of a list in turn.
QV_GAME_DATA_SOURCE(GPositionsChooser, GParticlesDataSource)
GPositionsChooser() : mCursor(0) {}
// Replaces the list; the turn goes on where it was, or from the start when that is
// past the new list.
void InitVectorPosition(std::vector<TVec2>& positions);
std::vector<TVec2> mPositions;
unsigned mCursor;
}
;

// A random one of the scene points covered by an object's solid pixels.
QV_GAME_DATA_SOURCE(GTSceneObjectPixelChooser, GParticlesDataSource)
GTSceneObjectPixelChooser();
// Lists the scene point of every solid pixel of the object's frame; without any, the
// object's own position stands in.
void InitObject(TSceneObject* object);
std::vector<TVec2> mPositions;
TVec2 mFallback;
TRandom mRandom;
}
;
