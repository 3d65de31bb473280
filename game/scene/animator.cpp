// animator: the base of the animators that drive one property of a scene object over time,
// the list that owns a state's or an object's animators, and the registry of their classes.
#include "scene/animator.h"

#include <cstring>

#include <algorithm>
#include <climits>

#include "core/foundation/xmlnode.h"
#include "core/foundation/debug.h"
#include "scene/binarybuffer.h"
#include "scene/objectstate.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"
#include "scene/xmlattributes.h"

namespace {

// The end of a run hands its overflow to a new tick of the whole object, which may end a
// run again; a tick far longer than the animations would recurse once per run. Each
// re-tick ticks every animator of the object, and several may end in it, so the depth alone
// would still let the work grow as a power of their number: an outermost tick also gets a
// budget of re-ticks in all.
const int kMaxRetickDepth = 64;
const int kRetickBudget = 256;
int sRetickDepth = 0;
int sReticksLeft = kRetickBudget;

// Why an animator cannot run, for the error line.
const char* Fault(const TAnimator* animator)
{
  return animator->GetDelay() == 0 ? "has no delay" : "has too few keys";
}

str OwnerId(const TSceneObject* object)
{
  return object ? object->GetId() : str();
}

} // namespace

TAnimator::TAnimator() : mObject(nullptr), mFresh(1), mFinished(false), mDelay(0), mLoop(false), mElapsed(0) {}

void TAnimator::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteU32(mFresh);
  buffer->WriteBool(mFinished);
  buffer->WriteU32(mDelay);
  buffer->WriteBool(mLoop);
  buffer->WriteU32(mElapsed);
}

bool TAnimator::Load(TBinaryBuffer* buffer)
{
  return buffer->ReadU32(&mFresh) && buffer->ReadBool(&mFinished) && buffer->ReadU32(&mDelay) &&
         buffer->ReadBool(&mLoop) && buffer->ReadU32(&mElapsed);
}

void TAnimator::StoreToXML(TXmlNode* node) const
{
  node->SetAttribute("delay", FormatC("%d", static_cast<int>(mDelay)).c_str());
  if (mLoop)
    node->SetAttribute("loop", "1");
}

bool TAnimator::LoadFromXML(TXmlNode* node)
{
  mDelay = static_cast<uint32_t>(node->GetAttribute("delay").to_int());
  mLoop = node->GetAttribute("loop").to_int() != 0;
  return true;
}

void TAnimator::Init()
{
  mElapsed = 0;
  mFresh = 0;
  mFinished = false;
}

bool TAnimator::OnTick(unsigned ms)
{
  if (mFinished || !mObject || !IsComplete())
    return true;
  TSceneObjectState* state = mObject->GetCurrentState();
  const uint64_t elapsed = uint64_t(mElapsed) + ms;
  const uint64_t step = elapsed / mDelay;
  const unsigned rest = static_cast<unsigned>(elapsed % mDelay);
  const int steps = getStepCount();
  if (step < uint64_t(steps)) {
    mElapsed = static_cast<uint32_t>(elapsed);
    ObjectAnimate(static_cast<int>(step), rest);
    return true;
  }
  mElapsed = static_cast<uint32_t>(std::min<uint64_t>(elapsed, UINT32_MAX));
  ObjectAnimate(steps - 1, mDelay);
  OnLoopEnd();
  if (!mLoop)
    OnAnimationEnd();
  const uint64_t overflow = elapsed - uint64_t(steps) * mDelay;
  const unsigned carried = static_cast<unsigned>(std::min<uint64_t>(overflow, UINT_MAX));
  // A time too long for the depth or budget left is dropped rather than recursed into.
  if (sRetickDepth == 0)
    sReticksLeft = kRetickBudget;
  const bool retick = carried != 0 && sRetickDepth < kMaxRetickDepth && sReticksLeft > 0;
  struct TDepth
  {
    TDepth()
    {
      ++sRetickDepth;
      --sReticksLeft;
    }
    ~TDepth() { --sRetickDepth; }
  };
  if (state && state->mMainAnimator == this) {
    // No next state: the object stays where the animation left it.
    if (!mObject->GetStates().at(state->mNextState)) {
      mFinished = true;
      return true;
    }
    TSceneObject* object = mObject;
    object->setState(state->mNextState);
    if (retick) {
      TDepth depth;
      object->OnTick(carried, true);
    }
    return false;
  }
  if (mLoop) {
    Init();
    if (retick) {
      TDepth depth;
      mObject->OnTick(carried, true);
    }
    return true;
  }
  mFinished = true;
  return true;
}

TAnimators::~TAnimators()
{
  for (TAnimator* animator : mAnimators)
    delete animator;
}

void TAnimators::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteU32(static_cast<uint32_t>(mAnimators.size()));
  for (const TAnimator* animator : mAnimators) {
    buffer->WriteString(animator->getDynamicAnimatorID());
    animator->Store(buffer);
  }
}

