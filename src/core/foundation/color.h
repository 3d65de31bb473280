// color: colours as four floats (TColor, nominally 0 to 1) and as packed 8-bit ARGB
// (TColor32); plain values used by the renderer, windows, text and particles.
#pragma once

#include <cstdint>

struct TColor
{
  float r, g, b, a;

  TColor() : r(0), g(0), b(0), a(0) {}
  TColor(float r_, float g_, float b_, float a_) : r(r_), g(g_), b(b_), a(a_) {}

  // Each channel from 0 to 255.
  void Init(unsigned red, unsigned green, unsigned blue, unsigned alpha)
  {
    r = red / 255.0f;
    g = green / 255.0f;
    b = blue / 255.0f;
    a = alpha / 255.0f;
  }
};

// Alpha in bits 24-31, red 16-23, green 8-15, blue 0-7.
struct TColor32
{
  uint32_t mValue;

  TColor32() : mValue(0) {}
  TColor32(uint32_t value) : mValue(value) {}
  TColor32(unsigned char red, unsigned char green, unsigned char blue, unsigned char alpha)
      : mValue((uint32_t)alpha << 24 | (uint32_t)red << 16 | (uint32_t)green << 8 | blue)
  {}
  // Each channel times 255, truncated, and held to 0..255 so it cannot spill into its neighbour.
  explicit TColor32(TColor const& c)
      : mValue((uint32_t)ToByte(c.a) << 24 | (uint32_t)ToByte(c.r) << 16 | (uint32_t)ToByte(c.g) << 8 | ToByte(c.b))
  {}

  unsigned char Alpha() const { return (unsigned char)(mValue >> 24); }
  unsigned char Red() const { return (unsigned char)(mValue >> 16); }
  unsigned char Green() const { return (unsigned char)(mValue >> 8); }
  unsigned char Blue() const { return (unsigned char)mValue; }
  void SetAlpha(unsigned char v) { SetByte(24, v); }
  void SetRed(unsigned char v) { SetByte(16, v); }
  void SetGreen(unsigned char v) { SetByte(8, v); }
  void SetBlue(unsigned char v) { SetByte(0, v); }

private:
  static uint32_t ToByte(float channel)
  {
    float scaled = channel * 255.0f;
    // The comparisons also turn NaN into 0.
    if (!(scaled > 0))
      return 0;
    if (scaled >= 255.0f)
      return 255;
    return (uint32_t)scaled;
  }
  void SetByte(int shift, unsigned char v) { mValue = (mValue & ~((uint32_t)0xFF << shift)) | (uint32_t)v << shift; }
};
