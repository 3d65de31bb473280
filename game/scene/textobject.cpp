// textobject: a scene object that shows a text, or the localised string of a label, laid
// out with a vector font in a box of its frame's size and rendered into a texture of its own.
#include "scene/textobject.h"

#include "core/foundation/debug.h"
#include "core/foundation/services.h"
#include "core/foundation/stringtable.h"
#include "core/foundation/xmlnode.h"
#include "scene/binarybuffer.h"
#include "scene/imageresource.h"
#include "scene/initparam.h"
#include "scene/matrixutil.h"
#include "scene/scene.h"
#include "scene/scenerenderer.h"
#include "scene/texturemanager.h"
#include "scene/xmlattributes.h"

namespace {

const char kDefaultFont[] = "fonts/arial.mvec";
const uint32_t kCentred = 5;

// The label's localised string, or the text itself when the string table has no such label.
str Localised(const str& text)
{
  IAppHost* host = TServices::Get().host;
  TStringTable* table = host ? host->GetStringTable() : nullptr;
  if (!table)
    return text;
  bool quiet = table->IsQuiet();
  table->SetQuiet(true);
  str localised = table->GetString(text, str(), str(), str(), str(), str());
  table->SetQuiet(quiet);
  return localised == str("#####") ? text : localised;
}

} // namespace

TTextObject::TTextObject() : mAlignment(kCentred) {}

void TTextObject::load_set_frame(int frame)
{
  CanlImage* image = mScene ? mScene->GetImageResource().GetImage(frame) : nullptr;
  mFrame = image ? frame : -1;
  if (!image)
    return;
  // Without a texture, Redraw renders nothing until the object is drawn.
  mWaiting = TTextureManager::IsDeferring();
  if (mWaiting)
    mTexture = TTextureWrapperRef();
  else
    MakeTexture();
  UpdateSourceRect();
}

void TTextObject::MakeTexture()
{
  CanlImage* image = GetFrameImage();
  if (!image)
    return;
  unsigned width = TruncateToUnsigned(image->mW);
  unsigned height = TruncateToUnsigned(image->mH);
  if (width > kMaxSide || height > kMaxSide) {
    // Damage: no text is that large, and its blank mask would take gigabytes.
    WriteDbg("ERROR: Text object %s: its frame of %u x %u is larger than any text; it shows nothing", GetId().c_str(),
             width, height);
    mFrame = -1;
    mTexture = TTextureWrapperRef();
    return;
  }
  boost::shared_ptr<TTexture> texture = TSceneRenderer::Get()->CreateTexture(width, height);
  // Blank, so nothing of it is solid: the mask needs no read-back.
  mTexture = TTextureWrapperRef(new TTextureWrapper(texture, nullptr, width, height, width));
}

void TTextObject::RenderWaiting()
{
  mWaiting = false;
  MakeTexture();
  Redraw();
}

void TTextObject::Draw(TSceneRenderer& renderer)
{
  if (mWaiting && mVisible)
    RenderWaiting();
  TSceneObject::Draw(renderer);
}

const TRect& TTextObject::GetTextBounds() const
{
  // Rendering changes what the object holds, not what it shows: callers see it as const.
  if (mWaiting)
    const_cast<TTextObject*>(this)->RenderWaiting();
  return mTextBounds;
}

void TTextObject::Redraw()
{
  CanlImage* image = GetFrameImage();
  if (!image || !mTexture)
    return;
  TRect target(0, 0, TruncateToInt(image->mW), TruncateToInt(image->mH));
  TSceneRenderer::Get()->RenderText(mTexture->GetTexture(), Localised(mText), target, mAlignment, mFont, &mTextBounds);
}

void TTextObject::setText(const str& text)
{
  mText = text;
  Redraw();
}

void TTextObject::setFont(const str& file, unsigned size, TColor& colour)
{
  mFont.mFace = file;
  mFont.mSize = static_cast<int32_t>(size);
  mFont.mColor = colour;
  Redraw();
}

