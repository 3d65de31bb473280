// scene: one layer of a game screen: its image resource, its tree of objects and the Lua
// state in which their scripts run; draws in depth order, routes the mouse, ticks, stores.
#include "scene/scene.h"

#include <algorithm>

#include "core/foundation/xmlnode.h"
#include "core/script/luabind.h"
#include "core/foundation/debug.h"
#include "scene/binarybuffer.h"
#include "scene/contour.h"
#include "scene/matrixutil.h"
#include "scene/particlesmanager.h"
#include "scene/sceneobject.h"
#include "scene/scenerenderer.h"
#include "scene/xmlattributes.h"

namespace {

// Scene ids are names; a longer one in a record is damage.
const unsigned kMaxIdLength = 255;

const TColor32 kDefaultContourColors[] = {TColor32(255, 246, 86, 150), TColor32(255, 246, 86, 100),
                                          TColor32(255, 246, 86, 75), TColor32(255, 246, 86, 50)};

// NaN (a damaged record) sorts as 0, so the order stays a strict weak one.
float DepthKey(const TSceneObject* object)
{
  float z = object->GetZ();
  return z == z ? z : 0.0f;
}

// The image rectangle of an object's frame about its pivot; false without a frame.
bool PivotRect(TScene* scene, TSceneObject* object, TRect* rect)
{
  CanlImage* image = scene->GetImageResource().GetImage(object->GetFrame());
  if (!image)
    return false;
  *rect = TRect(TruncateToInt(-image->mPx), TruncateToInt(-image->mPy), TruncateToInt(image->mW - image->mPx),
                TruncateToInt(image->mH - image->mPy));
  return true;
}

} // namespace

bool TScene::TextureRefreshListener::DoTask()
{
  TSceneObjects& objects = mScene->GetObjects();
  for (size_t i = 0; i < objects.size(); ++i)
    objects.at(i)->_Redraw();
  return true;
}

TTaskList& TScene::GetTextureRefreshListeners()
{
  // Never destroyed: scenes held by objects that die after main's statics still find it.
  static TTaskList* listeners = new TTaskList;
  return *listeners;
}

TScene::TScene()
    : mRefreshListener(new TextureRefreshListener(this)), mVertexList(nullptr),
      mContourColors(std::begin(kDefaultContourColors), std::end(kDefaultContourColors)), mHovered(nullptr),
      mPressed(nullptr), mDelivering(nullptr)
{
  GetTextureRefreshListeners().AdoptTask(mRefreshListener);
  BindScriptFunctions();
}

TScene::~TScene()
{
  Clear();
  GetTextureRefreshListeners().OrphanTask(mRefreshListener);
  delete mRefreshListener;
  delete mVertexList;
  if (GParticlesManager* particles = GParticlesManager::GetInstance())
    particles->Clear();
}

void TScene::Clear()
{
  mId = str();
  mDrawList.clear();
  mHovered = mPressed = mDelivering = nullptr;
  mObjects.Clear();
  mImageResource.Clear();
  // The outlines belong to the images just cleared.
  delete mVertexList;
  mVertexList = nullptr;
}

void TScene::ForgetObject(TSceneObject* object)
{
  if (mHovered == object)
    mHovered = nullptr;
  if (mPressed == object)
    mPressed = nullptr;
  if (mDelivering == object)
    mDelivering = nullptr;
  if (!mDrawList.empty())
    mDrawList.erase(std::remove(mDrawList.begin(), mDrawList.end(), object), mDrawList.end());
}

TSceneObject* TScene::FindObject(const str& id) const
{
  return mObjects.FindObject(id);
}

bool TScene::ProcessStateChange(TSetState* set)
{
  return mObjects.ProcessStateChange(set);
}

TContourVertexList* TScene::getVertexList()
{
  if (!mVertexList)
    mVertexList = new TContourVertexList(this);
  return mVertexList;
}

// ---- drawing and hit tests ----

void TScene::SortDrawList()
{
  // Stable, so equal depths keep their tree order: children over their parent, later
  // siblings over earlier ones.
  std::stable_sort(mDrawList.begin(), mDrawList.end(),
                   [](const TSceneObject* a, const TSceneObject* b) { return DepthKey(a) < DepthKey(b); });
}

