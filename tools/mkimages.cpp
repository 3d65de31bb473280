// mkimages: writes the image fixtures of the graphics tests (PNG, JPEG and JPEG 2000
// variants, broken files, masks) into a folder; uses the engine's PNG encoder, libjpeg and OpenJPEG.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <openjpeg.h>

#include "core/graphics/ezpng.h"

namespace {

std::string gFolder;
bool gNoisyJpeg = false;

std::string PathOf(const char* name)
{
  return gFolder + "/" + name;
}

bool Fail(const char* what, const char* name)
{
  std::fprintf(stderr, "mkimages: %s %s\n", what, name);
  return false;
}

// Writes rows of raw samples with the engine's encoder; palette, transparency and gamma as given.
bool WritePng(const char* name, unsigned width, unsigned height, int colorType, int bitDepth,
              const std::vector<unsigned char>& data, const std::vector<unsigned char>* palette = nullptr,
              const std::vector<unsigned char>* paletteAlpha = nullptr, const uint16_t* transparent = nullptr,
              double gamma = 0.0)
{
  TPngImage image;
  image.width = width;
  image.height = height;
  image.colorType = colorType;
  image.bitDepth = bitDepth;
  image.samples = data;
  if (palette) {
    image.palette = *palette;
  }
  if (paletteAlpha) {
    image.paletteAlpha = *paletteAlpha;
  }
  if (transparent) {
    image.hasTransparentColour = true;
    std::copy(transparent, transparent + 3, image.transparent);
  }
  image.gamma = gamma;
  return WritePngFile(str(PathOf(name).c_str()), image) || Fail("cannot write", name);
}

// RGBA pattern the tests recompute: red = x, green = y, blue = x + y, alpha = 255 - x.
unsigned char PatternByte(unsigned x, unsigned y, int channel)
{
  switch (channel) {
  case 0:
    return static_cast<unsigned char>(x);
  case 1:
    return static_cast<unsigned char>(y);
  case 2:
    return static_cast<unsigned char>(x + y);
  default:
    return static_cast<unsigned char>(255 - x);
  }
}

bool WritePattern(const char* name, unsigned width, unsigned height, bool alpha)
{
  const int channels = alpha ? 4 : 3;
  std::vector<unsigned char> data(static_cast<size_t>(width) * height * channels);
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) {
        data[(static_cast<size_t>(y) * width + x) * channels + c] = PatternByte(x, y, c);
      }
    }
  }
  return WritePng(name, width, height, alpha ? TPngImage::kRGBA : TPngImage::kRGB, 8, data);
}

// Four opaque quadrants: red, green / blue, white.
bool WriteQuadrants(const char* name, unsigned side)
{
  std::vector<unsigned char> data(static_cast<size_t>(side) * side * 4);
  for (unsigned y = 0; y < side; ++y) {
    for (unsigned x = 0; x < side; ++x) {
      unsigned char* p = &data[(static_cast<size_t>(y) * side + x) * 4];
      bool right = x >= side / 2;
      bool bottom = y >= side / 2;
      p[0] = (!bottom && !right) || (bottom && right) ? 255 : 0;
      p[1] = (!bottom && right) || (bottom && right) ? 255 : 0;
      p[2] = (bottom && !right) || (bottom && right) ? 255 : 0;
      p[3] = 255;
    }
  }
  return WritePng(name, side, side, TPngImage::kRGBA, 8, data);
}

bool WriteSolidRgb(const char* name, unsigned width, unsigned height, unsigned char r, unsigned char g, unsigned char b)
{
  std::vector<unsigned char> data(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < data.size(); i += 3) {
    data[i] = r;
    data[i + 1] = g;
    data[i + 2] = b;
  }
  return WritePng(name, width, height, TPngImage::kRGB, 8, data);
}

