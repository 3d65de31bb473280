// Tests of whole scenes: depth order and hit tests from the top, mouse routing, ticks, the
// script functions, contour colours, scene files and records, and objects that go away.
#include <string>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "scene/contour.h"
#include "scene/imageobject.h"
#include "support/scenetestutil.h"

namespace {

class WholeSceneTest : public SceneTest
{
protected:
  // Draws and returns the ids in drawing order.
  std::string DrawOrder()
  {
    mScene->Draw();
    std::string order;
    for (TSceneObject* object : mScene->GetDrawList())
      order += object->GetId().c_str() + std::string(" ");
    return order;
  }
  std::string HitId(int x, int y)
  {
    TSceneObject* hit = mScene->HitTest(TPoint(x, y), true);
    return hit ? hit->GetId().c_str() : "";
  }
  void Run(const char* lua) { mScene->GetScript().Run(lua); }
  bool LoadScene(const char* text)
  {
    auto document = ParseElement(text);
    return mScene->LoadFromXML(FirstChild(document.get()));
  }
};

// Objects that write their mouse events into the Lua global "log".
const char kPair[] = "<objects>"
                     "<object id='a' f='solid' p='0,0' s='4,4'>"
                     " <on_mouse_in><script>log = log .. 'a-in '</script></on_mouse_in>"
                     " <on_mouse_out><script>log = log .. 'a-out '</script></on_mouse_out>"
                     " <on_mouse_move><script>log = log .. 'a-move '</script></on_mouse_move>"
                     " <on_mouse_down><script>log = log .. 'a-down '</script></on_mouse_down>"
                     " <on_mouse_up><script>log = log .. 'a-up '</script></on_mouse_up></object>"
                     "<object id='b' f='solid' p='100,0' s='4,4'>"
                     " <on_mouse_in><script>log = log .. 'b-in '</script></on_mouse_in>"
                     " <on_mouse_out><script>log = log .. 'b-out '</script></on_mouse_out>"
                     " <on_mouse_move><script>log = log .. 'b-move '</script></on_mouse_move></object>"
                     "</objects>";

} // namespace

TEST_F(WholeSceneTest, DrawsByDepthWithTreeOrderAmongEquals)
{
  LoadObjects("<objects>"
              "<object id='top' f='solid' z='5'/>"
              "<object id='parent' f='solid' z='1'><objects>"
              " <object id='child' f='solid' z='1'/><object id='low' f='solid' z='-2'/>"
              "</objects></object>"
              "<object id='later' f='solid' z='1'/>"
              "<object id='hidden' f='solid' z='0' v='0'><objects><object id='under' f='solid'/>"
              "</objects></object>"
              "</objects>");
  EXPECT_EQ("low parent child later top ", DrawOrder());
  ASSERT_EQ(5u, mRenderer.mSprites.size());
}

TEST_F(WholeSceneTest, EqualDepthsGiveTheLaterObjectTheHit)
{
  LoadObjects("<objects><object id='first' f='solid'/><object id='second' f='solid'/></objects>");
  EXPECT_EQ("", HitId(1, 1)) << "nothing is hit before the first frame";
  DrawOrder();
  EXPECT_EQ("second", HitId(1, 1));
  EXPECT_EQ("", HitId(10, 10));
}

TEST_F(WholeSceneTest, ChildOfAHiddenParentIsHitUntilTheNextFrame)
{
  LoadObjects("<objects><object id='p'><objects><object id='c' f='solid'/></objects></object>"
              "</objects>");
  DrawOrder();
  Find("p")->setVisible(false);
  EXPECT_EQ("c", HitId(1, 1));
  mScene->Draw();
  EXPECT_EQ("", HitId(1, 1));
  Find("p")->setVisible(true);
  Find("c")->setVisible(false);
  EXPECT_EQ("", HitId(1, 1)) << "an object hidden itself is never hit";
}

