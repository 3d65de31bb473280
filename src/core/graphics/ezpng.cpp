// ezpng: decodes PNG files of the virtual file system into power-of-two BGRA squares;
// the one place that talks to libpng.
#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "core/foundation/file.h"
#include "core/graphics/texturedata.h"
#include "platform/debug.h"

namespace {

struct TPngRead {
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
struct TPngResources {
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
bool PngDecode(TPngRead* state, TPngResources* res, int* width, int* height, int* side,
               int* hasAlpha, unsigned maxSide)
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
  png_get_IHDR(res->mPng, res->mInfo, &imageWidth, &imageHeight, &bitDepth, &colorType,
               &interlace, nullptr, nullptr);
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

}  // namespace

bool EzPngLoadImage(const char* name, unsigned char** pixels, int* width, int* height,
                    int* side, unsigned long* key, int* hasAlpha, unsigned maxSide)
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
  bool ok = res.mPng && res.mInfo &&
            PngDecode(&state, &res, width, height, side, hasAlpha, maxSide);
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
