// sceneobjects_fuzz: feeds arbitrary bytes to the binary loader of scene object lists, in a
// fresh scene with a small image resource, and checks that what loaded stores stably.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/foundation/xmlnode.h"
#include "core/graphics/texture.h"
#include "scene/binarybuffer.h"
#include "scene/scene.h"
#include "scene/scenerenderer.h"

namespace {

const char kResources[] = "<resources><textures><texture id=\"t\" file=\"t.png\"/></textures><images>"
                          "<image id=\"a\" texture=\"t\" w=\"8\" h=\"8\" px=\"4\" py=\"4\"/>"
                          "<image id=\"b\" texture=\"t\" x=\"2\" w=\"4\" h=\"6\"/></images>"
                          "<empties><image id=\"box\" w=\"40\" h=\"20\"/></empties></resources>";

void Prepare(TScene* scene)
{
  TXmlNode document;
  document.ParseString(kResources);
  scene->GetImageResource().LoadFromXML(document.GetChild("resources"));
}

bool LoadStore(const void* bytes, size_t size, TBinaryBuffer* out)
{
  TScene scene;
  Prepare(&scene);
  TBinaryBuffer in;
  in.PreAlloc(static_cast<unsigned>(size));
  if (size)
    std::memcpy(in.getData(nullptr), bytes, size);
  in.mSize = static_cast<uint32_t>(size);
  if (!scene.GetObjects().Load(&in, &scene, nullptr))
    return false;
  scene.GetObjects().Store(out);
  return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  static TNullSceneRenderer renderer;
  TSceneRenderer::Install(&renderer);
  TBinaryBuffer first;
  if (!LoadStore(data, size, &first))
    return 0;
  // What a load accepted, stored, must load again and store to the same bytes.
  unsigned firstSize = 0;
  const void* firstBytes = first.getData(&firstSize);
  TBinaryBuffer second;
  if (!LoadStore(firstBytes, firstSize, &second))
    std::abort();
  unsigned secondSize = 0;
  const void* secondBytes = second.getData(&secondSize);
  if (firstSize != secondSize || (firstSize && std::memcmp(firstBytes, secondBytes, firstSize)))
    std::abort();
  return 0;
}
