// color_test: float and packed colours, the packing order and channel access.
#include "core/foundation/color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

TEST(Color, PackedLayoutIsArgb)
{
  TColor32 c(10, 20, 30, 40);
  EXPECT_EQ(c.mValue, 0x280A141Eu);
  EXPECT_EQ(c.Alpha(), 40);
  EXPECT_EQ(c.Red(), 10);
  EXPECT_EQ(c.Green(), 20);
  EXPECT_EQ(c.Blue(), 30);
  unsigned char bytes[4];
  memcpy(bytes, &c.mValue, 4);
  EXPECT_EQ(bytes[0], 30); // blue first in memory on this machine
  EXPECT_EQ(bytes[3], 40);
  EXPECT_EQ(TColor32().mValue, 0u);
  EXPECT_EQ(TColor32(0xFF00FF00u).Green(), 0xFF);
}

TEST(Color, SettersChangeOneChannel)
{
  TColor32 c(0x11223344u);
  c.SetAlpha(0xAA);
  c.SetRed(0xBB);
  c.SetGreen(0xCC);
  EXPECT_EQ(c.mValue, 0xAABBCC44u);
  c.SetBlue(0xDD);
  EXPECT_EQ(c.mValue, 0xAABBCCDDu);
}

TEST(Color, FromFloatsTruncatesAndClamps)
{
  TColor32 c(TColor(1, 0.5f, 0, 1));
  EXPECT_EQ(c.Alpha(), 255);
  EXPECT_EQ(c.Red(), 255);
  EXPECT_EQ(c.Green(), 127);
  EXPECT_EQ(c.Blue(), 0);
  // Out-of-range channels stay within their own byte.
  TColor32 over(TColor(1.5f, -0.5f, 2.0f, 0.25f));
  EXPECT_EQ(over.mValue, 0x3FFF00FFu);
  TColor32 nan(TColor(std::nanf(""), 0, 0, 0));
  EXPECT_EQ(nan.Red(), 0);
}

TEST(Color, InitScalesBytes)
{
  TColor c;
  c.Init(255, 0, 51, 102);
  EXPECT_FLOAT_EQ(c.r, 1.0f);
  EXPECT_FLOAT_EQ(c.g, 0.0f);
  EXPECT_FLOAT_EQ(c.b, 0.2f);
  EXPECT_FLOAT_EQ(c.a, 0.4f);
  TColor32 back(c);
  EXPECT_EQ(back.Red(), 255);
}
