// Tests of image resources: textures and images read from a resources element, image
// textures resolved against earlier textures, and the binary record with its checks.
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "scene/imageresource.h"
#include "support/scenetestutil.h"

namespace {

void Load(CanlImageResource* resource, const char* text)
{
  auto document = ParseElement(text);
  resource->LoadFromXML(FirstChild(document.get()));
}

const char kResources[] = "<resources><textures><texture id='a' file='a.png'/><texture id='a' file='second.png'/>"
                          "<other/><texture id='b' file='b.jpg'/></textures>"
                          "<images><image id='one' texture='a' x='1' y='2' w='3' h='4' px='5' py='6'/>"
                          "<image id='late' texture='c'/><image id='bare'/><note/>"
                          "<image id='one' texture='b'/></images>"
                          "<textures><texture id='c' file='c.png'/></textures>"
                          "<empties><image id='box' w='40' h='20'/></empties><ignored/></resources>";

} // namespace

TEST(ImageResource, ReadsTexturesAndImagesInDocumentOrder)
{
  CanlImageResource resource;
  Load(&resource, kResources);
  ASSERT_EQ(4, resource.GetTextureCount());
  EXPECT_EQ(str("second.png"), resource.GetTexture(1)->mFile);
  ASSERT_EQ(5, resource.GetImageCount());
  CanlImage* one = resource.GetImage(0);
  EXPECT_EQ(0, one->mTexture);
  EXPECT_EQ(1.0f, one->mX);
  EXPECT_EQ(6.0f, one->mPy);
  EXPECT_EQ(&resource, one->mOwner);
  // Textures declared later, or not at all, are not found.
  EXPECT_EQ(-1, resource.GetImage(1)->mTexture);
  EXPECT_EQ(-1, resource.GetImage(2)->mTexture);
  EXPECT_EQ(2, resource.GetImage(3)->mTexture);
  // Empties share the images' index space.
  EXPECT_EQ(4, resource.getImageIndex("box"));
  EXPECT_EQ(0, resource.getImageIndex("one"));
  EXPECT_EQ(one, resource.getImage("one"));
  EXPECT_EQ(-1, resource.getImageIndex("none"));
  EXPECT_EQ(nullptr, resource.GetImage(5));
  EXPECT_EQ(nullptr, resource.GetImageTexture(4));
  EXPECT_EQ(str("a.png"), resource.GetImageTexture(0)->mFile);
}

TEST(ImageResource, BinaryRoundTripIsExact)
{
  CanlImageResource resource;
  Load(&resource, kResources);
  TBinaryBuffer out;
  resource.Store(&out);
  TBinaryBuffer in;
  ReloadBuffer(out, &in);
  CanlImageResource loaded;
  ASSERT_TRUE(loaded.Load(&in));
  EXPECT_EQ(0u, in.Remaining());
  ASSERT_EQ(5, loaded.GetImageCount());
  EXPECT_EQ(5.0f, loaded.GetImage(0)->mPx);
  EXPECT_EQ(2, loaded.GetImage(3)->mTexture);
  EXPECT_EQ(&loaded, loaded.GetImage(3)->mOwner);
  EXPECT_EQ(str("c.png"), loaded.GetTexture(3)->mFile);
  TBinaryBuffer again;
  loaded.Store(&again);
  EXPECT_EQ(BufferBytes(out), BufferBytes(again));
  loaded.Clear();
  EXPECT_EQ(0, loaded.GetImageCount());
  EXPECT_EQ(0, loaded.GetTextureCount());
}

TEST(ImageResource, DamagedRecordsFailAndBadTextureIndicesBecomeNone)
{
  CanlImageResource resource;
  Load(&resource, kResources);
  TBinaryBuffer out;
  resource.Store(&out);
  ExpectEveryCutFails(out, 1, [](TBinaryBuffer* in) {
    CanlImageResource loaded;
    return loaded.Load(in);
  });
  TBinaryBuffer wrong;
  wrong.WriteU32(0);
  wrong.WriteU32(1);
  wrong.WriteString("x");
  for (int i = 0; i < 6; ++i)
    wrong.WriteF32(1);
  wrong.WriteI32(3);
  TBinaryBuffer in;
  ReloadBuffer(wrong, &in);
  CanlImageResource loaded;
  ASSERT_TRUE(loaded.Load(&in));
  EXPECT_EQ(-1, loaded.GetImage(0)->mTexture);
  EXPECT_FALSE(LoadWords({0x10000000}, [&](TBinaryBuffer* in) { return loaded.Load(in); }));
}

// A saved frame of a size no texture has (a damaged record) is refused: a text object would
// otherwise make a blank mask of that size.
TEST(ImageResource, AFrameOfAnImpossibleSizeIsARecordsDamage)
{
  for (float side : {-1.0f, 4294967295.0f, std::numeric_limits<float>::quiet_NaN()}) {
    TBinaryBuffer image;
    image.WriteU32(0);
    image.WriteU32(1);
    image.WriteString("frame");
    for (float value : {0.0f, 0.0f, 0.0f, 0.0f, 200.0f, side})
      image.WriteF32(value);
    image.WriteI32(-1);
    TBinaryBuffer in;
    ReloadBuffer(image, &in);
    CanlImageResource loaded;
    EXPECT_FALSE(loaded.Load(&in)) << side;
    EXPECT_TRUE(in.Failed());
  }
}
