// gamestate: the analytics store; reads and sets the sound manager's master volume for
// "mute" and exposes its calls to the window script's Lua state.
#include "core/app/gamestate.h"

#include "core/foundation/services.h"
#include "core/script/luabind.h"
#include "core/script/script.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"

TGameState* TGameStateData::mGameState = nullptr;
std::list<TGameStateHandler*> TGameStateData::mHandlers;

TGameState* TGameState::GetInstance()
{
  if (TServices::Get().host && !TGameStateData::mGameState)
    new TGameState();
  return TGameStateData::mGameState;
}

TGameState::TGameState() : mData(new TGameStateData)
{
  TGameStateData::mGameState = this;
  TWindowManager* manager = TWindowManager::GetInstance();
  if (TScript* script = manager ? dynamic_cast<TScript*>(manager->GetScript()) : nullptr)
    BindLua(script->GetState());
}

TGameState::~TGameState()
{
  for (TGameStateHandler* handler : TGameStateData::mHandlers)
    delete handler;
  TGameStateData::mHandlers.clear();
  delete mData;
  if (TGameStateData::mGameState == this)
    TGameStateData::mGameState = nullptr;
}

void TGameState::BindLua(lua_State* L)
{
  LuaBind(L, "GetState", this, &TGameState::GetState);
  void (*setState)(const str&, const str&) = &::SetState;
  LuaBind(L, "_SetState", setState);
  LuaBind(L, "QueryMuteGame", this, &TGameState::QueryMuteGame);
  LuaBind(L, "QueryRestartMode", this, &TGameState::QueryRestartMode);
  LuaBind(L, "QueryJumpToMenu", this, &TGameState::QueryJumpToMenu);
}

str TGameState::GetState(const str& name)
{
  str value = mData->mStates[name];
  for (TGameStateHandler* handler : TGameStateData::mHandlers) {
    char const* replaced = handler->OnGetState(name.c_str(), value.c_str());
    value = replaced ? str(replaced) : str();
  }
  return value;
}

void TGameState::SetState(const str& name, const str& value)
{
  str key = name;
  str newValue = value;
  if (key.length() >= 2 && key[0] == '+' && key[1] == '+') {
    key = key.substr(2);
    newValue = str::getFormatted("%lld", (long long)mData->mStates[key].to_int() + 1);
  }
  bool wasMuted = mData->mStates[kMute].to_int() != 0;
  mData->mStates[key] = newValue;

  for (TGameStateHandler* handler : TGameStateData::mHandlers)
    if (handler->OnSetState(key.c_str(), newValue.c_str()))
      return;

  if (key != str(kMute))
    return;
  ISoundPlayback* sound = TServices::Get().sound;
  float volume = 0;
  const bool hasSound = sound && sound->GetMasterVolume(&volume);
  bool muted = newValue.to_int() != 0;
  if (muted && !wasMuted) {
    mData->mSavedVolume = volume;
    if (hasSound)
      sound->SetMasterVolume(0);
  } else if (!muted && wasMuted) {
    if (hasSound)
      sound->SetMasterVolume(mData->mSavedVolume);
    mData->mSavedVolume = 0;
  }
}

void TGameState::SetState(const str& name, int value)
{
  SetState(name, str::getFormatted("%d", value));
}

bool TGameState::QueryMuteGame()
{
  for (TGameStateHandler* handler : TGameStateData::mHandlers)
    if (handler->QueryMuteGame())
      return true;
  return mData->mStates[kMute].to_int() != 0;
}

bool TGameState::QueryRestartMode()
{
  for (TGameStateHandler* handler : TGameStateData::mHandlers)
    if (handler->QueryRestartMode())
      return true;
  return false;
}

bool TGameState::QueryJumpToMenu()
{
  for (TGameStateHandler* handler : TGameStateData::mHandlers)
    if (handler->QueryJumpToMenu())
      return true;
  return false;
}

void SetState(const str& name, const str& value)
{
  if (!TServices::Get().host)
    return;
  if (TGameState* store = TGameState::GetInstance())
    store->SetState(name, value);
}
