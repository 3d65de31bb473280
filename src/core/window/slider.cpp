// slider: a value from 0 to 1 chosen by dragging a thumb along a rail of three images; reports
// changes, the end of a drag and page clicks to its parent. Talks to the renderer and textures.
#include "core/window/slider.h"

#include <algorithm>
#include <cmath>

#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "core/script/message.h"
#include "core/window/image.h"
#include "core/window/windowmanager.h"
#include "core/window/windowstyle.h"

TWindow* TSliderDynamicCreate()
{
  return new TSlider();
}

intptr_t TSlider::ClassId()
{
  static const intptr_t id = RegisterCreatable(&TSliderDynamicCreate);
  return id;
}

TSlider::TSlider()
    : mDragging(0), mInitialised(false), mThumb(new TImage(true)), mValue(0.0f), mScale(1.0f), mRailAlpha(1.0f),
      mCrossOffset(0), mThickness(0), mHorizontal(false)
{}

TSlider::~TSlider()
{
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->RemoveMouseListener(this);
  }
  // Once adopted the thumb is a child and goes with the children.
  if (mThumb && !mThumb->GetParent()) {
    delete mThumb;
  }
}

bool TSlider::HasThumb() const
{
  return mThumb && mThumb->GetTexture();
}

void TSlider::SendToParent(int kind)
{
  if (TWindow* parent = GetParent()) {
    parent->SendWindowMessage(new TMessage(kind, GetName(), parent));
  }
}

void TSlider::SetValue(float value, bool silent)
{
  mValue = std::max(0.0f, std::min(1.0f, value));
  if (!HasThumb()) {
    return;
  }
  UpdateSliderPos();
  if (!silent) {
    SendToParent(TMessage::kSliderValChanged);
  }
}

void TSlider::SetRailTexture(boost::shared_ptr<TTexture> top, boost::shared_ptr<TTexture> middle,
                             boost::shared_ptr<TTexture> bottom)
{
  mRailTop = top;
  mRailMiddle = middle;
  mRailBottom = bottom;
  SetSliderSize();
}

void TSlider::SetSliderTexture(boost::shared_ptr<TTexture> normal, boost::shared_ptr<TTexture> rollover)
{
  mThumbNormal = normal;
  mThumbRollover = rollover;
  mThumb->SetTexture(normal, mScale);
  if (!mThumb->GetParent()) {
    AdoptChild(mThumb, true);
  }
  SetSliderSize();
}

void TSlider::SetSliderSize()
{
  int thickness = 0;
  for (const boost::shared_ptr<TTexture>& rail : {mRailTop, mRailMiddle, mRailBottom}) {
    if (rail) {
      thickness = std::max(thickness, int(float(rail->GetWidth()) * mScale));
    }
  }
  if (HasThumb()) {
    const int across = mHorizontal ? mThumb->GetWindowHeight() : mThumb->GetWindowWidth();
    thickness = std::max(thickness, across + std::abs(mCrossOffset));
  }
  mThickness = thickness;
  if (mHorizontal) {
    SetWindowSize(unsigned(std::max(0, GetWindowWidth())), unsigned(thickness));
  } else {
    SetWindowSize(unsigned(thickness), unsigned(std::max(0, GetWindowHeight())));
  }
}

void TSlider::UpdateSliderPos()
{
  if (mHorizontal) {
    mThumb->SetWindowPos(int(float(GetWindowWidth() - mThumb->GetWindowWidth()) * mValue), mCrossOffset);
  } else {
    mThumb->SetWindowPos(mCrossOffset, int(float(GetWindowHeight() - mThumb->GetWindowHeight()) * mValue));
  }
}

