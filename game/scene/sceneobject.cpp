// sceneobject: the base of every scene object: a frame of the scene's images placed through
// a chain of transforms, with states, animators, mouse actions, sound, effects and children.
#include "scene/sceneobject.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

#include "core/foundation/prefsdb.h"
#include "core/foundation/xmlnode.h"
#include "core/foundation/debug.h"
#include "core/sound/soundplayer.h"
#include "scene/action.h"
#include "scene/binarybuffer.h"
#include "scene/contour.h"
#include "scene/imageresource.h"
#include "scene/initparam.h"
#include "scene/matrixutil.h"
#include "scene/particlesobject.h"
#include "scene/scene.h"
#include "scene/scenerenderer.h"
#include "scene/setstate.h"
#include "scene/texturemanager.h"
#include "scene/xmlattributes.h"

namespace {

// State changes reach other objects' states through sets and scripts; a scene whose
// states name each other in a ring would otherwise recurse until the stack runs out.
const int kMaxStateNesting = 32;
int sStateNesting = 0;

TPrefsDB* sPreferences = nullptr;

// Sound effects play in the game's effects group.
const int kSoundGroup = 1000;

int ClampToInt(int64_t value)
{
  return static_cast<int>(std::max<int64_t>(INT_MIN, std::min<int64_t>(INT_MAX, value)));
}

float DefaultSoundVolume()
{
  return TSoundPlayer::GetVolume(kSoundGroup);
}

// The action elements in the order the object keeps them.
const char* const kActionElements[TSceneObject::kActionCount] = {"on_mouse_move", "on_mouse_in", "on_mouse_out",
                                                                 "on_mouse_down", "on_mouse_up"};

} // namespace

TSceneObject::TSceneObject()
    : mParent(nullptr), mScene(nullptr), mStateListener(nullptr), mActions(), mPosition(0, 0), mAlpha(1), mRotation(0),
      mScale(1, 1), mVisible(true), mFrame(-1), mWidthRange(0, 1), mWidthMirror(false), mHeightMirror(false),
      mBlend(TRenderer::kBlendNormal), mHitTest(true), mZ(0), mTag(0), mCurrentState(-1), mTimeInState(0),
      mContourOn(false), mContour(nullptr), mParticles(nullptr), mSoundPlaying(false), mSoundLoop(false),
      mSoundVolume(DefaultSoundVolume())
{
  mDrawSpec.mFlags = TDrawSpec::kSourceRect | TDrawSpec::kCenterGiven;
  mDrawSpec.mBlendMode = TRenderer::kBlendNormal;
  mDrawSpec.mAlpha = 1;
}

TSceneObject::~TSceneObject()
{
  // The scene remembers the objects under the pointer and drawn last; game code may
  // delete an object at any time.
  if (mScene)
    mScene->ForgetObject(this);
  // A looping sound would otherwise play on after its object is gone.
  if (mSound && mSoundInstance && mSoundPlaying)
    TSoundPlayer::KillInstance(mSoundInstance);
  for (CanlAction*& action : mActions) {
    delete action;
    action = nullptr;
  }
  delete mContour;
  delete mParticles;
}

void TSceneObject::SetPreferences(TPrefsDB* prefs)
{
  sPreferences = prefs;
}

TPrefsDB* TSceneObject::GetPreferences()
{
  return sPreferences;
}

// ---- tree ----

void TSceneObject::SetParent(TSceneObject* parent)
{
  mParent = parent;
  UpdateMatrix(false);
  UpdateAlpha();
  UpdateMirror();
}

TSceneObject* TSceneObject::FindObject(const str& id) const
{
  return mChildren.FindObject(id);
}

void TSceneObject::AddToDrawList()
{
  if (!mVisible || !mScene)
    return;
  mScene->AddToDrawList(this);
  for (size_t i = 0; i < mChildren.size(); ++i)
    mChildren.at(i)->AddToDrawList();
}

