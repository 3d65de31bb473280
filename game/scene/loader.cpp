// loader: makes a new scene from an ".sxm" file, from the XML preloader's parsed tree when
// it holds one, else from the file itself.
#include "scene/loader.h"

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
  if (!root) {
    document.ParseFile(file);
    root = &document;
  }
  TXmlNode* element = root->GetChild("scene");
  if (!element) {
    WriteDbg("ERROR: Scene file '%s' cannot be read or holds no scene", file);
    return nullptr;
  }
  TScene* scene = new TScene;
  scene->LoadFromXML(element);
  return scene;
}
