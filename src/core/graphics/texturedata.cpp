// texturedata: texture handles and the image-file glue: options, extension probing, mask
// merging, size limits and the upload; talks to the decoders, the file system and config.
#include "core/graphics/texturedata.h"

#include <cstdlib>

#include "core/foundation/config.h"
#include "core/foundation/file.h"
#include "core/graphics/renderer.h"
#include "core/foundation/debug.h"

TTextureData::TTextureData() {}

static TDecodedImageListener* sDecodedImageListener = nullptr;

TDecodedImageListener* TTextureData::SetDecodedImageListener(TDecodedImageListener* listener)
{
  TDecodedImageListener* previous = sDecodedImageListener;
  sDecodedImageListener = listener;
  return previous;
}

TTextureData::~TTextureData() {}

// The options both kinds of handle end with.
static str WithHandleOptions(str handle, bool mipmap, bool simple)
{
  if (mipmap) {
    handle += ":m";
  }
  if (simple) {
    handle += ":s";
  }
  handle += ":tex";
  return handle;
}

str TTextureData::TextureHandle(str name, bool alpha, bool mipmap, bool simple)
{
  str handle = name;
  handle.replace("\\", "/", str::kReplaceAll);
  if (alpha) {
    handle += ":a";
  }
  return WithHandleOptions(handle, mipmap, simple);
}

str TTextureData::TextureHandle(str colour, str mask, bool mipmap, bool simple)
{
  return WithHandleOptions(colour + ":" + mask, mipmap, simple);
}

static bool Contains(const str& text, const char* pattern)
{
  return text.find(str(pattern)) != str::npos;
}

namespace {

// One decoded image and the function that frees it.
struct TDecoded
{
  unsigned char* mPixels = nullptr;
  int mWidth = 0;
  int mHeight = 0;
  int mSide = 0;
  int mHasAlpha = 0;
  void (*mFree)(unsigned char*) = nullptr;

  ~TDecoded()
  {
    if (mPixels && mFree) {
      mFree(mPixels);
    }
  }
};

bool Decode(const str& fileName, TDecoded* out, bool* reportsAlpha, unsigned maxSide)
{
  *reportsAlpha = false;
  if (Contains(fileName, ".png")) {
    unsigned long key = 0;
    out->mFree = EzPngFreeImage;
    *reportsAlpha = true;
    return EzPngLoadImage(fileName.c_str(), &out->mPixels, &out->mWidth, &out->mHeight, &out->mSide, &key,
                          &out->mHasAlpha, maxSide);
  }
  if (Contains(fileName, ".jpg")) {
    out->mFree = EzJpegFreeImage;
    return EzJpegLoadImage(fileName.c_str(), &out->mPixels, &out->mWidth, &out->mHeight, &out->mSide, maxSide);
  }
  if (Contains(fileName, ".jp2")) {
    out->mFree = EzJp2FreeImage;
    *reportsAlpha = true;
    return EzJp2LoadImage(fileName.c_str(), &out->mPixels, &out->mWidth, &out->mHeight, &out->mSide, &out->mHasAlpha,
                          maxSide);
  }
  return false;
}

} // namespace

bool TTextureData::LoadFile(const char* nameText, const char* maskText)
{
  str original(nameText ? nameText : "");
  str name = original;
  str options;
  unsigned question = name.find('?', str::kBackward, 0);
  if (question != str::npos) {
    options = name.substr(question);
    name = name.substr(0, static_cast<int>(question));
  }
  if (Contains(options, "slow")) {
    SetFlag(kFlagSimple | kFlagMemory, true);
  }
  if (Contains(options, "simple")) {
    SetFlag(kFlagSimple, true);
  }
  if (Contains(options, "alpha")) {
    SetFlag(kFlagAlpha, true);
    SetFlag(kFlagAlphaFromFile, false);
  }
  if (Contains(options, "mipmap")) {
    SetFlag(kFlagMipmap, true);
  }

  if (!TFile::Exists(name)) {
    if (Contains(name, ".png") || Contains(name, ".jpg") || Contains(name, ".jp2")) {
      return false;
    }
    static const char* const kProbe[] = {".png", ".jpg", ".jp2"};
    for (const char* extension : kProbe) {
      str candidate = name + extension + options;
      if (LoadFile(candidate.c_str(), maskText)) {
        return true;
      }
    }
    return false;
  }

  str mask(maskText ? maskText : "");
  if (mask.length() != 0 && !TFile::Exists(mask)) {
    if (Contains(mask, ".png") || Contains(mask, ".jpg")) {
      return false;
    }
    str withJpg = mask + ".jpg";
    if (LoadFile(nameText, withJpg.c_str())) {
      return true;
    }
    str withPng = mask + ".png";
    return LoadFile(nameText, withPng.c_str());
  }
  return LoadDecoded(name, mask, original);
}

