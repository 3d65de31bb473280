// Tests of contours: the outline tracer on pixel arrays, the ring brush and its clipping,
// the contour texture's size, and objects' contours painted and drawn through the pivot.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/foundation/asset.h"
#include "core/graphics/displaybackend.h"
#include "core/graphics/renderer.h"
#include "scene/contour.h"
#include "scene/matrixutil.h"
#include "support/scenetestutil.h"

namespace {

// A w x h image whose pixels have alpha(x, y).
struct TImage
{
  TImage(int width, int height, unsigned (*alpha)(int, int)) : mWidth(width), mHeight(height)
  {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        mPixels.push_back(TColor32(0x00FFFFFFu | alpha(x, y) << 24));
  }
  TContourPoints Trace() const
  {
    TContourPoints points;
    GVertexListCreator::Process(mPixels.data(), unsigned(mWidth), mWidth, mHeight, &points);
    return points;
  }
  int mWidth, mHeight;
  std::vector<TColor32> mPixels;
};

std::string Points(const TContourPoints& points)
{
  std::string text;
  for (const TPoint& p : points)
    text += "(" + std::to_string(p.x) + "," + std::to_string(p.y) + ")";
  return text;
}

bool Has(const TContourPoints& points, int x, int y)
{
  return points.count(TPoint(x, y)) > 0;
}

// Textures live in memory (the null back end); the scene renderer makes real ones of them
// and records what it draws.
class TTexturingRecorder : public TRecordingSceneRenderer
{
public:
  boost::shared_ptr<TTexture> CreateTexture(unsigned width, unsigned height) override
  {
    mCreated.emplace_back(width, height);
    return TTexture::Create(width, height, true);
  }
};

// Texture files as in-memory textures with the pixels of the given images.
class TMemoryTextureSource : public TTextureSource
{
public:
  void Add(const std::string& name, const TImage& image)
  {
    boost::shared_ptr<TTexture> texture = TTexture::Create(image.mWidth, image.mHeight, true);
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    ASSERT_TRUE(texture->Lock(&pixels, &pitch));
    for (int y = 0; y < image.mHeight; ++y)
      for (int x = 0; x < image.mWidth; ++x)
        pixels[y * pitch + x] = image.mPixels[size_t(y) * image.mWidth + x];
    texture->Unlock();
    mTextures[name] = texture;
  }
  boost::shared_ptr<TTexture> GetTexture(const str& name) override
  {
    auto found = mTextures.find(name.c_str());
    return found == mTextures.end() ? boost::shared_ptr<TTexture>() : found->second;
  }
  TTextureWrapper* NewWrapper(const str&, const boost::shared_ptr<TTexture>& texture) override
  {
    return texture ? new TTextureWrapper(texture) : nullptr;
  }

private:
  std::map<std::string, boost::shared_ptr<TTexture>> mTextures;
};

class ContourSceneTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TRenderer::ShutDown();
    mPreviousBackend = TDisplayBackend::GetFactory();
    TDisplayBackend::SetFactory(nullptr);
    mRegistry.reset(new TAssetManager());
    // A 30 x 20 image: a solid 10 x 10 square at (10, 5).
    mSource.Add("square.png",
                TImage(30, 20, [](int x, int y) { return x >= 10 && x < 20 && y >= 5 && y < 15 ? 255u : 0u; }));
    mSource.Add("big.png", TImage(40, 40, [](int, int) { return 255u; }));
    TTextureManager::Create()->SetSource(&mSource);
    mScene.reset(new TScene);
    auto document =
        ParseElement("<resources><textures><texture id='s' file='square.png'/><texture id='b' file='big.png'/>"
                     "</textures><images><image id='square' texture='s' w='30' h='20' px='15' py='10'/>"
                     "<image id='big' texture='b' w='40' h='40'/>"
                     "<image id='outside' texture='s' x='5' y='-10' w='30' h='30'/></images>"
                     "<empties><image id='box' w='50' h='20'/></empties></resources>");
    mScene->GetImageResource().LoadFromXML(FirstChild(document.get()));
  }
  void TearDown() override
  {
    mScene.reset();
    TTextureManager::Destroy();
    TRenderer::ShutDown();
    mRegistry.reset();
    TDisplayBackend::SetFactory(mPreviousBackend);
  }
  TSceneObject* Load(const char* objects)
  {
    auto document = ParseElement(objects);
    mScene->GetObjects().LoadFromXML(FirstChild(document.get()), mScene.get(), nullptr);
    return mScene->FindObject("o");
  }
  static TColor32 Pixel(const boost::shared_ptr<TTexture>& texture, int x, int y)
  {
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    if (!texture || !texture->Lock(&pixels, &pitch))
      return TColor32(0xDEADBEEFu);
    TColor32 pixel = pixels[y * pitch + x];
    texture->Unlock();
    return pixel;
  }

  TDisplayBackend::TFactory mPreviousBackend = nullptr;
  std::unique_ptr<TAssetManager> mRegistry;
  TTexturingRecorder mRenderer;
  TMemoryTextureSource mSource;
  std::unique_ptr<TScene> mScene;
};

} // namespace

