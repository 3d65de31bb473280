// The demo scene end to end, without a display: loaded through the scene loader, driven by a
// fake clock and scripted mouse events, stored and loaded again; and damaged scene files.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/foundation/asset.h"
#include "core/graphics/displaybackend.h"
#include "core/graphics/renderer.h"
#include "scene/contour.h"
#include "scene/loader.h"
#include "scene/particlesobject.h"
#include "scene/textobject.h"
#include "scene/xmlpreloader.h"
#include "support/demoscene.h"
#include "support/faketimer.h"
#include "support/scenetestutil.h"
#include "support/soundtestutil.h"

namespace {

// Points on the demo scene's things.
const TPoint kKey(220, 430);
const TPoint kKeyHole(206, 430);
const TPoint kLampShade(532, 150);
const TPoint kButton(120, 554);
const TPoint kWall(400, 300);

class DemoSceneTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TRenderer::ShutDown();
    mPreviousBackend = TDisplayBackend::GetFactory();
    TDisplayBackend::SetFactory(nullptr);
    mPlatform.InitSound();
    TTextureManager::Create();
    mScene.reset(Load());
    ASSERT_NE(nullptr, mScene);
    mScene->Draw();
  }
  void TearDown() override
  {
    mScene.reset();
    TTextureManager::Destroy();
    TRenderer::ShutDown();
    TDisplayBackend::SetFactory(mPreviousBackend);
  }
  static TScene* Load()
  {
    testing::internal::CaptureStderr();
    TScene* scene = TLoader::SceneLoad(TDemoSceneFiles::kScene);
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string::npos, log.find("ERROR")) << log;
    return scene;
  }
  // The game's frames: the scene ticked and drawn every 20 ms, the idle tasks run.
  void Run(unsigned ms, TScene* scene = nullptr)
  {
    scene = scene ? scene : mScene.get();
    for (unsigned done = 0; done < ms; done += 20) {
      scene->OnTick(20);
      mTimer.Advance(20);
      mPlatform.GetTaskList()->DoAll(TTask::eEventLoop);
      scene->Draw();
    }
  }
  TSceneObject* O(const char* id) { return mScene->FindObject(id); }
  std::string State(const char* id) { return O(id)->GetCurrentStateName().c_str(); }
  std::string Text(const char* id) { return static_cast<TTextObject*>(O(id))->GetText().c_str(); }
  std::string HitId(const TPoint& point)
  {
    TSceneObject* hit = mScene->HitTest(point, true);
    return hit ? hit->GetId().c_str() : "";
  }

  TVfsSandbox mSandbox;
  TDemoSceneFiles mFiles;
  TFakeTimer mTimer{5000};
  TAssetManager mRegistry;
  TPlatform mPlatform;
  TDisplayBackend::TFactory mPreviousBackend = nullptr;
  std::unique_ptr<TScene> mScene;
};

// Every object's look and progress, for comparing two scenes.
std::string Snapshot(TScene* scene)
{
  std::string text;
  std::vector<TSceneObject*> pending;
  for (size_t i = 0; i < scene->GetObjects().size(); ++i)
    pending.push_back(scene->GetObjects().at(i));
  while (!pending.empty()) {
    TSceneObject* object = pending.front();
    pending.erase(pending.begin());
    for (size_t i = 0; i < object->GetChildren().size(); ++i)
      pending.push_back(object->GetChildren().at(i));
    char line[512];
    std::snprintf(line, sizeof line, "%s %s %s t=%u p=%.3f,%.3f s=%.3f a=%.3f f=%d v=%d c=%d\n",
                  object->GetId().c_str(), object->getDynamicId(), object->GetCurrentStateName().c_str(),
                  object->GetTimeInState(), object->GetPosition().x, object->GetPosition().y, object->GetScale().x,
                  object->GetAlpha(), object->GetFrame(), object->IsVisible(), object->GetDrawContour());
    text += line;
    if (TSceneObjectState* state = object->GetCurrentState())
      for (size_t i = 0; i < state->mAnimators.size(); ++i)
        text += "  " + std::string(state->mAnimators.at(i)->getDynamicAnimatorID()) + " " +
                std::to_string(state->mAnimators.at(i)->GetElapsed()) + "\n";
    if (TTextObject* label = dynamic_cast<TTextObject*>(object))
      text += std::string("  text '") + label->GetText().c_str() + "'\n";
  }
  return text;
}

} // namespace

