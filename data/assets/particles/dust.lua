-- dust: motes drifting slowly in a room's light, appearing and fading out over a few seconds
-- around the object that carries the effect.
SetNumParticles(160)
SetTexture('images/particles/dust.png')
RequireVelocity()
pLife = Allocate(1)
pPosition:Init(dPos + fRange(Vec2(-190, -200), Vec2(190, 200)))
pVelocity:Init(fRange(Vec2(-7, -9), Vec2(7, 5)))
pScale:Init(fRange(Value(0.25), Value(0.7)))
pColor:Init(Color(1, 0.97, 0.85, 0))
pLife:Init(Value(0))
pLife:Anim(pLife + fAge())
pPosition:Anim(pPosition + fTimeScale(pVelocity))
pColor:Anim(fFade(pLife, Color(1, 0.97, 0.85, 0), 1500, Color(1, 0.97, 0.85, 0.55), 2500, Color(1, 0.97, 0.85, 0)))
Anim(fExpire(fLess(Value(4000), pLife)))
local generator = NewParticleGenerator()
function Update(seconds)
  CreateParticles(generator(35, seconds * 1000))
end
