// objectstate: a named state of a scene object (properties taken on entry, animators, the
// next state, sets and a Lua script) and the object's list of states.
#include "scene/objectstate.h"

#include "core/foundation/xmlnode.h"
#include "core/foundation/debug.h"
#include "scene/binarybuffer.h"
#include "scene/imageresource.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"
#include "scene/xmlattributes.h"

namespace {

// Two empty lists, four strings, three integers and an empty property record.
const unsigned kStateRecordBytes = 4 + 4 + 4 + 4 + 4 + 4 + 111 + 4 + 4 + 4;

int ImageCount(TSceneObject* owner)
{
  TScene* scene = owner ? owner->GetScene() : nullptr;
  return scene ? scene->GetImageResource().GetImageCount() : 0;
}

} // namespace

TSceneObjectState::TSceneObjectState(TSceneObject* owner)
    : mOwner(owner), mMainAnimator(nullptr), mNextState(-1), mFrame(-1), mDelay(0)
{}

void TSceneObjectState::Store(TBinaryBuffer* buffer) const
{
  mAnimators.Store(buffer);
  mSets.Store(buffer);
  buffer->WriteString(mName);
  buffer->WriteI32(mNextState);
  buffer->WriteString(mNextStateName);
  buffer->WriteU32(mDelay);
  mParams.Store(buffer);
  buffer->WriteI32(mFrame);
  buffer->WriteString(mMainAnimator ? mMainAnimator->getDynamicAnimatorID() : "");
  buffer->WriteString(mScript);
}

bool TSceneObjectState::Load(TBinaryBuffer* buffer)
{
  str mainType;
  bool read = mAnimators.Load(buffer, mOwner) && mSets.Load(buffer) && buffer->ReadString(&mName) &&
              buffer->ReadI32(&mNextState) && buffer->ReadString(&mNextStateName) && buffer->ReadU32(&mDelay) &&
              mParams.Load(buffer) && buffer->ReadI32(&mFrame) && buffer->ReadString(&mainType) &&
              buffer->ReadString(&mScript);
  if (!read) {
    buffer->Fail("of an object state");
    return false;
  }
  mMainAnimator = mAnimators.FindByType(mainType);
  if (mFrame < -1 || mFrame >= ImageCount(mOwner))
    mFrame = -1;
  return true;
}

void TSceneObjectState::StoreToXML(TXmlNode* node) const
{
  node->SetAttribute("id", mName.c_str());
  if (!mNextStateName.empty())
    node->SetAttribute("sn", mNextStateName.c_str());
  if (mDelay != 0)
    node->SetAttribute("delay", FormatC("%d", static_cast<int>(mDelay)).c_str());
  mParams.StoreToXML(node);
  if (!mAnimators.empty())
    mAnimators.StoreToXML(node->CreateChild("animators"));
  if (!mSets.empty())
    mSets.StoreToXML(node->CreateChild("sets"));
  if (mMainAnimator)
    node->SetAttribute("sc", mMainAnimator->getDynamicAnimatorID());
  if (!mScript.empty())
    node->CreateChild("script")->SetContent(mScript.c_str());
}

bool TSceneObjectState::LoadFromXML(TXmlNode* node)
{
  if (node->GetName() != str("st"))
    return false;
  mName = node->GetAttribute("id");
  mNextStateName = node->GetAttribute("sn");
  mDelay = static_cast<uint32_t>(ReadIntAttribute(node, "delay", 0));
  mParams.LoadFromXML(node);
  if (mParams.Has(TInitParam::kFrame)) {
    TScene* scene = mOwner ? mOwner->GetScene() : nullptr;
    mFrame = scene ? scene->GetImageResource().getImageIndex(mParams.mFrame) : -1;
    if (scene && mFrame == -1)
      WriteDbg("ERROR: %sState '%s' of object '%s' shows image '%s', which the scene's resources "
               "do not have",
               SceneFilePrefix(scene).c_str(), mName.c_str(), mOwner->GetId().c_str(), mParams.mFrame.c_str());
  }
  if (TXmlNode* animators = node->GetChild("animators"))
    mAnimators.LoadFromXML(animators, mOwner);
  if (TXmlNode* sets = node->GetChild("sets"))
    mSets.LoadFromXML(sets, mOwner);
  mMainAnimator = mAnimators.FindByType(node->GetAttribute("sc"));
  if (TXmlNode* script = node->GetChild("script"))
    mScript = script->GetContent();
  return true;
}

TSceneObjectStates::~TSceneObjectStates()
{
  for (TSceneObjectState* state : mStates)
    delete state;
}

void TSceneObjectStates::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteU32(static_cast<uint32_t>(mStates.size()));
  for (const TSceneObjectState* state : mStates)
    state->Store(buffer);
}

bool TSceneObjectStates::Load(TBinaryBuffer* buffer, TSceneObject* owner)
{
  uint32_t count = 0;
  if (!buffer->ReadCount(&count, kStateRecordBytes, "of a state list"))
    return false;
  bool loaded = true;
  for (uint32_t i = 0; i < count && loaded; ++i) {
    TSceneObjectState* state = new TSceneObjectState(owner);
    mStates.push_back(state);
    loaded = state->Load(buffer);
  }
  // A next state past the list would be entered when the state's main animator ends.
  for (TSceneObjectState* state : mStates)
    if (state->mNextState < -1 || state->mNextState >= size())
      state->mNextState = -1;
  return loaded;
}

void TSceneObjectStates::StoreToXML(TXmlNode* node) const
{
  for (const TSceneObjectState* state : mStates)
    state->StoreToXML(node->CreateChild("st"));
}

bool TSceneObjectStates::LoadFromXML(TXmlNode* node, TSceneObject* owner)
{
  str name;
  TXmlNode* child = nullptr;
  node->ResetChildren();
  while (node->GetNextChild(&name, &child)) {
    if (name != str("st"))
      continue;
    TSceneObjectState* state = new TSceneObjectState(owner);
    mStates.push_back(state);
    state->LoadFromXML(child);
  }
  set_next_state();
  return true;
}

void TSceneObjectStates::set_next_state()
{
  for (TSceneObjectState* state : mStates)
    state->mNextState = state->mNextStateName.empty() ? -1 : IndexOf(state->mNextStateName);
}

int TSceneObjectStates::IndexOf(const str& name) const
{
  for (size_t i = 0; i < mStates.size(); ++i)
    if (mStates[i]->mName == name)
      return static_cast<int>(i);
  return -1;
}