TEST_F(DemoSceneTest, LoadsTheRoomWithItsImagesAndObjects)
{
  EXPECT_EQ(str("demo_room"), mScene->GetId());
  EXPECT_EQ(2, mScene->GetImageResource().GetTextureCount());
  EXPECT_EQ(8, mScene->GetImageResource().GetImageCount());
  ASSERT_EQ(1u, mScene->GetObjects().size());
  EXPECT_EQ(5u, O("SCENE_ROOT")->GetChildren().size());
  EXPECT_EQ(4u, mScene->GetContourColors().size());
  EXPECT_EQ(1, O("key")->GetFrame());
  EXPECT_EQ(2, O("lamp")->GetFrame());
  EXPECT_STREQ("TImageObjectButton", O("back_button")->getDynamicId());
  EXPECT_EQ("0 ", Text("counter"));
  EXPECT_EQ("BACK_LABEL", Text("back_label"));
}

TEST_F(DemoSceneTest, RootFadesInOverHalfASecond)
{
  EXPECT_EQ("fade_in", State("SCENE_ROOT"));
  EXPECT_FLOAT_EQ(0, O("SCENE_ROOT")->GetAlpha());
  Run(240);
  EXPECT_FLOAT_EQ(0.48f, O("SCENE_ROOT")->GetAlpha());
  EXPECT_FLOAT_EQ(0.48f, O("key")->GetEffectiveAlpha()) << "alpha multiplies down the tree";
  Run(260);
  EXPECT_EQ("shown", State("SCENE_ROOT"));
  EXPECT_FLOAT_EQ(1, O("SCENE_ROOT")->GetAlpha());
}

TEST_F(DemoSceneTest, HitTestsFollowTheSolidPixelsFromTheTop)
{
  EXPECT_EQ("key", HitId(kKey));
  EXPECT_EQ("", HitId(kKeyHole)) << "the ring's hole, over a background that is not hit";
  EXPECT_EQ("lamp", HitId(kLampShade));
  EXPECT_EQ("back_button", HitId(kButton)) << "its label does not take hits";
  EXPECT_EQ("", HitId(kWall));
}

TEST_F(DemoSceneTest, HoveringTheKeyShowsItsContour)
{
  Run(500);
  EXPECT_TRUE(mScene->OnMouseMove(kKey));
  EXPECT_EQ("hover", State("key"));
  ASSERT_TRUE(O("key")->GetDrawContour());
  ASSERT_NE(nullptr, O("key")->GetContour());
  EXPECT_EQ(1, O("key")->GetContour()->GetFrame());
  EXPECT_FALSE(mScene->OnMouseMove(kKeyHole));
  EXPECT_EQ("idle", State("key"));
  EXPECT_FALSE(O("key")->GetDrawContour());
}

