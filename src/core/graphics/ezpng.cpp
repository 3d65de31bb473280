// ezpng: decodes PNG files of the virtual file system into power-of-two BGRA squares and
// encodes images into PNG files; the one place that talks to libpng.
#include "core/graphics/ezpng.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/foundation/atomicfile.h"
#include "core/foundation/file.h"
#include "core/graphics/texturedata.h"
#include "core/foundation/debug.h"

namespace {

struct TPngRead
{
  TFile* mFile = nullptr;
  const char* mName = "";
  char mError[256] = {0};
};

void PngReadData(png_structp png, png_bytep data, png_size_t length)
{
  TPngRead* state = static_cast<TPngRead*>(png_get_io_ptr(png));
  if (qv_read(state->mFile, data, length) != length) {
    png_error(png, "Read Error");
  }
}

void PngError(png_structp png, png_const_charp message)
{
  TPngRead* state = static_cast<TPngRead*>(png_get_error_ptr(png));
  if (state) {
    std::snprintf(state->mError, sizeof(state->mError), "%s", message ? message : "");
  }
  png_longjmp(png, 1);
}

void PngWarning(png_structp png, png_const_charp message)
{
  TPngRead* state = static_cast<TPngRead*>(png_get_error_ptr(png));
  WriteDbg("PNG warning in %s: %s", state ? state->mName : "", message ? message : "");
}

// Everything the error jump must be able to free lives here, outside the jumped frame.
struct TPngResources
{
  png_structp mPng = nullptr;
  png_infop mInfo = nullptr;
  unsigned char* mPixels = nullptr;
  png_bytep* mRows = nullptr;

  void Free()
  {
    if (mPng) {
      png_destroy_read_struct(&mPng, mInfo ? &mInfo : nullptr, nullptr);
    }
    std::free(mPixels);
    std::free(mRows);
    mPng = nullptr;
    mInfo = nullptr;
    mPixels = nullptr;
    mRows = nullptr;
  }
};

// Runs the libpng part; returns false after an error jump. Kept apart so no C++ object
// with a destructor lives in the frame that setjmp marks.
bool PngDecode(TPngRead* state, TPngResources* res, int* width, int* height, int* side, int* hasAlpha, unsigned maxSide)
{
  if (setjmp(png_jmpbuf(res->mPng))) {
    return false;
  }
  png_set_read_fn(res->mPng, state, PngReadData);
  png_set_sig_bytes(res->mPng, 8);
  png_read_info(res->mPng, res->mInfo);

  png_uint_32 imageWidth = 0;
  png_uint_32 imageHeight = 0;
  int bitDepth = 0;
  int colorType = 0;
  int interlace = 0;
  png_get_IHDR(res->mPng, res->mInfo, &imageWidth, &imageHeight, &bitDepth, &colorType, &interlace, nullptr, nullptr);
  // Refuse oversized images before anything is allocated for their pixels.
  if (imageWidth == 0 || imageHeight == 0 || imageWidth > maxSide || imageHeight > maxSide) {
    std::snprintf(state->mError, sizeof(state->mError), "image %ux%u exceeds %u pixels",
                  static_cast<unsigned>(imageWidth), static_cast<unsigned>(imageHeight), maxSide);
    return false;
  }

  if (bitDepth == 16) {
    png_set_strip_16(res->mPng);
  }
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_set_palette_to_rgb(res->mPng);
  }
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) {
    png_set_expand_gray_1_2_4_to_8(res->mPng);
  }
  if (png_get_valid(res->mPng, res->mInfo, PNG_INFO_tRNS)) {
    png_set_tRNS_to_alpha(res->mPng);
  }
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(res->mPng);
  }
  png_set_filler(res->mPng, 0xFF, PNG_FILLER_AFTER);
  png_set_bgr(res->mPng);
  double fileGamma = 0.0;
  if (png_get_gAMA(res->mPng, res->mInfo, &fileGamma)) {
    png_set_gamma(res->mPng, 2.2, fileGamma);
  }
  png_set_interlace_handling(res->mPng);
  png_read_update_info(res->mPng, res->mInfo);

  const int transformedType = png_get_color_type(res->mPng, res->mInfo);
  if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA || colorType == PNG_COLOR_TYPE_RGB_ALPHA) {
    *hasAlpha = 1;
  } else if (colorType == PNG_COLOR_TYPE_PALETTE) {
    *hasAlpha = (transformedType & PNG_COLOR_MASK_ALPHA) ? 1 : 0;
  } else {
    // An RGB or grey image with a transparent colour gets alpha 0 there, yet reports
    // no alpha; callers rely on that.
    *hasAlpha = 0;
  }

  const size_t squareSide = NextPowerOfTwo(imageWidth > imageHeight ? imageWidth : imageHeight);
  const size_t rowBytes = png_get_rowbytes(res->mPng, res->mInfo);
  if (rowBytes != static_cast<size_t>(imageWidth) * 4) {
    std::snprintf(state->mError, sizeof(state->mError), "unexpected row size %zu", rowBytes);
    return false;
  }
  res->mPixels = static_cast<unsigned char*>(std::calloc(squareSide * squareSide, 4));
  res->mRows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * imageHeight));
  if (!res->mPixels || !res->mRows) {
    png_error(res->mPng, "Visual PNG: out of memory");
  }
  for (png_uint_32 row = 0; row < imageHeight; ++row) {
    res->mRows[row] = res->mPixels + row * squareSide * 4;
  }
  png_read_image(res->mPng, res->mRows);
  png_read_end(res->mPng, nullptr);

  *width = static_cast<int>(imageWidth);
  *height = static_cast<int>(imageHeight);
  *side = static_cast<int>(squareSide);
  return true;
}

} // namespace