void TScene::Draw()
{
  Draw(*TSceneRenderer::Get());
}

void TScene::Draw(TSceneRenderer& renderer)
{
  mDrawList.clear();
  for (size_t i = 0; i < mObjects.size(); ++i)
    mObjects.at(i)->AddToDrawList();
  if (mDrawList.empty())
    return;
  SortDrawList();
  for (size_t i = 0; i < mDrawList.size(); ++i)
    mDrawList[i]->Draw(renderer);
}

TSceneObject* TScene::HitTest(const TPoint& point, bool precise)
{
  for (size_t i = mDrawList.size(); i-- > 0;)
    if (TSceneObject* hit = mDrawList[i]->HitTest(point, precise))
      return hit;
  return nullptr;
}

std::vector<TSceneObject*> TScene::RangeHitTest(const TPoint& point, unsigned range)
{
  std::vector<TSceneObject*> found;
  for (size_t i = mDrawList.size(); i-- > 0;)
    mDrawList[i]->RangeHitTest(point, range, &found);
  return found;
}

std::vector<TSceneObject*> TScene::ObjectBoxHitTest(TSceneObject* object)
{
  std::vector<TSceneObject*> found;
  TRect own;
  if (!object || !PivotRect(this, object, &own))
    return found;
  const TMat3& ownMatrix = object->GetDrawSpec().mTransform;
  for (size_t i = mDrawList.size(); i-- > 0;) {
    TSceneObject* other = mDrawList[i];
    TRect rect;
    if (!other->GetHitTest() || !PivotRect(this, other, &rect))
      continue;
    if (RectItersectTest(own, ownMatrix, rect, other->GetDrawSpec().mTransform))
      found.push_back(other);
  }
  return found;
}

// ---- ticks and the mouse ----

void TScene::OnTick(unsigned ms)
{
  for (size_t i = 0; i < mObjects.size(); ++i)
    mObjects.at(i)->OnTick(ms, true);
}

bool TScene::IsAnimating() const
{
  for (size_t i = 0; i < mObjects.size(); ++i)
    if (mObjects.at(i)->IsAnimating())
      return true;
  return false;
}

namespace {

// Marks the object a mouse call is delivered to, so that the scene learns when a script's
// side effect deletes it before the call is over.
class TDelivery
{
public:
  TDelivery(TSceneObject** slot, TSceneObject* object) : mSlot(slot), mPrevious(*slot) { *slot = object; }
  ~TDelivery() { *mSlot = mPrevious; }
  // Null once the object has gone.
  TSceneObject* Get() const { return *mSlot; }

private:
  TSceneObject** mSlot;
  TSceneObject* mPrevious;
};

} // namespace

bool TScene::OnMouseDown(const TPoint& point)
{
  TSceneObject* hit = HitTest(point, true);
  if (!hit)
    return false;
  TDelivery delivery(&mDelivering, hit);
  hit->OnMouseDown(point);
  mPressed = delivery.Get();
  return true;
}

bool TScene::OnMouseUp(const TPoint& point)
{
  TSceneObject* pressed = mPressed;
  if (!pressed)
    return false;
  mPressed = nullptr;
  pressed->OnMouseUp(point);
  return true;
}

bool TScene::OnMouseMove(const TPoint& point)
{
  TSceneObject* hit = HitTest(point, true);
  TDelivery delivery(&mDelivering, hit);
  if (hit != mHovered) {
    TSceneObject* left = mHovered;
    mHovered = hit;
    if (left)
      left->OnMouseOut();
    if (delivery.Get())
      delivery.Get()->OnMouseIn();
  }
  if (!delivery.Get())
    return false;
  delivery.Get()->OnMouseMove(point);
  return true;
}

// ---- XML ----

void TScene::ReadContourColors(TXmlNode* contour)
{
  std::vector<float> numbers;
  ReadNumberList(contour->GetAttribute("colors").c_str(), &numbers);
  // Only whole groups of red, green, blue and alpha count; none keeps the colours.
  const size_t groups = numbers.size() / 4;
  if (groups == 0)
    return;
  mContourColors.clear();
  for (size_t i = 0; i < groups; ++i) {
    const float* group = &numbers[i * 4];
    auto byte = [](float value) { return static_cast<unsigned char>(TruncateToInt(value) & 0xFF); };
    mContourColors.push_back(TColor32(byte(group[0]), byte(group[1]), byte(group[2]), byte(group[3])));
  }
}

