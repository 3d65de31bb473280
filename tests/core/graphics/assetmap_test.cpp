// assetmap tests: names completed by probing the extensions in their fixed order, one
// loader per kind with its registry key, options given only to loaders that read them,
// sharing between lists, auto-loading and the exact debug lines.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "buildpaths.h"
#include "core/foundation/file.h"
#include "core/graphics/animatedtexture.h"
#include "core/graphics/assetmap.h"
#include "core/graphics/model.h"
#include "core/script/script.h"
#include "core/sound/oggdatasource.h"
#include "platform/sound/sound.h"
#include "support/gfxfixture.h"
#include "support/vfssandbox.h"
#include "support/requirement.h"

namespace {

std::string ReadAll(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string AnimFixture(const std::string& name)
{
  return ReadAll(std::string(QV_ANIM_FIXTURES) + "/" + name);
}

std::string GfxImage(const std::string& name)
{
  return ReadAll(std::string(QV_TEST_BUILD_DIR) + "/gfx-images/" + name);
}

std::string Ogg()
{
#ifdef QV_SOUND_FIXTURE_DIR
  return ReadAll(std::string(QV_SOUND_FIXTURE_DIR) + "/tone010.ogg");
#else
  return std::string();
#endif
}

const char kNotFound[] = "ERROR: TAssetMap::AddAsset: Failed to find asset %s with any standard extension "
                         "(jpg/jp2/png/anm/xml/ogg/mesh)\n";

std::string Line(const char* format, const std::string& name)
{
  return str::getFormatted(format, name.c_str()).c_str();
}

class AssetMapTest : public GfxTest
{
protected:
  void SetUp() override
  {
    GfxTest::SetUp();
    TOggDataSource::Register();
  }

  // Writes a resource and rescans, so the file system sees it.
  void Put(const std::string& name, const std::string& bytes)
  {
    mSandbox.WriteFile("assets/" + name, bytes);
    TFile::ShutDownFileSystem();
    TFile::ScanForResources();
  }
  void Remove(const std::string& name)
  {
    std::remove(mSandbox.Path("assets/" + name).c_str());
    TFile::ShutDownFileSystem();
    TFile::ScanForResources();
  }
  // Every kind under one stem, each told apart by what it loads as.
  void PutEveryKind(const std::string& stem)
  {
    std::string folder = stem.substr(0, stem.rfind('/') + 1);
    mSandbox.WriteFile("assets/" + folder + "sheet.png", AnimFixture("sheet.png"));
    mSandbox.WriteFile("assets/" + stem + ".xml", AnimFixture("v2.xml"));
    mSandbox.WriteFile("assets/" + stem + ".anm", AnimFixture("zero.anm"));
    mSandbox.WriteFile("assets/" + stem + ".jpg", GfxImage("rgb.jpg"));
    mSandbox.WriteFile("assets/" + stem + ".jp2", GfxImage("rgb.jp2"));
    mSandbox.WriteFile("assets/" + stem + ".png", AnimFixture("sheet.png"));
    mSandbox.WriteFile("assets/" + stem + ".spx", "not decodable");
    mSandbox.WriteFile("assets/" + stem + ".ogg", Ogg());
    mSandbox.WriteFile("assets/" + stem + ".mesh", AnimFixture("values.mesh"));
    mSandbox.WriteFile("assets/" + stem + ".lua", "return 1\n");
    TFile::ShutDownFileSystem();
    TFile::ScanForResources();
  }

  // What the map loaded for name: "anim2", "anim0", "tex<width>", "sound:<file>", "mesh",
  // "script" or "none".
  std::string KindOf(TAssetMap& map, const std::string& name)
  {
    ::testing::internal::CaptureStderr();
    boost::shared_ptr<TTexture> texture = map.GetTexture(name.c_str());
    boost::shared_ptr<TSound> sound = map.GetSound(name.c_str());
    ::testing::internal::GetCapturedStderr();
    if (texture && texture->IsKindOf(TAnimatedTexture::ClassId())) {
      return "anim" + std::to_string(boost::static_pointer_cast<TAnimatedTexture>(texture)->GetFrameCount());
    }
    if (texture)
      return "tex" + std::to_string(texture->GetWidth());
    if (sound)
      return std::string("sound:") + sound->GetName().c_str();
    if (!map.QueryAsset(name.c_str()))
      return "none";
    boost::shared_ptr<TAsset> registered = mRegistry->GetAsset(name.c_str());
    if (registered && registered->IsKindOf(TModel::ClassId()))
      return "mesh";
    if (registered && registered->IsKindOf(TScriptCode::ClassId()))
      return "script";
    return "other";
  }

  std::string Add(TAssetMap& map, const std::string& name, bool quiet = false)
  {
    ::testing::internal::CaptureStderr();
    map.AddAsset(name.c_str(), boost::shared_ptr<TAsset>(), quiet);
    return ::testing::internal::GetCapturedStderr();
  }

  TVfsSandbox mSandbox;
};

} // namespace

TEST_F(AssetMapTest, ExtensionsAreProbedInTheirFixedOrder)
{
  if (Ogg().empty())
    QV_SKIP_UNLESS_REQUIRED("no sound fixtures");
  PutEveryKind("fx/spark");
  const char* const order[] = {"xml", "anm", "jpg", "jp2", "png", "spx", "ogg", "mesh", "lua"};
  const char* const expected[] = {
      "anim2", "anim0", "tex64", "tex20", "tex128", "sound:fx/spark.spx", "sound:fx/spark.ogg", "mesh", "script"};
  for (int i = 0; i < 9; ++i) {
    TAssetMap map;
    Add(map, "fx/spark");
    EXPECT_EQ(KindOf(map, "fx/spark"), expected[i]) << "with ." << order[i] << " first";
    Remove(std::string("fx/spark.") + order[i]);
  }
  TAssetMap map;
  EXPECT_EQ(Add(map, "fx/spark"), Line(kNotFound, "fx/spark"));
  EXPECT_FALSE(map.QueryAsset("fx/spark"));
}

TEST_F(AssetMapTest, EachKindIsRegisteredUnderItsOwnKey)
{
  if (Ogg().empty())
    QV_SKIP_UNLESS_REQUIRED("no sound fixtures");
  PutEveryKind("a/b");
  TAssetMap map;
  map.AddAsset("a/b.png", boost::shared_ptr<TAsset>(), false);
  map.AddAsset("a\\b.xml", boost::shared_ptr<TAsset>(), false);
  map.AddAsset("a/b.ogg?group=7", boost::shared_ptr<TAsset>(), false);
  map.AddAsset("a/b.mesh", boost::shared_ptr<TAsset>(), false);
  map.AddAsset("a/b.lua", boost::shared_ptr<TAsset>(), false);
  EXPECT_TRUE(mRegistry->GetAsset("a/b.png:tex"));
  EXPECT_TRUE(mRegistry->GetAsset("a/b.xml::"));
  EXPECT_TRUE(mRegistry->GetAsset("a/b.ogg?group=7;0;7"));
  EXPECT_TRUE(mRegistry->GetAsset("a/b.ogg;1;7"));
  EXPECT_EQ(mRegistry->GetAsset("a/b.ogg?group=7;0;7"), mRegistry->GetAsset("a/b.ogg;1;7"));
  EXPECT_TRUE(mRegistry->GetAsset("a/b.mesh"));
  EXPECT_TRUE(mRegistry->GetAsset("a/b.lua"));
  EXPECT_TRUE(map.QueryAsset("a\\b.xml"));
  EXPECT_STREQ(SoundHandle("x.ogg", "").c_str(), "x.ogg;0;0");
  EXPECT_STREQ(SoundHandle("x.ogg?group=12", "?group=12").c_str(), "x.ogg?group=12;0;12");
}

TEST_F(AssetMapTest, OptionsStayWithTheNameAndReachOnlyTheLoadersThatReadThem)
{
  if (Ogg().empty())
    QV_SKIP_UNLESS_REQUIRED("no sound fixtures");
  Put("audio/sfx/sfx_typing_01.ogg", Ogg());
  TAssetMap map;
  const char* names[] = {"audio/sfx/sfx_typing_01.ogg?group=1000", nullptr};
  map.AddAssets(names);
  boost::shared_ptr<TSound> sound = map.GetSound("audio/sfx/sfx_typing_01.ogg?group=1000");
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->GetData()->mGroup, 1000);
  EXPECT_TRUE(sound->GetData()->mSource);
  EXPECT_TRUE(mRegistry->GetAsset("audio/sfx/sfx_typing_01.ogg;1;1000"));
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(map.GetSound("audio/sfx/sfx_typing_01.ogg"));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "ERROR: Sound asset not found: audio/sfx/sfx_typing_01.ogg\n");

  // Animations, meshes and scripts are read from the file without the options.
  Put("fx/sheet.png", AnimFixture("sheet.png"));
  Put("fx/fire.xml", AnimFixture("v2.xml"));
  Put("models/cube.mesh", AnimFixture("values.mesh"));
  Put("scripts/go.lua", "return 2\n");
  Put("fx/star.png", AnimFixture("sheet.png"));
  EXPECT_EQ(Add(map, "fx/fire?fast"), "");
  EXPECT_EQ(KindOf(map, "fx/fire?fast"), "anim2");
  EXPECT_TRUE(mRegistry->GetAsset("fx/fire?fast?fast::"));
  EXPECT_EQ(Add(map, "models/cube?lod=1"), "");
  EXPECT_TRUE(map.QueryAsset("models/cube?lod=1"));
  EXPECT_TRUE(TModel::Get("models/cube.mesh"));
  EXPECT_EQ(Add(map, "scripts/go.lua?x"), "");
  EXPECT_TRUE(map.QueryAsset("scripts/go.lua?x"));
  // Texture options go to the image loader; the key carries them twice.
  EXPECT_EQ(Add(map, "fx/star.png?alpha"), "");
  EXPECT_EQ(KindOf(map, "fx/star.png?alpha"), "tex128");
  EXPECT_TRUE(mRegistry->GetAsset("fx/star.png?alpha?alpha:tex"));
}

