-- sparkle: a short burst of particles rising from where the effect is emitted (the
-- object's position, "dPos"); the effect ends itself after a second.
SetNumParticles(32)
SetBlendMode(kBlendAdditiveAlpha)
pRise = Allocate(2)
pLife = Allocate(1)
pPosition:Init(dPos)
pRise:Init(Vec2(0, -60))
pLife:Init(Value(0))
pPosition:Anim(pPosition + fTimeScale(pRise))
pLife:Anim(pLife + fTimeScale(Value(1)))
Anim(fExpire(fGreater(pLife, 0.5)))

local generator = NewParticleGenerator()
local age = 0

function OnStart(how)
  age = 0
end

function Update(seconds)
  age = age + seconds
  if age > 1 then
    OnEnd()
    return
  end
  local n = generator(40, seconds * 1000)
  if n > 0 then CreateParticles(n) end
end
