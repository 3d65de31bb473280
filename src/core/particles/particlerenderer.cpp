// particlerenderer: the 2D particle renderer: one coloured, rotated, textured quad per
// particle record, all of a system's quads in one shared vertex buffer; draws through TRenderer.
#include "core/particles/particlerenderer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/foundation/config.h"
#include "core/foundation/color.h"
#include "core/graphics/animatedtexture.h"
#include "core/graphics/texture.h"

namespace {

struct TCorner
{
  float x, y;
};

// Corner offsets and texture corners, 4 vertices per quad (indexed) or 6 (two triangles).
const TCorner sOffsets[4] = {{-0.5f, -0.5f}, {0.5f, -0.5f}, {-0.5f, 0.5f}, {0.5f, 0.5f}};
const TCorner sOffsetsI[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
const TCorner sOffsetsV[6] = {{-0.5f, -0.5f}, {0.5f, -0.5f}, {-0.5f, 0.5f}, {0.5f, -0.5f}, {0.5f, 0.5f}, {-0.5f, 0.5f}};
const TCorner sOffsetsVI[6] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {1, 1}, {0, 1}};

char const kLuaInitString[] = "pPosition = Allocate(2);\npUp = Allocate(2);\npScale = Allocate(1);\npColor = "
                              "Allocate(4);\npFrame = Allocate(1);\n";

class TEngineDrawTarget : public TParticleDrawTarget
{
public:
  void SetTexture(boost::shared_ptr<TTexture> texture) override { TRenderer::GetInstance()->SetTexture(texture); }
  void SetBlendMode(TRenderer::EBlendMode mode) override { TRenderer::GetInstance()->SetBlendMode(mode); }
  void DrawVertices(TRenderer::EDrawType type, const TVertexSet& set) override
  {
    TRenderer::GetInstance()->DrawVertices(type, set);
  }
  void DrawIndexedVertices(TRenderer::EDrawType type, const TVertexSet& set, unsigned short* indices,
                           unsigned int count) override
  {
    TRenderer::GetInstance()->DrawIndexedVertices(type, set, indices, count);
  }
};

TEngineDrawTarget gEngineTarget;
TParticleDrawTarget* gDrawTarget = &gEngineTarget;

// Record layout: position 0-1, up 2-3, scale 4, colour 5-8, frame 9.
enum
{
  kPosX = 0,
  kPosY,
  kUpX,
  kUpY,
  kScale,
  kRed,
  kGreen,
  kBlue,
  kAlpha,
  kFrame
};

// The particle's colour with its alpha scaled by the draw's.
TColor32 VertexColor(const float* record, float alpha)
{
  TColor32 colour(TColor(record[kRed], record[kGreen], record[kBlue], record[kAlpha]));
  float scaled = (float)colour.Alpha() * alpha;
  unsigned char byte = 0;
  if (scaled >= 255.0f)
    byte = 255;
  else if (scaled > 0)
    byte = (unsigned char)scaled;
  colour.SetAlpha(byte);
  return colour;
}

// Position and colour of the corners of a record's quad of size (a frame's, or the
// texture's) around the centre; returns the vertex after the quad.
inline TTransformedLitVert* QuadCorners(TTransformedLitVert* vertex, const TCorner* offsets, unsigned verts,
                                        const float* record, float cx, float cy, const TVec2& size, float z,
                                        float alpha)
{
  const float scale = record[kScale];
  const float hx = size.x * scale;
  const float hy = size.y * scale;
  const float ux = record[kUpX];
  const float uy = record[kUpY];
  const TColor32 colour = VertexColor(record, alpha);
  for (unsigned v = 0; v < verts; ++v, ++vertex) {
    const float ox = offsets[v].x;
    const float oy = offsets[v].y;
    vertex->mPos = TVec3(cx - hx * uy * ox - hy * ux * oy, cy - hy * uy * oy + hx * ux * ox, z);
    vertex->mColor = colour;
  }
  return vertex;
}

// The quads of records drawn with the whole texture (its corners are already in the buffer).
template <unsigned kVerts>
void PlainQuads(TTransformedLitVert* vertex, float* const* records, size_t count, const TVec3& offset,
                const TVec2& size, float alpha)
{
  const TCorner* offsets = kVerts == 6 ? sOffsetsV : sOffsets;
  for (size_t index = 0; index < count; ++index) {
    const float* record = records[index];
    vertex = QuadCorners(vertex, offsets, kVerts, record, record[kPosX] + offset.x, record[kPosY] + offset.y, size,
                         offset.z, alpha);
  }
}

} // namespace