void TTextObject::set_set_params(const TInitParam& params)
{
  TSceneObject::set_set_params(params);
  bool fontChanged = false;
  if (params.Has(TInitParam::kFontSize)) {
    mFont.mSize = params.mFontSize;
    fontChanged = true;
  }
  if (params.Has(TInitParam::kFontColor)) {
    mFont.mColor = params.mFontColor;
    fontChanged = true;
  }
  if (params.Has(TInitParam::kFontDrawValue)) {
    mFont.mReserved = params.mFontDrawValue;
    fontChanged = true;
  }
  if (params.Has(TInitParam::kFont)) {
    mFont.mFace = params.mFont;
    fontChanged = true;
  }
  if (fontChanged)
    Redraw();
  if (params.Has(TInitParam::kTextAlignment)) {
    mAlignment = static_cast<uint32_t>(params.mTextAlignment);
    Redraw();
  }
  if (params.Has(TInitParam::kText))
    setText(params.mText);
}

bool TTextObject::LoadFromXML(TXmlNode* node)
{
  if (!TSceneObject::LoadFromXML(node))
    return false;
  mFont.mSize = ReadIntAttribute(node, "fs", 10);
  mFont.mReserved = ReadIntAttribute(node, "fh", 0);
  const float opaqueBlack[4] = {0, 0, 0, 1};
  float colour[4];
  ReadTRealArrayAttributeEx(node, "fc", colour, opaqueBlack, 4);
  mFont.mColor = TColor(colour[0], colour[1], colour[2], colour[3]);
  str font = node->GetAttribute("fn");
  mFont.mFace = font.empty() ? str(kDefaultFont) : font;
  int32_t alignment = static_cast<int32_t>(kCentred);
  str name = node->GetAttribute("tal");
  if (name.empty() || !TInitParam::AlignmentFromName(name, &alignment))
    alignment = static_cast<int32_t>(kCentred);
  mAlignment = static_cast<uint32_t>(alignment);
  Redraw();
  setText(node->GetAttribute("txt"));
  return true;
}

void TTextObject::StoreToXML(TXmlNode* node) const
{
  TSceneObject::StoreToXML(node);
  if (mFont.mSize != 10)
    node->SetAttribute("fs", FormatC("%d", mFont.mSize).c_str());
  if (mFont.mReserved != 0)
    node->SetAttribute("fh", FormatC("%d", mFont.mReserved).c_str());
  const TColor& c = mFont.mColor;
  if (c.r != 0 || c.g != 0 || c.b != 0 || c.a != 1)
    node->SetAttribute("fc", FormatC("%f,%f,%f,%f", c.r, c.g, c.b, c.a).c_str());
  if (mFont.mFace != str(kDefaultFont))
    node->SetAttribute("fn", mFont.mFace.c_str());
  const char* alignment = TInitParam::AlignmentName(static_cast<int32_t>(mAlignment));
  if (mAlignment != kCentred && alignment)
    node->SetAttribute("tal", alignment);
  if (!mText.empty())
    node->SetAttribute("txt", mText.c_str());
}

void TTextObject::Store(TBinaryBuffer* buffer) const
{
  TSceneObject::Store(buffer);
  buffer->WriteF32(mFont.mColor.r);
  buffer->WriteF32(mFont.mColor.g);
  buffer->WriteF32(mFont.mColor.b);
  buffer->WriteF32(mFont.mColor.a);
  buffer->WriteU32(static_cast<uint32_t>(mFont.mSize));
  buffer->WriteI32(mFont.mReserved);
  buffer->WriteString(mFont.mFace);
  buffer->WriteU32(mAlignment);
  buffer->WriteString(mText);
}

bool TTextObject::Load(TBinaryBuffer* buffer)
{
  if (!TSceneObject::Load(buffer))
    return false;
  TColor colour;
  uint32_t size = 0;
  int32_t drawValue = 0;
  str font, text;
  uint32_t alignment = 0;
  bool read = buffer->ReadF32(&colour.r) && buffer->ReadF32(&colour.g) && buffer->ReadF32(&colour.b) &&
              buffer->ReadF32(&colour.a) && buffer->ReadU32(&size) && buffer->ReadI32(&drawValue) &&
              buffer->ReadString(&font) && buffer->ReadU32(&alignment) && buffer->ReadString(&text);
  if (!read) {
    buffer->Fail("of a text object");
    return false;
  }
  mFont.mReserved = drawValue;
  setFont(font, size, colour);
  mAlignment = alignment;
  Redraw();
  setText(text);
  return true;
}
