// initparam: an optional set of scene-object properties with a presence mask, as object
// states and sets carry it; read from and written to XML attributes and binary records.
#include "scene/initparam.h"

#include <cstring>

#include "core/foundation/xmlnode.h"
#include "scene/binarybuffer.h"
#include "scene/xmlattributes.h"

namespace {

struct TAlignmentName
{
  const char* mName;
  int32_t mCode;
};

const TAlignmentName kAlignments[] = {{"lt", 0}, {"ct", 1}, {"rt", 2}, {"lc", 4}, {"cc", 5},
                                      {"rc", 6}, {"lb", 8}, {"cb", 9}, {"rb", 10}};

// Reads a text key: present when the text is not empty.
void ReadText(TXmlNode* node, const char* name, str* out, TInitParam* params, uint32_t bit)
{
  *out = node->GetAttribute(name);
  params->Set(bit, !out->empty());
}

} // namespace

TInitParam::TInitParam()
    : mMask(0), mAlpha(0), mRotation(0), mVisible(false), mWidthMirror(false), mHeightMirror(false), mZ(0),
      mFontSize(0), mFontColor(0, 0, 0, 0), mFontDrawValue(0), mTextAlignment(0), mBlend(TRenderer::kBlendNormal),
      mHitTest(false), mContour(false), mSoundPlaying(false), mSoundLoop(false), mSoundVolume(0), mTag(0)
{}

bool TInitParam::AlignmentFromName(const str& name, int32_t* code)
{
  for (const TAlignmentName& entry : kAlignments) {
    if (std::strcmp(entry.mName, name.c_str()) == 0) {
      *code = entry.mCode;
      return true;
    }
  }
  return false;
}

const char* TInitParam::AlignmentName(int32_t code)
{
  for (const TAlignmentName& entry : kAlignments)
    if (entry.mCode == code)
      return entry.mName;
  return nullptr;
}

bool TInitParam::ReadBlending(TXmlNode* node, TRenderer::EBlendMode& mode)
{
  str letter = node->GetAttribute("bl");
  if (letter.empty())
    return false;
  if (letter == str("a"))
    mode = TRenderer::kBlendAdditiveAlpha;
  else if (letter == str("s"))
    mode = TRenderer::kBlendSubtractive;
  else if (letter == str("m"))
    mode = TRenderer::kBlendMultiplicative;
  else
    mode = TRenderer::kBlendNormal;
  return true;
}

void TInitParam::WriteBlending(TXmlNode* node, TRenderer::EBlendMode mode)
{
  const char* letter = "n";
  if (mode == TRenderer::kBlendAdditiveAlpha)
    letter = "a";
  else if (mode == TRenderer::kBlendSubtractive)
    letter = "s";
  else if (mode == TRenderer::kBlendMultiplicative)
    letter = "m";
  node->SetAttribute("bl", letter);
}