TEST(ContourTracer, ImageWithoutSolidPixelsHasNoOutline)
{
  EXPECT_TRUE(TImage(8, 8, [](int, int) { return 99u; }).Trace().empty());
  EXPECT_TRUE(TImage(0, 0, [](int, int) { return 255u; }).Trace().empty());
}

TEST(ContourTracer, SolidFromAlphaHundred)
{
  TContourPoints points = TImage(5, 5, [](int x, int y) { return x == 2 && y == 2 ? 100u : 99u; }).Trace();
  EXPECT_EQ("(1,1)(1,2)(1,3)(2,1)(2,3)(3,1)(3,2)(3,3)", Points(points));
}

TEST(ContourTracer, SquareIsRingedByTheTransparentPixelsAroundIt)
{
  TContourPoints points =
      TImage(7, 7, [](int x, int y) { return x >= 2 && x <= 4 && y >= 2 && y <= 4 ? 255u : 0u; }).Trace();
  EXPECT_EQ("(1,1)(1,2)(1,3)(1,4)(1,5)(2,1)(2,5)(3,1)(3,5)(4,1)(4,5)(5,1)(5,2)(5,3)(5,4)(5,5)", Points(points));
}

TEST(ContourTracer, FullySolidImageIsOutlinedOnePixelOutside)
{
  TContourPoints points = TImage(6, 4, [](int, int) { return 255u; }).Trace();
  for (const TPoint& p : points)
    EXPECT_TRUE(p.x == -1 || p.x == 6 || p.y == -1 || p.y == 4) << p.x << "," << p.y;
  EXPECT_EQ(size_t(2 * 6 + 2 * 4 + 4), points.size()) << Points(points);
}

TEST(ContourTracer, OnlyPartsTheCornerWalksMeetAreOutlined)
{
  // Column 1 is met by the walks from the left corners; column 5 by none.
  TContourPoints points = TImage(10, 3, [](int x, int) { return x == 1 || x == 5 ? 255u : 0u; }).Trace();
  EXPECT_TRUE(Has(points, 0, 1));
  EXPECT_TRUE(Has(points, 2, 1));
  EXPECT_FALSE(Has(points, 4, 1));
  EXPECT_FALSE(Has(points, 6, 1));
}

TEST(ContourTracer, NoiseNeverHangsTheTrace)
{
  unsigned seed = 12345;
  std::vector<TColor32> pixels(64 * 64);
  for (TColor32& pixel : pixels) {
    seed = seed * 1103515245u + 12345u;
    pixel = TColor32(((seed >> 16) & 1) ? 0xFF000000u : 0u);
  }
  TContourPoints points;
  GVertexListCreator::Process(pixels.data(), 64, 64, 64, &points);
  for (const TPoint& p : points) {
    EXPECT_GE(p.x, -1);
    EXPECT_LE(p.x, 64);
  }
}