bool TAnimators::Load(TBinaryBuffer* buffer, TSceneObject* object)
{
  uint32_t count = 0;
  // Each entry holds at least its name's length.
  if (!buffer->ReadCount(&count, 4, "of an animator list"))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    str type;
    if (!buffer->ReadString(&type)) {
      buffer->Fail("of an animator's class name");
      return false;
    }
    TAnimator* animator = TAnimatorFactory::Instance()->Create(type.c_str());
    if (!animator) {
      str what = str::getFormatted("of an animator of unknown class '%s'", type.c_str());
      buffer->Fail(what.c_str());
      return false;
    }
    animator->SetObject(object);
    mAnimators.push_back(animator);
    if (!animator->Load(buffer)) {
      buffer->Fail("of an animator");
      return false;
    }
    if (!animator->IsComplete()) {
      str what = str::getFormatted("of an animator '%s' that %s", type.c_str(), Fault(animator));
      buffer->Fail(what.c_str());
      return false;
    }
  }
  return true;
}

void TAnimators::StoreToXML(TXmlNode* node) const
{
  for (const TAnimator* animator : mAnimators) {
    TXmlNode* child = node->CreateChild("animator");
    child->SetAttribute("type", animator->getDynamicAnimatorID());
    animator->StoreToXML(child);
  }
}

bool TAnimators::LoadFromXML(TXmlNode* node, TSceneObject* object)
{
  str name;
  TXmlNode* child = nullptr;
  node->ResetChildren();
  while (node->GetNextChild(&name, &child)) {
    if (name != str("animator"))
      continue;
    str type = child->GetAttribute("type");
    TAnimator* animator = TAnimatorFactory::Instance()->Create(type.c_str());
    if (!animator) {
      WriteDbg("ERROR: %sAnimator type '%s' of object '%s' is unknown; it is left out",
               SceneFilePrefix(object ? object->GetScene() : nullptr).c_str(), type.c_str(), OwnerId(object).c_str());
      continue;
    }
    animator->SetObject(object);
    if (!animator->LoadFromXML(child) || !animator->IsComplete()) {
      WriteDbg("ERROR: %sAnimator %s of object '%s' %s; it is left out",
               SceneFilePrefix(object ? object->GetScene() : nullptr).c_str(), animator->getDynamicAnimatorID(),
               OwnerId(object).c_str(), Fault(animator));
      delete animator;
      continue;
    }
    mAnimators.push_back(animator);
  }
  return true;
}

void TAnimators::Init()
{
  for (size_t i = 0; i < mAnimators.size(); ++i)
    mAnimators[i]->Init();
}

bool TAnimators::OnTick(unsigned ms, bool stopAtFalse)
{
  for (size_t i = 0; i < mAnimators.size(); ++i)
    if (!mAnimators[i]->OnTick(ms) && stopAtFalse)
      return false;
  return true;
}

bool TAnimators::IsRunning() const
{
  for (const TAnimator* animator : mAnimators)
    if (!animator->IsFinished() && animator->GetObject() && animator->IsComplete())
      return true;
  return false;
}

TAnimator* TAnimators::FindByType(const str& type) const
{
  if (type.empty())
    return nullptr;
  for (TAnimator* animator : mAnimators)
    if (std::strcmp(animator->getDynamicAnimatorID(), type.c_str()) == 0)
      return animator;
  return nullptr;
}

TAnimatorFactory* TAnimatorFactory::Instance()
{
  static TAnimFactory* instance = [] {
    static TAnimFactory factory;
    RegisterAnimatorKinds(factory);
    return &factory;
  }();
  return instance;
}

TAnimFactory::~TAnimFactory()
{
  for (TRegisterAnimatorDef* definition : mDefinitions) {
    delete[] definition->mName;
    delete definition;
  }
}

bool TAnimFactory::Register(const char* name, TAnimatorCreator creator)
{
  if (!name || !creator)
    return false;
  size_t length = std::strlen(name);
  TRegisterAnimatorDef* definition = new TRegisterAnimatorDef;
  definition->mName = new char[length + 1];
  std::memcpy(definition->mName, name, length + 1);
  definition->mCreator = creator;
  mDefinitions.push_back(definition);
  return true;
}

const TAnimFactory::TRegisterAnimatorDef* TAnimFactory::FindCreator(const char* name) const
{
  if (!name)
    return nullptr;
  for (const TRegisterAnimatorDef* definition : mDefinitions)
    if (std::strcmp(definition->mName, name) == 0)
      return definition;
  return nullptr;
}

TAnimator* TAnimFactory::Create(const char* name)
{
  const TRegisterAnimatorDef* definition = FindCreator(name);
  return definition ? definition->mCreator() : nullptr;
}
