// demoscene: the demo scene's folder of assets (built by cmake/scene.cmake) put before the
// virtual file system for one test, after the test's sandbox has reset it.
#pragma once

#include "core/foundation/file.h"

#ifndef QV_DEMO_SCENE_DIR
#define QV_DEMO_SCENE_DIR ""
#endif

class TDemoSceneFiles
{
public:
  static constexpr const char* kScene = "scenes/demo/demo.sxm";

  TDemoSceneFiles()
  {
    TFile::SetGeneratedAssetsFolder(QV_DEMO_SCENE_DIR);
    TFile::ScanForResources();
  }
  ~TDemoSceneFiles() { TFile::SetGeneratedAssetsFolder(str()); }

private:
  TDemoSceneFiles(const TDemoSceneFiles&) = delete;
  TDemoSceneFiles& operator=(const TDemoSceneFiles&) = delete;
};
