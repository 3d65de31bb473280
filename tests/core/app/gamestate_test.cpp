// gamestate_test: the analytics store: counters, the mute state against a real sound
// manager without a device, handlers, and its calls from Lua.
#include "core/app/gamestate.h"

#include "platform/platform.h"
#include "core/script/script.h"
#include "core/window/windowmanager.h"
#include "core/window/windowscript.h"
#include "platform/sound/soundmanager.h"

#include <gtest/gtest.h>

namespace {

class GameStateTest : public ::testing::Test
{
protected:
  void TearDown() override { delete TGameState::GetInstance(); }
  TPlatform platform;
};

TEST_F(GameStateTest, Instance_NeedsAPlatform)
{
  TGameState* store = TGameState::GetInstance();
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(TGameState::GetInstance(), store);
  delete store;
  EXPECT_NE(TGameState::GetInstance(), nullptr);
}

TEST(GameStateNoPlatformTest, FreeSetStateIsIgnoredWithoutAPlatform)
{
  ASSERT_EQ(TPlatform::GetInstance(), nullptr);
  SetState("level", "3");
  EXPECT_EQ(TGameState::GetInstance(), nullptr);
}

TEST_F(GameStateTest, SetState_PlusPlusCountsFromZero)
{
  TGameState* store = TGameState::GetInstance();
  for (int i = 0; i < 3; ++i)
    SetState("++Screens", "ignored");
  EXPECT_EQ(store->GetState("Screens"), "3");
  store->SetState("word", "abc");
  store->SetState("++word", "");
  EXPECT_EQ(store->GetState("word"), "1");
  store->SetState("big", 2147483647);
  store->SetState("++big", "");
  EXPECT_EQ(store->GetState("big"), "2147483648");
  EXPECT_EQ(store->GetState("never"), "");
  EXPECT_FALSE(store->QueryRestartMode());
  EXPECT_FALSE(store->QueryJumpToMenu());
}

TEST_F(GameStateTest, Mute_SilencesAndRestoresTheMasterVolume)
{
  TSoundManager sound;
  sound.SetVolume(0.75f);
  TGameState* store = TGameState::GetInstance();

  store->SetState("mute", "0");
  EXPECT_FLOAT_EQ(sound.GetVolume(-1), 0.75f);
  store->SetState("mute", "1");
  EXPECT_FLOAT_EQ(sound.GetVolume(-1), 0);
  EXPECT_TRUE(store->QueryMuteGame());
  sound.SetVolume(0.2f);
  store->SetState("mute", "1"); // already muted: nothing is saved again
  EXPECT_FLOAT_EQ(sound.GetVolume(-1), 0.2f);
  store->SetState("mute", "0");
  EXPECT_FLOAT_EQ(sound.GetVolume(-1), 0.75f);
  EXPECT_FALSE(store->QueryMuteGame());
  store->SetState("mute", "2");
  EXPECT_TRUE(store->QueryMuteGame());
}

class THandler : public TGameStateHandler
{
public:
  bool OnSetState(char const* name, char const* value) override { return str(name) == str("swallowed"); }
  char const* OnGetState(char const* name, char const* value) override
  {
    return str(name) == str("fixed") ? "handler" : value;
  }
  bool QueryRestartMode() override { return true; }
  bool QueryJumpToMenu() override { return false; }
  bool QueryMuteGame() override { return true; }
};

TEST_F(GameStateTest, Handlers_AreConsultedAndOwned)
{
  TGameState* store = TGameState::GetInstance();
  TGameStateData::mHandlers.push_back(new THandler);
  store->SetState("fixed", "stored");
  EXPECT_EQ(store->GetState("fixed"), "handler");
  EXPECT_EQ(store->GetState("other"), "");
  EXPECT_TRUE(store->QueryRestartMode());
  EXPECT_FALSE(store->QueryJumpToMenu());
  EXPECT_TRUE(store->QueryMuteGame());
  delete store;
  EXPECT_TRUE(TGameStateData::mHandlers.empty());
}

TEST_F(GameStateTest, Lua_ReadsAndSetsStates)
{
  TScript script;
  TGameState* store = TGameState::GetInstance();
  store->BindLua(script.GetState());
  script.DoLuaString("_SetState( 'score', 10 / 2 ); _SetState( '++plays', '' ); "
                     "s = GetState( 'score' ); m = QueryMuteGame(); r = QueryRestartMode()");
  EXPECT_EQ(store->GetState("score"), "5");
  EXPECT_EQ(store->GetState("plays"), "1");
  lua_getglobal(script.GetState(), "s");
  EXPECT_EQ(script.PopString(), "5");
  lua_getglobal(script.GetState(), "m");
  EXPECT_TRUE(lua_isboolean(script.GetState(), -1));
  EXPECT_FALSE(lua_toboolean(script.GetState(), -1));
  lua_pop(script.GetState(), 1);
}

} // namespace

namespace {

TEST_F(GameStateTest, Lua_TheStoreRegistersInTheWindowScript)
{
  TWindowManager manager;
  TWindowScript script;
  manager.AttachWindowScript(&script);
  platform.OrphanTask(&script);
  TGameState* store = TGameState::GetInstance();
  script.DoLuaString("SetState( kScore, 12 ); SetState( kMute, false ); m = tostring( QueryMuteGame() )");
  EXPECT_EQ(store->GetState("score"), "12");
  EXPECT_EQ(store->GetState("mute"), "0");
  lua_getglobal(script.GetState(), "m");
  EXPECT_EQ(script.PopString(), "false");
  delete store;
  manager.AttachWindowScript(nullptr);
}

} // namespace
