// imageload_fuzz: feeds arbitrary bytes through the image-file glue (options, masks, size
// limits) and the PNG, JPEG and JPEG 2000 decoders, with the surface kept in memory.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/foundation/file.h"
#include "core/graphics/texturedata.h"

namespace {

// A surface without GL: enough for the loader to size, fill and release pixels.
class TFuzzTextureData : public TTextureData
{
public:
  void Release() override {}
  void Restore() override {}
  bool FillSurface(unsigned width, unsigned height, TColor32* pixels) override
  {
    if (pixels && !mPixels.empty()) {
      size_t count = std::min<size_t>(mPixels.size(), static_cast<size_t>(width) * height);
      std::memcpy(mPixels.data(), pixels, count * sizeof(TColor32));
    }
    return true;
  }
  bool CreateSurface(unsigned width, unsigned height, bool) override
  {
    mInternalWidth = width;
    mInternalHeight = height;
    mPixels.assign(static_cast<size_t>(width) * height, TColor32());
    return true;
  }
  void CopyPixels(int, int, const TRect*, boost::shared_ptr<TTexture>) override {}
  void Clear() override {}
  bool Lock(TColor32**, unsigned*) override { return false; }
  void Unlock() override {}

  std::vector<TColor32> mPixels;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size < 1) {
    return 0;
  }
  // First byte: bits 0-1 the format, bit 2 a mask from the same bytes, bit 3 "slow".
  const uint8_t selector = data[0];
  std::vector<uint8_t> body(data + 1, data + size);
  static const char* const kNames[4] = {"fuzz/image.png", "fuzz/image.jpg", "fuzz/image.jp2", "fuzz/image.png"};
  const char* name = kNames[selector & 3];
  TFile::AddMemoryFile(name, body.data(), static_cast<unsigned>(body.size()));
  const bool withMask = (selector & 4) != 0;
  if (withMask) {
    TFile::AddMemoryFile("fuzz/mask.png", body.data(), static_cast<unsigned>(body.size()));
  }
  std::string request = name;
  if (selector & 8) {
    request += "?slow";
  }
  {
    TFuzzTextureData texture;
    texture.SetFlag(TTextureData::kFlagAlphaFromFile, true);
    texture.LoadFile(request.c_str(), withMask ? "fuzz/mask.png" : nullptr);
  }
  TFile::AddMemoryFile(name, nullptr, 0);
  if (withMask) {
    TFile::AddMemoryFile("fuzz/mask.png", nullptr, 0);
  }
  return 0;
}
