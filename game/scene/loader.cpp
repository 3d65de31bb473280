// loader: makes a new scene from an ".sxm" file, from the XML preloader's parsed tree when
// it holds one, else from the file itself.
#include "scene/loader.h"

#include "core/foundation/file.h"
#include "core/foundation/xmlnode.h"
#include "core/foundation/debug.h"
#include "scene/scene.h"
#include "scene/xmlpreloader.h"

TScene* TLoader::SceneLoad(const char* file)
{
  if (!file)
    file = "";
  TXmlNode document;
  TXmlPreloader* preloader = TDefSingleton<TXmlPreloader>::GetInstance();
  TXmlNode* root = preloader ? preloader->getNode(file) : nullptr;
  // Half a scene (a file cut short or damaged) is refused whole: what came before the damage
  // would show part of a room or a map without a word.
  bool damaged = preloader && preloader->IsDamaged(file);
  if (!root && !damaged) {
    damaged = !document.ParseFile(file) && TFile::Exists(file);
    root = &document;
  }
  if (damaged) {
    WriteDbg("ERROR: Scene file '%s' is damaged; the scene is not loaded", file);
    return nullptr;
  }
  TXmlNode* element = root->GetChild("scene");
  if (!element) {
    WriteDbg("ERROR: Scene file '%s' cannot be read or holds no scene", file);
    return nullptr;
  }
  TScene* scene = new TScene;
  scene->SetFile(file);
  scene->LoadFromXML(element);
  return scene;
}
