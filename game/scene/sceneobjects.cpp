// sceneobjects: an owned list of scene objects (a scene's top level or an object's
// children), read from "objects" elements and binary lists, objects made by class name.
#include "scene/sceneobjects.h"

#include "core/foundation/xmlnode.h"
#include "core/foundation/debug.h"
#include "scene/binarybuffer.h"
#include "scene/imageobject.h"
#include "scene/objectfactory.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"

namespace {

// A class name's length and the smallest object record (empty lists and strings, no actions).
const unsigned kObjectEntryBytes = 4 + 111;

TSceneObject* MakeObject(const char* type)
{
  CanlBaseClass* made = CanlObjectFactory::Create(type);
  TSceneObject* object = dynamic_cast<TSceneObject*>(made);
  if (made && !object)
    delete made;
  return object;
}

} // namespace

TSceneObjects::~TSceneObjects()
{
  Clear();
}

void TSceneObjects::Clear()
{
  // Taken out first, so nothing reaches a half-deleted list while the objects go.
  std::vector<TSceneObject*> objects;
  objects.swap(mObjects);
  for (TSceneObject* object : objects)
    delete object;
}

TSceneObject* TSceneObjects::getObject(const str& id) const
{
  for (TSceneObject* object : mObjects)
    if (object->GetId() == id)
      return object;
  return nullptr;
}

TSceneObject* TSceneObjects::FindObject(const str& id) const
{
  for (size_t i = 0; i < mObjects.size(); ++i) {
    TSceneObject* object = mObjects[i];
    if (object->GetId() == id)
      return object;
    if (TSceneObject* found = object->FindObject(id))
      return found;
  }
  return nullptr;
}

bool TSceneObjects::ProcessStateChange(TSetState* set) const
{
  // By index: applying the set may run scripts that change other objects' states.
  for (size_t i = 0; i < mObjects.size(); ++i)
    if (mObjects[i]->ProcessStateChange(set))
      return true;
  return false;
}

void TSceneObjects::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteU32(static_cast<uint32_t>(mObjects.size()));
  for (const TSceneObject* object : mObjects) {
    buffer->WriteString(object->getDynamicId());
    object->Store(buffer);
  }
}

bool TSceneObjects::Load(TBinaryBuffer* buffer, TScene* scene, TSceneObject* parent)
{
  uint32_t count = 0;
  if (!buffer->ReadCount(&count, kObjectEntryBytes, "of an object list"))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    str type;
    if (!buffer->ReadString(&type)) {
      buffer->Fail("of an object's class name");
      return false;
    }
    TSceneObject* object = MakeObject(type.c_str());
    if (!object) {
      str what = str::getFormatted("of an object of unknown class '%s'", type.c_str());
      buffer->Fail(what.c_str());
      return false;
    }
    object->SetScene(scene);
    object->SetParent(parent);
    mObjects.push_back(object);
    if (!object->Load(buffer)) {
      buffer->Fail("of a scene object");
      return false;
    }
  }
  return true;
}

void TSceneObjects::StoreToXML(TXmlNode* node) const
{
  for (const TSceneObject* object : mObjects) {
    TXmlNode* child = node->CreateChild("object");
    child->SetAttribute("type", object->getDynamicId());
    object->StoreToXML(child);
  }
}

bool TSceneObjects::LoadFromXML(TXmlNode* node, TScene* scene, TSceneObject* parent)
{
  str name;
  TXmlNode* child = nullptr;
  node->ResetChildren();
  while (node->GetNextChild(&name, &child)) {
    if (name != str("object"))
      continue;
    str type = child->GetAttribute("type");
    TSceneObject* object = MakeObject(type.c_str());
    if (!object) {
      if (!type.empty())
        WriteDbg("ERROR: %sObject type '%s' of '%s' is unknown; an image object stands in",
                 SceneFilePrefix(scene).c_str(), type.c_str(), child->GetAttribute("id").c_str());
      object = new TImageObject;
    }
    object->SetScene(scene);
    object->SetParent(parent);
    // In the list before it reads itself, so its own scripts and sets can reach it.
    mObjects.push_back(object);
    object->LoadFromXML(child);
  }
  return true;
}
