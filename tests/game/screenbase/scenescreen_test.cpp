// Tests of the screens' base: scenes added at once or queued, their order, the mouse from
// the top scene down, fades drawn through black, and the screen's record read back.
#include "support/gamescenetestutil.h"

namespace {

class SceneScreenTest : public GameSceneTest
{
protected:
  void SetUp() override
  {
    GameSceneTest::SetUp();
    WriteScene("scenes/a.sxm", "a",
               "<object id='low' f='block' p='100,100'><on_mouse_down><script>downs = (downs or 0) + 1</script>"
               "</on_mouse_down></object>");
    WriteScene("scenes/b.sxm", "b",
               "<object id='high' f='block' p='100,100' st='one'><states><st id='one'/><st id='two'/></states>"
               "<on_mouse_down><sets><set object='high' st='two'/></sets></on_mouse_down></object>");
  }
};

} // namespace

TEST_F(SceneScreenTest, ScenesAreAddedAtOnceOrQueuedAndKeepTheirOrder)
{
  TStubScreen screen;
  EXPECT_EQ("a", screen.AddScene("scenes/a.sxm", true));
  EXPECT_EQ("", screen.AddScene("scenes/b.sxm", false));
  EXPECT_EQ(1u, screen.getSceneCount());
  ::testing::internal::CaptureStderr();
  EXPECT_EQ("", screen.AddScene("scenes/none.sxm", true));
  EXPECT_NE(std::string::npos, ::testing::internal::GetCapturedStderr().find("ERROR: "));
  screen.Activate();
  ASSERT_EQ(2u, screen.getSceneCount());
  EXPECT_TRUE(screen.GetQueuedScenes().empty());
  TScene* a = screen.getScene(0);
  EXPECT_EQ("b", screen.getScene(1)->GetId());
  EXPECT_EQ(nullptr, screen.getScene(2));
  screen.SceneToFront(a);
  EXPECT_EQ(a, screen.getScene(1));
  EXPECT_EQ(nullptr, screen.FindObject("nothing"));
  EXPECT_NE(nullptr, screen.FindObject("low"));
  screen.DeleteScene(a);
  EXPECT_EQ(1u, screen.getSceneCount());
  EXPECT_EQ(nullptr, screen.FindObject("low"));
}

TEST_F(SceneScreenTest, TheMouseGoesToTheTopSceneFirstAndStopsThere)
{
  TStubScreen screen;
  screen.AddScene("scenes/a.sxm", true);
  screen.AddScene("scenes/b.sxm", true);
  screen.Activate();
  screen.Draw();
  EXPECT_TRUE(screen.OnMouseDown(TPoint(100, 100)));
  EXPECT_EQ("two", screen.FindObject("high")->GetCurrentStateName());
  lua_State* L = screen.getScene(0)->GetScript().GetState();
  lua_getglobal(L, "downs");
  EXPECT_TRUE(lua_isnil(L, -1));
  lua_pop(L, 1);
  EXPECT_TRUE(screen.OnMouseUp(TPoint(400, 400)));
  // With the top scene moved below, the click reaches the other.
  screen.SceneToFront(screen.getScene(0));
  screen.Draw();
  screen.OnMouseDown(TPoint(100, 100));
  lua_getglobal(L, "downs");
  EXPECT_EQ(1, lua_tointeger(L, -1));
  lua_pop(L, 1);
  EXPECT_FALSE(screen.OnMouseDown(TPoint(700, 500)));
}

TEST_F(SceneScreenTest, AFadeDrawsBlackOverTheScenesAndEnds)
{
  TStubScreen screen;
  screen.AddScene("scenes/a.sxm", true);
  screen.Activate();
  screen.StartFading(100, true);
  screen.OnTick(25);
  mRenderer.mStrips.clear();
  screen.Draw();
  ASSERT_EQ(1u, mRenderer.mStrips.size());
  // A quarter in: the black veil has three quarters of its strength.
  EXPECT_EQ(191u, mRenderer.mStrips[0][0].mColor.Alpha());
  EXPECT_FLOAT_EQ(800.0f, mRenderer.mStrips[0][3].mPos.x);
  screen.OnTick(75);
  EXPECT_FALSE(screen.IsFading());
  mRenderer.mStrips.clear();
  screen.Draw();
  EXPECT_TRUE(mRenderer.mStrips.empty());
  screen.StartFading(50, false);
  screen.OnTick(60);
  EXPECT_FLOAT_EQ(0.0f, screen.GetFadeLevel());
}

TEST_F(SceneScreenTest, TheRecordReadsBackIntoANewScreen)
{
  TStubScreen screen;
  screen.AddScene("scenes/a.sxm", true);
  screen.AddScene("scenes/b.sxm", false);
  screen.FindObject("low")->setPosition(TVec2(150, 120));
  TBinaryBuffer record;
  ASSERT_TRUE(screen.Save(&record));
  EXPECT_EQ(2u, screen.getSceneCount());
  TStubScreen copy;
  TBinaryBuffer reading;
  ReloadBuffer(record, &reading);
  ASSERT_TRUE(copy.LoadSaved(&reading));
  EXPECT_EQ(0u, reading.Remaining());
  ASSERT_EQ(2u, copy.getSceneCount());
  EXPECT_EQ("plain", copy.mWord);
  EXPECT_FLOAT_EQ(150.0f, copy.FindObject("low")->GetPosition().x);
  EXPECT_EQ("one", copy.FindObject("high")->GetCurrentStateName());
  // The copy's objects take clicks as the original's did.
  copy.Activate();
  copy.Draw();
  EXPECT_TRUE(copy.OnMouseDown(TPoint(100, 100)));

  // Every cut of the record is refused.
  for (unsigned cut = 0; cut < record.mSize; cut += 7) {
    TBinaryBuffer shortened;
    ReloadBuffer(record, &shortened);
    shortened.mSize = cut;
    TStubScreen other;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(other.LoadSaved(&shortened)) << cut;
    ::testing::internal::GetCapturedStderr();
  }
}
