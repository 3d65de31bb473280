// particlescript_fuzz: runs arbitrary text as a particle effect script (the library's
// expression nodes compiled into streams), then steps and draws it; Lua time and memory are capped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/particles/luaparticlesystem.h"
#include "core/particles/particlerenderer.h"
#include "core/script/script.h"
#include "luacap.h"

namespace {

class TDroppingTarget : public TParticleDrawTarget
{
public:
  void SetTexture(boost::shared_ptr<TTexture>) override {}
  void SetBlendMode(TRenderer::EBlendMode) override {}
  void DrawVertices(TRenderer::EDrawType, const TVertexSet&) override {}
  void DrawIndexedVertices(TRenderer::EDrawType, const TVertexSet&, unsigned short*, unsigned int) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  std::string text(reinterpret_cast<const char*>(data), size);
  // Names with ".lua" would be looked up as files.
  if (text.find(".lua") != std::string::npos)
    return 0;
  static TDroppingTarget target;
  T2dParticleRenderer::SetDrawTarget(&target);

  TLuaParticleSystem system;
  LuaCap::Install(system.GetScript()->GetState());

  LuaCap::Refill();
  system.Init(text.c_str());
  for (int step = 0; step < 4; ++step) {
    LuaCap::Refill();
    system.Update(step * 16);
    system.CreateParticles(3);
    system.Draw(TVec3(0, 0, 0));
  }
  T2dParticleRenderer::SetDrawTarget(nullptr);
  return 0;
}
