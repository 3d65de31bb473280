// Tests of scene objects: transform chains, alpha and mirroring down the tree, frames, hit
// tests, drawing, sound flags, and the XML and binary records, round trips and damage.
#include <cmath>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "scene/action.h"
#include "scene/imageobject.h"
#include "scene/objectfactory.h"
#include "scene/textobject.h"
#include "support/scenetestutil.h"

namespace {

class SceneObjectTest : public SceneTest
{
protected:
  bool Hit(const char* id, int x, int y, bool precise = true)
  {
    return Find(id)->HitTest(TPoint(x, y), precise) != nullptr;
  }
  std::string StoreXml()
  {
    TXmlNode objects("objects");
    mScene->GetObjects().StoreToXML(&objects);
    return objects.AsString().c_str();
  }
};

const char kTree[] = "<objects>"
                     "<object type='TImageObject' id='root' p='100,50' s='2,2' z='1' st='idle' t='3'>"
                     " <states><st id='idle' a='0.5'/><st id='busy' sn='idle' delay='40'>"
                     "  <sets><set object='leaf' rp='1' p='10,0' v='0'/></sets><script>x = 1</script></st>"
                     " </states>"
                     " <on_mouse_down><script>clicked = $this.id</script></on_mouse_down>"
                     " <on_mouse_up><sets><set object='leaf' st='busy'/></sets></on_mouse_up>"
                     " <objects>"
                     "  <object id='leaf' f='pivoted' p='10,0' wm='1' r='0.5' bl='a' wr='0,0.5' ht='0'/>"
                     "  <object type='TTextObject' id='label' f='box' txt='Hello' fs='12' tal='lt'/>"
                     " </objects>"
                     "</object>"
                     "<object type='NoSuchType' id='plain' x='7' y='8' f='solid' v='0' hm='1'/>"
                     "</objects>";

} // namespace

TEST_F(SceneObjectTest, PositionFromXAndYWhenThereIsNoP)
{
  LoadObjects("<objects><object id='a' x='10' y='20'/></objects>");
  EXPECT_EQ(TVec2(10, 20), Find("a")->GetPosition());
  EXPECT_EQ(TVec2(10, 20), Find("a")->getAbsolutePosition());
}

TEST_F(SceneObjectTest, UnknownTypeGivesAnImageObject)
{
  LoadObjects(kTree);
  EXPECT_STREQ("TImageObject", Find("plain")->getDynamicId());
  EXPECT_STREQ("TTextObject", Find("label")->getDynamicId());
}

TEST_F(SceneObjectTest, ChildTransformIsLocalTimesParentWorld)
{
  LoadObjects("<objects><object id='p' p='100,50' s='2,2'><objects>"
              "<object id='c' p='10,5'/></objects></object></objects>");
  EXPECT_EQ(TVec2(120, 60), Find("c")->getAbsolutePosition());
  Find("p")->setRotate(float(M_PI / 2));
  TVec2 turned = Find("c")->getAbsolutePosition();
  EXPECT_NEAR(90, turned.x, 1e-4);
  EXPECT_NEAR(70, turned.y, 1e-4);
}

TEST_F(SceneObjectTest, ScaleOfZeroCanBeLeftAgain)
{
  LoadObjects("<objects><object id='a' p='5,6' r='1.5707964'/></objects>");
  TSceneObject* object = Find("a");
  object->setScale(TVec2(0, 0));
  object->setScale(TVec2(2, 3));
  const TMat3& m = object->GetLocalMatrix();
  EXPECT_NEAR(0, m[0].x, 1e-6);
  EXPECT_NEAR(2, m[0].y, 1e-6);
  EXPECT_NEAR(-3, m[1].x, 1e-6);
  EXPECT_NEAR(0, m[1].y, 1e-6);
  EXPECT_EQ(5.0f, m[2].x);
  EXPECT_EQ(6.0f, m[2].y);
  EXPECT_TRUE(std::isfinite(m[0].y));
}

TEST_F(SceneObjectTest, AlphaMultipliesDownTheTree)
{
  LoadObjects("<objects><object id='p' a='0.5'><objects><object id='c' a='0.5'>"
              "<objects><object id='g'/></objects></object></objects></object></objects>");
  EXPECT_FLOAT_EQ(0.25f, Find("c")->GetEffectiveAlpha());
  EXPECT_FLOAT_EQ(0.25f, Find("g")->GetEffectiveAlpha());
  Find("p")->setAlpha(1);
  EXPECT_FLOAT_EQ(0.5f, Find("g")->GetEffectiveAlpha());
  EXPECT_FLOAT_EQ(1.0f, Find("p")->GetAlpha());
}

