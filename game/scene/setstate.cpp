// setstate: a set, the properties an action or a state change gives to one object of the
// scene (by its id), and the list of sets a state or an action carries.
#include "scene/setstate.h"

#include "core/foundation/xmlnode.h"
#include "scene/binarybuffer.h"
#include "scene/sceneobject.h"

namespace {

// An object id and an empty property record.
const unsigned kSetRecordBytes = 4 + 111;

} // namespace

void TSetState::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteString(mObject);
  mParams.Store(buffer);
}

bool TSetState::Load(TBinaryBuffer* buffer)
{
  if (buffer->ReadString(&mObject) && mParams.Load(buffer))
    return true;
  buffer->Fail("of a set");
  return false;
}

void TSetState::StoreToXML(TXmlNode* node) const
{
  node->SetAttribute("object", mObject.c_str());
  mParams.StoreToXML(node);
}

bool TSetState::LoadFromXML(TXmlNode* node)
{
  mObject = node->GetAttribute("object");
  return mParams.LoadFromXML(node);
}

TSetStates::~TSetStates()
{
  for (TSetState* set : mSets)
    delete set;
}

void TSetStates::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteU32(static_cast<uint32_t>(mSets.size()));
  for (const TSetState* set : mSets)
    set->Store(buffer);
}

bool TSetStates::Load(TBinaryBuffer* buffer)
{
  uint32_t count = 0;
  if (!buffer->ReadCount(&count, kSetRecordBytes, "of a set list"))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    TSetState* set = new TSetState;
    mSets.push_back(set);
    if (!set->Load(buffer))
      return false;
  }
  return true;
}

void TSetStates::StoreToXML(TXmlNode* node) const
{
  for (const TSetState* set : mSets)
    set->StoreToXML(node->CreateChild("set"));
}

bool TSetStates::LoadFromXML(TXmlNode* node, TSceneObject* owner)
{
  str name;
  TXmlNode* child = nullptr;
  node->ResetChildren();
  while (node->GetNextChild(&name, &child)) {
    if (name != str("set"))
      continue;
    TSetState* set = new TSetState;
    mSets.push_back(set);
    set->LoadFromXML(child);
    if (set->mObject.empty() && owner)
      set->mObject = owner->GetId();
  }
  return true;
}