TEST(ContourBrush, RingsTakeTheirColoursAndOverlapsKeepTheLargerAlpha)
{
  std::vector<TColor32> colours = {TColor32(1, 0, 0, 200), TColor32(2, 0, 0, 100)};
  TContourVertexList::TVertexList::TDrawMatrix brush(colours);
  EXPECT_EQ(3, brush.mSide);
  EXPECT_EQ(1, brush.mCentre);
  EXPECT_EQ(200, brush.mCells[4].Alpha());
  EXPECT_EQ(100, brush.mCells[0].Alpha());

  // Two solid pixels on a diagonal, each met by a corner walk: their rings share (2, 2).
  TImage image(5, 5, [](int x, int y) { return (x == 1 && y == 1) || (x == 3 && y == 3) ? 255u : 0u; });
  TContourVertexList::TVertexList outline(image.mPixels.data(), 5, 5, 5, TRect(0, 0, 5, 5));
  EXPECT_EQ(15u, outline.GetPoints().size());
  std::vector<TColor32> target(20 * 20, TColor32(0x12345678u));
  outline.Paint(target.data(), 20, 20, 20, colours);
  EXPECT_EQ(0u, target[0].mValue) << "the target is cleared first";
  // Point (2, 2) lies on both rings and next to other points: the centre colour stays.
  EXPECT_EQ(TColor32(1, 0, 0, 200).mValue, target[8 * 20 + 8].mValue);
  EXPECT_EQ(TColor32(2, 0, 0, 100).mValue, target[5 * 20 + 5].mValue);
  EXPECT_EQ(0u, target[4 * 20 + 4].mValue);
}

TEST(ContourBrush, WideBrushesAreClippedToTheTarget)
{
  std::vector<TColor32> colours(40, TColor32(9, 9, 9, 90));
  colours[0] = TColor32(1, 1, 1, 255);
  TImage image(4, 4, [](int, int) { return 255u; });
  TContourVertexList::TVertexList outline(image.mPixels.data(), 4, 4, 4, TRect(0, 0, 4, 4));
  std::vector<TColor32> target(16 * 16 + 64, TColor32(0xABCDEF01u));
  outline.Paint(target.data(), 16, 16, 16, colours);
  for (size_t i = 16 * 16; i < target.size(); ++i)
    ASSERT_EQ(0xABCDEF01u, target[i].mValue) << "written past the target at " << i;
  EXPECT_EQ(90, target[0].Alpha());
  EXPECT_EQ(255, target[5 * 16 + 5].Alpha());
  TContourVertexList::TVertexList empty(nullptr, 0, 0, 0, TRect(0, 0, 4, 4));
  empty.Paint(target.data(), 16, 16, 16, std::vector<TColor32>());
  EXPECT_EQ(0u, target[5 * 16 + 5].mValue);
}

TEST(ContourBrush, RectangleOutsideItsImageIsTracedAsTransparentThere)
{
  TImage image(4, 4, [](int, int) { return 255u; });
  TContourVertexList::TVertexList outline(image.mPixels.data(), 4, 4, 4, TRect(2, -3, 40, 9));
  ASSERT_FALSE(outline.GetPoints().empty());
  // The solid part is pixels (0..1, 3..6) of the rectangle.
  EXPECT_TRUE(Has(outline.GetPoints(), 2, 4));
  EXPECT_TRUE(Has(outline.GetPoints(), 0, 2));
  TContourVertexList::TVertexList far(image.mPixels.data(), 4, 4, 4, TRect(100, 100, 200, 200));
  EXPECT_TRUE(far.GetPoints().empty());
}

TEST_F(ContourSceneTest, TextureGrowsOnlyWhenAFrameNeedsMore)
{
  TContour contour(nullptr);
  contour.CreateTexture(30, 20);
  ASSERT_TRUE(contour.GetTexture());
  EXPECT_EQ(64u, contour.GetTexture()->GetWidth());
  boost::shared_ptr<TTexture> first = contour.GetTexture();
  contour.CreateTexture(40, 40);
  EXPECT_EQ(first, contour.GetTexture());
  contour.CreateTexture(100, 10);
  EXPECT_EQ(128u, contour.GetTexture()->GetWidth());
  testing::internal::CaptureStderr();
  contour.CreateTexture(100000, 1);
  EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("ERROR:"));
  EXPECT_FALSE(contour.GetTexture());
}

