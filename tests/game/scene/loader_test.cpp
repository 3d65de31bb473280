// Tests of the scene loader: scenes from files (plain or compressed) or from the preloader's
// cache, and files that hold no scene.
#include <string>

#include <gtest/gtest.h>

#include "core/foundation/file.h"
#include "scene/loader.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"
#include "scene/xmlpreloader.h"
#include "support/scenetestutil.h"
#include "support/vfssandbox.h"
#include "support/zxml.h"

namespace {

const char kScene[] = "<scene id='room'><resources id='res.xml'/>"
                      "<objects><object id='a' f='solid'/></objects></scene>";
const char kResources[] = "<resources><textures><texture id='t' file='solid.png'/></textures>"
                          "<images><image id='solid' texture='t' w='4' h='4'/></images></resources>";

class LoaderTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    TTextureManager::Create()->SetSource(&mSource);
    Write("res.xml", kResources);
  }
  void TearDown() override { TTextureManager::Destroy(); }
  void Write(const std::string& name, const std::string& text)
  {
    mSandbox.WriteFile("assets/" + name, DoubleQuoted(text.c_str()));
    TFile::ScanForResources();
  }
  std::unique_ptr<TScene> Load(const char* file, std::string* log = nullptr)
  {
    testing::internal::CaptureStderr();
    std::unique_ptr<TScene> scene(TLoader::SceneLoad(file));
    std::string lines = testing::internal::GetCapturedStderr();
    if (log)
      *log = lines;
    return scene;
  }

  TVfsSandbox mSandbox;
  TNullSceneRenderer mRenderer;
  TPixelTextureSource mSource;
};

} // namespace

TEST_F(LoaderTest, LoadsASceneFileWithItsResources)
{
  Write("room.sxm", kScene);
  std::unique_ptr<TScene> scene = Load("room.sxm");
  ASSERT_NE(nullptr, scene);
  EXPECT_EQ(str("room"), scene->GetId());
  ASSERT_NE(nullptr, scene->FindObject("a"));
  EXPECT_EQ(0, scene->FindObject("a")->GetFrame());
}

TEST_F(LoaderTest, ReadsCompressedSceneFiles)
{
  mSandbox.WriteFile("assets/packed.sxm", MakeZxml(DoubleQuoted(kScene)));
  TFile::ScanForResources();
  std::unique_ptr<TScene> scene = Load("packed.sxm");
  ASSERT_NE(nullptr, scene);
  EXPECT_NE(nullptr, scene->FindObject("a"));
}

TEST_F(LoaderTest, FileWithoutASceneGivesNullAndAnErrorLine)
{
  Write("other.sxm", "<resources/>");
  std::string log;
  EXPECT_EQ(nullptr, Load("other.sxm", &log));
  EXPECT_NE(std::string::npos, log.find("ERROR: Scene file 'other.sxm'")) << log;
  EXPECT_EQ(nullptr, Load("nothing.sxm"));
  EXPECT_EQ(nullptr, Load(nullptr));
}

TEST_F(LoaderTest, SceneWithUnreadableResourcesComesBackEmpty)
{
  Write("broken.sxm", "<scene id='b'><resources id='gone.xml'/><objects><object id='a'/>"
                      "</objects></scene>");
  std::string log;
  std::unique_ptr<TScene> scene = Load("broken.sxm", &log);
  ASSERT_NE(nullptr, scene);
  EXPECT_EQ(str("b"), scene->GetId());
  EXPECT_EQ(nullptr, scene->FindObject("a"));
  EXPECT_NE(std::string::npos, log.find("ERROR:")) << log;
}

TEST_F(LoaderTest, PreloadedDocumentBuildsIndependentScenesAndStaysCached)
{
  Write("configs/preload_xmls.xml", "<preload_xmls><xml file='cached.sxm'/></preload_xmls>");
  Write("cached.sxm", kScene);
  TXmlPreloader* preloader = TDefSingleton<TXmlPreloader>::GetInstance();
  preloader->LoadConfig();
  while (preloader->getParsedCount() < preloader->getNodesCount())
    preloader->ParseNextNode();
  // The file changes on disk; the cache is what counts.
  Write("cached.sxm", "<scene id='disk'/>");
  std::unique_ptr<TScene> first = Load("cached.sxm");
  std::unique_ptr<TScene> second = Load("cached.sxm");
  ASSERT_NE(nullptr, first);
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(str("room"), first->GetId());
  EXPECT_NE(first->FindObject("a"), second->FindObject("a"));
  EXPECT_NE(nullptr, second->FindObject("a"));
  std::unique_ptr<TScene> spelled = Load("Cached.sxm");
  ASSERT_NE(nullptr, spelled);
  EXPECT_EQ(str("disk"), spelled->GetId()) << "another spelling is read from the file";
}

TEST_F(LoaderTest, ADamagedOrCutSceneFileIsRefusedWholeAndNamed)
{
  // Cut between two tags, cut inside a tag, and the same cut read ahead by the preloader.
  const std::string whole = "<scene id='room'><resources id='res.xml'/><objects><object id='a' f='solid'/>"
                            "<object id='b' f='solid'/></objects></scene>";
  Write("between.sxm", whole.substr(0, whole.find("<object id='b'")));
  Write("inside.sxm", whole.substr(0, whole.find("id='b'")));
  Write("ahead.sxm", whole.substr(0, whole.find("<object id='b'")));
  Write("configs/preload_xmls.xml", "<preload_xmls><xml file='ahead.sxm'/></preload_xmls>");
  TXmlPreloader* preloader = TDefSingleton<TXmlPreloader>::GetInstance();
  preloader->LoadConfig();
  testing::internal::CaptureStderr();
  while (preloader->getParsedCount() < preloader->getNodesCount())
    preloader->ParseNextNode();
  const std::string ahead = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, ahead.find("ERROR: XML file ahead.sxm is cut short")) << ahead;
  for (const char* file : {"between.sxm", "inside.sxm", "ahead.sxm"}) {
    std::string log;
    EXPECT_EQ(nullptr, Load(file, &log)) << file;
    EXPECT_NE(std::string::npos, log.find(std::string("ERROR: Scene file '") + file + "' is damaged")) << log;
  }
}

TEST_F(LoaderTest, AFaultFoundInsideASceneNamesItsFile)
{
  Write("journal.sxm", "<scene id='j'><resources id='res.xml'/><objects>"
                       "<object id='SCENE_ROOT' type='TImageKbject'><animators><animator type='TNoAnimator'/>"
                       "</animators></object><object id='b' f='missing'/></objects></scene>");
  std::string log;
  std::unique_ptr<TScene> scene = Load("journal.sxm", &log);
  ASSERT_NE(nullptr, scene);
  EXPECT_NE(std::string::npos, log.find("ERROR: journal.sxm: Object type 'TImageKbject' of 'SCENE_ROOT' is unknown"))
      << log;
  EXPECT_NE(std::string::npos, log.find("ERROR: journal.sxm: Animator type 'TNoAnimator'")) << log;
  EXPECT_NE(std::string::npos, log.find("ERROR: journal.sxm: Object 'b' shows image 'missing'")) << log;
}