TEST_F(WholeSceneTest, PressAndReleaseElsewhereReachTheSameObject)
{
  LoadObjects(kPair);
  Run("log = ''");
  DrawOrder();
  EXPECT_FALSE(mScene->OnMouseUp(TPoint(2, 2))) << "no press yet";
  EXPECT_FALSE(mScene->OnMouseDown(TPoint(50, 50)));
  EXPECT_TRUE(mScene->OnMouseDown(TPoint(2, 2)));
  EXPECT_EQ(Find("a"), mScene->GetPressedObject());
  EXPECT_TRUE(mScene->OnMouseUp(TPoint(300, 300)));
  EXPECT_FALSE(mScene->OnMouseUp(TPoint(2, 2)));
  EXPECT_EQ("a-down a-up ", LuaText("log"));
}

TEST_F(WholeSceneTest, MovingAcrossObjectsSendsOutThenInThenMove)
{
  LoadObjects(kPair);
  Run("log = ''");
  DrawOrder();
  EXPECT_TRUE(mScene->OnMouseMove(TPoint(2, 2)));
  EXPECT_TRUE(mScene->OnMouseMove(TPoint(3, 3)));
  EXPECT_TRUE(mScene->OnMouseMove(TPoint(102, 2)));
  EXPECT_FALSE(mScene->OnMouseMove(TPoint(50, 50)));
  EXPECT_EQ(nullptr, mScene->GetHoveredObject());
  EXPECT_EQ("a-in a-move a-move a-out b-in b-move b-out ", LuaText("log"));
}

TEST_F(WholeSceneTest, ClearedOrDeletedObjectsAreForgotten)
{
  LoadObjects("<objects><object id='p' f='solid'><objects>"
              "<object id='c' f='solid' p='10,0'/></objects></object></objects>");
  DrawOrder();
  mScene->OnMouseMove(TPoint(11, 1));
  mScene->OnMouseDown(TPoint(11, 1));
  ASSERT_EQ(Find("c"), mScene->GetHoveredObject());
  Find("p")->GetChildren().Clear();
  EXPECT_EQ(nullptr, mScene->GetHoveredObject());
  EXPECT_EQ(nullptr, mScene->GetPressedObject());
  EXPECT_EQ(1u, mScene->GetDrawList().size());
  EXPECT_FALSE(mScene->OnMouseUp(TPoint(11, 1)));
  mScene->OnMouseDown(TPoint(1, 1));
  mScene->Clear();
  EXPECT_TRUE(mScene->GetDrawList().empty());
  EXPECT_FALSE(mScene->OnMouseUp(TPoint(1, 1)));
  EXPECT_FALSE(mScene->OnMouseMove(TPoint(1, 1)));
}

TEST_F(WholeSceneTest, RangeAndBoxHitTestsListFromTheTop)
{
  LoadObjects("<objects><object id='a' f='solid' p='0,0'/><object id='b' f='solid' p='3,0'/>"
              "<object id='far' f='solid' p='40,40'/><object id='blind' f='solid' ht='0'/>"
              "<object id='none' p='0,0'/></objects>");
  DrawOrder();
  std::vector<TSceneObject*> near = mScene->RangeHitTest(TPoint(5, 1), 3);
  ASSERT_EQ(2u, near.size());
  EXPECT_EQ(Find("b"), near[0]);
  EXPECT_EQ(Find("a"), near[1]);
  std::vector<TSceneObject*> box = mScene->ObjectBoxHitTest(Find("a"));
  ASSERT_EQ(2u, box.size());
  EXPECT_EQ(Find("b"), box[0]);
  EXPECT_EQ(Find("a"), box[1]);
  EXPECT_TRUE(mScene->ObjectBoxHitTest(Find("none")).empty());
}

TEST_F(WholeSceneTest, InvisibleObjectsStillTick)
{
  LoadObjects("<objects><object id='a' v='0' st='one'><states><st id='one'/></states>"
              "<objects><object id='kid' st='k'><states><st id='k'/></states></object>"
              "</objects></object></objects>");
  mScene->OnTick(40);
  mScene->OnTick(2);
  EXPECT_EQ(42u, Find("a")->GetTimeInState());
  EXPECT_EQ(42u, Find("kid")->GetTimeInState());
}

