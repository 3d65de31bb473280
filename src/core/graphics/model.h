// model: the triangle-mesh asset read from a ".mesh" file (magic "TRIS"), shared through
// the asset registry; talks to the file system and holds vertices for the renderer.
#pragma once

#include <cstdint>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/asset.h"
#include "core/foundation/str.h"
#include "core/graphics/vertexset.h"

struct TMesh
{
  std::vector<TVert> mVerts;
  uint32_t mVertCount = 0;
  // Three per triangle, each below mVertCount.
  std::vector<uint16_t> mIndices;
  uint32_t mIndexCount = 0;
  str mFileName;
};

class TModel : public TAsset
{
public:
  static intptr_t ClassId();

  TModel() : mMesh(nullptr) {}
  ~TModel() override;

  const char* GetTypeName() const override { return "TModel"; }
  bool IsKindOf(intptr_t classId) const override;
  void Release() override {}
  // Loads the mesh again from its file.
  void Restore() override;

  // The model registered under name, else a new one loaded from it; empty on failure.
  static boost::shared_ptr<TModel> Get(str name);
  // Reads a ".mesh" file; false, without a mesh, when it is not one or is damaged.
  bool Init(const char* fileName);

  // Null before a successful load.
  const TMesh* GetMesh() const { return mMesh; }

private:
  TModel(const TModel&) = delete;
  TModel& operator=(const TModel&) = delete;

  TMesh* mMesh;
};