// ---- placement ----

void TSceneObject::UpdateLocalMatrix()
{
  // Built whole from scale, rotation and position rather than adjusted by ratios to the
  // old scale, so a scale of 0 on the way never makes the matrix unusable.
  const float c = std::cos(mRotation);
  const float s = std::sin(mRotation);
  mLocalMatrix = TMat3(mScale.x * c, mScale.x * s, 0, -mScale.y * s, mScale.y * c, 0, mPosition.x, mPosition.y, 1);
}

void TSceneObject::UpdateMatrix(bool updateParticles)
{
  mDrawSpec.mTransform = mParent ? mLocalMatrix * mParent->mDrawSpec.mTransform : mLocalMatrix;
  if (updateParticles && mParticles) {
    mParticles->UpdatePosition();
    mParticles->RefreshPixelChooser();
  }
  for (size_t i = 0; i < mChildren.size(); ++i)
    mChildren.at(i)->UpdateMatrix(updateParticles);
}

void TSceneObject::setPosition(TVec2 position, bool updateParticles)
{
  mPosition = position;
  UpdateLocalMatrix();
  UpdateMatrix(updateParticles);
}

void TSceneObject::setScale(TVec2 scale)
{
  mScale = scale;
  UpdateLocalMatrix();
  UpdateMatrix(true);
}

void TSceneObject::setRotate(float radians)
{
  mRotation = radians;
  UpdateLocalMatrix();
  UpdateMatrix(true);
}

TVec2 TSceneObject::getAbsolutePosition() const
{
  return TVec2(mDrawSpec.mTransform[2].x, mDrawSpec.mTransform[2].y);
}

void TSceneObject::UpdateAlpha()
{
  mDrawSpec.mAlpha = mParent ? mAlpha * mParent->mDrawSpec.mAlpha : mAlpha;
  for (size_t i = 0; i < mChildren.size(); ++i)
    mChildren.at(i)->UpdateAlpha();
}

void TSceneObject::setAlpha(float alpha)
{
  mAlpha = alpha;
  UpdateAlpha();
}

void TSceneObject::UpdateMirror()
{
  bool parentFlip = mParent && (mParent->mDrawSpec.mFlags & TDrawSpec::kMirrorLeftRight);
  if (mWidthMirror != parentFlip)
    mDrawSpec.mFlags |= TDrawSpec::kMirrorLeftRight;
  else
    mDrawSpec.mFlags &= ~TDrawSpec::kMirrorLeftRight;
  UpdateSourceRect();
  for (size_t i = 0; i < mChildren.size(); ++i)
    mChildren.at(i)->UpdateMirror();
}

void TSceneObject::setWMirror(bool mirror)
{
  if (mirror == mWidthMirror)
    return;
  mWidthMirror = mirror;
  UpdateMirror();
}

void TSceneObject::setHMirror(bool mirror)
{
  if (mirror == mHeightMirror)
    return;
  mHeightMirror = mirror;
  if (mirror)
    mDrawSpec.mFlags |= TDrawSpec::kMirrorTopBottom;
  else
    mDrawSpec.mFlags &= ~TDrawSpec::kMirrorTopBottom;
}

void TSceneObject::setWRange(TVec2 range)
{
  mWidthRange = range;
  UpdateSourceRect();
}

void TSceneObject::setBlend(TRenderer::EBlendMode blend)
{
  mBlend = blend;
  mDrawSpec.mBlendMode = blend;
}

// ---- frames ----

CanlImage* TSceneObject::GetFrameImage() const
{
  return mScene ? mScene->GetImageResource().GetImage(mFrame) : nullptr;
}

int TSceneObject::FrameIndex(const str& name) const
{
  return mScene ? mScene->GetImageResource().getImageIndex(name) : -1;
}

str TSceneObject::getFrameName() const
{
  CanlImage* image = GetFrameImage();
  return image ? image->mId : str();
}