TEST_F(AssetMapTest, UnknownKindsAndCapitalExtensionsAreNotLoaded)
{
  Put("notes.txt", "hello");
  Put("fx/big.PNG", AnimFixture("sheet.png"));
  TAssetMap map;
  EXPECT_EQ(Add(map, "notes.txt"), "ERROR: TAssetMap::AddAsset: Error loading notes.txt\n");
  EXPECT_EQ(Add(map, "fx/big.PNG?alpha"), "ERROR: TAssetMap::AddAsset: Error loading fx/big.PNG?alpha\n");
  EXPECT_EQ(Add(map, "notes.txt", true), "");
  EXPECT_FALSE(map.QueryAsset("notes.txt"));
  EXPECT_FALSE(map.QueryAsset("fx/big.PNG?alpha"));
  // quiet silences the list's lines, not the loader's own.
  Put("broken.mesh", "TRIS\x05");
  EXPECT_EQ(Add(map, "broken.mesh"), "ERROR: TModel::Init: broken.mesh ends in its header\n"
                                     "ERROR: TAssetMap::AddAsset: Error loading broken.mesh\n");
  EXPECT_EQ(Add(map, "broken.mesh", true), "ERROR: TModel::Init: broken.mesh ends in its header\n");
  EXPECT_FALSE(map.QueryAsset("broken.mesh"));
}

