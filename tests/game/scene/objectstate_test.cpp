// Tests of object states, sets and mouse actions: the road of a state change, reentrant
// scripts, relative sets, "$this.id" as a literal, and the XML and binary forms of states.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scene/action.h"
#include "scene/objectstate.h"
#include "scene/setstate.h"
#include "support/scenetestutil.h"

namespace {

class TListener : public TSceneObjectStateListener
{
public:
  void OnStateChange(TSceneObject* object, int oldState, int newState) override
  {
    mChanges.emplace_back(oldState, newState);
  }
  std::vector<std::pair<int, int>> mChanges;
};

class ObjectStateTest : public SceneTest
{
protected:
  void SetUp() override
  {
    SceneTest::SetUp();
    // Scripts append to one log so their order can be checked.
    mScene->GetScript().Run("log = ''\nfunction note(text) log = log .. text .. ';' end\n");
  }
};

} // namespace

TEST_F(ObjectStateTest, EnteringAStateAppliesItsPropertiesAndItsSets)
{
  LoadObjects("<objects>"
              "<object id='lamp' st='off'><states><st id='off' a='0.25'/>"
              "<st id='on' a='1' z='5'><sets><set object='room' st='lit'/>"
              "<set v='0'/></sets></st></states></object>"
              "<object id='room' st='dark'><states><st id='dark'/><st id='lit' t='9'/>"
              "</states></object></objects>");
  TSceneObject* lamp = Find("lamp");
  EXPECT_EQ(0.25f, lamp->GetAlpha());
  lamp->setState("on");
  EXPECT_EQ(1.0f, lamp->GetAlpha());
  EXPECT_EQ(5.0f, lamp->GetZ());
  EXPECT_EQ(str("lit"), Find("room")->GetCurrentStateName());
  EXPECT_EQ(9, Find("room")->GetTag());
  // A set without "object" acts on the object that owns it.
  EXPECT_FALSE(lamp->IsVisible());
  lamp->setState("nothing");
  EXPECT_EQ(str("on"), lamp->GetCurrentStateName());
}

TEST_F(ObjectStateTest, ReenteringTheCurrentStateSkipsItsSets)
{
  LoadObjects("<objects><object id='a' st='one'><states>"
              "<st id='one' a='0.5'><sets><set object='b' t='1'/></sets>"
              "<script>note('one')</script></st></states></object>"
              "<object id='b'/></objects>");
  TListener listener;
  TSceneObject* a = Find("a");
  a->SetStateListener(&listener);
  Find("b")->setTag(0);
  a->setAlpha(1);
  a->setState("one");
  EXPECT_EQ(0.5f, a->GetAlpha());
  EXPECT_EQ(0, Find("b")->GetTag());
  ASSERT_EQ(1u, listener.mChanges.size());
  EXPECT_EQ(std::make_pair(0, 0), listener.mChanges[0]);
  EXPECT_EQ("one;one;", LuaText("log"));
}

TEST_F(ObjectStateTest, ScriptRunsBeforeTheSetsAndMayMoveTheObjectOn)
{
  LoadObjects("<objects><object id='a'><states>"
              "<st id='first'><sets><set object='b' st='mark'/></sets>"
              "<script>note('first') setObjectStateForTest()</script></st>"
              "<st id='second'><sets><set object='b' t='2'/></sets>"
              "<script>note('second')</script></st></states></object>"
              "<object id='b'><states><st id='mark'><script>note('mark')</script></st>"
              "</states></object></objects>");
  TSceneObject* a = Find("a");
  lua_State* L = mScene->GetScript().GetState();
  lua_pushlightuserdata(L, a);
  lua_pushcclosure(
      L,
      [](lua_State* state) {
        static_cast<TSceneObject*>(lua_touserdata(state, lua_upvalueindex(1)))->setState(str("second"));
        return 0;
      },
      1);
  lua_setglobal(L, "setObjectStateForTest");
  a->setState("first");
  // The second state's whole road runs inside the first's script, then the first's sets.
  EXPECT_EQ("first;second;mark;", LuaText("log"));
  EXPECT_EQ(2, Find("b")->GetTag());
  EXPECT_EQ(str("second"), a->GetCurrentStateName());
}