bool EzPngLoadImage(const char* name, unsigned char** pixels, int* width, int* height, int* side, unsigned long* key,
                    int* hasAlpha, unsigned maxSide)
{
  *pixels = nullptr;
  if (key) {
    *key = 0;
  }
  *hasAlpha = 0;
  TFile* file = qv_open(name, kFileRead);
  if (!file) {
    WriteDbg("ERROR: PNG %s: cannot open", name);
    return false;
  }
  unsigned char signature[8];
  if (qv_read(file, signature, 8) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    WriteDbg("ERROR: PNG %s: not a PNG file", name);
    qv_close(file);
    return false;
  }
  TPngRead state;
  state.mFile = file;
  state.mName = name;
  TPngResources res;
  res.mPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, PngError, PngWarning);
  if (res.mPng) {
    res.mInfo = png_create_info_struct(res.mPng);
  }
  bool ok = res.mPng && res.mInfo && PngDecode(&state, &res, width, height, side, hasAlpha, maxSide);
  qv_close(file);
  if (!ok) {
    WriteDbg("ERROR: PNG %s: %s", name, state.mError[0] ? state.mError : "cannot decode");
    res.Free();
    *hasAlpha = 0;
    return false;
  }
  *pixels = res.mPixels;
  res.mPixels = nullptr;
  res.Free();
  return true;
}

void EzPngFreeImage(unsigned char* pixels)
{
  std::free(pixels);
}

// ---------------------------------------------------------------------------------------------
// Encoding

