// sceneobject: the base of every scene object: a frame of the scene's images placed through
// a chain of transforms, with states, animators, mouse actions, sound, effects and children.
#pragma once

#include <cstdint>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/mat.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/foundation/vec.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "scene/animator.h"
#include "scene/objectfactory.h"
#include "scene/objectstate.h"
#include "scene/sceneobjects.h"
#include "scene/texturewrapper.h"

class CanlAction;
class CanlImage;
class TBinaryBuffer;
class TContour;
class TInitParam;
class TParticlesObject;
class TPrefsDB;
class TScene;
class TSceneRenderer;
class TSetState;
class TSound;
class TSoundInstance;
class TXmlNode;

// Told of every state change of the objects it listens to.
class TSceneObjectStateListener
{
public:
  virtual ~TSceneObjectStateListener() {}
  virtual void OnStateChange(TSceneObject* object, int oldState, int newState) = 0;
};

class TSceneObject : public CanlBaseClass
{
public:
  // The five mouse actions, in the order the object keeps and stores them.
  enum EAction
  {
    kActionMove,
    kActionIn,
    kActionOut,
    kActionDown,
    kActionUp,
    kActionCount
  };

  TSceneObject();
  ~TSceneObject() override;

  const char* getDynamicId() const override { return "TSceneObject"; }

  virtual void Store(TBinaryBuffer* buffer) const;
  // False when the record is damaged or cut short; the object keeps what it read.
  virtual bool Load(TBinaryBuffer* buffer);
  virtual void StoreToXML(TXmlNode* node) const;
  // False, without reading, for an element not named "object".
  virtual bool LoadFromXML(TXmlNode* node);

  // Enters the state of that index (out of range does nothing).
  virtual void setState(int index);
  // Enters the first state of that name; an unknown name does nothing.
  void setState(const str& name);
  TSceneObjectState* getState(const str& name) const;
  int getStateNum(const str& name) const;
  int GetCurrentStateIndex() const { return mCurrentState; }
  TSceneObjectState* GetCurrentState() const;
  // Empty when the object is in no state.
  str GetCurrentStateName() const;
  unsigned GetTimeInState() const { return mTimeInState; }
  TSceneObjectStates& GetStates() { return mStates; }
  TAnimators& GetAnimators() { return mAnimators; }

  virtual void setFrame(int frame) = 0;
  virtual void setFrame(const str& name) = 0;
  // The frame change made while loading: no contour update, -1 accepted.
  virtual void load_set_frame(int frame);
  int GetFrame() const { return mFrame; }
  // The id of the current frame's image; empty without a frame.
  str getFrameName() const;

  // Draws into the renderer the scene is drawn into.
  virtual void Draw(TSceneRenderer& renderer);
  // Draws into the scene renderer in use (for callers outside a frame's draw).
  void Draw();
  virtual void Redraw();
  // Redraw of the object and then of its whole subtree.
  void _Redraw();

  // The object itself when the point (screen pixels) falls on its frame (on a solid pixel
  // when precise), else null.
  virtual TSceneObject* HitTest(const TPoint& point, bool precise);
  // Appends the object when a solid pixel of its frame lies within range of the point.
  virtual void RangeHitTest(const TPoint& point, unsigned range, std::vector<TSceneObject*>* out);

  virtual bool OnMouseDown(const TPoint& point);
  virtual bool OnMouseUp(const TPoint& point);
  virtual void OnMouseMove(const TPoint& point);
  virtual void OnMouseOut();
  virtual void OnMouseIn();
  virtual void OnTick(unsigned ms, bool withChildren);
  // The object or one of its children changes with time: an animator runs, particles move.
  bool IsAnimating() const;

  // Applies the present properties of a set, the state first.
  virtual void set_set_params(const TInitParam& params);
  // Runs an action: its sets, then its script.
  void action_execute(CanlAction* action);
  // Applies the set when it is meant for this object, else offers it to the children in
  // order; true once an object took it.
  bool ProcessStateChange(TSetState* set);
  CanlAction* GetAction(EAction which) const { return mActions[which]; }
  // Replaces (and owns) the action.
  void SetAction(EAction which, CanlAction* action);

  void setPosition(TVec2 position, bool updateParticles = true);
  void setScale(TVec2 scale);
  void setRotate(float radians);
  void setAlpha(float alpha);
  void setWMirror(bool mirror);
  void setHMirror(bool mirror);
  void setWRange(TVec2 range);
  void setVisible(bool visible) { mVisible = visible; }
  void setHitTest(bool hitTest) { mHitTest = hitTest; }
  void setZ(float z) { mZ = z; }
  void setTag(int32_t tag) { mTag = tag; }
  void setBlend(TRenderer::EBlendMode blend);
  void setDrawContour(bool on);
  void setParticle(const str& name);
  str getParticle() const;
  void setSound(const str& name);
  void setSoundPlaying(bool playing);
  void setSoundVolume(float volume);
  void setSoundLoop(bool loop) { mSoundLoop = loop; }

