// scenelayer: loading, drawing, ticking, mouse routing and records of whole scenes, over
// the scene objects; screens reach the scene engine only through these calls.
#include "flow/scenelayer.h"

#include <algorithm>
#include <vector>

#include "core/foundation/xmlnode.h"
#include "platform/debug.h"
#include "scene/binarybuffer.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"

namespace {

// Names in scene records are short; a longer one is damage.
const uint32_t kMaxSceneIdLength = 255;

} // namespace

TScene* LoadSceneFile(const str& file)
{
  TXmlNode document;
  document.ParseFile(file.c_str());
  TXmlNode* element = document.GetChild("scene");
  if (!element) {
    WriteDbg("ERROR: %s holds no scene", file.c_str());
    return nullptr;
  }
  TScene* scene = new TScene;
  scene->SetId(element->GetAttribute("id"));
  if (TXmlNode* resources = element->GetChild("resources")) {
    TXmlNode resourcesDocument;
    const str resourcesFile = resources->GetAttribute("id");
    resourcesDocument.ParseFile(resourcesFile.c_str());
    TXmlNode* list = resourcesDocument.GetChild("resources");
    if (!list) {
      WriteDbg("ERROR: Scene %s: its resources %s cannot be read", file.c_str(), resourcesFile.c_str());
      return scene;
    }
    scene->GetImageResource().LoadFromXML(list);
  }
  str name;
  TXmlNode* child = nullptr;
  element->ResetChildren();
  while (element->GetNextChild(&name, &child)) {
    if (name == "objects") {
      scene->GetObjects().LoadFromXML(child, scene, nullptr);
    }
  }
  return scene;
}

void DrawScene(TScene* scene)
{
  scene->ClearDrawList();
  TSceneObjects& objects = scene->GetObjects();
  for (size_t i = 0; i < objects.size(); ++i) {
    objects.at(i)->AddToDrawList();
  }
  // Equal depths keep their tree order: a child over its parent, later siblings on top.
  std::vector<TSceneObject*> order = scene->GetDrawList();
  std::stable_sort(order.begin(), order.end(),
                   [](const TSceneObject* a, const TSceneObject* b) { return a->GetZ() < b->GetZ(); });
  scene->ClearDrawList();
  for (TSceneObject* object : order) {
    scene->AddToDrawList(object);
    object->Draw();
  }
}

void TickScene(TScene* scene, unsigned ms)
{
  TSceneObjects& objects = scene->GetObjects();
  for (size_t i = 0; i < objects.size(); ++i) {
    objects.at(i)->OnTick(ms, true);
  }
}

TSceneObject* HitTestScene(TScene* scene, const TPoint& point)
{
  const std::vector<TSceneObject*>& drawn = scene->GetDrawList();
  for (auto it = drawn.rbegin(); it != drawn.rend(); ++it) {
    if (TSceneObject* hit = (*it)->HitTest(point, true)) {
      return hit;
    }
  }
  return nullptr;
}

bool SceneMouseDown(TScene* scene, TSceneMouse* mouse, const TPoint& point)
{
  TSceneObject* hit = HitTestScene(scene, point);
  if (!hit) {
    return false;
  }
  mouse->mPressed = hit;
  hit->OnMouseDown(point);
  return true;
}

bool SceneMouseUp(TScene* scene, TSceneMouse* mouse, const TPoint& point)
{
  TSceneObject* pressed = mouse->mPressed;
  if (!pressed) {
    return false;
  }
  mouse->mPressed = nullptr;
  pressed->OnMouseUp(point);
  return true;
}

bool SceneMouseMove(TScene* scene, TSceneMouse* mouse, const TPoint& point)
{
  TSceneObject* hit = HitTestScene(scene, point);
  if (hit != mouse->mHovered) {
    TSceneObject* left = mouse->mHovered;
    mouse->mHovered = hit;
    if (left) {
      left->OnMouseOut();
    }
    if (hit) {
      hit->OnMouseIn();
    }
  }
  if (!hit) {
    return false;
  }
  hit->OnMouseMove(point);
  return true;
}

void StoreScene(TScene* scene, TBinaryBuffer* buffer)
{
  buffer->WriteString(scene->GetId());
  scene->GetImageResource().Store(buffer);
  scene->GetObjects().Store(buffer);
}

bool LoadScene(TScene* scene, TBinaryBuffer* buffer)
{
  str id;
  if (!buffer->ReadString(&id) || id.length() > kMaxSceneIdLength) {
    buffer->Fail("scene id");
    return false;
  }
  scene->SetId(id);
  return scene->GetImageResource().Load(buffer) && scene->GetObjects().Load(buffer, scene, nullptr) &&
         !buffer->Failed();
}