TEST_F(ObjectStateTest, RelativeSetAddsTheActorsPositionAndIsLeftUnchanged)
{
  LoadObjects("<objects><object id='actor' p='100,50'><states>"
              "<st id='go'><sets><set object='target' rp='1' p='10,0'/></sets></st>"
              "</states></object><object id='target'/></objects>");
  Find("actor")->setState("go");
  EXPECT_EQ(TVec2(110, 50), Find("target")->GetPosition());
  TSetState* set = Find("actor")->getState("go")->mSets.at(0);
  EXPECT_EQ(TVec2(10, 0), set->mParams.mPosition);
}

TEST_F(ObjectStateTest, SetReachesOnlyTheFirstObjectOfAnId)
{
  LoadObjects("<objects><object id='p'><objects><object id='twin'/></objects></object>"
              "<object id='twin'/><object id='actor'><states><st id='go'>"
              "<sets><set object='twin' t='4'/></sets></st></states></object></objects>");
  Find("actor")->setState("go");
  EXPECT_EQ(4, Find("p")->GetChildren().at(0)->GetTag());
  EXPECT_EQ(0, mScene->GetObjects().at(1)->GetTag());
}

TEST_F(ObjectStateTest, NextStateNamesResolveForwardOrToNone)
{
  LoadObjects("<objects><object id='a'><states><st id='one' sn='three'/><st id='two' sn='x'/>"
              "<st id='three'/></states></object></objects>");
  TSceneObjectStates& states = Find("a")->GetStates();
  EXPECT_EQ(2, states.at(0)->mNextState);
  EXPECT_EQ(-1, states.at(1)->mNextState);
  EXPECT_EQ(-1, states.at(2)->mNextState);
}

TEST_F(ObjectStateTest, ThisIdAndStateBecomeQuotedLiterals)
{
  LoadObjects("<objects><object id='lamp' st='on'><states><st id='on'>"
              "<script>seen = $this.id .. '/' .. $this.state .. '/' .. $this.id</script>"
              "</st></states></object></objects>");
  EXPECT_EQ("lamp/on/lamp", LuaText("seen"));
}

TEST_F(ObjectStateTest, NamesCannotInjectLua)
{
  LoadObjects("<objects><object id='a'><states><st id='on'>"
              "<script>seen = $this.id</script></st></states></object></objects>");
  TSceneObject* a = Find("a");
  a->SetId("x\") os = nil injected = (\"1\\");
  a->setState("on");
  EXPECT_EQ("x\") os = nil injected = (\"1\\", LuaText("seen"));
  EXPECT_EQ("", LuaText("injected"));
  EXPECT_EQ(str("\"a\\\"b\\\\c\\010\""), TSceneScript::Quote("a\"b\\c\n"));
  EXPECT_EQ(str("\"$this.state\" \"s\""), TSceneScript::ExpandThis("$this.id $this.state", "$this.state", "s"));
}

TEST_F(ObjectStateTest, SceneScriptsCannotReachFiles)
{
  mScene->GetScript().Run("reach = (dofile == nil) and (loadfile == nil) and (load == nil) "
                          "and (require == nil) and (io == nil) and (os == nil)");
  lua_State* L = mScene->GetScript().GetState();
  lua_getglobal(L, "reach");
  EXPECT_TRUE(lua_toboolean(L, -1));
  lua_pop(L, 1);
}

TEST_F(ObjectStateTest, MouseActionsRunTheirSetsThenTheirScriptWithThisId)
{
  LoadObjects("<objects><object id='key' f='solid' st='idle'><states><st id='idle'/>"
              "<st id='taken'><script>note('taken')</script></st></states>"
              "<on_mouse_down><sets><set st='taken'/></sets>"
              "<script>note($this.id .. ':' .. $this.state)</script></on_mouse_down>"
              "<on_mouse_up><script>note('up')</script></on_mouse_up>"
              "<on_mouse_in><script>note('in')</script></on_mouse_in>"
              "<on_mouse_out><script>note('out')</script></on_mouse_out>"
              "<on_mouse_move><script>note('move')</script></on_mouse_move>"
              "</object></objects>");
  TSceneObject* key = Find("key");
  EXPECT_TRUE(key->OnMouseDown(TPoint(1, 1)));
  key->OnMouseIn();
  key->OnMouseMove(TPoint(1, 1));
  key->OnMouseOut();
  EXPECT_TRUE(key->OnMouseUp(TPoint(1, 1)));
  EXPECT_EQ("taken;key:taken;in;move;out;up;", LuaText("log"));
  LoadObjects("<objects><object id='bare'/></objects>");
  EXPECT_TRUE(Find("bare")->OnMouseDown(TPoint(0, 0)));
}