TEST_F(SceneObjectTest, WidthMirrorIsPassedDownTheTree)
{
  LoadObjects("<objects><object id='p' wm='1' f='half'><objects>"
              "<object id='mirrored' wm='1' f='half'/><object id='plain' f='half'/>"
              "</objects></object></objects>");
  auto flipped = [&](const char* id) { return (Find(id)->GetDrawSpec().mFlags & TDrawSpec::kMirrorLeftRight) != 0; };
  EXPECT_TRUE(flipped("p"));
  EXPECT_FALSE(flipped("mirrored"));
  EXPECT_TRUE(flipped("plain"));
  Find("p")->setWMirror(false);
  EXPECT_TRUE(flipped("mirrored"));
  EXPECT_FALSE(flipped("plain"));
  // The pivot counts from the other side while flipped.
  EXPECT_EQ(8.0f, Find("mirrored")->GetDrawSpec().mCenter.x);
  EXPECT_EQ(0.0f, Find("plain")->GetDrawSpec().mCenter.x);
}

TEST_F(SceneObjectTest, FrameGivesSourceRectangleAndPivot)
{
  LoadObjects("<objects><object id='a' f='pivoted' wr='0.25,0.75'/></objects>");
  const TDrawSpec& spec = Find("a")->GetDrawSpec();
  EXPECT_TRUE(RectIs(spec.mSrcRect, 2, 0, 6, 8));
  EXPECT_EQ(TVec2(2, 4), spec.mCenter);
  EXPECT_EQ(unsigned(TDrawSpec::kSourceRect | TDrawSpec::kCenterGiven), spec.mFlags);
  EXPECT_EQ(str("pivoted"), Find("a")->getFrameName());
}

TEST_F(SceneObjectTest, UnknownFrameDrawsAndHitsNothing)
{
  LoadObjects("<objects><object id='a' f='nothing'/></objects>");
  TSceneObject* object = Find("a");
  EXPECT_EQ(-1, object->GetFrame());
  EXPECT_EQ(str(""), object->getFrameName());
  object->Draw();
  EXPECT_TRUE(mRenderer.mSprites.empty());
  EXPECT_FALSE(Hit("a", 0, 0, false));
  static_cast<TImageObject*>(object)->setFrame(99);
  EXPECT_EQ(-1, object->GetFrame());
}

TEST_F(SceneObjectTest, PreciseHitFollowsTheSolidPixels)
{
  LoadObjects("<objects><object id='a' f='half' p='100,100'/></objects>");
  EXPECT_TRUE(Hit("a", 100, 100));
  EXPECT_TRUE(Hit("a", 103, 107));
  EXPECT_FALSE(Hit("a", 104, 100));
  EXPECT_TRUE(Hit("a", 104, 100, false));
  EXPECT_TRUE(Hit("a", 107, 107, false));
  EXPECT_FALSE(Hit("a", 108, 100, false));
  EXPECT_FALSE(Hit("a", 99, 100, false));
  EXPECT_FALSE(Hit("a", 100, 108, false));
}

TEST_F(SceneObjectTest, HitTestsFollowMirroringScaleAndRotationAboutThePivot)
{
  LoadObjects("<objects><object id='a' f='pivoted' p='100,100'/></objects>");
  TSceneObject* object = Find("a");
  EXPECT_TRUE(Hit("a", 97, 100));
  EXPECT_FALSE(Hit("a", 101, 100));
  object->setWMirror(true);
  EXPECT_FALSE(Hit("a", 97, 100));
  EXPECT_TRUE(Hit("a", 101, 100));
  object->setWMirror(false);
  object->setHMirror(true);
  EXPECT_TRUE(Hit("a", 97, 103));
  object->setHMirror(false);
  object->setScale(TVec2(2, 2));
  EXPECT_TRUE(Hit("a", 92, 100));
  EXPECT_TRUE(Hit("a", 99, 100));
  EXPECT_FALSE(Hit("a", 100, 100));
  EXPECT_FALSE(Hit("a", 91, 100, false));
  EXPECT_TRUE(Hit("a", 107, 100, false));
  object->setScale(TVec2(1, 1));
  object->setRotate(float(M_PI / 2));
  EXPECT_TRUE(Hit("a", 100, 97));
  EXPECT_FALSE(Hit("a", 100, 101));
  object->setRotate(float(M_PI));
  EXPECT_TRUE(Hit("a", 101, 100));
  EXPECT_FALSE(Hit("a", 97, 100));
}

