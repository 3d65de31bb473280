// slider: a value from 0 to 1 chosen by dragging a thumb along a rail of three images; reports
// changes, the end of a drag and page clicks to its parent. Talks to the renderer and textures.
#pragma once

#include <boost/shared_ptr.hpp>

#include "core/foundation/vec.h"
#include "core/graphics/vertexset.h"
#include "core/window/window.h"

class TImage;
class TTexture;

class TSlider : public TWindow
{
public:
  TSlider();
  ~TSlider() override;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TSlider"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  void Init(TWindowStyle& style) override;
  void Draw() override;
  bool OnMouseDown(const TPoint& point) override;
  bool OnMouseUp(const TPoint& point) override;
  bool OnMouseMove(const TPoint& point) override;
  bool OnMouseLeave() override;

  float GetValue() const { return mValue; }
  void SetValue(float value, bool silent);
  void SetRailTexture(boost::shared_ptr<TTexture> top, boost::shared_ptr<TTexture> middle,
                      boost::shared_ptr<TTexture> bottom);
  void SetSliderTexture(boost::shared_ptr<TTexture> normal, boost::shared_ptr<TTexture> rollover);
  void SetSliderSize();
  void UpdateSliderPos();
  // The six vertices of one rail piece; returns its length along the slider.
  int BuildTexture(boost::shared_ptr<TTexture> texture, int offset, TTransformedLitVert* vertices, bool stretch);

  bool IsHorizontal() const { return mHorizontal; }
  bool IsDragging() const { return mDragging != 0; }
  int GetThickness() const { return mThickness; }
  TImage* GetThumb() const { return mThumb; }

private:
  // A thumb without a texture is no thumb.
  bool HasThumb() const;
  void ShowThumb(bool rollover);
  void SendToParent(int kind);

  int mDragging;
  bool mInitialised;
  TImage* mThumb;
  boost::shared_ptr<TTexture> mThumbNormal;
  boost::shared_ptr<TTexture> mThumbRollover;
  boost::shared_ptr<TTexture> mRailTop;
  boost::shared_ptr<TTexture> mRailMiddle;
  boost::shared_ptr<TTexture> mRailBottom;
  float mValue;
  float mScale;
  float mRailAlpha;
  int mCrossOffset;
  int mThickness;
  bool mHorizontal;
};

// Two triangles over a rectangle; transposed swaps the axes of the size and texture corners.
void MakeQuad2d(TTransformedLitVert* vertices, TVec2 const& position, TVec2 const& size, TVec2 const& extra,
                TVec2 const& divisor, bool transposed, float alpha);

TWindow* TSliderDynamicCreate();