int T2dParticleRenderer::mParticleSystems = 0;
TTransformedLitVert* T2dParticleRenderer::mVertBuffer = nullptr;
unsigned T2dParticleRenderer::mVertBufferSize = 0;
unsigned short* T2dParticleRenderer::mIndices = nullptr;
unsigned T2dParticleRenderer::mIndexQuads = 0;
unsigned T2dParticleRenderer::mCornersFor = 0;

T2dParticleRenderer::T2dParticleRenderer() : mBlendMode(0), mSize(1, 1)
{
  ++mParticleSystems;
  mBrokenIndexedVerts = TConfig::Get("brokenindexedverts", "0").to_int() != 0;
  const float prototype[kPrototypeSize] = {0, 0, 0, -1, 1, 1, 1, 1, 1, 0};
  std::memcpy(mPrototype, prototype, sizeof mPrototype);
}

T2dParticleRenderer::~T2dParticleRenderer()
{
  if (--mParticleSystems > 0)
    return;
  mParticleSystems = 0;
  delete[] mVertBuffer;
  delete[] mIndices;
  mVertBuffer = nullptr;
  mIndices = nullptr;
  mVertBufferSize = 0;
  mIndexQuads = 0;
}

TParticleDrawTarget* T2dParticleRenderer::SetDrawTarget(TParticleDrawTarget* target)
{
  TParticleDrawTarget* previous = gDrawTarget == &gEngineTarget ? nullptr : gDrawTarget;
  gDrawTarget = target ? target : &gEngineTarget;
  return previous;
}

str T2dParticleRenderer::GetLuaInitString()
{
  return str(kLuaInitString);
}

void T2dParticleRenderer::SetRendererOption(str name, float const (&values)[4])
{
  if (name != "blendmode")
    return;
  float mode = values[0];
  // Held to the renderer's modes: the value comes from effect scripts.
  if (!(mode > 0))
    mBlendMode = TRenderer::kBlendNormal;
  else if (mode >= (float)TRenderer::kBlendMultiplicative)
    mBlendMode = TRenderer::kBlendMultiplicative;
  else
    mBlendMode = (uint32_t)mode;
}

void T2dParticleRenderer::SetTexture(boost::shared_ptr<TTexture> texture)
{
  mTexture = texture;
  if (texture)
    mSize = TVec2((float)texture->GetWidth(), (float)texture->GetHeight());
}

void T2dParticleRenderer::GrowBuffers(unsigned capacity, unsigned vertsPerQuad)
{
  if (capacity * vertsPerQuad > mVertBufferSize) {
    unsigned size = vertsPerQuad * capacity * 2;
    delete[] mVertBuffer;
    mVertBuffer = new TTransformedLitVert[size]();
    mVertBufferSize = size;
    const TCorner* uv = vertsPerQuad == 6 ? sOffsetsVI : sOffsetsI;
    for (unsigned i = 0; i < size; ++i) {
      mVertBuffer[i].mRhw = 0.5f;
      mVertBuffer[i].mSecondColor = TColor32(0xffffffffu);
      mVertBuffer[i].mUV = TVec2(uv[i % vertsPerQuad].x, uv[i % vertsPerQuad].y);
    }
    mCornersFor = vertsPerQuad;
  }
  if (vertsPerQuad != 4)
    return;
  // One index block serves every batch: each batch draws from its own first vertex.
  unsigned quads = capacity * 2;
  if (quads > kMaxQuadsPerDraw)
    quads = kMaxQuadsPerDraw;
  if (quads <= mIndexQuads)
    return;
  delete[] mIndices;
  mIndices = new unsigned short[quads * 6];
  for (unsigned q = 0; q < quads; ++q) {
    unsigned short* index = mIndices + q * 6;
    unsigned short first = (unsigned short)(q * 4);
    index[0] = first;
    index[1] = (unsigned short)(first + 1);
    index[2] = (unsigned short)(first + 2);
    index[3] = (unsigned short)(first + 1);
    index[4] = (unsigned short)(first + 3);
    index[5] = (unsigned short)(first + 2);
  }
  mIndexQuads = quads;
}

void T2dParticleRenderer::Draw(TVec3 const& position, float alpha, std::list<float*> const& particles, int capacity)
{
  if (capacity <= 0)
    return;
  const std::vector<float*> records(particles.begin(), particles.end());
  DrawRecords(position, alpha, records.data(), records.size(), capacity);
}