TEST_F(DemoSceneTest, ClickingTheKeyCountsToAHundredAndTheKeyGoes)
{
  Run(500);
  mScene->OnMouseMove(kKey);
  EXPECT_TRUE(mScene->OnMouseDown(kKey));
  EXPECT_EQ("deleting", State("key"));
  EXPECT_EQ("count", State("counter")) << "the state's sets apply on entry";
  EXPECT_FALSE(O("key")->GetDrawContour());
  ASSERT_NE(nullptr, O("key")->GetParticles());
  EXPECT_NE(nullptr, O("key")->GetParticles()->GetSystem()) << "the find sparkles";
  EXPECT_TRUE(mScene->OnMouseUp(kKey));
  Run(200);
  EXPECT_EQ("50 ", Text("counter"));
  EXPECT_NEAR(4.0f / 3, O("key")->GetScale().x, 1e-5);
  EXPECT_NEAR(1.0f / 3, O("key")->GetAlpha(), 1e-5);
  Run(100);
  EXPECT_EQ("gone", State("key"));
  EXPECT_FALSE(O("key")->IsVisible());
  EXPECT_EQ("", HitId(kKey));
  EXPECT_EQ("75 ", Text("counter"));
  Run(100);
  EXPECT_EQ("100 ", Text("counter"));
  Run(1000);
  EXPECT_EQ(nullptr, O("key")->GetParticles()->GetSystem()) << "the sparkle ends itself";
  EXPECT_EQ("100 ", Text("counter"));
}

TEST_F(DemoSceneTest, ButtonLowersItsLabelAndFadesTheRoomOut)
{
  Run(500);
  mScene->OnMouseMove(kButton);
  EXPECT_EQ("hover", State("back_button"));
  EXPECT_EQ(5, O("back_button")->GetFrame());
  EXPECT_TRUE(mScene->OnMouseDown(kButton));
  EXPECT_EQ(TVec2(0, 2), O("back_label")->GetPosition());
  EXPECT_TRUE(mScene->OnMouseUp(TPoint(5, 5)));
  EXPECT_EQ(TVec2(0, 0), O("back_label")->GetPosition());
  EXPECT_EQ("fade_out", State("SCENE_ROOT"));
  Run(260);
  EXPECT_FLOAT_EQ(0.48f, O("SCENE_ROOT")->GetAlpha());
  Run(240);
  EXPECT_EQ("hidden", State("SCENE_ROOT"));
  EXPECT_TRUE(mScene->GetDrawList().empty());
  EXPECT_FALSE(mScene->OnMouseDown(kButton));
}

TEST_F(DemoSceneTest, LampFlickersForEightHundredMillisecondsWithItsSound)
{
  Run(500);
  EXPECT_TRUE(mScene->OnMouseDown(kLampShade));
  EXPECT_EQ("on", State("lamp"));
  EXPECT_EQ(str("audio/sfx/switch.ogg"), O("lamp")->GetSoundName());
  std::vector<int> frames;
  for (int i = 0; i < 4; ++i) {
    Run(20);
    frames.push_back(O("lamp")->GetFrame());
    Run(180);
  }
  EXPECT_EQ(std::vector<int>({3, 2, 3, 3}), frames);
  EXPECT_EQ("off", State("lamp"));
  EXPECT_EQ(2, O("lamp")->GetFrame());
  mScene->OnMouseDown(kLampShade);
  EXPECT_EQ("on", State("lamp")) << "it can be switched again";
}

TEST_F(DemoSceneTest, StoredSceneLoadsIntoANewSceneAndGoesOnTheSame)
{
  Run(500);
  mScene->OnMouseDown(kKey);
  mScene->OnMouseUp(kKey);
  mScene->OnMouseDown(kLampShade);
  mScene->OnMouseUp(kLampShade);
  Run(140);
  TBinaryBuffer written;
  mScene->Store(&written);
  TScene copy;
  ASSERT_TRUE(LoadWritten(written, [&](TBinaryBuffer* buffer) { return copy.Load(buffer); }));
  copy.Draw();
  EXPECT_EQ(Snapshot(mScene.get()), Snapshot(&copy));
  EXPECT_NE(std::string::npos, Snapshot(&copy).find("lamp TImageObject on t=140"));
  TBinaryBuffer again;
  copy.Store(&again);
  EXPECT_EQ(BufferBytes(written), BufferBytes(again));
  Run(300);
  Run(300, &copy);
  EXPECT_EQ(Snapshot(mScene.get()), Snapshot(&copy));
  EXPECT_EQ(str("gone"), copy.FindObject("key")->GetCurrentStateName());
}

