// animatedtexture tests: the ".anm" reader (every version, damaged, truncated and oversized
// files), the XML form with its inherited values, default scripts, file probing, and frames
// drawn at their registration points, mirrored and transformed, checked by pixel read-back.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "core/foundation/file.h"
#include "core/graphics/animatedtexture.h"
#include "support/gfxfixture.h"
#include "support/vfssandbox.h"

namespace {

std::string FixturePath(const std::string& name)
{
  return std::string(QV_ANIM_FIXTURES) + "/" + name;
}

// Virtual name of a generated fixture.
str Fixture(const std::string& name)
{
  return str(("::" + FixturePath(name)).c_str());
}

std::string FixtureBytes(const std::string& name)
{
  std::ifstream in(FixturePath(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const char kDefaultTwoFrames[] = "function DoAnim()\n    delay(60);\n    frames{1,2};\nend\n";
const char kDefaultNoFrames[] = "function DoAnim()\n    delay(60);\nend\n";
const char kFileScript[] = "function DoAnim()\n    delay(30);\n    frames{2,1};\nend\n";

class AnimParseTest : public ::testing::Test
{
protected:
  void TearDown() override { TRenderer::ShutDown(); }

  // Parses a fixture into a fresh animation named "anim"; the log lines land in mLog.
  boost::shared_ptr<TAnimatedTexture> Parse(const std::string& name, bool* parsed)
  {
    boost::shared_ptr<TAnimatedTexture> animation(new TAnimatedTexture("anim"));
    ::testing::internal::CaptureStderr();
    str file = Fixture(name);
    *parsed = name.find(".xml") != std::string::npos ? animation->ParseFromXML(file) : animation->ParseFromANM(file);
    mLog = ::testing::internal::GetCapturedStderr();
    return animation;
  }
  boost::shared_ptr<TAnimatedTexture> Loaded(const std::string& name)
  {
    bool parsed = false;
    boost::shared_ptr<TAnimatedTexture> animation = Parse(name, &parsed);
    EXPECT_TRUE(parsed) << name << ": " << mLog;
    return animation;
  }

  TAssetManager mRegistry;
  std::string mLog;
};

void ExpectTwoFrames(const TAnimatedTexture& animation, bool withAlpha)
{
  const TAnimation& record = animation.GetAnimation();
  EXPECT_STREQ(record.mSequenceName.c_str(), "walk");
  EXPECT_STREQ(record.mSource.c_str(), "walk.psd");
  EXPECT_STREQ(record.mImageFile.c_str(), "sheet.png");
  EXPECT_STREQ(record.mMaskFile.c_str(), "");
  EXPECT_EQ(record.mRegX, 3);
  EXPECT_EQ(record.mRegY, 4);
  EXPECT_EQ(record.mImageWidth, 128);
  EXPECT_EQ(record.mImageHeight, 128);
  ASSERT_EQ(animation.GetFrameCount(), 2);
  EXPECT_EQ(record.mFrameCount, 2);
  EXPECT_EQ(record.mWidestFrame, 64);
  EXPECT_EQ(record.mTallestFrame, 64);

  const TAnimFrame& first = record.mFrames[0];
  EXPECT_STREQ(first.mName.c_str(), "first");
  EXPECT_EQ(animation.GetRegistrationPoint(0), std::make_pair(10, 20));
  EXPECT_FALSE(first.HasTransform());
  EXPECT_FLOAT_EQ(first.mAlpha, 1.0f);
  EXPECT_TRUE(first.mAnchors.empty());

  const TAnimFrame& second = record.mFrames[1];
  EXPECT_STREQ(second.mName.c_str(), "second");
  TRect rect = animation.GetFrameRect(1);
  EXPECT_EQ(rect.left, 64);
  EXPECT_EQ(rect.top, 0);
  EXPECT_EQ(rect.right, 128);
  EXPECT_EQ(rect.bottom, 64);
  EXPECT_EQ(animation.GetRegistrationPoint(1), std::make_pair(32, 32));
  EXPECT_FLOAT_EQ(second.mAlpha, withAlpha ? 0.5f : 1.0f);
  ASSERT_TRUE(second.HasTransform());
  const float transform[6] = {2, 0, 0, 2, 5, 7};
  for (int i = 0; i < 6; ++i)
    EXPECT_FLOAT_EQ(second.mTransform[i], transform[i]) << i;
  ASSERT_EQ(second.mAnchors.size(), 2u);
  EXPECT_STREQ(second.mAnchors[0].mName.c_str(), "hand");
  EXPECT_EQ(second.mAnchors[0].mX, 5);
  EXPECT_EQ(second.mAnchors[0].mY, 6);
  EXPECT_STREQ(second.mAnchors[1].mName.c_str(), "foot");
  EXPECT_EQ(second.mAnchors[1].mX, 7);
  EXPECT_EQ(second.mAnchors[1].mY, 8);
}

} // namespace

TEST_F(AnimParseTest, VersionOneHasNoFrameAlphaAndFourMoreImageValues)
{
  boost::shared_ptr<TAnimatedTexture> animation = Loaded("v1.anm");
  ExpectTwoFrames(*animation, false);
  EXPECT_STREQ(animation->GetAnimation().mScript.c_str(), kFileScript);
}

TEST_F(AnimParseTest, VersionsTwoAndThreeCarryFrameAlpha)
{
  boost::shared_ptr<TAnimatedTexture> v2 = Loaded("v2.anm");
  ExpectTwoFrames(*v2, true);
  EXPECT_STREQ(v2->GetAnimation().mScript.c_str(), kFileScript);
  boost::shared_ptr<TAnimatedTexture> v3 = Loaded("v3.anm");
  ExpectTwoFrames(*v3, true);
  EXPECT_STREQ(v3->GetAnimation().mScript.c_str(), kDefaultTwoFrames);
}

TEST_F(AnimParseTest, DefaultScriptListsEveryFrameOrNone)
{
  EXPECT_STREQ(Loaded("v3.anm")->GetAnimation().mScript.c_str(), kDefaultTwoFrames);
  for (const char* name : {"zero.anm", "negative_count.anm"}) {
    boost::shared_ptr<TAnimatedTexture> empty = Loaded(name);
    EXPECT_EQ(empty->GetFrameCount(), 0) << name;
    EXPECT_STREQ(empty->GetAnimation().mScript.c_str(), kDefaultNoFrames) << name;
  }
  // Four bytes after the frames that are not "SCRP" mean there is no script either.
  EXPECT_STREQ(Loaded("trailing.anm")->GetAnimation().mScript.c_str(), kDefaultTwoFrames);
}

TEST_F(AnimParseTest, AParseAgainReplacesTheFrames)
{
  boost::shared_ptr<TAnimatedTexture> animation = Loaded("v2.anm");
  ASSERT_TRUE(animation->ParseFromANM(Fixture("zero.anm")));
  EXPECT_EQ(animation->GetFrameCount(), 0);
  EXPECT_EQ(animation->GetAnimation().mWidestFrame, 0);
}

TEST_F(AnimParseTest, WrongTagsFailWithALine)
{
  for (const char* name : {"bad_anim.anm", "bad_imgn.anm", "bad_frms.anm"}) {
    bool parsed = true;
    boost::shared_ptr<TAnimatedTexture> animation = Parse(name, &parsed);
    EXPECT_FALSE(parsed) << name;
    EXPECT_EQ(mLog.rfind("ERROR: Animation anim: ", 0), 0u) << mLog;
    EXPECT_EQ(animation->GetFrameCount(), 0) << name;
  }
}

TEST_F(AnimParseTest, CountsAndLengthsBeyondTheFileFailWithoutAllocating)
{
  for (const char* name : {"huge_frames.anm", "huge_anchors.anm", "huge_string.anm"}) {
    bool parsed = true;
    boost::shared_ptr<TAnimatedTexture> animation = Parse(name, &parsed);
    EXPECT_FALSE(parsed) << name;
    EXPECT_NE(mLog.find("ERROR: "), std::string::npos) << name;
    EXPECT_EQ(animation->GetFrameCount(), 0) << name;
  }
  // A length of zero or less is an empty string.
  boost::shared_ptr<TAnimatedTexture> negative = Loaded("negative_string.anm");
  EXPECT_STREQ(negative->GetAnimation().mSequenceName.c_str(), "");
  EXPECT_STREQ(negative->GetAnimation().mSource.c_str(), "walk.psd");
  EXPECT_EQ(negative->GetFrameCount(), 2);
}

TEST_F(AnimParseTest, FilesCutAtEveryFieldFailUnlessOnlyTheScriptIsMissing)
{
  std::istringstream manifest(FixtureBytes("trunc/manifest.txt"));
  std::string name, outcome;
  int cases = 0, loading = 0;
  while (manifest >> name >> outcome) {
    ++cases;
    bool parsed = false;
    boost::shared_ptr<TAnimatedTexture> animation = Parse(name, &parsed);
    if (outcome == "ok") {
      ++loading;
      EXPECT_TRUE(parsed) << name << ": " << mLog;
      EXPECT_EQ(animation->GetFrameCount(), 2) << name;
      EXPECT_STREQ(animation->GetAnimation().mScript.c_str(), kDefaultTwoFrames) << name;
    } else {
      EXPECT_FALSE(parsed) << name;
      EXPECT_EQ(animation->GetFrameCount(), 0) << name;
      EXPECT_NE(mLog.find("ERROR: Animation anim: "), std::string::npos) << name;
    }
  }
  EXPECT_GT(cases, 100);
  EXPECT_GT(loading, 0);
}

TEST_F(AnimParseTest, XmlTwinReadsLikeTheBinaryFile)
{
  boost::shared_ptr<TAnimatedTexture> animation = Loaded("v2.xml");
  ExpectTwoFrames(*animation, true);
  EXPECT_STREQ(animation->GetAnimation().mScript.c_str(), kDefaultTwoFrames);
}

TEST_F(AnimParseTest, XmlFramesInheritRegistrationAndTransform)
{
  boost::shared_ptr<TAnimatedTexture> animation = Loaded("inherit.xml");
  ASSERT_EQ(animation->GetFrameCount(), 4);
  const std::vector<TAnimFrame>& frames = animation->GetAnimation().mFrames;
  // The first frame has nothing to inherit.
  EXPECT_EQ(animation->GetRegistrationPoint(0), std::make_pair(0, 0));
  EXPECT_FALSE(frames[0].HasTransform());
  EXPECT_EQ(animation->GetRegistrationPoint(1), std::make_pair(7, 9));
  // Without "regx" and with an empty "xform" the previous frame's values repeat.
  EXPECT_EQ(animation->GetRegistrationPoint(2), std::make_pair(7, 9));
  const float inherited[6] = {1.5f, 0, 0, 2, 3, 4};
  for (int i = 0; i < 6; ++i) {
    EXPECT_FLOAT_EQ(frames[1].mTransform[i], inherited[i]) << i;
    EXPECT_FLOAT_EQ(frames[2].mTransform[i], inherited[i]) << i;
  }
  // "regx" alone is enough to read both; a short "xform" fills what it gives.
  EXPECT_EQ(animation->GetRegistrationPoint(3), std::make_pair(1, 0));
  EXPECT_FLOAT_EQ(frames[3].mTransform[0], 3.0f);
  EXPECT_FLOAT_EQ(frames[3].mTransform[1], 4.0f);
  EXPECT_FLOAT_EQ(frames[3].mTransform[4], 0.0f);
  EXPECT_EQ(animation->GetAnimation().mWidestFrame, 64);
  EXPECT_EQ(animation->GetAnimation().mTallestFrame, 80);
  EXPECT_EQ(animation->GetAnimation().mRegX, 0);
}

TEST_F(AnimParseTest, XmlScriptFromAttributeOrText)
{
  EXPECT_STREQ(Loaded("luascript.xml")->GetAnimation().mScript.c_str(), "delay(1)");
  EXPECT_STREQ(Loaded("textscript.xml")->GetAnimation().mScript.c_str(), "frames(1)");
}

TEST_F(AnimParseTest, XmlMissingPartsLogTheirLines)
{
  struct
  {
    const char* file;
    const char* line;
  } const cases[] = {
      {"noseq.xml", "Animation anim does not contain a sequence node\n"},
      {"noframelist.xml", "Animation anim does not contain a framelist node\n"},
      {"noframes.xml", "Animation anim does not contain any frames!\n"},
      {"noimg.xml", "Animation anim does not contain an img node\n"},
  };
  for (const auto& c : cases) {
    bool parsed = true;
    Parse(c.file, &parsed);
    EXPECT_FALSE(parsed) << c.file;
    EXPECT_EQ(mLog, c.line) << c.file;
  }
  // Without an image the frames are still read, but the parse fails.
  bool parsed = true;
  EXPECT_EQ(Parse("noimg.xml", &parsed)->GetFrameCount(), 1);
}

TEST_F(AnimParseTest, FrameQueriesOutsideTheFramesReadZero)
{
  boost::shared_ptr<TAnimatedTexture> animation = Loaded("v2.anm");
  for (int outside : {-1, 2, 1000}) {
    TRect rect = animation->GetFrameRect(outside);
    EXPECT_EQ(rect.left | rect.top | rect.right | rect.bottom, 0) << outside;
    EXPECT_EQ(animation->GetRegistrationPoint(outside), std::make_pair(0, 0)) << outside;
  }
  EXPECT_EQ(animation->GetWidth(), 64u);
  animation->SetCurrentFrame(2);
  EXPECT_EQ(animation->GetWidth(), 0u);
  EXPECT_EQ(animation->GetHeight(), 0u);
  EXPECT_EQ(Loaded("zero.anm")->GetWidth(), 0u);
}

TEST_F(AnimParseTest, IdentityAndHandle)
{
  boost::shared_ptr<TAnimatedTexture> animation(new TAnimatedTexture("a"));
  EXPECT_STREQ(animation->GetTypeName(), "TAnimatedTexture");
  EXPECT_TRUE(animation->IsKindOf(TAnimatedTexture::ClassId()));
  EXPECT_TRUE(animation->IsKindOf(TTexture::ClassId()));
  EXPECT_TRUE(animation->IsKindOf(TAsset::ClassId()));
  EXPECT_STREQ(TAnimatedTexture::GetHandle("fx/fire", "b.png", "m.png").c_str(), "fx/fire:b.png:m.png");
  EXPECT_STREQ(TAnimatedTexture::GetHandle("fx/fire", "", "").c_str(), "fx/fire::");
}

// ---------------------------------------------------------------------------------------
// Finding the file, in a resources folder

class AnimProbeTest : public AnimParseTest
{
protected:
  void Put(const std::string& fixture, const std::string& as)
  {
    mSandbox.WriteFile("assets/" + as, FixtureBytes(fixture));
  }
  void Rescan()
  {
    TFile::ShutDownFileSystem();
    TFile::ScanForResources();
  }

  TVfsSandbox mSandbox;
};

TEST_F(AnimProbeTest, XmlIsFoundBeforeAnmAndTheFolderIsKept)
{
  Put("v2.xml", "anims/fire.xml");
  Put("zero.anm", "anims/fire.anm");
  Rescan();
  TAnimatedTexture fire("anims/fire");
  ASSERT_TRUE(fire.ParseAnimation("", ""));
  EXPECT_EQ(fire.GetFrameCount(), 2);
  EXPECT_STREQ(fire.GetAnimation().mFolder.c_str(), "anims/");
  EXPECT_STREQ(fire.GetAnimation().mImageFile.c_str(), "sheet.png");

  // A name with its extension is read as it is; the letter case of the extension is free.
  Put("v3.anm", "anims/smoke.ANM");
  Rescan();
  TAnimatedTexture explicitAnm("anims/fire.anm");
  ASSERT_TRUE(explicitAnm.ParseAnimation("", ""));
  EXPECT_EQ(explicitAnm.GetFrameCount(), 0);
  TAnimatedTexture capitals("anims/smoke.ANM");
  ASSERT_TRUE(capitals.ParseAnimation("other.png", "mask.png"));
  EXPECT_EQ(capitals.GetFrameCount(), 2);
  EXPECT_STREQ(capitals.GetAnimation().mImageFile.c_str(), "other.png");
  EXPECT_STREQ(capitals.GetAnimation().mMaskFile.c_str(), "mask.png");
}

TEST_F(AnimProbeTest, AnmIsReadWhenThereIsNoXmlAndMissingNamesFail)
{
  Put("zero.anm", "anims/fire.anm");
  Rescan();
  TAnimatedTexture fire("anims/fire");
  ASSERT_TRUE(fire.ParseAnimation("", ""));
  EXPECT_EQ(fire.GetFrameCount(), 0);
  TAnimatedTexture missing("anims/water");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(missing.ParseAnimation("", ""));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "ERROR: Animation anims/water not found\n");
}

// ---------------------------------------------------------------------------------------
// Loading the sheet and drawing, on a real GL context

namespace {

class AnimDrawTest : public GfxTest
{
protected:
  boost::shared_ptr<TAnimatedTexture> Draw()
  {
    boost::shared_ptr<TAnimatedTexture> animation = TAnimatedTexture::Get(Fixture("draw.anm"), "", "");
    EXPECT_TRUE(animation);
    return animation;
  }
  static TColor32 FirstPixel(TTexture& texture)
  {
    TColor32* pixels = nullptr;
    unsigned pitch = 0;
    if (!texture.Lock(&pixels, &pitch)) {
      ADD_FAILURE() << "cannot lock";
      return TColor32();
    }
    TColor32 first = pixels[0];
    texture.Unlock();
    return first;
  }
};

} // namespace

TEST_F(AnimDrawTest, GetLoadsOnceAndRegistersUnderItsHandle)
{
  boost::shared_ptr<TAnimatedTexture> animation = Draw();
  ASSERT_TRUE(animation);
  EXPECT_EQ(TAnimatedTexture::Get(Fixture("draw.anm"), "", ""), animation);
  EXPECT_EQ(TAnimatedTexture::InternalGet(TAnimatedTexture::GetHandle(Fixture("draw.anm"), "", "")), animation);
  EXPECT_TRUE(animation->HasAlpha());
  EXPECT_TRUE(ColorNear(FirstPixel(*animation), 255, 0, 0, 255));

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(TAnimatedTexture::Get(Fixture("bad_anim.anm"), "", ""));
  ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(mRegistry->HasEntry(TAnimatedTexture::GetHandle(Fixture("bad_anim.anm"), "", "")));
}

TEST_F(AnimDrawTest, AMaskGivesTheSheetItsAlpha)
{
  boost::shared_ptr<TAnimatedTexture> masked = TAnimatedTexture::Get(Fixture("masked.anm"), "", "");
  ASSERT_TRUE(masked);
  EXPECT_TRUE(ColorNear(FirstPixel(*masked), 255, 0, 0, 64));
}

TEST_F(AnimDrawTest, FramesLandOnTheirRegistrationPoints)
{
  boost::shared_ptr<TAnimatedTexture> animation = Draw();
  ASSERT_TRUE(animation);
  BeginFrame();
  animation->DrawSprite(At(200, 200));
  animation->DrawSprite(200, 400, 1.0f, 1.0f, 0.0f, 0);
  EndFrame();
  // Registration (10, 20): the frame's top-left corner is at (190, 180).
  EXPECT_TRUE(ColorNear(ReadFramePixel(190, 180), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(189, 180), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(190, 179), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(253, 243), 255, 255, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(254, 243), 0, 0, 0, 255));
  // Only the frame is cut out of the sheet: nothing of frame 1 beside it.
  EXPECT_TRUE(ColorNear(ReadFramePixel(254, 190), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(190, 380), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(189, 380), 0, 0, 0, 255));
}

TEST_F(AnimDrawTest, MirroringMirrorsTheRegistrationPoint)
{
  boost::shared_ptr<TAnimatedTexture> animation = Draw();
  ASSERT_TRUE(animation);
  BeginFrame();
  animation->DrawSprite(At(400, 200, TDrawSpec::kMirrorLeftRight));
  animation->DrawSprite(At(600, 200, TDrawSpec::kMirrorTopBottom));
  EndFrame();
  // 64 wide with registration x 10: the frame's point at x 54 lands on x 400.
  EXPECT_TRUE(ColorNear(ReadFramePixel(346, 180), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(345, 180), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(409, 180), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(410, 180), 0, 0, 0, 255));
  // 64 high with registration y 20: y 44 lands on y 200.
  EXPECT_TRUE(ColorNear(ReadFramePixel(590, 156), 0, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(590, 155), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(590, 219), 255, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(590, 220), 0, 0, 0, 255));
}

TEST_F(AnimDrawTest, AFrameTransformIsAppliedBeforeTheSprites)
{
  boost::shared_ptr<TAnimatedTexture> animation = Draw();
  ASSERT_TRUE(animation);
  animation->SetCurrentFrame(1);
  BeginFrame();
  animation->DrawSprite(At(100, 300));
  // The sprite's own scale applies after the frame's doubling and shift.
  animation->DrawSprite(TDrawSpec(TVec2(500, 100), 1.0f, 0.5f, 0));
  EndFrame();
  // Doubled and moved by (5, 7), then placed at (100, 300): 128 pixels from (105, 307).
  // Magnified texels are filtered, so the samples keep clear of the quadrants' edges.
  EXPECT_TRUE(ColorNear(ReadFramePixel(150, 350), 255, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(190, 350), 0, 255, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(150, 420), 255, 0, 255, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(220, 420), 128, 128, 128, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(104, 350), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(233, 420), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(150, 306), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(150, 435), 0, 0, 0, 255));
  // (v * 2 + (5, 7)) * 0.5 + (500, 100): 64 pixels from (502.5, 103.5).
  EXPECT_TRUE(ColorNear(ReadFramePixel(504, 105), 255, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(565, 166), 128, 128, 128, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(568, 169), 0, 0, 0, 255));
}

TEST_F(AnimDrawTest, FrameAlphaSourceRectanglesAndFramesThatDrawNothing)
{
  boost::shared_ptr<TAnimatedTexture> animation = Draw();
  ASSERT_TRUE(animation);
  BeginFrame();
  animation->SetCurrentFrame(2);
  animation->DrawSprite(At(100, 100));
  // A part of frame 0: its green quadrant, placed by the frame's registration point.
  animation->SetCurrentFrame(0);
  TDrawSpec part = At(300, 100, TDrawSpec::kSourceRect);
  part.mSrcRect = TRect(32, 0, 64, 32);
  animation->DrawSprite(part);
  // A part wholly outside the frame draws nothing rather than a neighbour's pixels.
  TDrawSpec outside = At(500, 100, TDrawSpec::kSourceRect);
  outside.mSrcRect = TRect(70, 0, 90, 20);
  animation->DrawSprite(outside);
  // Zero pixels wide, past the last frame, before the first.
  for (int frame : {3, 4, -1}) {
    animation->SetCurrentFrame(frame);
    animation->DrawSprite(At(700, 100));
  }
  EndFrame();
  // Orange at half alpha over black.
  EXPECT_TRUE(ColorNear(ReadFramePixel(100, 100), 127, 64, 0, 191, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(68, 68), 127, 64, 0, 191, 2));
  EXPECT_TRUE(ColorNear(ReadFramePixel(67, 68), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(290, 80), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(321, 111), 0, 255, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(322, 80), 0, 0, 0, 255));
  EXPECT_TRUE(ColorNear(ReadFramePixel(289, 80), 0, 0, 0, 255));
  for (int x = 440; x < 760; x += 8) {
    for (int y = 40; y < 170; y += 8) {
      ASSERT_TRUE(ColorNear(ReadFramePixel(x, y), 0, 0, 0, 255)) << x << "," << y;
    }
  }
}

TEST_F(AnimDrawTest, AnAnimationWithoutFramesDrawsNothing)
{
  boost::shared_ptr<TAnimatedTexture> empty = TAnimatedTexture::Get(Fixture("zero.anm"), "", "");
  ASSERT_TRUE(empty);
  BeginFrame();
  empty->DrawSprite(At(400, 300));
  empty->DrawSprite(400, 300, 1.0f, 1.0f, 0.0f, 0);
  EndFrame();
  std::vector<TColor32> block = ReadFrameBlock(336, 236, 128, 128);
  for (TColor32 pixel : block) {
    ASSERT_TRUE(ColorNear(pixel, 0, 0, 0, 255));
  }
}

TEST_F(AnimDrawTest, AGivenImageIsCutFromTheFolderFirstThenFromTheRoot)
{
  TVfsSandbox sandbox;
  sandbox.WriteFile("assets/anims/fire.anm", FixtureBytes("v2.anm"));
  sandbox.WriteFile("assets/anims/other.png", FixtureBytes("other.png"));
  sandbox.WriteFile("assets/other.png", FixtureBytes("sheet.png"));
  TFile::ScanForResources();
  boost::shared_ptr<TAnimatedTexture> folder = TAnimatedTexture::Get("anims/fire", "other.png", "");
  ASSERT_TRUE(folder);
  EXPECT_TRUE(ColorNear(FirstPixel(*folder), 128, 0, 128, 255));
  folder.reset();

  TFile::ShutDownFileSystem();
  sandbox.WriteFile("assets/anims/fire.anm", FixtureBytes("v1.anm"));
  std::remove(sandbox.Path("assets/anims/other.png").c_str());
  TFile::ScanForResources();
  ::testing::internal::CaptureStderr();
  boost::shared_ptr<TAnimatedTexture> root = TAnimatedTexture::Get("anims/fire", "other.png", "");
  ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(root);
  EXPECT_TRUE(ColorNear(FirstPixel(*root), 255, 0, 0, 255));
}
