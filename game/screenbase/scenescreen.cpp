// scenescreen: scene layers, queued files, activation, fades through black and saved
// records of a screen, over the scene engine's scenes and loader.
#include "screenbase/scenescreen.h"

#include "core/graphics/vertexset.h"
#include "core/foundation/debug.h"
#include "scene/binarybuffer.h"
#include "scene/loader.h"
#include "scene/scene.h"
#include "scene/scenerenderer.h"
#include "screenbase/gamecontrol.h"

namespace {

const float kScreenWidth = 800.0f;
const float kScreenHeight = 600.0f;
// A scene record holds at least its id's length, its resources' and its objects' counts.
const unsigned kMinSceneRecord = 12;

} // namespace

TSceneScreen::TSceneScreen() {}

TSceneScreen::~TSceneScreen()
{
  ClearScenes();
}

void TSceneScreen::Report(int event)
{
  if (mControl) {
    mControl->PostEvent(event);
  }
}

void TSceneScreen::ClearScenes()
{
  for (TScene* scene : mScenes) {
    delete scene;
  }
  mScenes.clear();
}

void TSceneScreen::AddLayer(TScene* scene, bool fromSave)
{
  mScenes.push_back(scene);
  PostLoadInit(scene, fromSave);
}

str TSceneScreen::AddScene(const str& file, bool now)
{
  if (!now) {
    mQueued.push_back(file);
    return str();
  }
  TScene* scene = TLoader::SceneLoad(file.c_str());
  if (!scene) {
    return str();
  }
  AddLayer(scene, false);
  return scene->GetId();
}

void TSceneScreen::LoadQueuedScenes()
{
  std::vector<str> queued;
  queued.swap(mQueued);
  for (const str& file : queued) {
    AddScene(file, true);
  }
}

TScene* TSceneScreen::getScene(unsigned index) const
{
  return index < mScenes.size() ? mScenes[index] : nullptr;
}

void TSceneScreen::DeleteScene(TScene* scene)
{
  for (auto it = mScenes.begin(); it != mScenes.end(); ++it) {
    if (*it == scene) {
      delete scene;
      mScenes.erase(it);
      return;
    }
  }
}

void TSceneScreen::SceneToFront(TScene* scene)
{
  for (auto it = mScenes.begin(); it != mScenes.end(); ++it) {
    if (*it == scene) {
      mScenes.erase(it);
      mScenes.push_back(scene);
      return;
    }
  }
}

TSceneObject* TSceneScreen::FindObject(const str& name) const
{
  for (TScene* scene : mScenes) {
    if (TSceneObject* found = scene->FindObject(name)) {
      return found;
    }
  }
  return nullptr;
}

TSceneObject* TSceneScreen::HitTest(const TPoint& point) const
{
  for (auto it = mScenes.rbegin(); it != mScenes.rend(); ++it) {
    if (TSceneObject* hit = (*it)->HitTest(point, true)) {
      return hit;
    }
  }
  return nullptr;
}

void TSceneScreen::Activate()
{
  LoadQueuedScenes();
  mActive = true;
  mFadedOut = false;
}

void TSceneScreen::Deactivate()
{
  mActive = false;
  mFadeTime = 0;
}

void TSceneScreen::StartFading(unsigned time, bool fadeIn)
{
  mFadeIn = fadeIn;
  mFadeElapsed = 0;
  mFadeTime = time;
  mFadedOut = false;
  if (time == 0) {
    mFadedOut = !fadeIn;
    OnFadeCompleted(fadeIn);
  }
}

float TSceneScreen::GetFadeLevel() const
{
  if (mFadeTime == 0) {
    return mFadedOut ? 0.0f : 1.0f;
  }
  float progress = float(mFadeElapsed / mFadeTime);
  if (progress > 1.0f) {
    progress = 1.0f;
  }
  return mFadeIn ? progress : 1.0f - progress;
}

void TSceneScreen::OnTick(double ms)
{
  LoadQueuedScenes();
  // A scene's tick may run scripts that change the screen's scenes: walk a copy.
  const std::vector<TScene*> scenes = mScenes;
  for (TScene* scene : scenes) {
    scene->OnTick(ms > 0 ? unsigned(ms) : 0u);
  }
  if (mFadeTime == 0) {
    return;
  }
  mFadeElapsed += ms;
  if (mFadeElapsed >= mFadeTime) {
    const bool fadeIn = mFadeIn;
    mFadeTime = 0;
    mFadedOut = !fadeIn;
    // Scripted input waits for this line before it clicks into a screen.
    if (fadeIn) {
      WriteDbg("Screen faded in: %s", getDynamicScreenID().c_str());
    }
    OnFadeCompleted(fadeIn);
  }
}

void TSceneScreen::Draw(TSceneRenderer& renderer)
{
  LoadQueuedScenes();
  for (TScene* scene : mScenes) {
    scene->Draw(renderer);
  }
  const float level = GetFadeLevel();
  if (level < 1.0f) {
    DrawFadeVeil(level, renderer);
  }
}

void TSceneScreen::DrawFadeVeil(float level, TSceneRenderer& renderer)
{
  TTransformedLitVert corners[4] = {};
  const float x[4] = {0, kScreenWidth, 0, kScreenWidth};
  const float y[4] = {0, 0, kScreenHeight, kScreenHeight};
  for (int i = 0; i < 4; ++i) {
    corners[i].mPos = TVec3(x[i], y[i], 0);
    corners[i].mRhw = 1;
    corners[i].mColor = TColor32(0, 0, 0, (unsigned char)(255.0f * (1.0f - level)));
    corners[i].mSecondColor = corners[i].mColor;
  }
  renderer.DrawStrip(corners, 4, nullptr);
}

bool TSceneScreen::IsAnimating() const
{
  if (IsFading()) {
    return true;
  }
  for (const TScene* scene : mScenes) {
    if (scene->IsAnimating()) {
      return true;
    }
  }
  return false;
}

bool TSceneScreen::OnMouseDown(const TPoint& point)
{
  for (auto it = mScenes.rbegin(); it != mScenes.rend(); ++it) {
    if ((*it)->OnMouseDown(point)) {
      return true;
    }
  }
  return false;
}

bool TSceneScreen::OnMouseUp(const TPoint& point)
{
  for (auto it = mScenes.rbegin(); it != mScenes.rend(); ++it) {
    if ((*it)->OnMouseUp(point)) {
      return true;
    }
  }
  return false;
}

bool TSceneScreen::OnMouseMove(const TPoint& point)
{
  for (auto it = mScenes.rbegin(); it != mScenes.rend(); ++it) {
    if ((*it)->OnMouseMove(point)) {
      return true;
    }
  }
  return false;
}

bool TSceneScreen::Save(TBinaryBuffer* buffer)
{
  LoadQueuedScenes();
  buffer->WriteU32(uint32_t(mScenes.size()));
  for (TScene* scene : mScenes) {
    scene->Store(buffer);
  }
  return !buffer->Failed();
}

bool TSceneScreen::LoadSaved(TBinaryBuffer* buffer)
{
  uint32_t count = 0;
  if (!buffer->ReadCount(&count, kMinSceneRecord, "screen scenes")) {
    return false;
  }
  for (uint32_t i = 0; i < count; ++i) {
    TScene* scene = new TScene;
    if (!scene->Load(buffer) || buffer->Failed()) {
      delete scene;
      buffer->Fail("screen scene");
      return false;
    }
    AddLayer(scene, true);
  }
  return true;
}