bool TInitParam::LoadFromXML(TXmlNode* node)
{
  bool found = false;
  mAlpha = ReadTRealAttributeEx(&found, node, "a", 0);
  Set(kAlpha, found);
  mRotation = ReadTRealAttributeEx(&found, node, "r", 0);
  Set(kRotation, found);
  bool relative = ReadBoolAttributeEx(&found, node, "rp", false);
  Set(kRelativePosition, found && relative);
  mPosition = ReadTVec2AttributeEx(&found, node, "p", TVec2(0, 0));
  Set(kPosition, found);
  mWidthRange = ReadTVec2AttributeEx(&found, node, "wr", TVec2(0, 0));
  Set(kWidthRange, found);
  mScale = ReadTVec2AttributeEx(&found, node, "s", TVec2(0, 0));
  Set(kScale, found);
  mVisible = ReadBoolAttributeEx(&found, node, "v", false);
  Set(kVisible, found);
  mWidthMirror = ReadBoolAttributeEx(&found, node, "wm", false);
  Set(kWidthMirror, found);
  mHeightMirror = ReadBoolAttributeEx(&found, node, "hm", false);
  Set(kHeightMirror, found);
  Set(kBlend, ReadBlending(node, mBlend));
  mContour = ReadBoolAttributeEx(&found, node, "c", false);
  Set(kContour, found);
  ReadText(node, "pr", &mParticle, this, kParticle);
  mHitTest = ReadBoolAttributeEx(&found, node, "ht", false);
  Set(kHitTest, found);
  mZ = ReadTRealAttributeEx(&found, node, "z", 0);
  Set(kZ, found);
  mFontSize = ReadIntAttributeEx(&found, node, "fs", 0);
  Set(kFontSize, found);
  const float opaqueBlack[4] = {0, 0, 0, 1};
  float colour[4];
  Set(kFontColor, ReadTRealArrayAttributeEx(node, "fc", colour, opaqueBlack, 4));
  mFontColor = TColor(colour[0], colour[1], colour[2], colour[3]);
  mFontDrawValue = ReadIntAttributeEx(&found, node, "fh", 0);
  Set(kFontDrawValue, found);
  ReadText(node, "fn", &mFont, this, kFont);
  str alignment = node->GetAttribute("tal");
  Set(kTextAlignment, !alignment.empty() && AlignmentFromName(alignment, &mTextAlignment));
  ReadText(node, "txt", &mText, this, kText);
  ReadText(node, "f", &mFrame, this, kFrame);
  ReadText(node, "st", &mState, this, kState);
  mTag = ReadIntAttributeEx(&found, node, "t", 0);
  Set(kTag, found);
  ReadText(node, "snd_n", &mSound, this, kSound);
  mSoundPlaying = ReadBoolAttributeEx(&found, node, "snd_p", false);
  Set(kSoundPlaying, found);
  mSoundLoop = ReadBoolAttributeEx(&found, node, "snd_l", false);
  Set(kSoundLoop, found);
  mSoundVolume = ReadTRealAttributeEx(&found, node, "snd_v", 0);
  Set(kSoundVolume, found);
  return true;
}

void TInitParam::StoreToXML(TXmlNode* node) const
{
  if (Has(kAlpha))
    SetTRealAttribute(node, "a", mAlpha);
  if (Has(kRotation))
    SetTRealAttribute(node, "r", mRotation);
  // A relative position means nothing without the position it qualifies.
  if (Has(kRelativePosition) && Has(kPosition))
    node->SetAttribute("rp", "1");
  if (Has(kPosition))
    SetTVec2Attribute(node, "p", mPosition);
  if (Has(kWidthRange))
    SetTVec2Attribute(node, "wr", mWidthRange);
  if (Has(kScale))
    SetTVec2Attribute(node, "s", mScale);
  if (Has(kVisible))
    node->SetAttribute("v", mVisible ? "1" : "0");
  if (Has(kWidthMirror))
    node->SetAttribute("wm", mWidthMirror ? "1" : "0");
  if (Has(kHeightMirror))
    node->SetAttribute("hm", mHeightMirror ? "1" : "0");
  if (Has(kBlend))
    WriteBlending(node, mBlend);
  if (Has(kContour) && mContour)
    node->SetAttribute("c", 1);
  if (Has(kParticle))
    node->SetAttribute("pr", mParticle.c_str());
  if (Has(kHitTest))
    node->SetAttribute("ht", mHitTest ? "1" : "0");
  if (Has(kZ))
    SetTRealAttribute(node, "z", mZ);
  if (Has(kFontSize))
    node->SetAttribute("fs", FormatC("%d", mFontSize).c_str());
  if (Has(kFontColor))
    node->SetAttribute("fc", FormatC("%f,%f,%f,%f", mFontColor.r, mFontColor.g, mFontColor.b, mFontColor.a).c_str());
  if (Has(kFontDrawValue))
    node->SetAttribute("fh", FormatC("%d", mFontDrawValue).c_str());
  if (Has(kFont))
    node->SetAttribute("fn", mFont.c_str());
  const char* alignment = AlignmentName(mTextAlignment);
  if (Has(kTextAlignment) && alignment)
    node->SetAttribute("tal", alignment);
  if (Has(kText))
    node->SetAttribute("txt", mText.c_str());
  if (Has(kFrame))
    node->SetAttribute("f", mFrame.c_str());
  if (Has(kState))
    node->SetAttribute("st", mState.c_str());
  if (Has(kTag))
    node->SetAttribute("t", FormatC("%d", mTag).c_str());
}