TEST_F(AssetMapTest, MissingNamesAndLookups)
{
  TAssetMap map;
  EXPECT_EQ(Add(map, "fx\\none?group=3"), Line(kNotFound, "fx/none?group=3"));
  EXPECT_EQ(Add(map, "fx/none", true), "");

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(map.GetTexture("fx\\ghost"));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "ERROR: Texture asset not found: fx/ghost (auto load set to false)\n");
  EXPECT_FALSE(map.QueryAsset("fx/ghost"));

  map.mAutoLoad = true;
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(map.GetTexture("fx/ghost"));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            Line(kNotFound, "fx/ghost") + "ERROR: Texture asset not found: fx/ghost (auto load set to true)\n");
}

TEST_F(AssetMapTest, AutoLoadFindsTexturesAndSounds)
{
  Put("fx/spark.png", AnimFixture("sheet.png"));
  TAssetMap map;
  map.mAutoLoad = true;
  boost::shared_ptr<TTexture> texture = map.GetTexture("fx/spark");
  ASSERT_TRUE(texture);
  EXPECT_EQ(texture->GetWidth(), 128u);
  EXPECT_TRUE(map.QueryAsset("fx/spark"));
  EXPECT_EQ(map.GetTexture("fx/spark"), texture);
  if (!Ogg().empty()) {
    Put("sfx/click.ogg", Ogg());
    EXPECT_TRUE(map.GetSound("sfx/click"));
  }
}

