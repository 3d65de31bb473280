// pngwrite: writes small RGBA test images with libpng, each pixel from a callback.
#pragma once

#include <png.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// colour(x, y) returns 0xAARRGGBB.
// Without alpha the image is stored as RGB, so its texture has no alpha channel.
inline bool WriteTestPng(const std::string& path, unsigned width, unsigned height,
                         const std::function<unsigned(unsigned, unsigned)>& colour, bool withAlpha = true)
{
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, 8, withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<unsigned char> row(width * 4);
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      const unsigned argb = colour(x, y);
      const unsigned stride = withAlpha ? 4 : 3;
      row[x * stride + 0] = (unsigned char)(argb >> 16);
      row[x * stride + 1] = (unsigned char)(argb >> 8);
      row[x * stride + 2] = (unsigned char)argb;
      if (withAlpha) row[x * stride + 3] = (unsigned char)(argb >> 24);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

inline bool WriteSolidPng(const std::string& path, unsigned width, unsigned height, unsigned argb)
{
  return WriteTestPng(path, width, height, [argb](unsigned, unsigned) { return argb; }, (argb >> 24) != 0xFF);
}