TVec2 TSceneObject::FrameOrigin(const CanlImage& image) const
{
  return TVec2(image.mX, image.mY);
}

void TSceneObject::UpdateSourceRect()
{
  CanlImage* image = GetFrameImage();
  if (!image)
    return;
  TVec2 origin = FrameOrigin(*image);
  TRect& source = mDrawSpec.mSrcRect;
  source.left = TruncateToInt(origin.x + image->mW * mWidthRange.x);
  source.right = TruncateToInt(origin.x + image->mW * mWidthRange.y);
  source.top = TruncateToInt(origin.y);
  source.bottom = TruncateToInt(origin.y + image->mH);
  // The sprite is mirrored about its pivot, so a flipped pivot counts from the other side.
  float pivotX = (image->mPx + origin.x) - static_cast<float>(source.left);
  if (mDrawSpec.mFlags & TDrawSpec::kMirrorLeftRight)
    pivotX = image->mW - pivotX;
  mDrawSpec.mCenter = TVec2(pivotX, image->mPy);
}

void TSceneObject::AcquireFrameTexture()
{
  CanlTexture* texture = mScene ? mScene->GetImageResource().GetImageTexture(mFrame) : nullptr;
  TTextureManager* manager = TTextureManager::GetInstance();
  mTexture = texture && manager ? manager->getTexture(texture->mFile) : TTextureWrapperRef();
}

void TSceneObject::load_set_frame(int frame)
{
  // An index that names no image (from a damaged file, say) is no frame.
  bool known = mScene && mScene->GetImageResource().GetImage(frame);
  mFrame = known ? frame : -1;
  if (mFrame == -1)
    return;
  AcquireFrameTexture();
  UpdateSourceRect();
}

void TSceneObject::Draw()
{
  Draw(*TSceneRenderer::Get());
}

void TSceneObject::Draw(TSceneRenderer& renderer)
{
  if (!mVisible)
    return;
  if (mContourOn && mContour)
    mContour->Draw(&mDrawSpec, renderer);
  if (mParticles)
    mParticles->Draw(&mDrawSpec);
  if (mFrame != -1 && mTexture)
    renderer.DrawSprite(mTexture->GetTexture(), mDrawSpec);
}

void TSceneObject::Redraw()
{
  if (mContourOn && mContour) {
    mContour->SetFrame(-1);
    mContour->SetFrame(mFrame);
  }
}

void TSceneObject::_Redraw()
{
  Redraw();
  for (size_t i = 0; i < mChildren.size(); ++i)
    mChildren.at(i)->_Redraw();
}

// ---- hit tests ----

bool TSceneObject::PointToTexture(const TPoint& point, int* x, int* y) const
{
  TMat3 inverse = mDrawSpec.mTransform;
  if (!invertMatrix(&inverse))
    return false;
  // The pixel's centre, as the rasteriser samples it, mapped back onto the sprite.
  TVec3 screen(static_cast<float>(point.x) + 0.5f, static_cast<float>(point.y) + 0.5f, 1);
  TVec3 local = vectorMulMatrix(&screen, &inverse);
  const TRect& source = mDrawSpec.mSrcRect;
  float u = local.x + mDrawSpec.mCenter.x;
  float v = local.y + mDrawSpec.mCenter.y;
  // Mirrored sprites are hit where they are drawn, not where the unmirrored image lies.
  if (mDrawSpec.mFlags & TDrawSpec::kMirrorLeftRight)
    u = static_cast<float>(source.right - source.left) - u;
  if (mDrawSpec.mFlags & TDrawSpec::kMirrorTopBottom)
    v = static_cast<float>(source.bottom - source.top) - v;
  if (!(u == u) || !(v == v))
    return false;
  *x = ClampToInt(int64_t(source.left) + FloorToInt(u));
  *y = ClampToInt(int64_t(source.top) + FloorToInt(v));
  return true;
}

