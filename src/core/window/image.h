// image: the window that shows one texture, scaled, mirrored, turned or faded; the state
// graphic of buttons and the parts of sliders. Talks to the texture cache and the renderer.
#pragma once

#include <boost/shared_ptr.hpp>

#include "core/window/window.h"
#include "core/window/windowscript.h"

class TTexture;

class TImage : public TWindow, public IScriptWidget
{
public:
  explicit TImage(bool captureDraw = false);
  ~TImage() override;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TImage"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  void Init(TWindowStyle& style) override;
  void Draw() override;

  void SetTexture(boost::shared_ptr<TTexture> texture, float scale);
  boost::shared_ptr<TTexture> GetTexture() const { return mTexture; }
  float GetScale() const { return mScale; }
  void SetDrawFlags(unsigned flags);
  unsigned GetDrawFlags() const { return mDrawFlags; }
  void SetRotate(bool rotate);
  bool GetRotate() const { return mRotate; }
  void SetAlpha(float alpha);
  float GetAlpha() const { return mAlpha; }

  // Script commands.
  EScriptKind GetScriptKind() const override { return kScriptImage; }
  void SetImage(const str& image, float scale) override;
  bool HasImage() const override { return mTexture.get() != nullptr; }

private:
  void Resize();

  boost::shared_ptr<TTexture> mTexture;
  float mScale;
  float mAlpha;
  unsigned mDrawFlags;
  bool mRotate;
};

TWindow* TImageDynamicCreate();