namespace {

struct TPngWrite
{
  std::vector<uint8_t>* mBytes = nullptr;
  char mError[256] = {0};
};

void PngWriteData(png_structp png, png_bytep data, png_size_t length)
{
  std::vector<uint8_t>* bytes = static_cast<TPngWrite*>(png_get_io_ptr(png))->mBytes;
  bytes->insert(bytes->end(), data, data + length);
}

void PngFlush(png_structp) {}

void PngWriteError(png_structp png, png_const_charp message)
{
  TPngWrite* state = static_cast<TPngWrite*>(png_get_error_ptr(png));
  std::snprintf(state->mError, sizeof(state->mError), "%s", message ? message : "");
  png_longjmp(png, 1);
}

void PngWriteWarning(png_structp, png_const_charp) {}

// Samples per pixel of each colour type; 0 for none.
unsigned Channels(int colorType)
{
  switch (colorType) {
  case TPngImage::kGrey:
    return 1;
  case TPngImage::kRGB:
    return 3;
  case TPngImage::kPalette:
    return 1;
  case TPngImage::kGreyAlpha:
    return 2;
  case TPngImage::kRGBA:
    return 4;
  default:
    return 0;
  }
}

bool DepthAllowed(int colorType, int depth)
{
  switch (colorType) {
  case TPngImage::kGrey:
    return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
  case TPngImage::kPalette:
    return depth == 1 || depth == 2 || depth == 4 || depth == 8;
  default:
    return depth == 8 || depth == 16;
  }
}

// The libpng part; false after an error jump. No object with a destructor lives in this
// frame, because the jump would skip it.
bool PngEncode(png_structp png, png_infop info, TPngImage const& image, size_t rowBytes)
{
  if (setjmp(png_jmpbuf(png))) {
    return false;
  }
  png_set_IHDR(png, info, image.width, image.height, image.bitDepth, image.colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!image.palette.empty()) {
    png_set_PLTE(png, info, reinterpret_cast<png_const_colorp>(image.palette.data()), int(image.palette.size() / 3));
  }
  if (!image.paletteAlpha.empty()) {
    png_set_tRNS(png, info, image.paletteAlpha.data(), int(image.paletteAlpha.size()), nullptr);
  }
  if (image.hasTransparentColour) {
    png_color_16 colour = {};
    colour.gray = image.transparent[0];
    colour.red = image.transparent[0];
    colour.green = image.transparent[1];
    colour.blue = image.transparent[2];
    png_set_tRNS(png, info, nullptr, 0, &colour);
  }
  if (image.gamma > 0.0) {
    png_set_gAMA(png, info, image.gamma);
  }
  png_write_info(png, info);
  for (unsigned row = 0; row < image.height; ++row) {
    png_write_row(png, image.samples.data() + row * rowBytes);
  }
  png_write_end(png, info);
  return true;
}

} // namespace

TPngImage TPngImage::Rgba(unsigned width, unsigned height, std::vector<uint8_t> rgba)
{
  TPngImage image;
  image.width = width;
  image.height = height;
  image.samples = std::move(rgba);
  return image;
}

bool EncodePng(TPngImage const& image, std::vector<uint8_t>* bytes, char const* what)
{
  bytes->clear();
  unsigned const channels = Channels(image.colorType);
  if (channels == 0 || !DepthAllowed(image.colorType, image.bitDepth) || image.width == 0 || image.height == 0 ||
      image.width > 0x7FFFFFF || image.height > 0x7FFFFFF) {
    WriteDbg("ERROR: PNG %s: %ux%u of colour type %d and depth %d cannot be written", what, image.width, image.height,
             image.colorType, image.bitDepth);
    return false;
  }
  size_t const rowBytes = (size_t(image.width) * channels * image.bitDepth + 7) / 8;
  bool const paletteFits = image.colorType == TPngImage::kPalette
                               ? !image.palette.empty() && image.palette.size() % 3 == 0 &&
                                     image.palette.size() / 3 <= (1u << image.bitDepth)
                               : image.palette.empty();
  if (image.samples.size() != rowBytes * image.height || !paletteFits) {
    WriteDbg("ERROR: PNG %s: %zu bytes of samples for %ux%u (%zu wanted), palette of %zu bytes", what,
             image.samples.size(), image.width, image.height, rowBytes * image.height, image.palette.size());
    return false;
  }
  TPngWrite state;
  state.mBytes = bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, PngWriteError, PngWriteWarning);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  bool ok = png && info;
  if (ok) {
    png_set_write_fn(png, &state, PngWriteData, PngFlush);
    ok = PngEncode(png, info, image, rowBytes);
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  if (!ok) {
    WriteDbg("ERROR: PNG %s: %s", what, state.mError[0] ? state.mError : "cannot encode");
    bytes->clear();
  }
  return ok;
}

bool WritePngFile(str const& path, TPngImage const& image)
{
  std::vector<uint8_t> bytes;
  return EncodePng(image, &bytes, path.c_str()) && WriteFileAtomically(path, bytes.data(), bytes.size());
}
