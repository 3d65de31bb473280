// ezpng: PNG files: the decoder into the engine's BGRA squares (declared with the other image
// decoders in texturedata.h) and the one PNG encoder of the code base (pictures, fixtures).
#pragma once

#include <cstdint>
#include <vector>

#include "core/foundation/str.h"

// An image as PNG stores it: `height` rows, top-down, of packed samples. Colour types and
// bit depths use PNG's numbering.
struct TPngImage
{
  enum EColorType
  {
    kGrey = 0,
    kRGB = 2,
    kPalette = 3,
    kGreyAlpha = 4,
    kRGBA = 6
  };

  unsigned width = 0;
  unsigned height = 0;
  int colorType = kRGBA;
  int bitDepth = 8;
  std::vector<uint8_t> samples;
  std::vector<uint8_t> palette;        // red, green, blue per entry (palette images)
  std::vector<uint8_t> paletteAlpha;   // alpha per palette entry, possibly fewer than entries
  bool hasTransparentColour = false;   // one colour of a grey or RGB image is transparent
  uint16_t transparent[3] = {0, 0, 0}; // that colour: grey in [0], or red, green, blue
  double gamma = 0.0;                  // written when above 0

  // An 8-bit RGBA image of the given pixels (red, green, blue, alpha bytes, rows top-down).
  static TPngImage Rgba(unsigned width, unsigned height, std::vector<uint8_t> rgba);
};

// The file's bytes; false with one "ERROR: " line naming `what` when the image is not
// consistent (sizes, colour type and depth, palette) or libpng refuses it.
bool EncodePng(TPngImage const& image, std::vector<uint8_t>* bytes, char const* what = "image");
// Encodes and saves atomically at a native path; false after one "ERROR: " line.
bool WritePngFile(str const& path, TPngImage const& image);
