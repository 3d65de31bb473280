// particlesdatasource: the game values particle scripts can read or call by name: escape
// from a point, the way to and the distance from the game's target, and chosen positions.
#include "scene/particlesdatasource.h"

#include <algorithm>
#include <cmath>

#include "core/foundation/timesource.h"
#include "scene/imageresource.h"
#include "scene/matrixutil.h"
#include "scene/particlesmanager.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"

#define QV_CLASS_ID(Name)                                                                                              \
  intptr_t Name::ClassId()                                                                                             \
  {                                                                                                                    \
    static const char kId = 0;                                                                                         \
    return reinterpret_cast<intptr_t>(&kId);                                                                           \
  }
#define QV_DATA_SOURCE_CREATE(Name)                                                                                    \
  QV_CLASS_ID(Name)                                                                                                    \
  GParticlesDataSource* Name::Create()                                                                                 \
  {                                                                                                                    \
    return new Name;                                                                                                   \
  }

QV_CLASS_ID(GParticlesDataSource)
QV_DATA_SOURCE_CREATE(GSpeedMouseEscaper)
QV_DATA_SOURCE_CREATE(TParticlesTarget)
QV_DATA_SOURCE_CREATE(TParticlesTargetDistance)
QV_DATA_SOURCE_CREATE(GPositionsChooser)
QV_DATA_SOURCE_CREATE(GTSceneObjectPixelChooser)

float GParticlesDataSource::Argument(const TParticleMachineState& machine, unsigned i)
{
  for (unsigned k = 0; k < machine.mArgCount; ++k) {
    const unsigned width = machine.ArgWidth(k);
    if (i < width)
      return machine.Arg(k)[i];
    i -= width;
  }
  return 0.0f;
}

namespace {

bool PushPoint(TParticleMachineState& machine, const TVec2& point)
{
  const float values[2] = {point.x, point.y};
  return machine.Push(values, 2);
}

TVec2 TargetPoint(const int32_t* target)
{
  return TVec2(static_cast<float>(target[0]), static_cast<float>(target[1]));
}

} // namespace

// ---- escape from a point ----

GSpeedMouseEscaper::GSpeedMouseEscaper() : mPoint(-1000, -1000) {}

bool GSpeedMouseEscaper::Init(const str&, GParticlesSystem*)
{
  return true;
}

uint8_t GSpeedMouseEscaper::GetReturnSize(int, uint8_t*)
{
  return 2;
}

bool GSpeedMouseEscaper::Process(TParticleState&, TParticleMachineState& machine)
{
  const TVec2 d = TVec2(Argument(machine, 0), Argument(machine, 1)) - mPoint;
  const float radius = Argument(machine, 2);
  const float length = d.Length();
  TVec2 push(0, 0);
  if (radius > length) {
    const float k = radius / (radius - length);
    push = TVec2(d.x / (k * k), d.y / (k * k));
  }
  return PushPoint(machine, push);
}

// ---- the game's target ----

TParticlesTarget::TParticlesTarget() : mTarget(GParticlesManager::GetParticleTarget()) {}

bool TParticlesTarget::Init(const str&, GParticlesSystem*)
{
  return true;
}

uint8_t TParticlesTarget::GetReturnSize(int, uint8_t*)
{
  return 2;
}

bool TParticlesTarget::Process(TParticleState&, TParticleMachineState& machine)
{
  TVec2 way = TargetPoint(mTarget) - TVec2(Argument(machine, 0), Argument(machine, 1));
  return PushPoint(machine, way.Normalize());
}

TParticlesTargetDistance::TParticlesTargetDistance() : mTarget(GParticlesManager::GetParticleTarget()) {}

bool TParticlesTargetDistance::Init(const str&, GParticlesSystem*)
{
  return true;
}

uint8_t TParticlesTargetDistance::GetReturnSize(int, uint8_t*)
{
  return 1;
}

bool TParticlesTargetDistance::Process(TParticleState&, TParticleMachineState& machine)
{
  const float distance = (TargetPoint(mTarget) - TVec2(Argument(machine, 0), Argument(machine, 1))).Length();
  return machine.Push(&distance, 1);
}

// ---- positions in turn ----

bool GPositionsChooser::Init(const str&, GParticlesSystem*)
{
  return true;
}

uint8_t GPositionsChooser::GetReturnSize(int, uint8_t*)
{
  return 2;
}

bool GPositionsChooser::Process(TParticleState&, TParticleMachineState& machine)
{
  // An empty list still answers: the machine counts on two floats.
  if (mPositions.empty())
    return PushPoint(machine, TVec2(0, 0));
  if (mCursor >= mPositions.size())
    mCursor = 0;
  const TVec2 position = mPositions[mCursor];
  mCursor = mCursor + 1 < mPositions.size() ? mCursor + 1 : 0;
  return PushPoint(machine, position);
}

void GPositionsChooser::InitVectorPosition(std::vector<TVec2>& positions)
{
  mPositions = positions;
  if (mCursor >= mPositions.size())
    mCursor = 0;
}

// ---- an object's pixels ----

GTSceneObjectPixelChooser::GTSceneObjectPixelChooser() : mFallback(0, 0)
{
  mRandom.Seed(TTimeSource::Timer());
}

bool GTSceneObjectPixelChooser::Init(const str&, GParticlesSystem*)
{
  return true;
}

uint8_t GTSceneObjectPixelChooser::GetReturnSize(int, uint8_t*)
{
  return 2;
}

bool GTSceneObjectPixelChooser::Process(TParticleState&, TParticleMachineState& machine)
{
  if (mPositions.empty())
    return PushPoint(machine, mFallback);
  size_t index = static_cast<size_t>(static_cast<double>(mPositions.size()) * mRandom.RandDouble());
  return PushPoint(machine, mPositions[std::min(index, mPositions.size() - 1)]);
}

void GTSceneObjectPixelChooser::InitObject(TSceneObject* object)
{
  mPositions.clear();
  if (!object)
    return;
  mFallback = object->getAbsolutePosition();
  TScene* scene = object->GetScene();
  CanlImage* image = scene ? scene->GetImageResource().GetImage(object->GetFrame()) : nullptr;
  const TTextureWrapperRef& texture = object->GetTexture();
  if (!image || !texture || !texture->HasMask())
    return;
  const TMat3& transform = object->GetDrawSpec().mTransform;
  // Only pixels of the texture can be solid: the image's rectangle is clipped to it.
  const int left = std::max(0, TruncateToInt(image->mX));
  const int top = std::max(0, TruncateToInt(image->mY));
  const int right = std::min<int64_t>(TruncateToInt(image->mX + image->mW), texture->GetWidth());
  const int bottom = std::min<int64_t>(TruncateToInt(image->mY + image->mH), texture->GetHeight());
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) {
      if (!texture->hitTest(unsigned(x), unsigned(y)))
        continue;
      // Relative to the pivot, which the transform places: pixels left of or above it
      // keep their side.
      TVec3 local(std::trunc(x - image->mX - image->mPx), std::trunc(y - image->mY - image->mPy), 1);
      TVec3 point = vectorMulMatrix(&local, &transform);
      mPositions.push_back(TVec2(point.x, point.y));
    }
}
