// particlescript_fuzz: runs arbitrary text as a particle effect script (the library's
// expression nodes compiled into streams), then steps and draws it; Lua time and memory are capped.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include <lua.hpp>

#include "core/particles/luaparticlesystem.h"
#include "core/particles/particlerenderer.h"
#include "core/script/script.h"

namespace {

const long kInstructionBudget = 200000;
const long long kMemoryBudget = 64ll << 20;

long gInstructions = 0;
// Counts from 0 when the cap is installed: blocks made before it may take it below 0.
long long gMemory = 0;

void CountHook(lua_State* L, lua_Debug*)
{
  gInstructions += 1000;
  if (gInstructions > kInstructionBudget) luaL_error(L, "instruction budget spent");
}

void* CappedAlloc(void*, void* block, size_t oldSize, size_t newSize)
{
  if (!block) oldSize = 0;
  if (newSize == 0) {
    gMemory -= (long long)oldSize;
    std::free(block);
    return nullptr;
  }
  if (newSize > oldSize && gMemory + (long long)(newSize - oldSize) > kMemoryBudget) return nullptr;
  void* grown = std::realloc(block, newSize);
  if (grown) gMemory += (long long)newSize - (long long)oldSize;
  return grown;
}

class TDroppingTarget : public TParticleDrawTarget
{
public:
  void SetTexture(boost::shared_ptr<TTexture>) override {}
  void SetBlendMode(TRenderer::EBlendMode) override {}
  void DrawVertices(TRenderer::EDrawType, const TVertexSet&) override {}
  void DrawIndexedVertices(TRenderer::EDrawType, const TVertexSet&, unsigned short*, unsigned int) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  std::string text(reinterpret_cast<const char*>(data), size);
  // Names with ".lua" would be looked up as files.
  if (text.find(".lua") != std::string::npos) return 0;
  static TDroppingTarget target;
  T2dParticleRenderer::SetDrawTarget(&target);

  TLuaParticleSystem system;
  lua_State* L = system.GetScript()->GetState();
  lua_sethook(L, CountHook, LUA_MASKCOUNT, 1000);
  // The state's blocks so far came from the standard allocator, which frees the same way.
  gMemory = 0;
  lua_setallocf(L, CappedAlloc, nullptr);

  gInstructions = 0;
  system.Init(text.c_str());
  for (int step = 0; step < 4; ++step) {
    gInstructions = 0;
    system.Update(step * 16);
    system.CreateParticles(3);
    system.Draw(TVec3(0, 0, 0));
  }
  T2dParticleRenderer::SetDrawTarget(nullptr);
  return 0;
}