TSceneObject* TSceneObject::HitTest(const TPoint& point, bool precise)
{
  if (!mVisible || mFrame == -1 || !mHitTest || !GetFrameImage())
    return nullptr;
  int x = 0, y = 0;
  if (!PointToTexture(point, &x, &y))
    return nullptr;
  const TRect& source = mDrawSpec.mSrcRect;
  if (x < source.left || x >= source.right || y < source.top || y >= source.bottom)
    return nullptr;
  if (!precise)
    return this;
  return mTexture && mTexture->hitTest(TPoint(x, y)) ? this : nullptr;
}

void TSceneObject::RangeHitTest(const TPoint& point, unsigned range, std::vector<TSceneObject*>* out)
{
  CanlImage* image = GetFrameImage();
  if (!mVisible || mFrame == -1 || !mHitTest || !image || !out)
    return;
  int x = 0, y = 0;
  if (!PointToTexture(point, &x, &y))
    return;
  unsigned radius = TruncateToUnsigned(static_cast<float>(range) / mScale.x);
  const int64_t r = std::min<unsigned>(radius, INT_MAX);
  const TRect& source = mDrawSpec.mSrcRect;
  if (x < source.left - r || x >= source.right + r || y < source.top - r || y >= source.bottom + r)
    return;
  TRect area(TruncateToInt(image->mX), TruncateToInt(image->mY), TruncateToInt(image->mX + image->mW),
             TruncateToInt(image->mY + image->mH));
  if (mTexture && mTexture->RangeHitTest(x, y, static_cast<int>(r), area))
    out->push_back(this);
}

// ---- events ----

bool TSceneObject::OnMouseDown(const TPoint&)
{
  if (mActions[kActionDown])
    action_execute(mActions[kActionDown]);
  return true;
}

bool TSceneObject::OnMouseUp(const TPoint&)
{
  if (mActions[kActionUp])
    action_execute(mActions[kActionUp]);
  return true;
}

void TSceneObject::OnMouseMove(const TPoint&)
{
  if (mActions[kActionMove])
    action_execute(mActions[kActionMove]);
}

void TSceneObject::OnMouseOut()
{
  if (mActions[kActionOut])
    action_execute(mActions[kActionOut]);
}

void TSceneObject::OnMouseIn()
{
  if (mActions[kActionIn])
    action_execute(mActions[kActionIn]);
}

void TSceneObject::OnTick(unsigned ms, bool withChildren)
{
  mTimeInState += ms;
  if (TSceneObjectState* state = GetCurrentState())
    state->mAnimators.OnTick(ms, true);
  mAnimators.OnTick(ms, false);
  if (withChildren)
    for (size_t i = 0; i < mChildren.size(); ++i)
      mChildren.at(i)->OnTick(ms, true);
  if (mParticles)
    mParticles->OnTimer();
}

bool TSceneObject::IsAnimating() const
{
  if (mParticles)
    return true;
  TSceneObjectState* state = GetCurrentState();
  if ((state && state->mAnimators.IsRunning()) || mAnimators.IsRunning())
    return true;
  for (size_t i = 0; i < mChildren.size(); ++i)
    if (mChildren.at(i)->IsAnimating())
      return true;
  return false;
}

void TSceneObject::SetAction(EAction which, CanlAction* action)
{
  if (mActions[which] != action)
    delete mActions[which];
  mActions[which] = action;
}

// ---- states, sets and actions ----

TSceneObjectState* TSceneObject::GetCurrentState() const
{
  return mStates.at(mCurrentState);
}

str TSceneObject::GetCurrentStateName() const
{
  TSceneObjectState* state = GetCurrentState();
  return state ? state->mName : str();
}

TSceneObjectState* TSceneObject::getState(const str& name) const
{
  return mStates.at(mStates.IndexOf(name));
}

int TSceneObject::getStateNum(const str& name) const
{
  return mStates.IndexOf(name);
}

