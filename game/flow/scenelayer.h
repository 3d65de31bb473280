// scenelayer: the scene calls the game's screens make (load a scene file, draw, tick, route
// the mouse, hit-test, store and load a scene's record), in one place over the scene engine.
#pragma once

#include "core/foundation/rect.h"
#include "core/foundation/str.h"

class TBinaryBuffer;
class TScene;
class TSceneObject;

// A new scene from an ".sxm" file (owned by the caller); null, with an "ERROR: " line, when
// the file holds no "scene".
TScene* LoadSceneFile(const str& file);

// The mouse state a scene keeps between events: the object under the pointer and the one
// that took the last press. Forgotten whenever the scene's objects change.
struct TSceneMouse
{
  TSceneObject* mHovered = nullptr;
  TSceneObject* mPressed = nullptr;
};

void DrawScene(TScene* scene);
void TickScene(TScene* scene, unsigned ms);
// The top object drawn last frame whose solid pixels hold the point; null when none.
TSceneObject* HitTestScene(TScene* scene, const TPoint& point);
// True when an object took the event.
bool SceneMouseDown(TScene* scene, TSceneMouse* mouse, const TPoint& point);
bool SceneMouseUp(TScene* scene, TSceneMouse* mouse, const TPoint& point);
bool SceneMouseMove(TScene* scene, TSceneMouse* mouse, const TPoint& point);

void StoreScene(TScene* scene, TBinaryBuffer* buffer);
// Into a new, empty scene; false for a damaged record.
bool LoadScene(TScene* scene, TBinaryBuffer* buffer);
