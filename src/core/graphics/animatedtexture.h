// animatedtexture: a texture whose frames are rectangles of one sprite sheet, read from a
// binary ".anm" or an XML file; talks to the file system, the XML reader and TTexture.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/mat.h"
#include "core/foundation/rect.h"
#include "core/foundation/str.h"
#include "core/graphics/texture.h"

class TFile;

// A named point of a frame.
struct TAnimAnchor
{
  str mName;
  int32_t mX = 0;
  int32_t mY = 0;
};

struct TAnimFrame
{
  // The first transform value that marks a frame without a transform of its own.
  static constexpr float kNoTransform = -1e7f;

  str mName;
  int32_t mX = 0, mY = 0, mW = 0, mH = 0;
  // The point of the frame rectangle, from its top-left corner, that lands on the
  // sprite's position.
  int32_t mRegX = 0, mRegY = 0;
  std::vector<TAnimAnchor> mAnchors;
  // a, b, c, d, e, f: the rows (a, b, 0), (c, d, 0), (e, f, 1).
  float mTransform[6] = {kNoTransform, 0, 0, 0, 0, 0};
  float mAlpha = 1.0f;

  bool HasTransform() const { return mTransform[0] != kNoTransform; }
  TMat3 GetMatrix() const;
};

struct TAnimation
{
  str mSequenceName;
  str mSource;
  str mName;
  str mImageFile;
  str mMaskFile;
  // The animation file's folder: ends in a slash or a backslash, or is empty.
  str mFolder;
  str mScript;
  int32_t mWidestFrame = 0;
  int32_t mTallestFrame = 0;
  int32_t mFrameCount = 0;
  int32_t mCurrentFrame = 0;
  int32_t mRegX = 0, mRegY = 0;
  int32_t mImageWidth = 0, mImageHeight = 0;
  std::vector<TAnimFrame> mFrames;
};

class TAnimatedTexture : public TTexture
{
public:
  static intptr_t ClassId();

  explicit TAnimatedTexture(str name);
  ~TAnimatedTexture() override;

  const char* GetTypeName() const override { return "TAnimatedTexture"; }
  bool IsKindOf(intptr_t classId) const override;

  using TTexture::DrawSprite;
  void DrawSprite(const TDrawSpec& spec) override;
  // Of the current frame; 0 when it is not a frame of the animation.
  unsigned GetWidth() const override;
  unsigned GetHeight() const override;

  // The animation of name cut from image (or the file's own image when empty), with mask.
  static boost::shared_ptr<TAnimatedTexture> Get(str name, str image, str mask);
  static str GetHandle(str name, str image, str mask);
  static boost::shared_ptr<TAnimatedTexture> InternalGet(str handle);
  static boost::shared_ptr<TAnimatedTexture> InternalNew(str name, str image, str mask);

  // (x, y, x + w, y + h) of frame i; all zero outside the frames.
  TRect GetFrameRect(int i) const;
  // Of frame i; (0, 0) outside the frames (particles ask with their own frame numbers).
  std::pair<int, int> GetRegistrationPoint(int i) const;

  bool ParseAnimation(str image, str mask);
  bool ParseFromANM(str file);
  bool ParseFromXML(str file);
  bool LoadTextures();
  void SetDefaultScript();

  // One length-prefixed string of the ".anm" form. False, with *text empty, when the
  // length runs past the end of the file or the bytes cannot all be read.
  static bool ReadString(TFile* file, str* text);

  const TAnimation& GetAnimation() const { return *mAnimation; }
  int GetFrameCount() const { return static_cast<int>(mAnimation->mFrames.size()); }
  const TAnimFrame* GetFrame(int i) const;
  int GetCurrentFrame() const { return mAnimation->mCurrentFrame; }
  void SetCurrentFrame(int frame) { mAnimation->mCurrentFrame = frame; }

private:
  TAnimatedTexture(const TAnimatedTexture&) = delete;
  TAnimatedTexture& operator=(const TAnimatedTexture&) = delete;

  bool ReadFrames(TFile* file, int32_t version);
  void NoteFrameSize(const TAnimFrame& frame);

  TAnimation* mAnimation;
};