void TSceneObject::setState(const str& name)
{
  int index = mStates.IndexOf(name);
  if (index != -1)
    setState(index);
}

void TSceneObject::RunScript(const str& script, const str& stateName)
{
  if (script.empty() || !mScene)
    return;
  mScene->GetScript().Run(TSceneScript::ExpandThis(script, mId, stateName));
}

void TSceneObject::HandSetToScene(TSetState* set)
{
  if (!mScene)
    return;
  if (!set->mParams.Has(TInitParam::kRelativePosition)) {
    mScene->ProcessStateChange(set);
    return;
  }
  TVec2 own = set->mParams.mPosition;
  set->mParams.mPosition += mPosition;
  mScene->ProcessStateChange(set);
  set->mParams.mPosition = own;
}

void TSceneObject::setState(int index)
{
  TSceneObjectState* state = mStates.at(index);
  if (!state)
    return;
  if (sStateNesting >= kMaxStateNesting) {
    WriteDbg("ERROR: State changes nest deeper than %d at object '%s'; state '%s' not entered", kMaxStateNesting,
             mId.c_str(), state->mName.c_str());
    return;
  }
  struct TNesting
  {
    TNesting() { ++sStateNesting; }
    ~TNesting() { --sStateNesting; }
  } nesting;

  const int previous = mCurrentState;
  mCurrentState = index;
  mTimeInState = 0;
  set_set_params(state->mParams);
  state->mAnimators.Init();
  if (mStateListener)
    mStateListener->OnStateChange(this, previous, index);
  RunScript(state->mScript, state->mName);
  // The script may have moved the object on, and re-entering the current state gives no sets.
  if (mCurrentState == previous || !mScene)
    return;
  for (size_t i = 0; i < state->mSets.size(); ++i)
    HandSetToScene(state->mSets.at(i));
}

void TSceneObject::action_execute(CanlAction* action)
{
  if (!action)
    return;
  for (size_t i = 0; i < action->mSets.size(); ++i)
    HandSetToScene(action->mSets.at(i));
  RunScript(action->mScript, GetCurrentStateName());
}

bool TSceneObject::ProcessStateChange(TSetState* set)
{
  if (mId == set->mObject) {
    set_set_params(set->mParams);
    return true;
  }
  return mChildren.ProcessStateChange(set);
}

void TSceneObject::set_set_params(const TInitParam& params)
{
  // The state first, so the other properties of the same set override what it set.
  if (params.Has(TInitParam::kState))
    setState(params.mState);
  if (params.Has(TInitParam::kAlpha))
    setAlpha(params.mAlpha);
  if (params.Has(TInitParam::kRotation))
    setRotate(params.mRotation);
  if (params.Has(TInitParam::kPosition))
    setPosition(params.mPosition, true);
  if (params.Has(TInitParam::kWidthRange))
    setWRange(params.mWidthRange);
  if (params.Has(TInitParam::kWidthMirror))
    setWMirror(params.mWidthMirror);
  if (params.Has(TInitParam::kHeightMirror))
    setHMirror(params.mHeightMirror);
  if (params.Has(TInitParam::kScale))
    setScale(params.mScale);
  if (params.Has(TInitParam::kVisible))
    setVisible(params.mVisible);
  if (params.Has(TInitParam::kBlend))
    setBlend(params.mBlend);
  if (params.Has(TInitParam::kContour))
    setDrawContour(params.mContour);
  if (params.Has(TInitParam::kParticle))
    setParticle(params.mParticle);
  if (params.Has(TInitParam::kHitTest))
    setHitTest(params.mHitTest);
  if (params.Has(TInitParam::kZ))
    setZ(params.mZ);
  if (params.Has(TInitParam::kFrame))
    setFrame(FrameIndex(params.mFrame));
  if (params.Has(TInitParam::kTag))
    setTag(params.mTag);
  if (params.Has(TInitParam::kSound))
    setSound(params.mSound);
  if (params.Has(TInitParam::kSoundLoop))
    setSoundLoop(params.mSoundLoop);
  if (params.Has(TInitParam::kSoundPlaying))
    setSoundPlaying(params.mSoundPlaying);
  if (params.Has(TInitParam::kSoundVolume))
    setSoundVolume(params.mSoundVolume);
}

