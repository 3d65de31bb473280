// particlesound: sounds that particle scripts play through a function: registered by index,
// played once, or kept looping for as long as the script keeps asking within a duration.
#include "scene/particlesound.h"

#include "core/foundation/services.h"
#include "core/foundation/timesource.h"
#include "core/script/luabind.h"
#include "core/script/script.h"
#include "core/foundation/debug.h"
#include "core/sound/soundplayer.h"
#include "scene/matrixutil.h"
#include "scene/particlessystem.h"

namespace {

// Particle sounds play in the game's effects group.
const int kSoundGroup = 1000;

} // namespace

intptr_t GParticleSound::ClassId()
{
  static const char kId = 0;
  return reinterpret_cast<intptr_t>(&kId);
}

GParticlesDataSource* GParticleSound::Create()
{
  return new GParticleSound;
}

bool GParticleSound::Init(const str&, GParticlesSystem* system)
{
  lua_State* L = system->GetEngine().GetScript()->GetState();
  LuaBind(L, "RegisterSound", this, &GParticleSound::RegisterSound);
  return true;
}

uint8_t GParticleSound::GetReturnSize(int, uint8_t*)
{
  return 1;
}

bool GParticleSound::Process(TParticleState&, TParticleMachineState& machine)
{
  PlaySoundA(TruncateToInt(Argument(machine, 0)), TruncateToInt(Argument(machine, 1)));
  const float none = 0;
  return machine.Push(&none, 1);
}

void GParticleSound::RegisterSound(int index, str name)
{
  if (index < 0 || index >= kMaxSlots) {
    WriteDbg("ERROR: Particle sound slot %d is outside 0 to %d; sound '%s' not registered", index, kMaxSlots - 1,
             name.c_str());
    return;
  }
  if (mSounds.size() <= size_t(index)) {
    mSounds.resize(size_t(index) + 1);
    mPlayers.resize(size_t(index) + 1);
  }
  mSounds[size_t(index)] = TSoundPlayer::Get(name, true, kSoundGroup);
}

void GParticleSound::PlaySoundA(int index, int ms)
{
  if (index < 0 || size_t(index) >= mSounds.size() || !mSounds[size_t(index)])
    return;
  boost::shared_ptr<TSoundIns>& player = mPlayers[size_t(index)];
  if (player && !player->mFinished) {
    player->mEndTime = TTimeSource::Timer() + uint32_t(ms);
    return;
  }
  boost::shared_ptr<TSoundInstance> instance = TSoundPlayer::Play(mSounds[size_t(index)], ms != 0);
  if (ms == 0)
    return;
  if (!player)
    player.reset(new TSoundIns);
  player->Play(instance, ms);
}

GParticleSound::TSoundIns::~TSoundIns()
{
  if (mTimer)
    mTimer->Unassign();
  TSoundPlayer::KillInstance(mInstance);
}

void GParticleSound::TSoundIns::Stop()
{
  TSoundPlayer::KillInstance(mInstance);
  mInstance.reset();
}

void GParticleSound::TSoundIns::Play(boost::shared_ptr<TSoundInstance> instance, int ms)
{
  mEndTime = TTimeSource::Timer() + uint32_t(ms);
  mInstance = instance;
  if (ms < 0) {
    Stop();
    return;
  }
  IAppHost* host = TServices::Get().host;
  // Without the idle list nothing would ever stop the loop.
  if (!host) {
    Stop();
    return;
  }
  mFinished = false;
  if (!mTimer) {
    TCustomOnTimerCaller* timer = CreateTimer(this, 0, &TSoundIns::OnTimeLeft);
    host->GetTaskList()->AdoptTask(timer);
  }
  mTimer->SetDelay(unsigned(ms), true, true, false);
}

bool GParticleSound::TSoundIns::OnTimeLeft(TCustomOnTimerCaller* timer)
{
  const int32_t left = int32_t(mEndTime - TTimeSource::Timer());
  if (left < 1) {
    Stop();
    mFinished = true;
    return false;
  }
  timer->SetDelay(unsigned(left), true, true, false);
  return true;
}
