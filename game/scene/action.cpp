// action: a mouse action of a scene object: the sets it gives to objects of the scene and
// the Lua script it runs, read from the object's "on_mouse_..." elements.
#include "scene/action.h"

#include "core/foundation/xmlnode.h"
#include "scene/binarybuffer.h"

void CanlAction::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteString(mScript);
  mSets.Store(buffer);
}

bool CanlAction::Load(TBinaryBuffer* buffer)
{
  if (buffer->ReadString(&mScript) && mSets.Load(buffer))
    return true;
  buffer->Fail("of a mouse action");
  return false;
}

void CanlAction::StoreToXML(TXmlNode* node) const
{
  if (!mSets.empty())
    mSets.StoreToXML(node->CreateChild("sets"));
  if (!mScript.empty())
    node->CreateChild("script")->SetContent(mScript.c_str());
}

bool CanlAction::LoadFromXML(TXmlNode* node, TSceneObject* owner)
{
  if (TXmlNode* script = node->GetChild("script"))
    mScript = script->GetContent();
  if (TXmlNode* sets = node->GetChild("sets"))
    mSets.LoadFromXML(sets, owner);
  return true;
}