void TInitParam::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteU32(mMask);
  buffer->WriteF32(mAlpha);
  buffer->WriteF32(mRotation);
  buffer->WriteF32(mPosition.x);
  buffer->WriteF32(mPosition.y);
  buffer->WriteF32(mWidthRange.x);
  buffer->WriteF32(mWidthRange.y);
  buffer->WriteF32(mScale.x);
  buffer->WriteF32(mScale.y);
  buffer->WriteBool(mVisible);
  buffer->WriteBool(mWidthMirror);
  buffer->WriteBool(mHeightMirror);
  buffer->WriteU32(static_cast<uint32_t>(mBlend));
  buffer->WriteBool(mContour);
  buffer->WriteString(mParticle);
  buffer->WriteBool(mHitTest);
  buffer->WriteString(mSound);
  buffer->WriteBool(mSoundPlaying);
  buffer->WriteBool(mSoundLoop);
  buffer->WriteF32(mSoundVolume);
  buffer->WriteF32(mZ);
  buffer->WriteI32(mFontSize);
  buffer->WriteF32(mFontColor.r);
  buffer->WriteF32(mFontColor.g);
  buffer->WriteF32(mFontColor.b);
  buffer->WriteF32(mFontColor.a);
  buffer->WriteI32(mFontDrawValue);
  buffer->WriteI32(mTextAlignment);
  buffer->WriteString(mFont);
  buffer->WriteString(mText);
  buffer->WriteString(mFrame);
  buffer->WriteString(mState);
  buffer->WriteI32(mTag);
}

bool TInitParam::Load(TBinaryBuffer* buffer)
{
  uint32_t blend = 0;
  bool read = buffer->ReadU32(&mMask) && buffer->ReadF32(&mAlpha) && buffer->ReadF32(&mRotation) &&
              buffer->ReadF32(&mPosition.x) && buffer->ReadF32(&mPosition.y) && buffer->ReadF32(&mWidthRange.x) &&
              buffer->ReadF32(&mWidthRange.y) && buffer->ReadF32(&mScale.x) && buffer->ReadF32(&mScale.y) &&
              buffer->ReadBool(&mVisible) && buffer->ReadBool(&mWidthMirror) && buffer->ReadBool(&mHeightMirror) &&
              buffer->ReadU32(&blend) && buffer->ReadBool(&mContour) && buffer->ReadString(&mParticle) &&
              buffer->ReadBool(&mHitTest) && buffer->ReadString(&mSound) && buffer->ReadBool(&mSoundPlaying) &&
              buffer->ReadBool(&mSoundLoop) && buffer->ReadF32(&mSoundVolume) && buffer->ReadF32(&mZ) &&
              buffer->ReadI32(&mFontSize) && buffer->ReadF32(&mFontColor.r) && buffer->ReadF32(&mFontColor.g) &&
              buffer->ReadF32(&mFontColor.b) && buffer->ReadF32(&mFontColor.a) && buffer->ReadI32(&mFontDrawValue) &&
              buffer->ReadI32(&mTextAlignment) && buffer->ReadString(&mFont) && buffer->ReadString(&mText) &&
              buffer->ReadString(&mFrame) && buffer->ReadString(&mState) && buffer->ReadI32(&mTag);
  if (!read) {
    buffer->Fail("of an object property set");
    return false;
  }
  // A mode the renderer does not have would reach it unchecked.
  mBlend =
      blend <= TRenderer::kBlendMultiplicative ? static_cast<TRenderer::EBlendMode>(blend) : TRenderer::kBlendNormal;
  return true;
}
