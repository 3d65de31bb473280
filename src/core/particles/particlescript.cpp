// particlescript: the text of "particles.lua": expression nodes over particle members,
// the statements handed to the compiler of luaparticlesystem, generators and timeouts.
#include "core/particles/particlescript.h"

#include <cstring>

const char kParticleLibraryName[] = "particles.lua";

namespace {

// Written for Lua 5.4: varargs are packed explicitly (there is no implicit "arg"), and
// unary minus passes its one operand only.
const char kSource[] = R"LUA(
kBlendNormal = 0
kBlendOpaque = 1
kBlendAdditiveAlpha = 2
kBlendSubtractive = 3
kBlendMultiplicative = 4
kBlendMode = "blendmode"

local function Pack(...)
  return { n = select('#', ...), ... }
end

local function Operator(name)
  return function(...) return CreateValue(name, Pack(...)) end
end

local function Negate(value)
  return CreateValue("unm", { n = 1, value })
end

-- Values and particle members combine into the same expression nodes.
local function AddOperators(mt)
  mt.__lt = Operator("lt")
  mt.__le = Operator("le")
  mt.__add = Operator("add")
  mt.__sub = Operator("sub")
  mt.__div = Operator("div")
  mt.__mul = Operator("mul")
  mt.__unm = Negate
end

ValueMT = {}
AddOperators(ValueMT)
ValueMT.__index = function(value, key)
  if type(key) == "number" then
    return CreateValue("vindex", { n = 2, value, key })
  end
  return rawget(ValueMT, key)
end

function CreateValue(name, args)
  t = setmetatable({ cmd = name, params = args }, ValueMT)
  return t
end

local Member = ParticleMemberMT
AddOperators(Member)
Member.__index = function(member, key)
  if type(key) == "number" then
    local slot, width = GetParticleMemberParts(member)
    return CreateValue("index", { n = 2, slot, key })
  end
  return rawget(Member, key)
end

function Member.Init(member, value)
  base, size = GetParticleMemberParts(member)
  CompileParameters({ CreateValue("assign", { n = 3, value, base, size }) })
  AccumulateInitStream()
end

function Member.Anim(member, value)
  base, size = GetParticleMemberParts(member)
  CompileParameters({ CreateValue("assign", { n = 3, value, base, size }) })
  AccumulateAnimStream()
end

function fGreater(a, b) return fLess(b, a) end
function fGreaterEqual(a, b) return fLessEqual(b, a) end

function Init(statement)
  CompileParameters({ statement })
  AccumulateInitStream()
end

function Anim(statement)
  CompileParameters({ statement })
  AccumulateAnimStream()
end

function CompileParameters(list)
  local widths = {}
  for i = 1, table.getn(list) do
    widths[i] = CompileParam(list[i])
  end
  return widths
end

function Spawn(num)
  CreateParticles(num)
  Create()
end

function Value(x) return setmetatable({ x }, ValueMT) end
function Vec2(x, y) return setmetatable({ x, y }, ValueMT) end
function Vec3(x, y, z) return setmetatable({ x, y, z }, ValueMT) end
function Color(r, g, b, a) return setmetatable({ r, g, b, a }, ValueMT) end

function SetBlendMode(mode)
  SetRendererOption1(kBlendMode, mode)
end

-- Particles to spawn for a step of ms milliseconds at pps particles per second; the
-- time not yet spent on a whole particle is carried to the next step.
function NewParticleGenerator()
  local accumulator = 0
  local generator = function(pps, ms)
    if not (pps > 0) then return 0 end
    accumulator = accumulator + ms
    local n = math.floor(accumulator / 1000 * pps)
    accumulator = accumulator - math.floor(n * 1000 / pps)
    return n
  end
  ParticlesPerSecond = generator
  return generator
end

function NewTimeout(seconds)
  local remaining = seconds
  return function(elapsed)
    if remaining < 0 then return true end
    remaining = remaining - elapsed
    return false
  end
end

function SetTexture(texture)
  _SetTexture(texture)
end

function RequireVelocity()
  if not pVelocity then
    pVelocity = Allocate(2)
  end
end

function SetUpGravity(accel)
  RequireVelocity()
  pVelocity:Anim(pVelocity + fTimeScale(Vec2(0, accel)))
end

function Update()
end

function GUI_Slider(default) return default end
function GUI_Texture(default) return default end
function GUI_Select(default) return default end
function GUI_PickTexture(default) return default end
function GUI_ColorPick(r, g, b, a) return r, g, b, a end
)LUA";

} // namespace

const char* ParticleLibrarySource()
{
  return kSource;
}

size_t ParticleLibrarySize()
{
  return sizeof kSource - 1;
}