TEST_F(AssetMapTest, AnAssetOfAnotherClassIsEmptyWithoutALine)
{
  if (Ogg().empty())
    QV_SKIP_UNLESS_REQUIRED("no sound fixtures");
  Put("sfx/click.ogg", Ogg());
  Put("fx/spark.png", AnimFixture("sheet.png"));
  TAssetMap map;
  Add(map, "sfx/click");
  Add(map, "fx/spark");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(map.GetTexture("sfx/click"));
  EXPECT_FALSE(map.GetSound("fx/spark"));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(AssetMapTest, TwoListsShareOneTextureUntilBothAreGone)
{
  Put("fx/spark.png", AnimFixture("sheet.png"));
  std::unique_ptr<TAssetMap> first(new TAssetMap());
  std::unique_ptr<TAssetMap> second(new TAssetMap());
  Add(*first, "fx/spark");
  Add(*second, "fx/spark.png");
  boost::shared_ptr<TTexture> shared = first->GetTexture("fx/spark");
  ASSERT_TRUE(shared);
  EXPECT_EQ(second->GetTexture("fx/spark.png"), shared);
  EXPECT_EQ(TTexture::Get("fx/spark.png", 0), shared);
  shared.reset();
  first.reset();
  EXPECT_TRUE(mRegistry->GetAsset("fx/spark.png:tex"));
  second.reset();
  EXPECT_FALSE(mRegistry->GetAsset("fx/spark.png:tex"));
  EXPECT_FALSE(mRegistry->GetAsset("fx/spark:tex"));
}

TEST_F(AssetMapTest, ARegisteredAssetIsUsedInsteadOfLoading)
{
  Put("fx/ghost.png", AnimFixture("sheet.png"));
  boost::shared_ptr<TTexture> made = TTexture::Create(8, 8, true);
  ASSERT_TRUE(made);
  mRegistry->AddAsset("fx/ghost.png:tex", made);
  TAssetMap map;
  Add(map, "fx/ghost.png");
  EXPECT_EQ(map.GetTexture("fx/ghost.png"), made);
}

TEST_F(AssetMapTest, AGivenAssetIsStoredWithoutLookingForAFile)
{
  boost::shared_ptr<TTexture> made = TTexture::Create(8, 8, true);
  TAssetMap map;
  ::testing::internal::CaptureStderr();
  map.AddAsset("no\\such\\file.png?alpha", made, false);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(map.QueryAsset("no/such/file.png?alpha"));
  EXPECT_EQ(map.GetTexture("no\\such\\file.png?alpha"), made);
  // A second asset under the same name replaces the first.
  boost::shared_ptr<TTexture> other = TTexture::Create(4, 4, true);
  map.AddAsset("no/such/file.png?alpha", other, false);
  EXPECT_EQ(map.GetTexture("no/such/file.png?alpha"), other);
}