bool TScene::LoadFromXML(TXmlNode* node)
{
  mId = node->GetAttribute("id");
  if (TXmlNode* contour = node->GetChild("contour"))
    ReadContourColors(contour);
  if (TXmlNode* resources = node->GetChild("resources")) {
    str file = resources->GetAttribute("id");
    TXmlNode document;
    document.ParseFile(file.c_str());
    TXmlNode* list = document.GetChild("resources");
    if (!list) {
      WriteDbg("ERROR: Scene '%s': its resources file '%s' cannot be read or holds no "
               "resources; no objects loaded",
               mId.c_str(), file.c_str());
      return false;
    }
    mImageResource.LoadFromXML(list);
  }
  str name;
  TXmlNode* child = nullptr;
  node->ResetChildren();
  while (node->GetNextChild(&name, &child))
    if (name == str("objects"))
      mObjects.LoadFromXML(child, this, nullptr);
  return true;
}

void TScene::StoreToXML(TXmlNode* node) const
{
  node->SetName("scene");
  node->SetAttribute("id", mId.c_str());
  if (!mObjects.empty())
    mObjects.StoreToXML(node->CreateChild("objects"));
}

// ---- binary ----

void TScene::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteString(mId);
  mImageResource.Store(buffer);
  mObjects.Store(buffer);
}

bool TScene::Load(TBinaryBuffer* buffer)
{
  str id;
  if (!buffer->ReadString(&id) || id.length() > kMaxIdLength) {
    buffer->Fail("of a scene's id");
    return false;
  }
  mId = id;
  if (!mImageResource.Load(buffer)) {
    buffer->Fail("of a scene's images");
    return false;
  }
  return mObjects.Load(buffer, this, nullptr);
}

// ---- the scripts' functions ----

void TScene::BindScriptFunctions()
{
  lua_State* L = mScript.GetState();
  LuaBind(L, "setStateIfState", this, &TScene::setStateIfState);
  LuaBind(L, "setStateIfnState", this, &TScene::setStateIfnState);
  LuaBind(L, "setStateIfTag", this, &TScene::setStateIfTag);
  LuaBind(L, "setStateIfnTag", this, &TScene::setStateIfnTag);
  LuaBind(L, "setObjectState", this, &TScene::setObjectState);
  LuaBind(L, "getObjectState", this, &TScene::getObjectState);
  LuaBind(L, "getObjectPosX", this, &TScene::getObjectPosX);
  LuaBind(L, "getObjectPosY", this, &TScene::getObjectPosY);
}

// An object in no state counts as being in the state of the empty name.
void TScene::setStateIfState(str object, str state, str testObject, str testState)
{
  TSceneObject* test = FindObject(testObject);
  if (test && test->GetCurrentStateName() == testState)
    setObjectState(object, state);
}

void TScene::setStateIfnState(str object, str state, str testObject, str testState)
{
  TSceneObject* test = FindObject(testObject);
  if (test && test->GetCurrentStateName() != testState)
    setObjectState(object, state);
}

void TScene::setStateIfTag(str object, str state, str testObject, int tag)
{
  TSceneObject* test = FindObject(testObject);
  if (test && test->GetTag() == tag)
    setObjectState(object, state);
}

void TScene::setStateIfnTag(str object, str state, str testObject, int tag)
{
  TSceneObject* test = FindObject(testObject);
  if (test && test->GetTag() != tag)
    setObjectState(object, state);
}

void TScene::setObjectState(str object, str state)
{
  if (TSceneObject* found = FindObject(object))
    found->setState(state);
}

str TScene::getObjectState(str object)
{
  TSceneObject* found = FindObject(object);
  return found ? found->GetCurrentStateName() : str();
}

unsigned TScene::getObjectPosX(str object)
{
  TSceneObject* found = FindObject(object);
  return found ? TruncateToUnsigned(found->GetPosition().x) : 0;
}

unsigned TScene::getObjectPosY(str object)
{
  TSceneObject* found = FindObject(object);
  return found ? TruncateToUnsigned(found->GetPosition().y) : 0;
}
