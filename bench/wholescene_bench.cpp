// wholescene_bench: a frame of a whole scene (500 animated image objects with contours and
// two particle effects, ticked and drawn) against the same sprites drawn by plain DrawSprite
// calls, the ratio being the scene engine's overhead; and the demo scene loaded from its
// XML file against loading it from its binary store. Drawing goes to the null back end.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "benchreport.h"
#include "core/foundation/asset.h"
#include "core/foundation/file.h"
#include "core/foundation/xmlnode.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"
#include "scene/binarybuffer.h"
#include "scene/contour.h"
#include "scene/loader.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"
#include "scene/texturemanager.h"

#ifndef QV_DEMO_SCENE_DIR
#define QV_DEMO_SCENE_DIR ""
#endif

namespace {

const int kObjects = 500;
const char kDemoScene[] = "scenes/demo/demo.sxm";

// A fountain that never ends, so every frame has particles to move and draw.
const char kFountain[] = "SetNumParticles(200)\n"
                         "pRise = Allocate(2)\npLife = Allocate(1)\n"
                         "pPosition:Init(dPos)\npRise:Init(Vec2(0, -80))\npLife:Init(Value(0))\n"
                         "pPosition:Anim(pPosition + fTimeScale(pRise))\n"
                         "pLife:Anim(pLife + fTimeScale(Value(1)))\n"
                         "Anim(fExpire(fGreater(pLife, 1)))\n"
                         "local generator = NewParticleGenerator()\n"
                         "function Update(seconds)\n"
                         "  local n = generator(150, seconds * 1000)\n"
                         "  if n > 0 then CreateParticles(n) end\n"
                         "end\n";

// A folder of the program's own with an empty "assets" to work in, removed at exit.
class TWorkFolder
{
public:
  TWorkFolder()
  {
    char previous[4096];
    mPrevious = getcwd(previous, sizeof previous) ? previous : "/";
    char folder[] = "/tmp/wholescene_bench-XXXXXX";
    if (mkdtemp(folder) && chdir(folder) == 0 && mkdir("assets", 0700) == 0)
      mFolder = folder;
  }
  ~TWorkFolder()
  {
    if (mFolder.empty() || chdir(mPrevious.c_str()) != 0)
      return;
    rmdir((mFolder + "/assets").c_str());
    rmdir(mFolder.c_str());
  }

private:
  std::string mPrevious;
  std::string mFolder;
};

// The demo scene's files through the file system, textures in memory (the null back end).
class TDemoFiles
{
public:
  TDemoFiles()
  {
    static TWorkFolder folder;
    TFile::SetGeneratedAssetsFolder(QV_DEMO_SCENE_DIR);
    TFile::ScanForResources();
    TFile::AddMemoryFile("particles/bench_fountain.lua", const_cast<char*>(kFountain), unsigned(sizeof kFountain - 1));
    TTextureManager::Create();
  }
  ~TDemoFiles()
  {
    TTextureManager::Destroy();
    TRenderer::ShutDown();
    TFile::AddMemoryFile("particles/bench_fountain.lua", nullptr, 0);
    TFile::SetGeneratedAssetsFolder(str());
  }

private:
  TAssetManager mRegistry;
};

// 500 keys that move, turn and fade in loops, each with its contour on, and two lamps with
// a fountain of particles each.
std::string BusySceneXml()
{
  std::string text = "<scene id=\"busy\"><resources id=\"scenes/demo/demo_res.xml\"/><objects>";
  char line[768];
  for (int i = 0; i < kObjects; ++i) {
    const int x = 40 + (i * 37) % 720, y = 40 + (i * 53) % 520;
    std::snprintf(line, sizeof line,
                  "<object id=\"k%d\" f=\"key\" p=\"%d,%d\" z=\"%d\" c=\"1\" st=\"busy\"><states>"
                  "<st id=\"busy\"><animators>"
                  "<animator type=\"TPositionAnimator\" delay=\"%d\" loop=\"1\" key=\"%d,%d,%d,%d\"/>"
                  "<animator type=\"TRotateAnimator\" delay=\"700\" loop=\"1\" key=\"0,3.14,0\"/>"
                  "<animator type=\"TAlphaAnimator\" delay=\"500\" loop=\"1\" key=\"1,0.3,1\"/>"
                  "</animators></st></states></object>",
                  i, x, y, i % 50, 400 + i % 300, x, y, x + 20, y + 10);
    text += line;
  }
  text += "<object id=\"lamp1\" f=\"lamp_on\" p=\"100,100\" pr=\"bench_fountain\" z=\"60\"/>"
          "<object id=\"lamp2\" f=\"lamp_on\" p=\"600,100\" pr=\"bench_fountain\" z=\"60\"/>";
  return text + "</objects></scene>";
}

TScene* BusyScene()
{
  static const std::string xml = BusySceneXml();
  TXmlNode document;
  document.ParseString(xml.c_str());
  TScene* scene = new TScene;
  scene->LoadFromXML(document.GetChild("scene"));
  return scene;
}

template <typename Draw>
double FrameNanoseconds(Draw draw)
{
  TRenderer* renderer = TRenderer::GetInstance();
  auto start = std::chrono::steady_clock::now();
  renderer->BeginDraw(false);
  renderer->Begin2d();
  draw();
  renderer->End2d();
  renderer->EndDraw(false);
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
}

// One frame of the busy scene (tick by 20 ms, then draw) and one of the same sprites, each
// object's contour and image, drawn by plain calls; the counters give both and their ratio.
void SceneFrameAgainstPlainSprites(benchmark::State& state)
{
  TDemoFiles files;
  std::unique_ptr<TScene> scene(BusyScene());
  struct TSprite
  {
    boost::shared_ptr<TTexture> mTexture;
    TDrawSpec mSpec;
  };
  std::vector<TSprite> sprites;
  for (size_t i = 0; i < scene->GetObjects().size(); ++i) {
    TSceneObject* object = scene->GetObjects().at(i);
    if (TContour* contour = object->GetContour())
      sprites.push_back({contour->GetTexture(), object->GetDrawSpec()});
    if (object->GetTexture())
      sprites.push_back({object->GetTexture()->GetTexture(), object->GetDrawSpec()});
  }
  double sceneTime = 0, plainTime = 0;
  for (auto _ : state) {
    sceneTime += FrameNanoseconds([&] {
      scene->OnTick(20);
      scene->Draw();
    });
    plainTime += FrameNanoseconds([&] {
      for (const TSprite& sprite : sprites)
        if (sprite.mTexture)
          sprite.mTexture->DrawSprite(sprite.mSpec);
    });
  }
  const double frames = double(state.iterations());
  state.counters["scene_us"] = sceneTime / frames / 1000;
  state.counters["plain_us"] = plainTime / frames / 1000;
  state.counters["overhead_ratio"] = plainTime > 0 ? sceneTime / plainTime : 0;
  state.counters["sprites"] = double(sprites.size());
}
BENCHMARK(SceneFrameAgainstPlainSprites)->Unit(benchmark::kMillisecond);

// Both loads find the textures already loaded (the first scene keeps them): what is measured
// is reading the objects.
void DemoSceneLoadFromXml(benchmark::State& state)
{
  TDemoFiles files;
  std::unique_ptr<TScene> demo(TLoader::SceneLoad(kDemoScene));
  for (auto _ : state) {
    std::unique_ptr<TScene> scene(TLoader::SceneLoad(kDemoScene));
    benchmark::DoNotOptimize(scene.get());
  }
}
BENCHMARK(DemoSceneLoadFromXml)->Unit(benchmark::kMicrosecond);

void DemoSceneLoadFromBinary(benchmark::State& state)
{
  TDemoFiles files;
  std::unique_ptr<TScene> demo(TLoader::SceneLoad(kDemoScene));
  TBinaryBuffer stored;
  demo->Store(&stored);
  unsigned size = 0;
  const void* bytes = stored.getData(&size);
  for (auto _ : state) {
    TBinaryBuffer in;
    in.PreAlloc(size);
    std::memcpy(in.getData(nullptr), bytes, size);
    in.mSize = size;
    TScene scene;
    bool loaded = scene.Load(&in);
    benchmark::DoNotOptimize(loaded);
  }
  state.SetBytesProcessed(state.iterations() * int64_t(size));
}
BENCHMARK(DemoSceneLoadFromBinary)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
  return RunBenchmarksWithRatios(argc, argv, [](TRatioReporter& report) {
    report.PrintCounter("SceneFrameAgainstPlainSprites", "overhead_ratio", "scene frame / plain sprites", 0);
    report.PrintRatio("DemoSceneLoadFromXml", "DemoSceneLoadFromBinary", "demo scene: from XML / from its binary", 0);
  });
}