// ---- contour, particles, sound ----

void TSceneObject::setDrawContour(bool on)
{
  mContourOn = on;
  if (!on)
    return;
  if (!mContour)
    mContour = new TContour(this);
  mContour->SetFrame(mFrame);
}

void TSceneObject::setParticle(const str& name)
{
  if (!mParticles && name.empty())
    return;
  if (!mParticles)
    mParticles = new TParticlesObject(this);
  mParticles->SetSystem(name);
  mParticles->RefreshPixelChooser();
}

str TSceneObject::getParticle() const
{
  return mParticles ? mParticles->GetName() : str();
}

bool TSceneObject::SoundIsOff() const
{
  if (!sPreferences)
    return false;
  int user = sPreferences->GetInt("curuser", -1, -1);
  return sPreferences->GetInt("soundoff", 0, user) == 1;
}

void TSceneObject::setSound(const str& name)
{
  if (name == mSoundName)
    return;
  // Only a looping sound stays marked as playing; it must not outlive the switch.
  if (mSound && mSoundInstance && mSoundPlaying)
    TSoundPlayer::KillInstance(mSoundInstance);
  mSoundInstance.reset();
  mSoundName = name;
  mSound = TSoundPlayer::Get(name, false, kSoundGroup);
  if (!mSound)
    return;
  TSoundPlayer::Kill(mSound);
  if (mSoundPlaying)
    mSoundInstance = TSoundPlayer::Play(mSound, mSoundLoop);
}

void TSceneObject::setSoundPlaying(bool playing)
{
  if (mSound) {
    TSoundPlayer::Kill(mSound);
    if (playing)
      mSoundInstance = TSoundPlayer::Play(mSound, mSoundLoop);
  }
  mSoundPlaying = playing && mSoundLoop;
}

void TSceneObject::setSoundVolume(float volume)
{
  mSoundVolume = volume;
  if (mSoundInstance && !SoundIsOff())
    TSoundPlayer::SetInstanceVolume(mSoundInstance, volume);
}

// ---- XML ----

bool TSceneObject::LoadFromXML(TXmlNode* node)
{
  if (node->GetName() != str("object"))
    return false;
  mId = node->GetAttribute("id");
  setScale(ReadTVec2Attribute(node, "s", TVec2(1, 1)));
  bool found = false;
  TVec2 position = ReadTVec2AttributeEx(&found, node, "p", TVec2(0, 0));
  if (!found)
    position = TVec2(ReadTRealAttribute(node, "x", 0), ReadTRealAttribute(node, "y", 0));
  mZ = ReadTRealAttribute(node, "z", 0);
  setPosition(position, true);
  TRenderer::EBlendMode blend = mBlend;
  if (TInitParam::ReadBlending(node, blend))
    setBlend(blend);
  setWRange(ReadTVec2Attribute(node, "wr", TVec2(0, 1)));
  setWMirror(ReadBoolAttribute(node, "wm", false));
  setHMirror(ReadBoolAttribute(node, "hm", false));
  setRotate(ReadTRealAttribute(node, "r", 0));
  setAlpha(ReadTRealAttribute(node, "a", 1));
  mVisible = ReadBoolAttribute(node, "v", true);
  mHitTest = ReadBoolAttribute(node, "ht", true);
  setDrawContour(ReadBoolAttribute(node, "c", false));
  str frame = node->GetAttribute("f");
  const int frameIndex = frame.empty() ? -1 : FrameIndex(frame);
  if (!frame.empty() && frameIndex == -1)
    WriteDbg("ERROR: Object '%s' shows image '%s', which the scene's resources do not have", mId.c_str(),
             frame.c_str());
  load_set_frame(frameIndex);
  // The contour was switched on before the frame was known.
  if (mContourOn && mContour)
    mContour->SetFrame(mFrame);
  setParticle(node->GetAttribute("pr"));
  mTag = ReadIntAttribute(node, "t", 0);
  str initialState = node->GetAttribute("st");
  setSound(node->GetAttribute("snd_n"));
  setSoundPlaying(ReadBoolAttribute(node, "snd_p", false));
  setSoundVolume(ReadTRealAttribute(node, "snd_v", mSoundVolume));
  if (TXmlNode* animators = node->GetChild("animators"))
    mAnimators.LoadFromXML(animators, this);
  if (TXmlNode* states = node->GetChild("states"))
    mStates.LoadFromXML(states, this);
  mCurrentState = -1;
  if (!initialState.empty())
    setState(initialState);
  for (int which = 0; which < kActionCount; ++which) {
    if (TXmlNode* element = node->GetChild(kActionElements[which])) {
      CanlAction* action = new CanlAction;
      action->LoadFromXML(element, this);
      SetAction(static_cast<EAction>(which), action);
    }
  }
  if (TXmlNode* children = node->GetChild("objects"))
    mChildren.LoadFromXML(children, mScene, this);
  return true;
}