  const str& GetId() const { return mId; }
  void SetId(const str& id) { mId = id; }
  TVec2 GetPosition() const { return mPosition; }
  TVec2 GetScale() const { return mScale; }
  float GetRotation() const { return mRotation; }
  float GetAlpha() const { return mAlpha; }
  float GetEffectiveAlpha() const { return mDrawSpec.mAlpha; }
  TVec2 GetWidthRange() const { return mWidthRange; }
  bool GetWMirror() const { return mWidthMirror; }
  bool GetHMirror() const { return mHeightMirror; }
  bool IsVisible() const { return mVisible; }
  bool GetHitTest() const { return mHitTest; }
  float GetZ() const { return mZ; }
  int32_t GetTag() const { return mTag; }
  TRenderer::EBlendMode GetBlend() const { return mBlend; }
  bool GetDrawContour() const { return mContourOn; }
  TContour* GetContour() const { return mContour; }
  // The particle effect's holder; null until the object first had an effect.
  TParticlesObject* GetParticles() const { return mParticles; }
  const str& GetSoundName() const { return mSoundName; }
  bool GetSoundPlaying() const { return mSoundPlaying; }
  bool GetSoundLoop() const { return mSoundLoop; }
  float GetSoundVolume() const { return mSoundVolume; }
  // The translation of the world transform: the object's position in screen pixels.
  TVec2 getAbsolutePosition() const;
  const TMat3& GetLocalMatrix() const { return mLocalMatrix; }
  const TDrawSpec& GetDrawSpec() const { return mDrawSpec; }
  const TTextureWrapperRef& GetTexture() const { return mTexture; }

  TSceneObject* GetParent() const { return mParent; }
  // Takes over the parent's transform, alpha and mirroring.
  void SetParent(TSceneObject* parent);
  TScene* GetScene() const { return mScene; }
  void SetScene(TScene* scene) { mScene = scene; }
  TSceneObjects& GetChildren() { return mChildren; }
  const TSceneObjects& GetChildren() const { return mChildren; }
  // Depth-first search of the descendants, each before its own children.
  TSceneObject* FindObject(const str& id) const;
  // Appends the visible object and then its visible subtree to the scene's draw list.
  void AddToDrawList();

  void SetStateListener(TSceneObjectStateListener* listener) { mStateListener = listener; }

  // Recomputes the world transform of the object and its subtree.
  void UpdateMatrix(bool updateParticles);

  // The preferences database of the game's settings, where the current player's
  // "soundoff" choice is kept; without one (the default) sound is on.
  static void SetPreferences(TPrefsDB* prefs);
  static TPrefsDB* GetPreferences();

protected:
  // The frame's image in the scene's resource; null without a frame or scene.
  CanlImage* GetFrameImage() const;
  // Source rectangle and pivot of the frame, after a frame, width-range or mirror change.
  void UpdateSourceRect();
  // Where the frame's rectangle starts in the texture the object draws from.
  virtual TVec2 FrameOrigin(const CanlImage& image) const;
  // The frame's texture from the texture manager (empty for an image without one).
  void AcquireFrameTexture();
  // The image index of a frame name in the scene's resource, -1 when none.
  int FrameIndex(const str& name) const;
  // Maps a screen point into the frame's texture pixels; false when the transform
  // cannot be inverted.
  bool PointToTexture(const TPoint& point, int* x, int* y) const;

  TTextureWrapperRef mTexture;
  TMat3 mLocalMatrix;
  TDrawSpec mDrawSpec;
  TSceneObject* mParent;
  TScene* mScene;
  TSceneObjectStateListener* mStateListener;
  TSceneObjectStates mStates;
  TAnimators mAnimators;
  CanlAction* mActions[kActionCount];
  str mId;
  TVec2 mPosition;
  float mAlpha;
  float mRotation;
  TVec2 mScale;
  bool mVisible;
  int32_t mFrame;
  TVec2 mWidthRange;
  bool mWidthMirror;
  bool mHeightMirror;
  TRenderer::EBlendMode mBlend;
  bool mHitTest;
  float mZ;
  int32_t mTag;
  int32_t mCurrentState;
  uint32_t mTimeInState;
  TSceneObjects mChildren;
  bool mContourOn;
  TContour* mContour;
  TParticlesObject* mParticles;
  str mSoundName;
  boost::shared_ptr<TSound> mSound;
  boost::shared_ptr<TSoundInstance> mSoundInstance;
  bool mSoundPlaying;
  bool mSoundLoop;
  float mSoundVolume;

private:
  TSceneObject(const TSceneObject&) = delete;
  TSceneObject& operator=(const TSceneObject&) = delete;

  void UpdateLocalMatrix();
  void UpdateAlpha();
  void UpdateMirror();
  void HandSetToScene(TSetState* set);
  void RunScript(const str& script, const str& stateName);
  bool SoundIsOff() const;
};
