// particlesobject: ties a particle effect, run by the game's particle systems, to the scene
// object it is emitted from; follows the object's position and draws with it.
#include "scene/particlesobject.h"

#include "scene/particlesdatasource.h"
#include "scene/particlesmanager.h"
#include "scene/sceneobject.h"

TParticlesObject::~TParticlesObject()
{
  if (mSystem)
    mSystem->DropSystem();
}

void TParticlesObject::SetSystem(const str& name)
{
  if (name == mName) {
    if (name.empty())
      return;
    if (mSystem) {
      mSystem->Reset();
      return;
    }
  } else if (mSystem) {
    mSystem->DropSystem();
  }
  mName = name;
  GParticlesManager* manager = GParticlesManager::GetInstance();
  mSystem = name.empty() || !manager ? nullptr : manager->DragSystem(name, this);
  UpdatePosition();
}

void TParticlesObject::UpdatePosition()
{
  if (mSystem && mObject)
    mSystem->SetPosition(mObject->getAbsolutePosition());
}

void TParticlesObject::RefreshPixelChooser()
{
  if (!mSystem || !mSystem->isFunctionRegistered("fPixChooser"))
    return;
  boost::shared_ptr<TParticleFunction> function = mSystem->GetEngine().GetParticleFunction("fPixChooser");
  if (GTSceneObjectPixelChooser* chooser = function ? function->GetCast<GTSceneObjectPixelChooser>() : nullptr)
    chooser->InitObject(mObject);
}

void TParticlesObject::OnTimer()
{
  if (!mSystem)
    return;
  UpdatePosition();
  // The system may end itself at the end of its step; mSystem is cleared then.
  mSystem->Update(kTickMs);
}

void TParticlesObject::Draw(TDrawSpec*)
{
  if (mSystem)
    mSystem->Draw();
}

void TParticlesObject::OnParticleFinish(GParticlesSystem* system)
{
  system->DropSystem();
}

void TParticlesObject::OnDropSystem(GParticlesSystem* system)
{
  if (system == mSystem)
    mSystem = nullptr;
}
