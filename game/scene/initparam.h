// initparam: an optional set of scene-object properties with a presence mask, as object
// states and sets carry it; read from and written to XML attributes and binary records.
#pragma once

#include <cstdint>

#include "core/foundation/color.h"
#include "core/foundation/str.h"
#include "core/foundation/vec.h"
#include "core/graphics/renderer.h"

class TBinaryBuffer;
class TXmlNode;

class TInitParam
{
public:
  // Presence bits of the 27 keys ("rp" has a bit and no field of its own).
  enum EMask : uint32_t
  {
    kAlpha = 0x1,
    kRotation = 0x2,
    kPosition = 0x4,
    kRelativePosition = 0x8,
    kScale = 0x10,
    kVisible = 0x20,
    kFrame = 0x40,
    kWidthRange = 0x80,
    kWidthMirror = 0x200,
    kHeightMirror = 0x400,
    kZ = 0x800,
    kFont = 0x1000,
    kFontSize = 0x2000,
    kFontColor = 0x4000,
    kFontDrawValue = 0x8000,
    kText = 0x10000,
    kTextAlignment = 0x20000,
    kBlend = 0x40000,
    kHitTest = 0x80000,
    kContour = 0x100000,
    kParticle = 0x200000,
    kSound = 0x400000,
    kSoundVolume = 0x800000,
    kSoundPlaying = 0x1000000,
    kSoundLoop = 0x2000000,
    kState = 0x4000000,
    kTag = 0x8000000
  };

  TInitParam();
  virtual ~TInitParam() {}

  virtual void Store(TBinaryBuffer* buffer) const;
  // False when the record is damaged or cut short.
  virtual bool Load(TBinaryBuffer* buffer);
  virtual void StoreToXML(TXmlNode* node) const;
  virtual bool LoadFromXML(TXmlNode* node);

  bool Has(uint32_t bit) const { return (mMask & bit) != 0; }
  void Set(uint32_t bit, bool present)
  {
    if (present)
      mMask |= bit;
    else
      mMask &= ~bit;
  }

  // The "bl" letter: false (mode kept) when the attribute is missing or empty.
  static bool ReadBlending(TXmlNode* node, TRenderer::EBlendMode& mode);
  static void WriteBlending(TXmlNode* node, TRenderer::EBlendMode mode);
  // Alignment codes by their "tal" names; false for any other name.
  static bool AlignmentFromName(const str& name, int32_t* code);
  // The name of one of the nine codes, null for any other code.
  static const char* AlignmentName(int32_t code);

  uint32_t mMask;
  float mAlpha;
  float mRotation;
  TVec2 mPosition;
  TVec2 mWidthRange;
  TVec2 mScale;
  bool mVisible;
  str mFrame;
  bool mWidthMirror;
  bool mHeightMirror;
  float mZ;
  str mFont;
  int32_t mFontSize;
  TColor mFontColor;
  int32_t mFontDrawValue;
  int32_t mTextAlignment;
  str mText;
  TRenderer::EBlendMode mBlend;
  bool mHitTest;
  bool mContour;
  str mParticle;
  str mSound;
  bool mSoundPlaying;
  bool mSoundLoop;
  float mSoundVolume;
  str mState;
  int32_t mTag;
};