void T2dParticleRenderer::DrawRecords(TVec3 const& position, float alpha, float* const* records, size_t count,
                                      int capacity)
{
  if (capacity <= 0)
    return;
  const unsigned vertsPerQuad = mBrokenIndexedVerts ? 6 : 4;
  GrowBuffers((unsigned)capacity, vertsPerQuad);
  const TCorner* offsets = vertsPerQuad == 6 ? sOffsetsV : sOffsets;
  const TCorner* corners = vertsPerQuad == 6 ? sOffsetsVI : sOffsetsI;

  gDrawTarget->SetTexture(mTexture);
  gDrawTarget->SetBlendMode((TRenderer::EBlendMode)mBlendMode);

  const TVec3 offset(position.x - 0.5f, position.y - 0.5f, position.z);

  TAnimatedTexture* animation = nullptr;
  if (mTexture && mTexture->IsKindOf(TAnimatedTexture::ClassId()))
    animation = static_cast<TAnimatedTexture*>(mTexture.get());
  float imageWidth = 1, imageHeight = 1;
  bool adjust = false;
  int frames = 0;
  std::pair<int, int> firstRegistration(0, 0);
  int firstWidth = 0, firstHeight = 0;
  if (animation) {
    std::pair<int, int> internal = animation->GetInternalSize();
    if (internal.first > 0)
      imageWidth = (float)internal.first;
    if (internal.second > 0)
      imageHeight = (float)internal.second;
    frames = animation->GetFrameCount();
    adjust = TConfig::Get(TConfig::kAdjustAnimatedParticles, "0").to_int() != 0;
    firstRegistration = animation->GetRegistrationPoint(0);
    TRect first = animation->GetFrameRect(0);
    firstWidth = first.right - first.left;
    firstHeight = first.bottom - first.top;
  }

  const unsigned maxQuads = mVertBufferSize / vertsPerQuad;
  unsigned quads = 0;
  const size_t drawn = std::min(count, (size_t)std::min((unsigned)capacity, maxQuads));
  // Without frames every quad shows the whole texture, as the buffer's corners say once set.
  if (!animation) {
    if (mCornersFor != vertsPerQuad) {
      for (unsigned i = 0; i < mVertBufferSize; ++i)
        mVertBuffer[i].mUV = TVec2(corners[i % vertsPerQuad].x, corners[i % vertsPerQuad].y);
      mCornersFor = vertsPerQuad;
    }
    if (vertsPerQuad == 6)
      PlainQuads<6>(mVertBuffer, records, drawn, offset, mSize, alpha);
    else
      PlainQuads<4>(mVertBuffer, records, drawn, offset, mSize, alpha);
    quads = (unsigned)drawn;
  } else {
    mCornersFor = 0;
  }
  TTransformedLitVert* vertex = mVertBuffer;
  for (size_t index = 0; animation && index < drawn; ++index) {
    const float* record = records[index];
    float scale = record[kScale];
    TVec2 size = mSize;
    TVec2 centre(record[kPosX] + offset.x, record[kPosY] + offset.y);
    TVec2 uv0(0, 0), uv1(1, 1);
    if (animation) {
      // Frame numbers come from scripts: hold them to the animation's frames.
      const float wanted = record[kFrame];
      int frame = 0;
      if (wanted >= 1 && frames > 0)
        frame = wanted >= (float)frames ? frames - 1 : (int)wanted;
      TRect rect = animation->GetFrameRect(frame);
      uv0 = TVec2((float)rect.left / imageWidth, (float)rect.top / imageHeight);
      uv1 = TVec2((float)rect.right / imageWidth, (float)rect.bottom / imageHeight);
      if (adjust) {
        int width = rect.right - rect.left;
        int height = rect.bottom - rect.top;
        std::pair<int, int> registration = animation->GetRegistrationPoint(frame);
        centre.x +=
            (float)(firstRegistration.first - registration.first) * scale + (float)((width - firstWidth) / 2) * scale;
        centre.y += (float)(firstRegistration.second - registration.second) * scale +
                    (float)((height - firstHeight) / 2) * scale;
        size = TVec2((float)width, (float)height);
      }
    }
    QuadCorners(vertex, offsets, vertsPerQuad, record, centre.x, centre.y, size, offset.z, alpha);
    for (unsigned v = 0; v < vertsPerQuad; ++v, ++vertex)
      vertex->mUV = TVec2(corners[v].x == 0 ? uv0.x : uv1.x, corners[v].y == 0 ? uv0.y : uv1.y);
    ++quads;
  }

  if (quads > 0) {
    if (vertsPerQuad == 6) {
      gDrawTarget->DrawVertices(TRenderer::kDrawTriangles, TVertexSet(mVertBuffer, quads * 6));
    } else {
      // 16-bit indices reach 16384 quads: larger systems draw in batches.
      for (unsigned first = 0; first < quads; first += kMaxQuadsPerDraw) {
        unsigned batch = quads - first < kMaxQuadsPerDraw ? quads - first : kMaxQuadsPerDraw;
        gDrawTarget->DrawIndexedVertices(TRenderer::kDrawTriangles, TVertexSet(mVertBuffer + first * 4, batch * 4),
                                         mIndices, batch * 6);
      }
    }
  }
  gDrawTarget->SetBlendMode(TRenderer::kBlendNormal);
}