TEST_F(WholeSceneTest, ScriptFunctionsQueryAndChangeObjectsByName)
{
  LoadObjects("<objects><object id='a' p='-5,7.9' t='3' st='idle'>"
              "<states><st id='idle'/><st id='busy'/><st id='done'/></states></object>"
              "<object id='stateless'/></objects>");
  Run("x, y, none = getObjectPosX('a'), getObjectPosY('a'), getObjectPosX('nobody')");
  EXPECT_EQ(0, LuaNumber("x"));
  EXPECT_EQ(7, LuaNumber("y"));
  EXPECT_EQ(0, LuaNumber("none"));
  Run("setStateIfState('a', 'busy', 'a', 'other')");
  EXPECT_EQ(str("idle"), Find("a")->GetCurrentStateName());
  Run("setStateIfState('a', 'busy', 'a', 'idle')");
  EXPECT_EQ(str("busy"), Find("a")->GetCurrentStateName());
  Run("setStateIfnState('a', 'done', 'a', 'busy')");
  EXPECT_EQ(str("busy"), Find("a")->GetCurrentStateName());
  Run("setStateIfTag('a', 'done', 'a', 4) setStateIfnTag('a', 'idle', 'a', 3)");
  EXPECT_EQ(str("busy"), Find("a")->GetCurrentStateName());
  Run("setStateIfTag('a', 'done', 'a', 3)");
  EXPECT_EQ(str("done"), Find("a")->GetCurrentStateName());
  Run("setObjectState('a', 'nosuchstate') setObjectState('ghost', 'idle')"
      "setStateIfState('a', 'idle', 'ghost', '')");
  EXPECT_EQ(str("done"), Find("a")->GetCurrentStateName());
  Run("s, g, n = getObjectState('a'), getObjectState('ghost'), getObjectState('stateless')");
  EXPECT_EQ("done", LuaText("s"));
  EXPECT_EQ("", LuaText("g"));
  EXPECT_EQ("", LuaText("n"));
  Run("setStateIfState('a', 'idle', 'stateless', '')");
  EXPECT_EQ(str("idle"), Find("a")->GetCurrentStateName()) << "no state reads as the empty name";
}

TEST_F(WholeSceneTest, ContourColoursComeInWholeGroupsOfFour)
{
  const std::vector<TColor32> defaults = mScene->GetContourColors();
  ASSERT_EQ(4u, defaults.size());
  EXPECT_EQ(0x96FFF656u, defaults[0].mValue);
  EXPECT_EQ(0x32FFF656u, defaults[3].mValue);
  for (const char* kept : {"", "1,2,3", "none"}) {
    std::string text = std::string("<scene id='s'><contour colors='") + kept + "'/></scene>";
    EXPECT_TRUE(LoadScene(text.c_str()));
    ASSERT_EQ(4u, mScene->GetContourColors().size()) << kept;
  }
  EXPECT_TRUE(LoadScene("<scene id='s'><contour colors='1,2,3,4, 5,6'/></scene>"));
  ASSERT_EQ(1u, mScene->GetContourColors().size());
  EXPECT_EQ(0x04010203u, mScene->GetContourColors()[0].mValue);
  EXPECT_TRUE(LoadScene("<scene id='s'><contour colors='256 -1 10.9 300; 1 1 1 1'/></scene>"));
  ASSERT_EQ(2u, mScene->GetContourColors().size());
  EXPECT_EQ(0x2C00FF0Au, mScene->GetContourColors()[0].mValue);
}

TEST_F(WholeSceneTest, SceneElementWithoutResourcesLoadsItsObjects)
{
  mScene.reset(new TScene);
  EXPECT_TRUE(LoadScene("<scene id='room'><objects><object id='a' f='solid'/></objects>"
                        "<other/><objects><object id='b'/></objects></scene>"));
  EXPECT_EQ(str("room"), mScene->GetId());
  ASSERT_NE(nullptr, Find("a"));
  EXPECT_EQ(-1, Find("a")->GetFrame());
  EXPECT_NE(nullptr, Find("b"));
}