bool TTextureData::LoadDecoded(str name, str mask, const str& original)
{
  const unsigned maxSide = HasFlag(kFlagMemory) ? kMaxSlowSide : kMaxSide;
  const bool isPng = Contains(name, ".png");
  const bool isJpeg = !isPng && Contains(name, ".jpg");
  if (isJpeg && TConfig::IsEnabled(TConfig::kAutoMergeMask)) {
    unsigned extension = name.find(str(".jpg"), str::kBackward, 0);
    str autoMask = name.substr(0, static_cast<int>(extension)) + ".mask.png";
    if (TFile::Exists(autoMask)) {
      SetFlag(kFlagAlpha, true);
      SetFlag(kFlagAlphaFromFile, false);
      mask = autoMask;
    }
  }

  TDecoded image;
  bool reportsAlpha = false;
  if (!Decode(name, &image, &reportsAlpha, maxSide)) {
    return false;
  }
  if (reportsAlpha && HasFlag(kFlagAlphaFromFile)) {
    SetFlag(kFlagAlpha, image.mHasAlpha != 0);
  }

  if (mask.length() != 0) {
    TDecoded maskImage;
    bool maskAlpha = false;
    if (Contains(mask, ".png") || Contains(mask, ".jpg")) {
      if (!Decode(mask, &maskImage, &maskAlpha, maxSide)) {
        return false;
      }
    }
    if (maskImage.mPixels && maskImage.mSide == image.mSide) {
      const size_t count = static_cast<size_t>(image.mSide) * image.mSide;
      for (size_t i = 0; i < count; ++i) {
        // Bytes are blue, green, red, alpha: the mask's red becomes the alpha.
        image.mPixels[i * 4 + 3] = maskImage.mPixels[i * 4 + 2];
      }
    }
  }

  const unsigned side = static_cast<unsigned>(image.mSide);
  unsigned surfaceHeight = side;
  if (HasFlag(kFlagSimple) || !TRenderer::GetInstance()->GetTextureSquareFlag()) {
    surfaceHeight = NextPowerOfTwo(static_cast<unsigned>(image.mHeight));
  }
  if ((side > kMaxSide || surfaceHeight > kMaxSide) && !HasFlag(kFlagMemory)) {
    return false;
  }

  if (sDecodedImageListener) {
    sDecodedImageListener->OnImageDecoded(this, reinterpret_cast<TColor32*>(image.mPixels),
                                          static_cast<unsigned>(image.mWidth), static_cast<unsigned>(image.mHeight),
                                          side);
  }
  mName = original;
  mMaskName = mask;
  if (!CreateSurface(side, surfaceHeight, false)) {
    return false;
  }
  mWidth = static_cast<uint32_t>(image.mWidth);
  mHeight = static_cast<uint32_t>(image.mHeight);
  mOffsetX = (side - mWidth) / 2;
  mOffsetY = (surfaceHeight - mHeight) / 2;
  FillSurface(side, surfaceHeight, reinterpret_cast<TColor32*>(image.mPixels));
  return true;
}

unsigned NextPowerOfTwo(unsigned value)
{
  unsigned power = 1;
  while (power < value && power < 0x80000000u) {
    power <<= 1;
  }
  return power;
}