void TSlider::Init(TWindowStyle& style)
{
  TWindow::Init(style);
  if (mInitialised) {
    return;
  }
  mInitialised = true;
  const double width = style.GetNumber("w", 0);
  const double height = style.GetNumber("h", 0);
  const double hslider = style.Has("hslider") ? (style.GetBool("hslider", false) ? 1 : 0) : -1;
  mHorizontal = hslider < 0 ? height < width : hslider != 0;

  const str top = style.GetString("railtop", "");
  const str middle = style.GetString("railmid", "");
  const str bottom = style.GetString("railbot", "");
  const str thumb = style.GetString("sliderimage", "");
  const str thumbRollover = style.GetString("sliderrollimage", "");
  const str name = style.GetString("name", "");
  const float scale = float(style.GetNumber("scale", 1.0));
  mCrossOffset = style.GetInt("yoffset", 0);
  const float value = float(style.GetNumber("value", 0));
  SetValue(value, true);
  boost::shared_ptr<TTexture> normalTexture = thumb.empty() ? boost::shared_ptr<TTexture>() : TTexture::Get(thumb, 0);
  boost::shared_ptr<TTexture> rolloverTexture =
      thumbRollover.empty() ? boost::shared_ptr<TTexture>() : TTexture::Get(thumbRollover, 0);
  SetName(name);
  mScale = scale;
  auto load = [](const str& file) { return file.empty() ? boost::shared_ptr<TTexture>() : TTexture::Get(file, 0); };
  SetRailTexture(load(top), load(middle), load(bottom));
  SetSliderTexture(normalTexture, rolloverTexture);
  UpdateSliderPos();
  if (!mThumb->GetParent()) {
    SetSliderSize();
  }
}

void MakeQuad2d(TTransformedLitVert* vertices, TVec2 const& position, TVec2 const& size, TVec2 const& extra,
                TVec2 const& divisor, bool transposed, float alpha)
{
  static const float kCorners[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};
  const TColor32 colour(255, 255, 255, (unsigned char)std::max(0.0f, std::min(255.0f, 255.0f * alpha)));
  for (int i = 0; i < 6; ++i) {
    const float ox = kCorners[i][0];
    const float oy = kCorners[i][1];
    TTransformedLitVert& vertex = vertices[i];
    if (transposed) {
      vertex.mPos = TVec3(position.x + oy * (size.y + extra.y), position.y + ox * (size.x + extra.x), 0.1f);
    } else {
      vertex.mPos = TVec3(position.x + ox * (size.x + extra.x), position.y + oy * (size.y + extra.y), 0.1f);
    }
    vertex.mRhw = 0.5f;
    vertex.mColor = colour;
    vertex.mSecondColor = TColor32(0, 0, 0, 255);
    vertex.mUV = TVec2(ox / divisor.x, oy / divisor.y);
  }
}

int TSlider::BuildTexture(boost::shared_ptr<TTexture> texture, int offset, TTransformedLitVert* vertices, bool stretch)
{
  if (!texture) {
    return 0;
  }
  TVec2 size(float(texture->GetWidth()), float(texture->GetHeight()));
  TVec2 divisor(1.0f, 1.0f);
  const std::pair<int, int> internal = texture->GetInternalSize();
  if (internal.first != int(texture->GetWidth()) && texture->GetWidth() != 0) {
    divisor.x = float(internal.first) / float(texture->GetWidth());
  }
  if (internal.second != int(texture->GetHeight()) && texture->GetHeight() != 0) {
    divisor.y = float(internal.second) / float(texture->GetHeight());
  }
  TVec2 position;
  int along = 0;
  if (mHorizontal) {
    position = TVec2(float(offset), float((GetWindowHeight() - int(texture->GetWidth())) / 2));
    along = GetWindowWidth();
  } else {
    position = TVec2(float((GetWindowWidth() - int(texture->GetWidth())) / 2), float(offset));
    along = GetWindowHeight();
  }
  if (stretch) {
    const int caps = (mRailTop ? int(mRailTop->GetHeight()) : 0) + (mRailBottom ? int(mRailBottom->GetHeight()) : 0);
    // Caps longer than the rail leave no middle rather than a negative one.
    size.y = float(std::max(0, along - caps));
  }
  MakeQuad2d(vertices, position, size, TVec2(0.0f, 0.0f), divisor, mHorizontal, mRailAlpha);
  return int(size.y);
}

