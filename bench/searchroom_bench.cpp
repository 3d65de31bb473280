// searchroom_bench: frames of the game's search rooms as the game loads them from its data
// (the scene loader over data/assets and the generated pictures), with their particle effects
// and the contours of the things to find shown: ticked, drawn, presented and finished.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <memory>
#include <string>

#include <unistd.h>

#include "buildpaths.h"
#include "benchgl.h"
#include "benchreport.h"
#include "core/foundation/asset.h"
#include "core/foundation/file.h"
#include "core/foundation/xmlnode.h"
#include "core/graphics/renderer.h"
#include "gl/gldisplayhandler.h"
#include "scene/loader.h"
#include "scene/particlesobject.h"
#include "scene/particlessystem.h"
#include "scene/scene.h"
#include "scene/sceneobject.h"
#include "scene/texturemanager.h"

namespace {

const unsigned kTickMs = 16;

struct TRoom
{
  const char* mScene;
  const char* mSearch;
};

// The library holds the most objects and, with the museum, the densest particles.
const TRoom kRooms[] = {
    {"scenes/search/library.sxm", "configs/search/library_story.xml"},
    {"scenes/search/museum.sxm", "configs/search/museum_story.xml"},
    {"scenes/search/kitchen.sxm", "configs/freeplay/kitchen.xml"},
};

// The program's view of its data: data/assets first, then the build's generated assets.
class TGameFiles
{
public:
  TGameFiles()
  {
    TGLDisplayHandler::Register();
    TRenderer* renderer = TRenderer::GetInstance();
    renderer->GetDisplayHandler()->SetDisplay(800, 600, false);
    renderer->SetClippingRectangle(TURect(0, 0, 800, 600));
    mOk = chdir(QV_SOURCE_DATA_DIR) == 0;
    TFile::SetGeneratedAssetsFolder((std::string(QV_GENERATED_DATA_DIR) + "/assets").c_str());
    TFile::ScanForResources();
    TTextureManager::Create();
  }
  bool Ok() const { return mOk; }

private:
  TAssetManager mRegistry;
  bool mOk = false;
};

TGameFiles& Files()
{
  static TGameFiles* files = new TGameFiles();
  return *files;
}

// Shows the contours of every thing the room's search configuration asks for, all at once:
// more than play shows at a time, so the frame measured is an upper bound.
void ShowContours(TScene* scene, const char* searchConfig)
{
  TXmlNode document;
  TXmlNode* objects = nullptr;
  if (searchConfig && document.ParseFile(searchConfig)) {
    if (TXmlNode* search = document.GetChild("search")) {
      objects = search->GetChild("objects");
    }
  }
  if (!objects) {
    return;
  }
  str tag;
  TXmlNode* child = nullptr;
  objects->ResetChildren();
  while (objects->GetNextChild(&tag, &child)) {
    if (TSceneObject* object = scene->FindObject(child->GetAttribute("id"))) {
      object->setDrawContour(true);
    }
  }
}

// Contours shown and particles alive in a subtree, so the report shows both are drawn.
void CountEffects(const TSceneObjects& objects, int* contours, int* particles)
{
  for (size_t i = 0; i < objects.size(); ++i) {
    TSceneObject* object = objects.at(i);
    *contours += object->GetDrawContour() ? 1 : 0;
    if (object->GetParticles() && object->GetParticles()->GetSystem()) {
      *particles += object->GetParticles()->GetSystem()->GetEngine().GetParticleCount();
    }
    CountEffects(object->GetChildren(), contours, particles);
  }
}

void Frame(TScene* scene)
{
  TRenderer* renderer = TRenderer::GetInstance();
  scene->OnTick(kTickMs);
  renderer->BeginDraw(false);
  renderer->Begin2d();
  scene->Draw();
  renderer->End2d();
  renderer->EndDraw(false);
  TGLDisplayHandler::GetInstance()->PresentFrame();
  SDL_GL_SwapWindow(BenchWindow());
  glFinish();
}

void SearchRoomFrame(benchmark::State& state)
{
  if (!MakeContext()) {
    state.SkipWithError("no GL context");
    return;
  }
  if (!Files().Ok()) {
    state.SkipWithError("no data folder");
    return;
  }
  const TRoom& room = kRooms[state.range(0)];
  std::unique_ptr<TScene> scene(TLoader::SceneLoad(room.mScene));
  if (!scene) {
    state.SkipWithError("the room did not load");
    return;
  }
  ShowContours(scene.get(), room.mSearch);
  // Long enough for the effects to fill up to their steady number of particles.
  for (unsigned ms = 0; ms < 5000; ms += kTickMs) {
    scene->OnTick(kTickMs);
  }
  for (auto _ : state) {
    Frame(scene.get());
  }
  int contours = 0, particles = 0;
  CountEffects(scene->GetObjects(), &contours, &particles);
  state.counters["contours"] = contours;
  state.counters["particles"] = particles;
  state.SetLabel(room.mScene);
}
BENCHMARK(SearchRoomFrame)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
  return RunBenchmarksWithRatios(argc, argv, [](TRatioReporter& report) {
    const double budget = 1.0 / 60;
    for (int room = 0; room < 3; ++room) {
      const std::string name = "SearchRoomFrame/" + std::to_string(room);
      const double wall = report.Wall(name);
      if (wall > 0) {
        std::printf("%-32s frame %7.3f ms: %5.1f%% of a 60 Hz frame\n", kRooms[room].mScene, wall * 1e3,
                    100 * wall / budget);
      }
    }
  });
}
