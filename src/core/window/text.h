// text: the window that shows a block of rich text from a style's label and font; its
// links act for buttons of the same dialog. Talks to the text layout and the window manager.
#pragma once

#include "core/foundation/color.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/window/window.h"
#include "core/window/windowscript.h"

class TTextGraphic;

class TText : public TWindow, public IScriptWidget
{
public:
  explicit TText(bool captureDraw = false);
  ~TText() override;

  static intptr_t ClassId();
  const char* GetTypeName() const override { return "TText"; }
  bool IsKindOf(intptr_t id) const override { return id == ClassId() || TWindow::IsKindOf(id); }

  void Init(TWindowStyle& style) override;
  void Draw() override;
  void SetScroll(float position, float unused) override;
  bool OnMouseDown(const TPoint& point) override;
  bool OnMouseUp(const TPoint& point) override;
  bool OnMouseMove(const TPoint& point) override;
  bool OnMouseLeave() override;
  virtual void SetText(str text);
  virtual str GetText();

  // False for a zero-sized box.
  bool Create(str text, unsigned width, unsigned height, unsigned flags, char const* font, unsigned size,
              TColor const& colour);
  void GetTextBounds(TRect* rect);
  void SetAlpha(float alpha) { mAlpha = alpha; }
  TTextGraphic* GetTextGraphic() const { return mTextGraphic; }
  // The underline distance the layout draws links with.
  int GetSpacing() const { return mSpacing; }
  void SetSpacing(int spacing) { mSpacing = spacing; }

  // Script commands.
  EScriptKind GetScriptKind() const override { return kScriptText; }
  str GetScriptLabel() const override { return const_cast<TText*>(this)->GetText(); }
  void SetScriptLabel(const str& text) override { SetText(text); }

protected:
  // The text, moved right by inset pixels.
  void DrawText(int inset);

  TTextGraphic* mTextGraphic;
  float mScale;
  float mAlpha;
  int mSpacing;
  float mScrollTerm;
  str mPressedLink;
};

TWindow* TTextDynamicCreate();