void TSceneObject::StoreToXML(TXmlNode* node) const
{
  node->SetAttribute("id", mId.c_str());
  if (mScale != TVec2(1, 1))
    SetTVec2Attribute(node, "s", mScale);
  SetTVec2Attribute(node, "p", mPosition);
  if (mContourOn)
    node->SetAttribute("c", "1");
  if (mParticles)
    node->SetAttribute("pr", mParticles->GetName().c_str());
  SetTRealAttribute(node, "z", mZ);
  TInitParam::WriteBlending(node, mBlend);
  if (mWidthRange != TVec2(0, 1))
    SetTVec2Attribute(node, "wr", mWidthRange);
  if (mWidthMirror)
    node->SetAttribute("wm", "1");
  if (!mHitTest)
    node->SetAttribute("ht", "0");
  if (mHeightMirror)
    node->SetAttribute("hm", "1");
  if (mRotation != 0)
    SetTRealAttribute(node, "r", mRotation);
  if (mAlpha != 1)
    SetTRealAttribute(node, "a", mAlpha);
  if (!mVisible)
    node->SetAttribute("v", "0");
  if (mFrame != -1)
    node->SetAttribute("f", getFrameName().c_str());
  if (mTag != 0)
    node->SetAttribute("t", FormatC("%d", mTag).c_str());
  if (GetCurrentState())
    node->SetAttribute("st", GetCurrentStateName().c_str());
  if (!mAnimators.empty())
    mAnimators.StoreToXML(node->CreateChild("animators"));
  if (!mStates.empty())
    mStates.StoreToXML(node->CreateChild("states"));
  for (int which = 0; which < kActionCount; ++which)
    if (mActions[which])
      mActions[which]->StoreToXML(node->CreateChild(kActionElements[which]));
  if (!mChildren.empty())
    mChildren.StoreToXML(node->CreateChild("objects"));
}

// ---- binary ----