void TSlider::Draw()
{
  TBegin2d twoD;
  TRenderer* renderer = TRenderer::GetInstance();
  TTransformedLitVert vertices[6];
  TVertexSet set(vertices, 6);
  const int topLength = BuildTexture(mRailTop, 0, vertices, false);
  renderer->SetBlendMode(TRenderer::kBlendNormal);
  renderer->SetCullMode(TRenderer::kCullNone);
  if (mRailTop) {
    renderer->SetTexture(mRailTop);
    renderer->DrawVertices(TRenderer::kDrawTriangles, set);
  }
  const int middleLength = BuildTexture(mRailMiddle, topLength, vertices, true);
  if (mRailMiddle) {
    renderer->SetTexture(mRailMiddle);
    renderer->DrawVertices(TRenderer::kDrawTriangles, set);
  }
  BuildTexture(mRailBottom, topLength + middleLength, vertices, false);
  if (mRailBottom) {
    renderer->SetTexture(mRailBottom);
    renderer->DrawVertices(TRenderer::kDrawTriangles, set);
  }
}

void TSlider::ShowThumb(bool rollover)
{
  boost::shared_ptr<TTexture> texture = rollover && mThumbRollover ? mThumbRollover : mThumbNormal;
  if (texture && mThumb->GetTexture() != texture) {
    mThumb->SetTexture(texture, mScale);
  }
}

bool TSlider::OnMouseDown(const TPoint& point)
{
  if (!HasThumb()) {
    return false;
  }
  const TRect& thumb = mThumb->GetRect();
  const bool onThumb = point.x >= thumb.left && point.x < thumb.right && point.y >= thumb.top && point.y < thumb.bottom;
  if (onThumb) {
    mDragging = 1;
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->AddMouseListener(this);
    }
    return true;
  }
  const bool before = mHorizontal ? point.x < thumb.left : point.y < thumb.top;
  SendToParent(before ? TMessage::kSliderPageUp : TMessage::kSliderPageDown);
  return true;
}

bool TSlider::OnMouseMove(const TPoint& point)
{
  if (!HasThumb()) {
    return false;
  }
  TWindowManager* manager = TWindowManager::GetInstance();
  const TRect& thumb = mThumb->GetRect();
  const bool onThumb = point.x >= thumb.left && point.x < thumb.right && point.y >= thumb.top && point.y < thumb.bottom;
  if (onThumb) {
    ShowThumb(true);
  } else if (!mDragging) {
    ShowThumb(false);
  }
  TRect client;
  GetClientRect(&client);
  const bool inside =
      point.x >= client.left && point.x < client.right && point.y >= client.top && point.y < client.bottom;
  if (inside) {
    if (manager)
      manager->AddMouseListener(this);
  } else if (!mDragging) {
    if (manager)
      manager->RemoveMouseListener(this);
    ShowThumb(false);
  }
  if (!mDragging) {
    return false;
  }
  // A rail of no length has no position to map the pointer to.
  if (mHorizontal) {
    const int width = client.right - client.left;
    SetValue(width > 0 ? float(point.x - client.left) / float(width) : 0.0f, false);
  } else {
    const int height = client.bottom - client.top;
    SetValue(height > 0 ? float(point.y - client.top) / float(height) : 0.0f, false);
  }
  return true;
}

bool TSlider::OnMouseUp(const TPoint& point)
{
  if (!mDragging) {
    return false;
  }
  mDragging = 0;
  const TRect& thumb = mThumb->GetRect();
  const bool onThumb = point.x >= thumb.left && point.x < thumb.right && point.y >= thumb.top && point.y < thumb.bottom;
  ShowThumb(onThumb);
  TRect client;
  GetClientRect(&client);
  const bool inside =
      point.x >= client.left && point.x < client.right && point.y >= client.top && point.y < client.bottom;
  if (!inside) {
    if (TWindowManager* manager = TWindowManager::GetInstance()) {
      manager->RemoveMouseListener(this);
    }
    ShowThumb(false);
  }
  SendToParent(TMessage::kSliderMouseUp);
  return true;
}

bool TSlider::OnMouseLeave()
{
  if (mDragging) {
    return true;
  }
  ShowThumb(false);
  if (TWindowManager* manager = TWindowManager::GetInstance()) {
    manager->RemoveMouseListener(this);
  }
  return true;
}