TEST_F(SceneObjectTest, ZeroScaleHitsNothing)
{
  LoadObjects("<objects><object id='a' f='half' s='0,1'/></objects>");
  EXPECT_FALSE(Hit("a", 0, 0, false));
  std::vector<TSceneObject*> near;
  Find("a")->RangeHitTest(TPoint(0, 0), 5, &near);
  EXPECT_TRUE(near.empty());
}

TEST_F(SceneObjectTest, HiddenOrUntestableObjectsAreNotHit)
{
  LoadObjects("<objects><object id='a' f='solid' ht='0'/><object id='b' f='solid' v='0'/>"
              "</objects>");
  EXPECT_FALSE(Hit("a", 1, 1, false));
  EXPECT_FALSE(Hit("b", 1, 1, false));
}

TEST_F(SceneObjectTest, RangeHitFindsSolidPixelsNearThePoint)
{
  LoadObjects("<objects><object id='a' f='half' p='100,100'/></objects>");
  std::vector<TSceneObject*> near;
  Find("a")->RangeHitTest(TPoint(105, 103), 1, &near);
  EXPECT_TRUE(near.empty());
  Find("a")->RangeHitTest(TPoint(105, 103), 3, &near);
  EXPECT_EQ(1u, near.size());
  near.clear();
  // Left of the sprite: texture coordinates below zero still measure the distance.
  Find("a")->RangeHitTest(TPoint(98, 103), 3, &near);
  EXPECT_EQ(1u, near.size());
  near.clear();
  Find("a")->RangeHitTest(TPoint(96, 103), 3, &near);
  EXPECT_TRUE(near.empty());
}

TEST_F(SceneObjectTest, DrawHandsTheSpecToTheRenderer)
{
  LoadObjects("<objects><object id='a' f='half' p='3,4' a='0.5' bl='s'/>"
              "<object id='b' f='half' v='0'/></objects>");
  Find("a")->Draw();
  Find("b")->Draw();
  ASSERT_EQ(1u, mRenderer.mSprites.size());
  const TDrawSpec& spec = mRenderer.mSprites[0].mSpec;
  EXPECT_EQ(0.5f, spec.mAlpha);
  EXPECT_EQ(TRenderer::kBlendSubtractive, spec.mBlendMode);
  EXPECT_EQ(3.0f, spec.mTransform[2].x);
  EXPECT_EQ(TRect(0, 0, 8, 8).right, spec.mSrcRect.right);
}

TEST_F(SceneObjectTest, InvisibleParentKeepsItsSubtreeOffTheDrawList)
{
  LoadObjects("<objects><object id='p' v='0'><objects><object id='c'/></objects></object>"
              "<object id='q'><objects><object id='d'/></objects></object></objects>");
  for (size_t i = 0; i < mScene->GetObjects().size(); ++i)
    mScene->GetObjects().at(i)->AddToDrawList();
  ASSERT_EQ(2u, mScene->GetDrawList().size());
  EXPECT_EQ(Find("q"), mScene->GetDrawList()[0]);
  EXPECT_EQ(Find("d"), mScene->GetDrawList()[1]);
}

TEST_F(SceneObjectTest, StateNamingNothingStillReadsActionsAndChildren)
{
  LoadObjects("<objects><object id='a' st='absent'><states><st id='one'/></states>"
              "<on_mouse_in><script>x=1</script></on_mouse_in>"
              "<objects><object id='kid'/></objects></object></objects>");
  EXPECT_EQ(-1, Find("a")->GetCurrentStateIndex());
  EXPECT_EQ(str(""), Find("a")->GetCurrentStateName());
  EXPECT_NE(nullptr, Find("a")->GetAction(TSceneObject::kActionIn));
  EXPECT_NE(nullptr, Find("kid"));
  Find("a")->OnTick(20, true);
  EXPECT_EQ(20u, Find("a")->GetTimeInState());
}

