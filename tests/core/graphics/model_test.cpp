// model tests: ".mesh" files read into scaled vertices and indices, one shared model per
// name, and damaged files (bad magic, truncated at every field, out-of-range indices) refused.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "core/graphics/model.h"

namespace {

std::string FixturePath(const std::string& name)
{
  return std::string(QV_ANIM_FIXTURES) + "/" + name;
}

std::string Fixture(const std::string& name)
{
  return "::" + FixturePath(name);
}

class ModelTest : public ::testing::Test
{
protected:
  // Loads into a fresh model; the log lands in mLog.
  bool Load(TModel& model, const std::string& name)
  {
    ::testing::internal::CaptureStderr();
    bool loaded = model.Init(name.c_str());
    mLog = ::testing::internal::GetCapturedStderr();
    return loaded;
  }

  TAssetManager mRegistry;
  std::string mLog;
};

} // namespace

TEST_F(ModelTest, ValuesAreThousandthsAndIndicesFollow)
{
  TModel model;
  ASSERT_TRUE(Load(model, Fixture("values.mesh"))) << mLog;
  const TMesh* mesh = model.GetMesh();
  ASSERT_NE(mesh, nullptr);
  ASSERT_EQ(mesh->mVertCount, 3u);
  ASSERT_EQ(mesh->mVerts.size(), 3u);
  const TVert& first = mesh->mVerts[0];
  EXPECT_FLOAT_EQ(first.mPos.x, -1.5f);
  EXPECT_FLOAT_EQ(first.mPos.y, 32.767f);
  EXPECT_FLOAT_EQ(first.mPos.z, -32.768f);
  EXPECT_FLOAT_EQ(first.mNormal.x, 0.0f);
  EXPECT_FLOAT_EQ(first.mNormal.y, 1.0f);
  EXPECT_FLOAT_EQ(first.mNormal.z, 0.0f);
  EXPECT_FLOAT_EQ(first.mUV.x, 0.5f);
  EXPECT_FLOAT_EQ(first.mUV.y, 0.25f);
  EXPECT_FLOAT_EQ(mesh->mVerts[1].mNormal.z, 1.0f);
  EXPECT_FLOAT_EQ(mesh->mVerts[1].mUV.x, 1.0f);
  EXPECT_FLOAT_EQ(mesh->mVerts[2].mNormal.x, -1.0f);
  EXPECT_FLOAT_EQ(mesh->mVerts[2].mUV.y, 1.0f);
  ASSERT_EQ(mesh->mIndexCount, 6u);
  const uint16_t indices[6] = {0, 1, 2, 2, 1, 0};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(mesh->mIndices[i], indices[i]) << i;
  EXPECT_STREQ(mesh->mFileName.c_str(), Fixture("values.mesh").c_str());
  EXPECT_TRUE(mLog.empty()) << mLog;
}

TEST_F(ModelTest, NoTrianglesLoadsWithAnEmptyIndexList)
{
  TModel model;
  ASSERT_TRUE(Load(model, Fixture("notriangles.mesh")));
  EXPECT_EQ(model.GetMesh()->mVertCount, 2u);
  EXPECT_EQ(model.GetMesh()->mIndexCount, 0u);
  EXPECT_TRUE(model.GetMesh()->mIndices.empty());
}

TEST_F(ModelTest, NotAMeshIsRefusedSilently)
{
  TModel model;
  EXPECT_FALSE(Load(model, Fixture("badmagic.mesh")));
  EXPECT_EQ(model.GetMesh(), nullptr);
  EXPECT_TRUE(mLog.empty()) << mLog;
  // The name decides before the file is looked at.
  EXPECT_FALSE(Load(model, Fixture("sheet.png")));
  EXPECT_TRUE(mLog.empty()) << mLog;
  EXPECT_FALSE(Load(model, "::/no/such/cube.msh"));
  EXPECT_TRUE(mLog.empty()) << mLog;
}

TEST_F(ModelTest, AMissingFileIsLogged)
{
  TModel model;
  EXPECT_FALSE(Load(model, "::/no/such/cube.mesh"));
  EXPECT_EQ(mLog, "ERROR: TModel::Init: Failed to load ::/no/such/cube.mesh\n");
}

TEST_F(ModelTest, DamagedFilesAreRefused)
{
  TModel model;
  EXPECT_FALSE(Load(model, Fixture("badindex.mesh")));
  EXPECT_EQ(mLog.rfind("ERROR: TModel::Init: ", 0), 0u) << mLog;
  EXPECT_NE(mLog.find("index 3 for 3 vertices"), std::string::npos) << mLog;
  EXPECT_FALSE(Load(model, Fixture("hugecount.mesh")));
  EXPECT_NE(mLog.find("truncated"), std::string::npos) << mLog;

  std::ifstream manifestFile(FixturePath("trunc/mesh_manifest.txt"));
  std::string name, outcome;
  int cases = 0;
  while (manifestFile >> name >> outcome) {
    ++cases;
    EXPECT_FALSE(Load(model, Fixture(name))) << name;
    EXPECT_EQ(model.GetMesh(), nullptr) << name;
  }
  EXPECT_GT(cases, 40);
}

TEST_F(ModelTest, AFailedReloadLeavesNoMesh)
{
  TModel model;
  ASSERT_TRUE(Load(model, Fixture("values.mesh")));
  EXPECT_FALSE(Load(model, Fixture("badindex.mesh")));
  EXPECT_EQ(model.GetMesh(), nullptr);
}

TEST_F(ModelTest, GetSharesOneModelPerName)
{
  boost::shared_ptr<TModel> model = TModel::Get(Fixture("values.mesh").c_str());
  ASSERT_TRUE(model);
  EXPECT_EQ(TModel::Get(Fixture("values.mesh").c_str()), model);
  EXPECT_EQ(mRegistry.GetAsset(Fixture("values.mesh").c_str()), model);
  EXPECT_STREQ(model->GetTypeName(), "TModel");
  EXPECT_TRUE(model->IsKindOf(TModel::ClassId()));
  EXPECT_TRUE(model->IsKindOf(TAsset::ClassId()));
  EXPECT_FALSE(model->IsKindOf(0));

  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(TModel::Get(Fixture("badindex.mesh").c_str()));
  ::testing::internal::GetCapturedStderr();
}

TEST_F(ModelTest, RestoreReadsTheFileAgain)
{
  TModel model;
  ASSERT_TRUE(Load(model, Fixture("values.mesh")));
  model.Restore();
  ASSERT_NE(model.GetMesh(), nullptr);
  EXPECT_EQ(model.GetMesh()->mVertCount, 3u);
}
