// scene_bench: speed of pixel hit tests over 1,000 scene objects under the pointer, and of
// storing and loading 1,000 objects through binary buffers beside the same through XML.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/foundation/xmlnode.h"
#include "core/graphics/texture.h"
#include "scene/binarybuffer.h"
#include "scene/scene.h"
#include "scene/scenerenderer.h"
#include "scene/sceneobject.h"
#include "scene/texturemanager.h"

namespace {

const int kObjects = 1000;

// Textures as pixel arrays: 64 x 64 with a solid disc, so the corners are transparent.
class TDiscSource : public TTextureSource
{
public:
  TDiscSource() : mPixels(64 * 64)
  {
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x)
        mPixels[y * 64 + x] = (x - 32) * (x - 32) + (y - 32) * (y - 32) < 900 ? 0xFF00FF00u : 0u;
  }
  boost::shared_ptr<TTexture> GetTexture(const str&) override { return {}; }
  TTextureWrapper* NewWrapper(const str&, const boost::shared_ptr<TTexture>&) override
  {
    return new TTextureWrapper(boost::shared_ptr<TTexture>(), mPixels.data(), 64, 64, 64);
  }

private:
  std::vector<TColor32> mPixels;
};

// 1,000 objects with two states each, all overlapping the point (100, 100), some turned,
// scaled and mirrored; every one has an action.
std::string ObjectsXml()
{
  std::string text = "<objects>";
  char line[512];
  for (int i = 0; i < kObjects; ++i) {
    std::snprintf(line, sizeof line,
                  "<object type=\"TImageObject\" id=\"obj%d\" f=\"disc\" p=\"%d,%d\" z=\"%d\" "
                  "r=\"%f\" s=\"%f,%f\" wm=\"%d\" st=\"idle\"><states><st id=\"idle\"/>"
                  "<st id=\"found\" a=\"0.5\" sn=\"idle\"><sets><set object=\"obj%d\" v=\"0\"/>"
                  "</sets></st></states><on_mouse_down><script>setObjectState($this.id, "
                  "'found')</script></on_mouse_down></object>",
                  i, 100 + i % 7, 100 + i % 5, i % 40, (i % 9) * 0.3, 1 + (i % 3) * 0.25, 1 + (i % 4) * 0.25, i % 2,
                  (i + 1) % kObjects);
    text += line;
  }
  return text + "</objects>";
}

class TBenchScene
{
public:
  TBenchScene()
  {
    mPrevious = TSceneRenderer::Install(&mRenderer);
    TTextureManager::Create()->SetSource(&mSource);
    mScene.reset(New());
    Fill(mScene.get());
  }
  ~TBenchScene()
  {
    mScene.reset();
    TTextureManager::Destroy();
    TSceneRenderer::Install(mPrevious);
  }

  static TScene* New()
  {
    TScene* scene = new TScene;
    TXmlNode resources;
    resources.ParseString("<resources><textures><texture id=\"t\" file=\"disc.png\"/></textures>"
                          "<images><image id=\"disc\" texture=\"t\" w=\"64\" h=\"64\" px=\"32\" "
                          "py=\"32\"/></images></resources>");
    scene->GetImageResource().LoadFromXML(resources.GetChild("resources"));
    return scene;
  }
  static void Fill(TScene* scene)
  {
    static const std::string xml = ObjectsXml();
    TXmlNode document;
    document.ParseString(xml.c_str());
    scene->GetObjects().LoadFromXML(document.GetChild("objects"), scene, nullptr);
  }

  TScene* Scene() { return mScene.get(); }

private:
  TDiscSource mSource;
  TNullSceneRenderer mRenderer;
  TSceneRenderer* mPrevious;
  std::unique_ptr<TScene> mScene;
};

// A frame's hit tests with the pointer over a solid pixel of every one of the 1,000
// objects, all tested (the scene stops at the first hit; this is the worst case of a miss).
void SceneHitTestUnderPointer(benchmark::State& state)
{
  TBenchScene bench;
  TSceneObjects& objects = bench.Scene()->GetObjects();
  TPoint centre(103, 102);
  for (auto _ : state) {
    int hits = 0;
    for (size_t i = objects.size(); i-- > 0;)
      hits += objects.at(i)->HitTest(centre, true) != nullptr;
    benchmark::DoNotOptimize(hits);
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(SceneHitTestUnderPointer)->Unit(benchmark::kMicrosecond);

// The same walk with the pointer beside every object: each is refused by its rectangle.
void SceneHitTestBeside(benchmark::State& state)
{
  TBenchScene bench;
  TSceneObjects& objects = bench.Scene()->GetObjects();
  TPoint away(500, 500);
  for (auto _ : state) {
    TSceneObject* hit = nullptr;
    for (size_t i = objects.size(); i-- > 0 && !hit;)
      hit = objects.at(i)->HitTest(away, true);
    benchmark::DoNotOptimize(hit);
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(SceneHitTestBeside)->Unit(benchmark::kMicrosecond);

void SceneStoreBinary(benchmark::State& state)
{
  TBenchScene bench;
  for (auto _ : state) {
    TBinaryBuffer buffer;
    bench.Scene()->GetObjects().Store(&buffer);
    benchmark::DoNotOptimize(buffer.mSize);
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(SceneStoreBinary)->Unit(benchmark::kMicrosecond);

void SceneLoadBinary(benchmark::State& state)
{
  TBenchScene bench;
  TBinaryBuffer stored;
  bench.Scene()->GetObjects().Store(&stored);
  unsigned size = 0;
  const void* bytes = stored.getData(&size);
  for (auto _ : state) {
    std::unique_ptr<TScene> scene(TBenchScene::New());
    TBinaryBuffer in;
    in.PreAlloc(size);
    std::memcpy(in.getData(nullptr), bytes, size);
    in.mSize = size;
    bool loaded = scene->GetObjects().Load(&in, scene.get(), nullptr);
    benchmark::DoNotOptimize(loaded);
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
  state.SetBytesProcessed(state.iterations() * int64_t(size));
}
BENCHMARK(SceneLoadBinary)->Unit(benchmark::kMillisecond);

void SceneStoreXml(benchmark::State& state)
{
  TBenchScene bench;
  for (auto _ : state) {
    TXmlNode objects("objects");
    bench.Scene()->GetObjects().StoreToXML(&objects);
    str text = objects.AsString();
    benchmark::DoNotOptimize(text.c_str());
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
}
BENCHMARK(SceneStoreXml)->Unit(benchmark::kMillisecond);

void SceneLoadXml(benchmark::State& state)
{
  TBenchScene bench;
  TXmlNode objects("objects");
  bench.Scene()->GetObjects().StoreToXML(&objects);
  str text = objects.AsString();
  for (auto _ : state) {
    std::unique_ptr<TScene> scene(TBenchScene::New());
    TXmlNode document;
    document.ParseString(text.c_str());
    bool loaded = scene->GetObjects().LoadFromXML(document.GetChild("objects"), scene.get(), nullptr);
    benchmark::DoNotOptimize(loaded);
  }
  state.SetItemsProcessed(state.iterations() * kObjects);
  state.SetBytesProcessed(state.iterations() * int64_t(text.length()));
}
BENCHMARK(SceneLoadXml)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
