// textobject: a scene object that shows a text, or the localised string of a label, laid
// out with a vector font in a box of its frame's size and rendered into a texture of its own.
#pragma once

#include <cstdint>

#include "core/foundation/rect.h"
#include "core/graphics/texture.h"
#include "scene/sceneobject.h"

class TTextObject : public TSceneObject
{
public:
  TTextObject();
  static CanlBaseClass* Create() { return new TTextObject; }

  const char* getDynamicId() const override { return "TTextObject"; }
  void Store(TBinaryBuffer* buffer) const override;
  bool Load(TBinaryBuffer* buffer) override;
  void StoreToXML(TXmlNode* node) const override;
  bool LoadFromXML(TXmlNode* node) override;

  // The frame is chosen only when the object is loaded; later changes are ignored.
  void setFrame(int frame) override {}
  void setFrame(const str& name) override {}
  // Gives the object a blank texture of the frame's size (nothing for -1, nor for a frame
  // larger than kMaxSide on a side); while the texture manager defers its loads (a screen made
  // from a saved game, not shown yet), the texture is made and the text rendered when the
  // object is first drawn or its bounds asked for.
  void load_set_frame(int frame) override;
  void Draw(TSceneRenderer& renderer) override;
  static const unsigned kMaxSide = 4096;
  // Renders the text into the object's texture.
  void Redraw() override;
  // The properties of the base, then the font and text keys, each group redrawing once.
  void set_set_params(const TInitParam& params) override;

  void setText(const str& text);
  void setFont(const str& file, unsigned size, TColor& colour);

  const str& GetText() const { return mText; }
  uint32_t GetAlignment() const { return mAlignment; }
  const TFont& GetFont() const { return mFont; }
  const TRect& GetTextBounds() const;

protected:
  // The text is rendered at the top-left of the object's own texture, so the frame is cut
  // from there whatever the image's place in its resource.
  TVec2 FrameOrigin(const CanlImage& image) const override { return TVec2(0, 0); }

private:
  // The blank texture of the frame's size.
  void MakeTexture();
  // Makes the texture and renders the text left waiting by load_set_frame.
  void RenderWaiting();

  bool mWaiting = false;
  str mText;
  uint32_t mAlignment;
  TFont mFont;
  TRect mTextBounds;
};