TEST_F(ObjectStateTest, ActionOfAnObjectWithoutAStateSeesAnEmptyName)
{
  LoadObjects("<objects><object id='a'><on_mouse_down><script>seen = '[' .. $this.state .. ']'"
              "</script></on_mouse_down></object></objects>");
  Find("a")->OnMouseDown(TPoint(0, 0));
  EXPECT_EQ("[]", LuaText("seen"));
}

TEST_F(ObjectStateTest, StatesNamingEachOtherInARingStopWithAnErrorLine)
{
  LoadObjects("<objects><object id='a'><states><st id='ping' st='pong'/><st id='pong' st='ping'/>"
              "</states></object></objects>");
  testing::internal::CaptureStderr();
  Find("a")->setState("ping");
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("ERROR: State changes nest deeper than")) << log;
  EXPECT_NE(-1, Find("a")->GetCurrentStateIndex());
}

TEST_F(ObjectStateTest, StateXmlWritesItsKeysAndChildren)
{
  LoadObjects("<objects><object id='a'><states>"
              "<st id='one' sn='two' delay='30' a='0.5' f='half'><sets><set object='b' t='1'/>"
              "</sets><script>note('x')</script></st><st id='two'/></states></object></objects>");
  TSceneObjectState* one = Find("a")->getState("one");
  EXPECT_EQ(0, one->mFrame);
  EXPECT_EQ(30u, one->mDelay);
  TXmlNode node("st");
  one->StoreToXML(&node);
  EXPECT_EQ(std::string("<st\n    id=\"one\"\n    sn=\"two\"\n    delay=\"30\"\n"
                        "    a=\"0.500000\"\n    f=\"half\">\n    <sets>\n        <set\n"
                        "            object=\"b\"\n            t=\"1\">\n        </set>\n"
                        "    </sets>\n    <script>\n    note(&apos;x&apos;)\n    </script>\n"
                        "</st>\n"),
            std::string(node.AsString().c_str()));
  TSceneObjectState other(Find("a"));
  TXmlNode wrong("state");
  EXPECT_FALSE(other.LoadFromXML(&wrong));
}

TEST_F(ObjectStateTest, StateBinaryRoundTrip)
{
  LoadObjects("<objects><object id='a'><states>"
              "<st id='one' sn='two' delay='30' a='0.5' f='half'><sets><set object='b' t='1'/>"
              "</sets><script>note('x')</script></st><st id='two'/></states></object></objects>");
  TBinaryBuffer out;
  Find("a")->GetStates().Store(&out);
  TBinaryBuffer in;
  ReloadBuffer(out, &in);
  TSceneObjectStates loaded;
  ASSERT_TRUE(loaded.Load(&in, Find("a")));
  ASSERT_EQ(2, loaded.size());
  EXPECT_EQ(str("one"), loaded.at(0)->mName);
  EXPECT_EQ(1, loaded.at(0)->mNextState);
  EXPECT_EQ(30u, loaded.at(0)->mDelay);
  EXPECT_EQ(str("note('x')"), loaded.at(0)->mScript);
  EXPECT_EQ(str("b"), loaded.at(0)->mSets.at(0)->mObject);
  TBinaryBuffer again;
  loaded.Store(&again);
  EXPECT_EQ(BufferBytes(out), BufferBytes(again));
}

TEST_F(ObjectStateTest, ActionRecordsRoundTripAndFailWhenCut)
{
  CanlAction action;
  action.mScript = "note('a')";
  TSetState* set = new TSetState;
  set->mObject = "b";
  action.mSets.Append(set);
  TBinaryBuffer out;
  action.Store(&out);
  TBinaryBuffer in;
  ReloadBuffer(out, &in);
  CanlAction loaded;
  ASSERT_TRUE(loaded.Load(&in));
  EXPECT_EQ(str("note('a')"), loaded.mScript);
  EXPECT_EQ(1u, loaded.mSets.size());
  ExpectEveryCutFails(out, 1, [](TBinaryBuffer* in) {
    CanlAction broken;
    return broken.Load(in);
  });
}