TEST_F(DemoSceneTest, CutStoresFailWithAnErrorLine)
{
  TBinaryBuffer written;
  mScene->Store(&written);
  ExpectEveryCutFails(written, 211, [](TBinaryBuffer* buffer) {
    TScene scene;
    return scene.Load(buffer);
  });
}

TEST_F(DemoSceneTest, PreloadedSceneBuildsTheSameRoom)
{
  TXmlPreloader* preloader = TDefSingleton<TXmlPreloader>::GetInstance();
  preloader->LoadConfig();
  while (preloader->getParsedCount() < preloader->getNodesCount())
    preloader->ParseNextNode();
  ASSERT_NE(nullptr, preloader->getNode(TDemoSceneFiles::kScene));
  std::unique_ptr<TScene> preloaded(Load());
  preloaded->Draw();
  EXPECT_EQ(Snapshot(mScene.get()), Snapshot(preloaded.get()));
}

TEST_F(DemoSceneTest, DamagedSceneFileLoadsWhatItCan)
{
  mSandbox.WriteFile("assets/scenes/bad.sxm",
                     "<scene id=\"bad\"><resources id=\"scenes/demo/demo_res.xml\"/><objects>"
                     "<object type=\"TNoSuchObject\" id=\"odd\" f=\"key\"/>"
                     "<object id=\"lost\" f=\"no_such_image\" st=\"s\"><states><st id=\"s\" f=\"gone\">"
                     "<animators><animator type=\"TNoSuchAnimator\" delay=\"10\" key=\"1,2\"/>"
                     "<animator type=\"TAlphaAnimator\" delay=\"0\" key=\"0,1\"/></animators>"
                     "</st></states></object>"
                     "<object id=\"broken\" f=\"lamp_off\"><on_mouse_down><script>this is not lua"
                     "</script></on_mouse_down></object>"
                     "<object id=\"ring\" st=\"a\"><states>"
                     "<st id=\"a\"><sets><set object=\"ring\" st=\"b\"/></sets></st>"
                     "<st id=\"b\"><sets><set object=\"ring\" st=\"a\"/></sets></st>"
                     "</states></object>"
                     "<object id=\"after\"/></objects></scene>");
  TFile::ScanForResources();
  testing::internal::CaptureStderr();
  std::unique_ptr<TScene> scene(TLoader::SceneLoad("scenes/bad.sxm"));
  ASSERT_NE(nullptr, scene);
  scene->Draw();
  EXPECT_TRUE(scene->OnMouseDown(TPoint(32, 30))) << "the object with the broken script";
  scene->OnTick(40);
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_STREQ("TImageObject", scene->FindObject("odd")->getDynamicId());
  EXPECT_EQ(-1, scene->FindObject("lost")->GetFrame());
  EXPECT_TRUE(scene->FindObject("lost")->GetCurrentState()->mAnimators.empty());
  EXPECT_NE(nullptr, scene->FindObject("after"));
  EXPECT_NE(std::string::npos, log.find("ERROR: scenes/bad.sxm: Animator TAlphaAnimator of object 'lost'")) << log;
  EXPECT_NE(std::string::npos, log.find("ERROR: State changes nest deeper")) << log;
  EXPECT_NE(std::string::npos, log.find("ERROR: scenes/bad.sxm: Object type 'TNoSuchObject' of 'odd'")) << log;
  EXPECT_NE(std::string::npos, log.find("ERROR: scenes/bad.sxm: Animator type 'TNoSuchAnimator'")) << log;
  EXPECT_NE(std::string::npos, log.find("image 'no_such_image', which")) << log;
  EXPECT_NE(std::string::npos, log.find("State 's' of object 'lost' shows image 'gone'")) << log;
  EXPECT_NE(std::string::npos, log.find("ERROR: [string \"this is not lua\"]")) << log;
}
