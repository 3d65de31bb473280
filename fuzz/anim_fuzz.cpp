// anim_fuzz: feeds arbitrary bytes to the animation readers (".anm" and XML) and the
// ".mesh" reader through memory files; the first byte picks the reader.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/foundation/file.h"
#include "core/graphics/animatedtexture.h"
#include "core/graphics/model.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  if (size < 1) {
    return 0;
  }
  static char const* const kNames[] = {"fuzz.anm", "fuzz.xml", "fuzz.mesh"};
  char const* name = kNames[data[0] % 3];
  std::vector<unsigned char> bytes(data + 1, data + size);
  bytes.push_back(0); // never read: keeps data() valid for an empty file
  TFile::AddMemoryFile(name, bytes.data(), static_cast<unsigned>(size - 1));

  if (data[0] % 3 == 2) {
    TModel model;
    if (model.Init(name)) {
      const TMesh* mesh = model.GetMesh();
      for (uint16_t index : mesh->mIndices) {
        // Every index must name a vertex.
        volatile float x = mesh->mVerts.at(index).mPos.x;
        (void)x;
      }
    }
  } else {
    TAnimatedTexture animation("fuzz");
    bool parsed = data[0] % 3 == 0 ? animation.ParseFromANM(name) : animation.ParseFromXML(name);
    if (parsed) {
      int count = animation.GetFrameCount();
      for (int i = -1; i <= count; ++i) {
        animation.GetFrameRect(i);
        animation.GetRegistrationPoint(i);
        animation.SetCurrentFrame(i);
        animation.GetWidth();
        animation.GetHeight();
      }
      if (count < 10000) {
        animation.SetDefaultScript();
      }
    }
  }
  TFile::AddMemoryFile(name, nullptr, 0);
  return 0;
}