TEST_F(SceneObjectTest, FindSearchesDepthFirstEachBeforeItsChildren)
{
  LoadObjects("<objects><object id='top'><objects><object id='x'><objects>"
              "<object id='y' t='1'/></objects></object><object id='y' t='2'/></objects>"
              "</object></objects>");
  EXPECT_EQ(1, Find("y")->GetTag());
  EXPECT_EQ(1, Find("top")->FindObject("y")->GetTag());
  // The list's own lookup does not descend.
  EXPECT_EQ(2, Find("top")->GetChildren().getObject("y")->GetTag());
  EXPECT_EQ(nullptr, mScene->GetObjects().getObject("y"));
}

TEST_F(SceneObjectTest, NonLoopingSoundPlaysOnceAndIsNotMarkedPlaying)
{
  LoadObjects("<objects><object id='a'/></objects>");
  TSceneObject* object = Find("a");
  testing::internal::CaptureStderr();
  object->setSound("sounds/none.ogg");
  object->setSoundPlaying(true);
  testing::internal::GetCapturedStderr();
  EXPECT_FALSE(object->GetSoundPlaying());
  object->setSoundLoop(true);
  object->setSoundPlaying(true);
  EXPECT_TRUE(object->GetSoundPlaying());
  object->setSound("sounds/none.ogg");
  EXPECT_EQ(str("sounds/none.ogg"), object->GetSoundName());
}

TEST_F(SceneObjectTest, XmlRoundTripIsByteExact)
{
  // Whatever the user's locale, numbers are read and written with a point.
  TCommaLocale locale;
  LoadObjects(kTree);
  EXPECT_EQ(TVec2(0, 0.5f), Find("leaf")->GetWidthRange());
  std::string first = StoreXml();
  std::string compact;
  for (char c : first)
    if (c != ' ' && c != '\n')
      compact += c;
  EXPECT_NE(std::string::npos, compact.find("<objecttype=\"TImageObject\"id=\"leaf\"p=\"10.000000,0.000000\""
                                            "z=\"0.000000\"bl=\"a\"wr=\"0.000000,0.500000\"wm=\"1\"ht=\"0\""
                                            "r=\"0.500000\"f=\"pivoted\">"))
      << first;
  EXPECT_NE(std::string::npos, first.find("st=\"idle\"")) << first;
  EXPECT_NE(std::string::npos, first.find("txt=\"Hello\"")) << first;

  std::unique_ptr<TScene> copy = CopyOfImages();
  TXmlNode document;
  document.ParseString(first.c_str());
  copy->GetObjects().LoadFromXML(FirstChild(&document), copy.get(), nullptr);
  TXmlNode again("objects");
  copy->GetObjects().StoreToXML(&again);
  EXPECT_EQ(first, std::string(again.AsString().c_str()));
}

TEST_F(SceneObjectTest, BinaryRoundTripIsByteExactAndKeepsTheFields)
{
  LoadObjects(kTree);
  Find("root")->setSound("sounds/none.ogg");
  Find("root")->OnTick(70, true);
  TBinaryBuffer out;
  mScene->GetObjects().Store(&out);

  std::unique_ptr<TScene> copy = CopyOfImages();
  TBinaryBuffer in;
  ReloadBuffer(out, &in);
  ASSERT_TRUE(copy->GetObjects().Load(&in, copy.get(), nullptr));
  EXPECT_EQ(0u, in.Remaining());

  TSceneObject* root = copy->FindObject("root");
  ASSERT_NE(nullptr, root);
  EXPECT_EQ(str("idle"), root->GetCurrentStateName());
  EXPECT_EQ(70u, root->GetTimeInState());
  EXPECT_EQ(str("sounds/none.ogg"), root->GetSoundName());
  EXPECT_EQ(3, root->GetTag());
  TSceneObject* leaf = copy->FindObject("leaf");
  EXPECT_EQ(root, leaf->GetParent());
  EXPECT_EQ(copy.get(), leaf->GetScene());
  EXPECT_EQ(TVec2(120, 50), leaf->getAbsolutePosition());
  EXPECT_EQ(TRenderer::kBlendAdditiveAlpha, leaf->GetDrawSpec().mBlendMode);
  EXPECT_EQ(str("pivoted"), leaf->getFrameName());
  EXPECT_EQ(str("Hello"), static_cast<TTextObject*>(copy->FindObject("label"))->GetText());
  ASSERT_NE(nullptr, root->GetAction(TSceneObject::kActionUp));
  EXPECT_EQ(1u, root->GetAction(TSceneObject::kActionUp)->mSets.size());

  TBinaryBuffer again;
  copy->GetObjects().Store(&again);
  EXPECT_EQ(BufferBytes(out), BufferBytes(again));
}