// Red channel = x * 255 / (width - 1) so a mask's alpha is predictable.
bool WriteMask(const char* name, unsigned width, unsigned height)
{
  std::vector<unsigned char> data(static_cast<size_t>(width) * height * 3);
  for (unsigned y = 0; y < height; ++y) {
    for (unsigned x = 0; x < width; ++x) {
      unsigned char* p = &data[(static_cast<size_t>(y) * width + x) * 3];
      p[0] = static_cast<unsigned char>(width > 1 ? x * 255 / (width - 1) : 255);
      p[1] = 7;
      p[2] = 9;
    }
  }
  return WritePng(name, width, height, TPngImage::kRGB, 8, data);
}

bool CopyTruncated(const char* from, const char* to, double share)
{
  FILE* in = std::fopen(PathOf(from).c_str(), "rb");
  if (!in) {
    return Fail("cannot read", from);
  }
  std::vector<unsigned char> bytes;
  int c;
  while ((c = std::fgetc(in)) != EOF) {
    bytes.push_back(static_cast<unsigned char>(c));
  }
  std::fclose(in);
  FILE* out = std::fopen(PathOf(to).c_str(), "wb");
  if (!out) {
    return Fail("cannot write", to);
  }
  std::fwrite(bytes.data(), 1, static_cast<size_t>(bytes.size() * share), out);
  std::fclose(out);
  return true;
}

bool WriteBytes(const char* name, const void* data, size_t size)
{
  FILE* out = std::fopen(PathOf(name).c_str(), "wb");
  if (!out) {
    return Fail("cannot write", name);
  }
  if (size) {
    std::fwrite(data, 1, size, out);
  }
  std::fclose(out);
  return true;
}

// components 1 (grey), 3 (RGB) or 4 (CMYK, written as Adobe-style inverted CMYK).
bool WriteJpeg(const char* name, unsigned width, unsigned height, int components, unsigned char r, unsigned char g,
               unsigned char b)
{
  FILE* file = std::fopen(PathOf(name).c_str(), "wb");
  if (!file) {
    return Fail("cannot write", name);
  }
  jpeg_compress_struct info;
  jpeg_error_mgr error;
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = components == 1 ? JCS_GRAYSCALE : (components == 4 ? JCS_CMYK : JCS_RGB);
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(width) * components);
  for (unsigned x = 0; x < width; ++x) {
    unsigned char* p = &row[static_cast<size_t>(x) * components];
    if (components == 1) {
      p[0] = r;
    } else if (components == 3) {
      p[0] = r;
      p[1] = g;
      p[2] = b;
    } else {
      p[0] = 255 - r;
      p[1] = 255 - g;
      p[2] = 255 - b;
      p[3] = 255;
    }
  }
  while (info.next_scanline < info.image_height) {
    if (gNoisyJpeg && components == 3) {
      // Busy content so that most of the file is image data rather than tables.
      for (unsigned x = 0; x < width; ++x) {
        row[x * 3] = static_cast<unsigned char>((x * 37 + info.next_scanline * 11) ^ (x * x));
      }
    }
    JSAMPROW rowPointer = row.data();
    jpeg_write_scanlines(&info, &rowPointer, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
  return true;
}

// JPEG 2000, lossless; each component's samples from value(x, y, component).
bool WriteJp2(const char* name, unsigned width, unsigned height, int components, int precision, bool alphaLast,
              bool codestream, int (*value)(unsigned, unsigned, int))
{
  std::vector<opj_image_cmptparm_t> parameters(components);
  for (int c = 0; c < components; ++c) {
    std::memset(&parameters[c], 0, sizeof(opj_image_cmptparm_t));
    parameters[c].dx = parameters[c].dy = 1;
    parameters[c].w = width;
    parameters[c].h = height;
    parameters[c].prec = precision;
    parameters[c].sgnd = 0;
  }
  OPJ_COLOR_SPACE space = components >= 3 ? OPJ_CLRSPC_SRGB : OPJ_CLRSPC_GRAY;
  opj_image_t* image = opj_image_create(components, parameters.data(), space);
  if (!image) {
    return Fail("cannot make image", name);
  }
  image->x0 = image->y0 = 0;
  image->x1 = width;
  image->y1 = height;
  for (int c = 0; c < components; ++c) {
    for (unsigned y = 0; y < height; ++y) {
      for (unsigned x = 0; x < width; ++x) {
        image->comps[c].data[y * width + x] = value(x, y, c);
      }
    }
  }
  if (alphaLast) {
    image->comps[components - 1].alpha = 1;
  }
  opj_cparameters_t settings;
  opj_set_default_encoder_parameters(&settings);
  settings.tcp_numlayers = 1;
  settings.tcp_rates[0] = 0;
  settings.cp_disto_alloc = 1;
  settings.numresolution = 1;
  opj_codec_t* codec = opj_create_compress(codestream ? OPJ_CODEC_J2K : OPJ_CODEC_JP2);
  bool ok = opj_setup_encoder(codec, &settings, image);
  opj_stream_t* stream = opj_stream_create_default_file_stream(PathOf(name).c_str(), OPJ_FALSE);
  ok = ok && stream && opj_start_compress(codec, image, stream) && opj_encode(codec, stream) &&
       opj_end_compress(codec, stream);
  if (stream) {
    opj_stream_destroy(stream);
  }
  opj_destroy_codec(codec);
  opj_image_destroy(image);
  return ok ? true : Fail("OpenJPEG failed on", name);
}

int Jp2Rgba(unsigned x, unsigned y, int c)
{
  static const int kValues[4] = {200, 100, 50, 128};
  return (x + y) % 2 == 0 ? kValues[c] : 255 - kValues[c];
}

int Jp2Grey12(unsigned x, unsigned y, int c)
{
  return c == 0 ? 4095 - static_cast<int>(x * 16) : 4095;
}

} // namespace