TEST_F(ContourSceneTest, ObjectContourIsPaintedAroundItsSolidPixels)
{
  TSceneObject* object = Load("<objects><object id='o' f='square' c='1'/></objects>");
  ASSERT_NE(nullptr, object->GetContour());
  boost::shared_ptr<TTexture> texture = object->GetContour()->GetTexture();
  ASSERT_TRUE(texture);
  EXPECT_EQ(64u, texture->GetWidth());
  // Image pixel (9, 10) is just left of the square: contour pixel (15, 16), centre colour.
  EXPECT_EQ(150, Pixel(texture, 15, 16).Alpha());
  EXPECT_EQ(100, Pixel(texture, 14, 16).Alpha());
  EXPECT_EQ(50, Pixel(texture, 12, 16).Alpha());
  EXPECT_EQ(0, Pixel(texture, 11, 16).Alpha());
  EXPECT_EQ(0, Pixel(texture, 6, 6).Alpha());
  EXPECT_EQ(255, Pixel(texture, 15, 16).Red());
  EXPECT_EQ(246, Pixel(texture, 15, 16).Green());
}

TEST_F(ContourSceneTest, ContourIsDrawnBehindThroughThePivotAtAnyScale)
{
  TSceneObject* object = Load("<objects><object id='o' f='square' c='1' p='100,100' s='2,3' r='0.5'/></objects>");
  object->Draw();
  ASSERT_EQ(2u, mRenderer.mSprites.size());
  const TDrawSpec& glow = mRenderer.mSprites[0].mSpec;
  const TDrawSpec& own = mRenderer.mSprites[1].mSpec;
  EXPECT_TRUE(RectIs(glow.mSrcRect, 0, 0, 42, 32));
  // Contour pixel (6, 6) and image pixel (0, 0) land on the same screen point.
  TVec3 glowCorner(6 - glow.mCenter.x, 6 - glow.mCenter.y, 1);
  TVec3 imageCorner(0 - own.mCenter.x, 0 - own.mCenter.y, 1);
  TVec3 a = vectorMulMatrix(&glowCorner, &glow.mTransform);
  TVec3 b = vectorMulMatrix(&imageCorner, &own.mTransform);
  EXPECT_NEAR(a.x, b.x, 1e-3);
  EXPECT_NEAR(a.y, b.y, 1e-3);
}

TEST_F(ContourSceneTest, FrameChangesRepaintAndSwitchingOffStopsDrawing)
{
  TSceneObject* object = Load("<objects><object id='o' f='square' c='1'/></objects>");
  object->setFrame("big");
  boost::shared_ptr<TTexture> texture = object->GetContour()->GetTexture();
  EXPECT_EQ(64u, texture->GetWidth());
  EXPECT_EQ(150, Pixel(texture, 5, 5).Alpha()) << "one pixel outside the big image's corner";
  object->setDrawContour(false);
  mRenderer.mSprites.clear();
  object->Draw();
  EXPECT_EQ(1u, mRenderer.mSprites.size());
  object->setFrame(-1);
  EXPECT_EQ(1, object->GetContour()->GetFrame()) << "switched off, the contour keeps its frame";
}

TEST_F(ContourSceneTest, TextObjectsAndImagesWithoutTextureGetAnEmptyOutline)
{
  TSceneObject* text = Load("<objects><object type='TTextObject' id='o' f='box' c='1'/></objects>");
  ASSERT_NE(nullptr, text->GetContour());
  EXPECT_TRUE(mScene->getVertexList()->GetFrameVertex(3)->GetPoints().empty());
  EXPECT_FALSE(mScene->getVertexList()->GetFrameVertex(2)->GetPoints().empty());
}

TEST_F(ContourSceneTest, SceneColoursPaintTheRings)
{
  std::vector<TColor32> colours = {TColor32(0, 0, 255, 255)};
  mScene->SetContourColors(colours);
  TSceneObject* object = Load("<objects><object id='o' f='square' c='1'/></objects>");
  boost::shared_ptr<TTexture> texture = object->GetContour()->GetTexture();
  EXPECT_EQ(0xFF0000FFu, Pixel(texture, 15, 16).mValue);
  EXPECT_EQ(0u, Pixel(texture, 14, 16).mValue);
}