TEST_F(SceneObjectTest, DamagedBinaryRecordsFailWithAnErrorLine)
{
  LoadObjects(kTree);
  TBinaryBuffer out;
  mScene->GetObjects().Store(&out);
  ExpectEveryCutFails(out, 3, [](TBinaryBuffer* in) {
    TScene scene;
    return scene.GetObjects().Load(in, &scene, nullptr);
  });
}

TEST_F(SceneObjectTest, UnknownClassInABinaryListStopsTheLoad)
{
  TBinaryBuffer out;
  out.WriteU32(1);
  out.WriteString("TNoSuchObject");
  for (int i = 0; i < 40; ++i)
    out.WriteU32(0);
  TBinaryBuffer in;
  ReloadBuffer(out, &in);
  TScene scene;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(scene.GetObjects().Load(&in, &scene, nullptr));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("unknown class 'TNoSuchObject'")) << log;
  EXPECT_TRUE(scene.GetObjects().empty());
}

TEST_F(SceneObjectTest, AbsurdCountsAreRefused)
{
  TBinaryBuffer out;
  out.WriteU32(0x7FFFFFFF);
  out.WriteString("TImageObject");
  TBinaryBuffer in;
  ReloadBuffer(out, &in);
  TScene scene;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(scene.GetObjects().Load(&in, &scene, nullptr));
  testing::internal::GetCapturedStderr();
  EXPECT_TRUE(scene.GetObjects().empty());
}

TEST_F(SceneObjectTest, IndicesOutOfRangeBecomeNone)
{
  LoadObjects("<objects><object id='a' f='half' st='one'><states><st id='one' sn='one'/>"
              "</states></object></objects>");
  TBinaryBuffer out;
  mScene->GetObjects().Store(&out);
  std::string bytes = BufferBytes(out);
  // Frame, current state and next state indices, found by their stored values.
  TSceneObject* object = Find("a");
  ASSERT_EQ(0, object->GetFrame());
  ASSERT_EQ(0, object->GetCurrentStateIndex());
  TBinaryBuffer in;
  ReloadBuffer(out, &in);
  // Layout: count, class name, animators, states (count + one state), then the object.
  const size_t stateStart = 4 + 4 + std::strlen("TImageObject") + 4 + 4;
  const size_t nextState = stateStart + 4 + 4 + 4 + 3;
  int32_t bad = 77;
  std::memcpy(in.mData + nextState, &bad, 4);
  const size_t stateEnd = stateStart + 4 + 4 + 4 + 3 + 4 + 4 + 3 + 4 + 111 + 4 + 4 + 4;
  const size_t frame = stateEnd + 4 + 1 + 8 + 4 + 4 + 2 + 8 + 2 + 16 + 1;
  std::memcpy(in.mData + frame, &bad, 4);
  const size_t state = frame + 4 + 4 + 4;
  std::memcpy(in.mData + state, &bad, 4);
  std::unique_ptr<TScene> scene = CopyOfImages();
  ASSERT_TRUE(scene->GetObjects().Load(&in, scene.get(), nullptr));
  TSceneObject* loaded = scene->FindObject("a");
  EXPECT_EQ(-1, loaded->GetFrame());
  EXPECT_EQ(-1, loaded->GetCurrentStateIndex());
  EXPECT_EQ(-1, loaded->GetStates().at(0)->mNextState);
}

TEST_F(SceneObjectTest, GarbageNeverCrashesTheLoader)
{
  std::mt19937 random(1234);
  LoadObjects(kTree);
  TBinaryBuffer out;
  mScene->GetObjects().Store(&out);
  std::string good = BufferBytes(out);
  testing::internal::CaptureStderr();
  for (int round = 0; round < 300; ++round) {
    std::string bytes = good;
    for (int flips = 0; flips < 4; ++flips)
      bytes[random() % bytes.size()] = static_cast<char>(random());
    TBinaryBuffer in;
    in.PreAlloc(unsigned(bytes.size()));
    std::memcpy(in.mData, bytes.data(), bytes.size());
    in.mSize = unsigned(bytes.size());
    TScene scene;
    if (scene.GetObjects().Load(&in, &scene, nullptr)) {
      TBinaryBuffer again;
      scene.GetObjects().Store(&again);
    }
  }
  testing::internal::GetCapturedStderr();
}
