// model: reads ".mesh" files into vertex and index arrays, checking every count and index
// against the file; talks to the qv_ file functions and the asset registry.
#include "core/graphics/model.h"

#include <cstring>

#include "core/foundation/file.h"
#include "core/foundation/debug.h"

namespace {

constexpr unsigned long kVertexBytes = 8 * 2;
constexpr unsigned long kTriangleBytes = 3 * 2;
constexpr unsigned long kHeaderBytes = 4 + 2 + 2;

uint16_t Unsigned16(const unsigned char* bytes)
{
  return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

float MeshValue(const unsigned char* bytes)
{
  return static_cast<float>(static_cast<int16_t>(Unsigned16(bytes)) / 1000.0);
}

} // namespace

intptr_t TModel::ClassId()
{
  return reinterpret_cast<intptr_t>(&TModel::ClassId);
}

TModel::~TModel()
{
  delete mMesh;
}

bool TModel::IsKindOf(intptr_t classId) const
{
  return classId == ClassId() || TAsset::IsKindOf(classId);
}

void TModel::Restore()
{
  if (mMesh) {
    str fileName = mMesh->mFileName;
    Init(fileName.c_str());
  }
}

boost::shared_ptr<TModel> TModel::Get(str name)
{
  TAssetManager* registry = TAssetManager::GetInstance();
  if (registry) {
    boost::shared_ptr<TAsset> live = registry->GetAsset(name);
    if (live && live->IsKindOf(ClassId())) {
      return boost::static_pointer_cast<TModel>(live);
    }
  }
  boost::shared_ptr<TModel> model(new TModel());
  if (!model->Init(name.c_str())) {
    return boost::shared_ptr<TModel>();
  }
  if (registry) {
    registry->AddAsset(name, model);
  }
  return model;
}

bool TModel::Init(const char* fileName)
{
  delete mMesh;
  mMesh = nullptr;
  if (!fileName || !std::strstr(fileName, ".mesh")) {
    return false;
  }
  TFile* file = qv_open(fileName, kFileRead);
  if (!file) {
    WriteDbg("ERROR: TModel::Init: Failed to load %s", fileName);
    return false;
  }
  // The whole mesh is at most 8 + 65535 * (16 + 6) bytes, so it is read in one go and every
  // count is checked against what arrived; a short file is refused rather than padded.
  unsigned char header[kHeaderBytes];
  unsigned long got = qv_read(file, header, kHeaderBytes);
  if (got < 4 || std::memcmp(header, "TRIS", 4) != 0) {
    qv_close(file);
    return false;
  }
  if (got < kHeaderBytes) {
    qv_close(file);
    WriteDbg("ERROR: TModel::Init: %s ends in its header", fileName);
    return false;
  }
  const uint32_t vertexCount = Unsigned16(header + 4);
  const uint32_t triangleCount = Unsigned16(header + 6);
  const unsigned long bodyBytes = vertexCount * kVertexBytes + triangleCount * kTriangleBytes;
  std::vector<unsigned char> body(bodyBytes);
  got = bodyBytes ? qv_read(file, body.data(), bodyBytes) : 0;
  qv_close(file);
  if (got != bodyBytes) {
    WriteDbg("ERROR: TModel::Init: %s is truncated (%lu of %lu bytes)", fileName, got, bodyBytes);
    return false;
  }

  TMesh* mesh = new TMesh();
  mesh->mVertCount = vertexCount;
  mesh->mVerts.resize(vertexCount);
  const unsigned char* cursor = body.data();
  for (TVert& vertex : mesh->mVerts) {
    vertex.mPos = TVec3(MeshValue(cursor), MeshValue(cursor + 2), MeshValue(cursor + 4));
    vertex.mNormal = TVec3(MeshValue(cursor + 6), MeshValue(cursor + 8), MeshValue(cursor + 10));
    vertex.mUV = TVec2(MeshValue(cursor + 12), MeshValue(cursor + 14));
    cursor += kVertexBytes;
  }
  mesh->mIndexCount = 3 * triangleCount;
  mesh->mIndices.resize(mesh->mIndexCount);
  for (uint16_t& index : mesh->mIndices) {
    index = Unsigned16(cursor);
    cursor += 2;
    // Drawing would read past the vertex array.
    if (index >= vertexCount) {
      WriteDbg("ERROR: TModel::Init: %s has the index %u for %u vertices", fileName, static_cast<unsigned>(index),
               static_cast<unsigned>(vertexCount));
      delete mesh;
      return false;
    }
  }
  mesh->mFileName = fileName;
  mMesh = mesh;
  return true;
}
