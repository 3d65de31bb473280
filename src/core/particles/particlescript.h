// particlescript: the particle script library "particles.lua", embedded as Lua source and
// run in every Lua state a particle system makes (luaparticlesystem).
#pragma once

#include <cstddef>

// The library's chunk name.
extern const char kParticleLibraryName[];

const char* ParticleLibrarySource();
size_t ParticleLibrarySize();