void TSceneObject::Store(TBinaryBuffer* buffer) const
{
  mAnimators.Store(buffer);
  mStates.Store(buffer);
  buffer->WriteString(mId);
  buffer->WriteF32(mPosition.x);
  buffer->WriteF32(mPosition.y);
  buffer->WriteF32(mZ);
  buffer->WriteU32(static_cast<uint32_t>(mBlend));
  buffer->WriteBool(mContourOn);
  buffer->WriteBool(mHitTest);
  buffer->WriteF32(mWidthRange.x);
  buffer->WriteF32(mWidthRange.y);
  buffer->WriteBool(mWidthMirror);
  buffer->WriteBool(mHeightMirror);
  buffer->WriteF32(mAlpha);
  buffer->WriteF32(mRotation);
  buffer->WriteF32(mScale.x);
  buffer->WriteF32(mScale.y);
  buffer->WriteBool(mVisible);
  buffer->WriteI32(mFrame);
  buffer->WriteI32(mTag);
  buffer->WriteString(getParticle());
  buffer->WriteI32(mCurrentState);
  buffer->WriteU32(mTimeInState);
  buffer->WriteString(mSoundName);
  buffer->WriteBool(mSoundPlaying);
  buffer->WriteBool(mSoundLoop);
  buffer->WriteF32(mSoundVolume);
  for (const CanlAction* action : mActions) {
    buffer->WriteU32(action ? 1 : 0);
    if (action)
      action->Store(buffer);
  }
  mChildren.Store(buffer);
}

bool TSceneObject::Load(TBinaryBuffer* buffer)
{
  if (!mAnimators.Load(buffer, this) || !mStates.Load(buffer, this))
    return false;
  TVec2 position, range, scale;
  float z = 0, alpha = 1, rotation = 0, volume = 0;
  uint32_t blend = 0, timeInState = 0;
  bool contour = false, hitTest = true, widthMirror = false, heightMirror = false;
  bool visible = true, playing = false, loop = false;
  int32_t frame = -1, tag = 0, state = -1;
  str particle, sound;
  bool read = buffer->ReadString(&mId) && buffer->ReadF32(&position.x) && buffer->ReadF32(&position.y) &&
              buffer->ReadF32(&z) && buffer->ReadU32(&blend) && buffer->ReadBool(&contour) &&
              buffer->ReadBool(&hitTest) && buffer->ReadF32(&range.x) && buffer->ReadF32(&range.y) &&
              buffer->ReadBool(&widthMirror) && buffer->ReadBool(&heightMirror) && buffer->ReadF32(&alpha) &&
              buffer->ReadF32(&rotation) && buffer->ReadF32(&scale.x) && buffer->ReadF32(&scale.y) &&
              buffer->ReadBool(&visible) && buffer->ReadI32(&frame) && buffer->ReadI32(&tag) &&
              buffer->ReadString(&particle) && buffer->ReadI32(&state) && buffer->ReadU32(&timeInState) &&
              buffer->ReadString(&sound) && buffer->ReadBool(&playing) && buffer->ReadBool(&loop) &&
              buffer->ReadF32(&volume);
  if (!read) {
    buffer->Fail("of a scene object");
    return false;
  }
  mZ = z;
  setPosition(position, true);
  setBlend(blend <= TRenderer::kBlendMultiplicative ? static_cast<TRenderer::EBlendMode>(blend)
                                                    : TRenderer::kBlendNormal);
  setDrawContour(contour);
  mHitTest = hitTest;
  setWRange(range);
  setWMirror(widthMirror);
  setHMirror(heightMirror);
  setAlpha(alpha);
  setRotate(rotation);
  setScale(scale);
  mVisible = visible;
  load_set_frame(frame);
  if (mContourOn && mContour)
    mContour->SetFrame(mFrame);
  mTag = tag;
  if (!particle.empty())
    setParticle(particle);
  // The state is restored, not entered again: its animators go on where they were.
  mCurrentState = mStates.at(state) ? state : -1;
  mTimeInState = timeInState;
  mSoundPlaying = playing;
  mSoundLoop = loop;
  mSoundVolume = volume;
  setSound(sound);
  setSoundVolume(volume);
  for (int which = 0; which < kActionCount; ++which) {
    uint32_t present = 0;
    if (!buffer->ReadU32(&present)) {
      buffer->Fail("of a scene object's actions");
      return false;
    }
    if (!present)
      continue;
    CanlAction* action = new CanlAction;
    SetAction(static_cast<EAction>(which), action);
    if (!action->Load(buffer))
      return false;
  }
  return mChildren.Load(buffer, mScene, this);
}