TEST_F(WholeSceneTest, UnreadableResourcesEndTheLoadWithAnErrorLine)
{
  mScene.reset(new TScene);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(LoadScene("<scene id='room'><resources id='no/such/file.xml'/>"
                         "<objects><object id='a'/></objects></scene>"));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("ERROR: Scene 'room'")) << log;
  EXPECT_EQ(nullptr, Find("a"));
}

TEST_F(WholeSceneTest, XmlWritesIdAndObjectsOnly)
{
  LoadObjects("<objects><object id='a' f='solid'/></objects>");
  mScene->SetId("room");
  TXmlNode node;
  mScene->StoreToXML(&node);
  EXPECT_EQ(str("scene"), node.GetName());
  EXPECT_EQ(str("room"), node.GetAttribute("id"));
  ASSERT_NE(nullptr, node.GetChild("objects"));
  EXPECT_EQ(nullptr, node.GetChild("contour"));
  TScene empty;
  TXmlNode bare;
  empty.StoreToXML(&bare);
  EXPECT_EQ(nullptr, bare.GetChild("objects"));
}

TEST_F(WholeSceneTest, RecordRoundTripsIntoANewSceneAndCutsFail)
{
  LoadObjects("<objects><object id='a' f='pivoted' p='3,4' st='on'><states><st id='on'/></states>"
              "<objects><object type='TTextObject' id='t' f='box' txt='x'/></objects></object>"
              "</objects>");
  mScene->SetId("room");
  mScene->OnTick(25);
  TBinaryBuffer written;
  mScene->Store(&written);
  TScene copy;
  ASSERT_TRUE(LoadWritten(written, [&](TBinaryBuffer* b) { return copy.Load(b); }));
  EXPECT_EQ(str("room"), copy.GetId());
  EXPECT_EQ(mScene->GetImageResource().GetImageCount(), copy.GetImageResource().GetImageCount());
  ASSERT_NE(nullptr, copy.FindObject("t"));
  EXPECT_EQ(copy.FindObject("a"), copy.FindObject("t")->GetParent());
  EXPECT_EQ(&copy, copy.FindObject("t")->GetScene());
  EXPECT_EQ(25u, copy.FindObject("a")->GetTimeInState());
  TBinaryBuffer again;
  copy.Store(&again);
  EXPECT_EQ(BufferBytes(written), BufferBytes(again));
  ExpectEveryCutFails(written, 7, [](TBinaryBuffer* b) {
    TScene scene;
    return scene.Load(b);
  });
}

TEST_F(WholeSceneTest, OverlongIdInARecordIsRefused)
{
  TBinaryBuffer written;
  written.WriteString(std::string(256, 'x').c_str());
  TScene scene;
  std::string log;
  EXPECT_FALSE(LoadWritten(
      written, [&](TBinaryBuffer* b) { return scene.Load(b); }, &log));
  EXPECT_NE(std::string::npos, log.find("ERROR:")) << log;
}

TEST_F(WholeSceneTest, VertexListIsMadeOnceAndDroppedWithTheImages)
{
  TContourVertexList* list = mScene->getVertexList();
  EXPECT_EQ(list, mScene->getVertexList());
  EXPECT_EQ(nullptr, list->GetFrameVertex(99));
  mScene->Clear();
  EXPECT_NE(nullptr, mScene->getVertexList());
}

TEST_F(WholeSceneTest, TextureRefreshRendersTextAgainAndTheListenerGoesWithItsOwner)
{
  LoadObjects("<objects><object id='p'><objects><object type='TTextObject' id='t' f='box' "
              "txt='hi'/></objects></object></objects>");
  size_t rendered = mRenderer.mTexts.size();
  TScene::TextureRefreshListener listener(mScene.get());
  EXPECT_TRUE(listener.DoTask());
  EXPECT_EQ(rendered + 1, mRenderer.mTexts.size()) << "the text inside the tree is rendered again";
  // With a platform the listener is the platform's until the scene goes, whichever goes first.
  {
    TPlatform platform;
    TScene held;
    std::unique_ptr<TScene> outliving(new TScene);
    (void)held;
    outliving.reset();
  }
  std::unique_ptr<TScene> orphan;
  {
    TPlatform platform;
    orphan.reset(new TScene);
  }
  orphan.reset();
}
