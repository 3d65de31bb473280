// pngwrite: small RGBA test images, each pixel from a callback, written with the engine's
// PNG encoder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/graphics/ezpng.h"

// colour(x, y) returns 0xAARRGGBB.
// Without alpha the image is stored as RGB, so its texture has no alpha channel.
inline bool WriteTestPng(const std::string& path, unsigned width, unsigned height,
                         const std::function<unsigned(unsigned, unsigned)>& colour, bool withAlpha = true)
{
  TPngImage image;
  image.width = width;
  image.height = height;
  image.colorType = withAlpha ? TPngImage::kRGBA : TPngImage::kRGB;
  const unsigned stride = withAlpha ? 4 : 3;
  image.samples.resize(size_t(width) * height * stride);
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      const unsigned argb = colour(x, y);
      unsigned char* pixel = &image.samples[(size_t(y) * width + x) * stride];
      pixel[0] = (unsigned char)(argb >> 16);
      pixel[1] = (unsigned char)(argb >> 8);
      pixel[2] = (unsigned char)argb;
      if (withAlpha)
        pixel[3] = (unsigned char)(argb >> 24);
    }
  }
  return WritePngFile(str(path.c_str()), image);
}

inline bool WriteSolidPng(const std::string& path, unsigned width, unsigned height, unsigned argb)
{
  return WriteTestPng(
      path, width, height, [argb](unsigned, unsigned) { return argb; }, (argb >> 24) != 0xFF);
}