int main(int argc, char** argv)
{
  if (argc < 2) {
    std::fprintf(stderr, "usage: mkimages FOLDER\n");
    return 2;
  }
  gFolder = argv[1];
  bool ok = true;

  ok &= WritePattern("rgba300x200.png", 300, 200, true);
  ok &= WritePattern("rgb300x200.png", 300, 200, false);
  ok &= WritePattern("one.png", 1, 1, true);
  ok &= WriteSolidRgb("big1500x800.png", 1500, 800, 10, 20, 30);
  ok &= WriteSolidRgb("wide40000x1.png", 40000, 1, 1, 2, 3);
  ok &= WriteQuadrants("sprite64.png", 64);
  ok &= WritePattern("big1024.png", 1024, 1024, true);
  ok &= WriteSolidRgb("solid512.png", 512, 512, 40, 80, 120);
  ok &= WriteMask("mask512.png", 512, 512);
  ok &= WriteMask("mask256.png", 256, 256);

  // Palette with a transparent entry 0: 4 x 2, entries 0..3.
  std::vector<unsigned char> palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
  std::vector<unsigned char> paletteAlpha = {0, 255};
  std::vector<unsigned char> indices = {0, 1, 2, 3, 3, 2, 1, 0};
  ok &= WritePng("palette_trns.png", 4, 2, TPngImage::kPalette, 8, indices, &palette, &paletteAlpha);
  ok &= WritePng("palette.png", 4, 2, TPngImage::kPalette, 8, indices, &palette);

  // RGB with a transparent colour (red), 2 x 1: red then green.
  std::vector<unsigned char> rgbTrns = {255, 0, 0, 0, 255, 0};
  const uint16_t red[3] = {255, 0, 0};
  ok &= WritePng("rgb_trns.png", 2, 1, TPngImage::kRGB, 8, rgbTrns, nullptr, nullptr, red);

  // Grey 8-bit 4 x 1, grey + alpha, 4-bit grey, 16-bit RGB, gamma 1.0.
  std::vector<unsigned char> grey = {0, 64, 128, 255};
  ok &= WritePng("grey.png", 4, 1, TPngImage::kGrey, 8, grey);
  std::vector<unsigned char> greyAlpha = {10, 20, 30, 40};
  ok &= WritePng("greyalpha.png", 2, 1, TPngImage::kGreyAlpha, 8, greyAlpha);
  std::vector<unsigned char> grey4 = {0x0F, 0x80};
  ok &= WritePng("grey4.png", 4, 1, TPngImage::kGrey, 4, grey4);
  std::vector<unsigned char> rgb16 = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC};
  ok &= WritePng("rgb16.png", 1, 1, TPngImage::kRGB, 16, rgb16);
  std::vector<unsigned char> mid = {128, 128, 128};
  ok &= WritePng("gamma.png", 1, 1, TPngImage::kRGB, 8, mid, nullptr, nullptr, nullptr, 1.0);

  // Broken PNGs.
  ok &= CopyTruncated("rgba300x200.png", "truncated.png", 0.5);
  ok &= WriteBytes("zero.png", "", 0);
  ok &= WriteBytes("badsig.png", "\x89PNX\r\n\x1a\nrest of nothing", 24);

  // Colour-keyed cursor: magenta top row, grey below.
  std::vector<unsigned char> cursor = {255, 0, 255, 254, 0, 255, 100, 100, 100, 255, 0, 255};
  ok &= WritePng("cursor.png", 2, 2, TPngImage::kRGB, 8, cursor);

  // JPEG.
  ok &= WriteJpeg("rgb.jpg", 64, 32, 3, 200, 40, 90);
  ok &= WriteJpeg("grey.jpg", 16, 16, 1, 77, 0, 0);
  ok &= WriteJpeg("cmyk.jpg", 16, 16, 4, 10, 20, 30);
  ok &= WriteJpeg("wide40000x1.jpg", 40000, 1, 3, 1, 2, 3);
  ok &= WriteJpeg("big1500x800.jpg", 1500, 800, 3, 60, 60, 60);
  ok &= WriteJpeg("room.jpg", 64, 64, 3, 250, 250, 250);
  ok &= WriteMask("room.mask.png", 64, 64);
  ok &= WriteJpeg("plain.jpg", 64, 64, 3, 250, 250, 250);
  ok &= WriteJpeg("square512.jpg", 512, 512, 3, 30, 30, 30);
  ok &= WriteJpeg("jpgmask.jpg", 512, 512, 3, 128, 128, 128);
  gNoisyJpeg = true;
  ok &= WriteJpeg("noise.jpg", 128, 128, 3, 0, 0, 0);
  gNoisyJpeg = false;
  ok &= CopyTruncated("noise.jpg", "truncated.jpg", 0.6);
  ok &= CopyTruncated("rgb.jpg", "header_only.jpg", 0.02);
  ok &= WriteBytes("zero.jpg", "", 0);

  // Probing: the same stem with several extensions.
  ok &= WriteSolidRgb("probe_a.png", 8, 8, 1, 1, 1);
  ok &= WriteJpeg("probe_a.jpg", 8, 8, 3, 2, 2, 2);
  ok &= WriteJpeg("probe_b.jpg", 16, 8, 3, 2, 2, 2);
  ok &= WriteJp2("probe_b.jp2", 4, 4, 3, 8, false, false, Jp2Rgba);
  ok &= WriteJp2("probe_c.jp2", 2, 2, 3, 8, false, false, Jp2Rgba);

  // JPEG 2000.
  ok &= WriteJp2("rgb.jp2", 20, 10, 3, 8, false, false, Jp2Rgba);
  ok &= WriteJp2("rgba.jp2", 20, 10, 4, 8, true, false, Jp2Rgba);
  ok &= WriteJp2("grey.jp2", 20, 10, 1, 8, false, false, Jp2Rgba);
  ok &= WriteJp2("greyalpha.jp2", 20, 10, 2, 8, true, false, Jp2Rgba);
  ok &= WriteJp2("grey12.jp2", 16, 4, 1, 12, false, false, Jp2Grey12);
  ok &= WriteJp2("codestream.jp2", 20, 10, 3, 8, false, true, Jp2Rgba);
  ok &= CopyTruncated("rgb.jp2", "truncated.jp2", 0.5);

  return ok ? 0 : 1;
}
