// scenefile_fuzz: loads arbitrary text as a scene file, the text after a "--resources--" line
// as the resources file it may name ("fuzz_res.xml"), then draws, clicks, ticks and stores
// the scene; the scene's Lua time and memory are capped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/foundation/file.h"
#include "core/foundation/xmlnode.h"
#include "scene/binarybuffer.h"
#include "scene/scene.h"
#include "scene/scenerenderer.h"
#include "luacap.h"

namespace {

const char kSeparator[] = "\n--resources--\n";

void Cap(TScene& scene)
{
  LuaCap::Install(scene.GetScript().GetState());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  static TNullSceneRenderer renderer;
  TSceneRenderer::Install(&renderer);
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find(kSeparator);
  std::string scene = input.substr(0, split);
  std::string resources = split == std::string::npos ? std::string() : input.substr(split + sizeof kSeparator - 1);
  TFile::AddMemoryFile("fuzz_res.xml", resources.empty() ? nullptr : &resources[0], unsigned(resources.size()));

  TXmlNode document;
  document.ParseString(scene.c_str());
  TXmlNode* element = document.GetChild("scene");
  if (element) {
    TScene loaded;
    Cap(loaded);
    LuaCap::Refill();
    loaded.LoadFromXML(element);
    const TPoint points[] = {TPoint(0, 0), TPoint(5, 5), TPoint(100, 100), TPoint(400, 300)};
    for (int frame = 0; frame < 4; ++frame) {
      LuaCap::Refill();
      loaded.Draw();
      loaded.OnMouseMove(points[frame]);
      loaded.OnMouseDown(points[frame]);
      loaded.OnMouseUp(points[frame]);
      loaded.OnTick(frame * 250);
    }
    TBinaryBuffer stored;
    loaded.Store(&stored);
    TBinaryBuffer reader;
    unsigned bytes = 0;
    void* written = stored.getData(&bytes);
    reader.PreAlloc(bytes);
    if (bytes)
      std::memcpy(reader.getData(nullptr), written, bytes);
    reader.mSize = bytes;
    TScene copy;
    Cap(copy);
    LuaCap::Refill();
    copy.Load(&reader);
    copy.Draw();
    copy.OnTick(20);
  }
  TFile::AddMemoryFile("fuzz_res.xml", nullptr, 0);
  return 0;
}
