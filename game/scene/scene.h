// scene: one layer of a game screen: its image resource, its tree of objects and the Lua
// state in which their scripts run; draws in depth order, routes the mouse, ticks, stores.
#pragma once

#include <vector>

#include "core/foundation/color.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/foundation/task.h"
#include "scene/imageresource.h"
#include "scene/sceneobjects.h"
#include "scene/scenescript.h"

class TBinaryBuffer;
class TContourVertexList;
class TSceneObject;
class TSceneRenderer;
class TSetState;
class TXmlNode;

class TScene
{
public:
  // Re-renders the scene's objects when textures have to be refreshed.
  class TextureRefreshListener : public TTask
  {
  public:
    explicit TextureRefreshListener(TScene* scene) : mScene(scene) {}
    bool DoTask() override;

  private:
    TScene* mScene;
  };

  TScene();
  virtual ~TScene();

  // The scene engine's list of the live scenes' texture-refresh listeners: each scene adopts
  // its own there and takes it back when it goes. Nothing runs the list yet; it lives for the
  // whole program, so a scene never outlives it.
  static TTaskList& GetTextureRefreshListeners();

  // Empties the id, deletes every object and clears the image resource.
  virtual void Clear();

  // The id, the image resource and the top-level objects.
  virtual void Store(TBinaryBuffer* buffer) const;
  // Appends; false (what was read so far kept) when the record is damaged.
  virtual bool Load(TBinaryBuffer* buffer);
  // Names the node "scene" and writes the id and the objects.
  virtual void StoreToXML(TXmlNode* node) const;
  // Reads a "scene" element: id, contour colours, the resources file it names and every
  // "objects" child. False, before any object is read, when the resources file named
  // cannot be read or holds no "resources" element.
  virtual bool LoadFromXML(TXmlNode* node);

  // Rebuilds the draw list (visible objects, sorted by z, tree order among equals) and
  // draws it from the bottom up.
  // Draws the visible objects, deepest first, into renderer.
  virtual void Draw(TSceneRenderer& renderer);
  // Draws into the scene renderer in use (for callers outside a frame's draw).
  void Draw();
  // The topmost object of the last frame's draw list that the point hits; null when none.
  virtual TSceneObject* HitTest(const TPoint& point, bool precise);
  // Every object of the last frame with a solid pixel within range, from the top down.
  virtual std::vector<TSceneObject*> RangeHitTest(const TPoint& point, unsigned range);
  // The objects of the last frame, from the top down, whose image rectangles overlap the
  // object's (which must have a frame).
  virtual std::vector<TSceneObject*> ObjectBoxHitTest(TSceneObject* object);
  // Ticks every top-level object with its subtree.
  virtual void OnTick(unsigned ms);
  // Some object changes with time, so the next tick changes what the scene draws.
  bool IsAnimating() const;
  // True when an object took the press.
  virtual bool OnMouseDown(const TPoint& point);
  // True when there was a pressed object; it gets the release wherever the pointer is.
  virtual bool OnMouseUp(const TPoint& point);
  // Out and in to the objects the pointer leaves and enters; true when it is over one.
  virtual bool OnMouseMove(const TPoint& point);

  const str& GetId() const { return mId; }
  void SetId(const str& id) { mId = id; }
  CanlImageResource& GetImageResource() { return mImageResource; }
  TSceneObjects& GetObjects() { return mObjects; }
  TSceneScript& GetScript() { return mScript; }

  // Depth-first over the top-level objects in order, each before its descendants.
  TSceneObject* FindObject(const str& id) const;
  // Gives the set to the first object, in depth-first order, whose id it names.
  bool ProcessStateChange(TSetState* set);

  // The outlines of the scene's frames for contours, made on first use.
  TContourVertexList* getVertexList();
  // The ring colours of contours, from the centre outwards.
  const std::vector<TColor32>& GetContourColors() const { return mContourColors; }
  void SetContourColors(const std::vector<TColor32>& colours) { mContourColors = colours; }

  // The visible objects of the last frame, in drawing order.
  void ClearDrawList() { mDrawList.clear(); }
  void AddToDrawList(TSceneObject* object) { mDrawList.push_back(object); }
  const std::vector<TSceneObject*>& GetDrawList() const { return mDrawList; }
  TSceneObject* GetHoveredObject() const { return mHovered; }
  TSceneObject* GetPressedObject() const { return mPressed; }
  // Drops every reference the scene keeps to an object that is going away.
  void ForgetObject(TSceneObject* object);

private:
  TScene(const TScene&) = delete;
  TScene& operator=(const TScene&) = delete;

  void BindScriptFunctions();
  void ReadContourColors(TXmlNode* contour);
  void SortDrawList();

  // The functions of the scene's Lua state.
  void setStateIfState(str object, str state, str testObject, str testState);
  void setStateIfnState(str object, str state, str testObject, str testState);
  void setStateIfTag(str object, str state, str testObject, int tag);
  void setStateIfnTag(str object, str state, str testObject, int tag);
  void setObjectState(str object, str state);
  str getObjectState(str object);
  unsigned getObjectPosX(str object);
  unsigned getObjectPosY(str object);

  TextureRefreshListener* mRefreshListener;
  str mId;
  CanlImageResource mImageResource;
  TSceneObjects mObjects;
  std::vector<TSceneObject*> mDrawList;
  TContourVertexList* mVertexList;
  std::vector<TColor32> mContourColors;
  TSceneScript mScript;
  TSceneObject* mHovered;
  TSceneObject* mPressed;
  // The object a mouse call is delivering to; cleared if a script's side effect deletes it.
  TSceneObject* mDelivering;
};
