// qvminivecdraw: the glyph rasteriser; scan-converts vector glyph programs into 16-level
// coverage spans, caches them per glyph and drawing parameters, and sends
// them to the renderer as lines or writes them into a locked texture's pixels.
#include "core/graphics/qvminivecdraw.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/graphics/mvecfont.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texture.h"

TQvMiniVecDraw* TQvMiniVecDraw::sInstance = nullptr;

namespace {

// Rows beyond this many quarter pixels from the glyph origin are clipped, like columns.
const int kRowLimit = 6400;

// Each pixel row is scanned as 16 sub-rows, sampled through their middles: four per
// quarter pixel, so thin horizontal strokes are not lost between sample lines.
const int kSubRowsPerQuarter = 4;
const int kSubRows = 4 * kSubRowsPerQuarter;
const int kSubRowShift = 4;
const int kSubRowLimit = kRowLimit * kSubRowsPerQuarter;

int16_t ReadCoord(const unsigned char* p)
{
  return int16_t(uint16_t(p[0] | p[1] << 8));
}

int FloorToInt(float value)
{
  return int(std::floor(value));
}

// Positions along a sub-row are kept in sixteenths of a quarter pixel, so a pixel's
// coverage is the exact width of ink on each of its sub-rows rather than a count of
// sample points.
const int kSubSampleSteps = 16;
const int kPixelSteps = 4 * kSubSampleSteps;
const int kFullCoverage = kSubRows * kPixelSteps;

int ToSteps(float x)
{
  // Far beyond the coverage buffer either way; clipped there later.
  const float limit = 1.0e6f;
  return int(std::lround(std::max(-limit, std::min(limit, x)) * float(kSubSampleSteps)));
}

// Pieces a quadratic curve is cut into: three, or more where three would leave a chord
// further than a sixteenth of a pixel from the curve (large text).
int CurvePieces(float x0, float y0, float cx, float cy, float x1, float y1, float scaleX, float scaleY)
{
  // A curve's greatest distance from its chord is |p0 - 2c + p1| / 4, and n pieces
  // divide it by n squared; in quarter pixels.
  const float bendX = (x0 - 2.0f * cx + x1) * scaleX;
  const float bendY = (y0 - 2.0f * cy + y1) * scaleY;
  const float bend = std::sqrt(bendX * bendX + bendY * bendY);
  if (!std::isfinite(bend)) {
    return 3;
  }
  return std::max(3, std::min(64, int(std::ceil(std::sqrt(bend)))));
}

} // namespace

bool TQvMiniVecDraw::TCacheKey::operator==(const TCacheKey& other) const
{
  return std::memcmp(this, &other, sizeof(TCacheKey)) == 0;
}

TQvMiniVecDraw::TQvMiniVecDraw()
    : mScaleX(1.0f), mScaleY(1.0f), mCos(1.0f), mSin(0.0f), mOutline{0.0f, 0.0f}, mItalic(false), mCopy(false),
      mAccumulate(false), mCalibrated(false), mLineOffset{0.25f, 0.25f, 0.25f}, mPhaseX(0),
      mPhaseY(0), mTouched{false, false, false, false}, mQueuedCount(0), mCache(kCacheBuckets), mCacheEntries(0),
      mCachedSpans(0), mConversions(0), mRecording(nullptr), mGlyphX(0), mGlyphY(0), mOriginX(0), mOriginY(0),
      mPixels(nullptr), mTargetWidth(0), mTargetHeight(0), mPitch(0)
{
  mEdges.reserve(512);
  for (int palette = 0; palette < 4; ++palette) {
    mCoverage[palette].assign(kCoverageSize, 0);
    mLowX[palette] = kCoverageSize;
    mHighX[palette] = -1;
    for (int entry = 0; entry < 32; ++entry) {
      mPalette[palette][entry] = TColor32(0u);
    }
  }
  std::memset(static_cast<void*>(mVerts), 0, sizeof(mVerts));
  for (TPreScaledTransformedLitVert& vert : mVerts) {
    vert.mPos.z = 0.1f;
    vert.mRhw = 0.5f;
    vert.mUV = TVec2(0.1f, 0.5f);
  }
}

TQvMiniVecDraw::~TQvMiniVecDraw()
{
  Unlock();
}

TQvMiniVecDraw* TQvMiniVecDraw::GetInstance()
{
  if (!sInstance) {
    sInstance = new TQvMiniVecDraw();
    sInstance->Calibrate();
  }
  return sInstance;
}

void TQvMiniVecDraw::ShutDown()
{
  delete sInstance;
  sInstance = nullptr;
}

void TQvMiniVecDraw::Calibrate()
{
  mCalibrated = true;
  mLineOffset[0] = mLineOffset[1] = mLineOffset[2] = 0.5f;
}

int TQvMiniVecDraw::PaletteOfSlot(int slot)
{
  switch (slot) {
  case 1:
    return 3;
  case 254:
    return 1;
  case 255:
    return 0;
  default:
    return 2;
  }
}

void TQvMiniVecDraw::SetColor(int slot, const TColor& colour, float alpha)
{
  slot &= 255;
  TColor scaled = colour;
  scaled.a *= alpha;
  mSlotColor[slot] = scaled;
  const TColor32 packed(scaled);
  const unsigned baseAlpha = packed.Alpha();
  TColor32* palette = mPalette[PaletteOfSlot(slot)];
  for (unsigned entry = 0; entry < 32; ++entry) {
    TColor32 value = packed;
    value.SetAlpha(static_cast<unsigned char>(entry < 16 ? baseAlpha * (entry + 1) * 16 / 256 : baseAlpha * 255 / 256));
    palette[entry] = value;
  }
}

void TQvMiniVecDraw::ClearCache()
{
  for (auto& bucket : mCache) {
    bucket.clear();
  }
  mCacheEntries = 0;
  mCachedSpans = 0;
}

bool TQvMiniVecDraw::GetPixelAccess(boost::shared_ptr<TTexture> texture)
{
  mPixels = nullptr;
  if (!texture) {
    return false;
  }
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  if (!texture->Lock(&pixels, &pitch) || !pixels) {
    return false;
  }
  mPixels = pixels;
  mPitch = pitch;
  mTargetWidth = texture->GetWidth();
  mTargetHeight = texture->GetHeight();
  return true;
}

TQvMiniVecDraw::TDrawnHook TQvMiniVecDraw::sDrawnHook = nullptr;
void* TQvMiniVecDraw::sDrawnHookContext = nullptr;

void TQvMiniVecDraw::SetDrawnHook(TDrawnHook hook, void* context)
{
  sDrawnHook = hook;
  sDrawnHookContext = context;
}

void* TQvMiniVecDraw::GetDrawnHookContext()
{
  return sDrawnHookContext;
}

void TQvMiniVecDraw::Unlock()
{
  if (mTarget && mPixels) {
    mTarget->Unlock();
    if (sDrawnHook)
      sDrawnHook(sDrawnHookContext);
  }
  mPixels = nullptr;
  mTarget.reset();
}

bool TQvMiniVecDraw::Start(float x, float y, boost::shared_ptr<TTexture> target)
{
  if (target != mTarget) {
    Stop();
    mTarget = target;
    if (target) {
      GetPixelAccess(target);
    }
  }
  if (!target) {
    TRenderer::GetInstance()->SetTexture(boost::shared_ptr<TTexture>());
  }
  mOriginX = FloorToInt(x * 4.0f + 0.5f);
  mOriginY = FloorToInt(y * 4.0f + 0.5f);
  return true;
}

void TQvMiniVecDraw::Stop()
{
  Flush();
  Unlock();
}

void TQvMiniVecDraw::Draw(const unsigned char* program, int x, int y)
{
  if (!program) {
    return;
  }
  const int totalX = mOriginX + x;
  const int totalY = mOriginY + y;
  mGlyphX = totalX >> 2;
  mGlyphY = totalY >> 2;
  mPhaseX = totalX & 3;
  mPhaseY = totalY & 3;

  TCacheKey key;
  std::memset(&key, 0, sizeof(key));
  key.program = program;
  key.phaseX = mPhaseX;
  key.phaseY = mPhaseY;
  key.scaleX = mScaleX;
  key.scaleY = mScaleY;
  key.outline0 = mOutline[0];
  key.outline1 = mOutline[1];
  key.italic = mItalic ? 1 : 0;
  key.cosine = mCos;
  key.sine = mSin;
  auto& bucket = mCache[reinterpret_cast<uintptr_t>(program) % kCacheBuckets];
  for (const auto& entry : bucket) {
    if (entry->key == key) {
      for (const TSpan& span : entry->spans) {
        QueueSpan(span);
      }
      return;
    }
  }

  if (mCachedSpans > kMaxCachedSpans || mCacheEntries >= kMaxCacheEntries) {
    ClearCache();
  }
  std::unique_ptr<TCacheEntry> entry(new TCacheEntry());
  entry->key = key;
  mRecording = &entry->spans;
  ++mConversions;
  Convert(program);
  mRecording = nullptr;
  mCachedSpans += entry->spans.size();
  ++mCacheEntries;
  mCache[reinterpret_cast<uintptr_t>(program) % kCacheBuckets].push_back(std::move(entry));
}

void TQvMiniVecDraw::Convert(const unsigned char* program)
{
  mEdges.clear();
  int group = 2;
  int colourCount = 0;
  int base = 0;
  int fills[2] = {0, 0};
  float penX = 0.0f;
  float penY = 0.0f;
  mSlotColor[0] = TColor();
  auto fillSlot = [&base](int style) { return style == 0 ? 0 : std::min(base + style, 253); };

  const unsigned char* at = program;
  bool running = true;
  while (running) {
    switch (*at) {
    case kMvecStyleGroup:
      // The fill state holds groups 0 to 3: a program may start one group of its own.
      if (group >= 3) {
        running = false;
        break;
      }
      ++group;
      base = colourCount;
      fills[0] = fills[1] = 0;
      at += 1;
      break;
    case kMvecLeftFill:
      fills[0] = fillSlot(at[1]);
      at += 2;
      break;
    case kMvecRightFill:
      fills[1] = fillSlot(at[1]);
      at += 2;
      break;
    case kMvecMoveTo:
      penX = ReadCoord(at + 1) / 128.0f;
      penY = ReadCoord(at + 3) / 128.0f;
      at += 5;
      break;
    case kMvecLineTo: {
      const float x = ReadCoord(at + 1) / 128.0f;
      const float y = ReadCoord(at + 3) / 128.0f;
      AddLine(penX, penY, x, y, fills, group);
      penX = x;
      penY = y;
      at += 5;
      break;
    }
    case kMvecCurveTo: {
      const float cx = ReadCoord(at + 1) / 128.0f;
      const float cy = ReadCoord(at + 3) / 128.0f;
      const float x = ReadCoord(at + 5) / 128.0f;
      const float y = ReadCoord(at + 7) / 128.0f;
      float fromX = penX;
      float fromY = penY;
      const int pieces = CurvePieces(penX, penY, cx, cy, x, y, std::fabs(mScaleX), std::fabs(mScaleY));
      for (int step = 1; step <= pieces; ++step) {
        const float t = float(step) / float(pieces);
        const float toX = (penX - 2 * cx + x) * t * t + 2 * (cx - penX) * t + penX;
        const float toY = (penY - 2 * cy + y) * t * t + 2 * (cy - penY) * t + penY;
        AddLine(fromX, fromY, toX, toY, fills, group);
        fromX = toX;
        fromY = toY;
      }
      penX = x;
      penY = y;
      at += 9;
      break;
    }
    case kMvecColor: {
      ++colourCount;
      TColor colour;
      colour.Init(at[1], at[2], at[3], 255);
      SetColor(std::min(colourCount, 253), colour, 1.0f);
      at += 4;
      break;
    }
    default:
      running = false;
      break;
    }
  }
  ScanConvert();
}

void TQvMiniVecDraw::AddLine(float x0, float y0, float x1, float y1, int* fills, int group)
{
  for (int stroke = 0; stroke < 2; ++stroke) {
    if (mOutline[stroke] != 0.0f) {
      SetEdgeOutline(x0, y0, x1, y1, stroke);
    }
  }
  SetEdge(x0, y0, x1, y1, fills, group);
}

void TQvMiniVecDraw::SetEdge(float x0, float y0, float x1, float y1, int* fills, int group)
{
  if (mItalic) {
    x0 -= y0 / 3.0f;
    x1 -= y1 / 3.0f;
  }
  x0 *= mScaleX;
  x1 *= mScaleX;
  y0 *= mScaleY;
  y1 *= mScaleY;
  if (mSin != 0.0f) {
    const float rx0 = x0 * mCos - y0 * mSin;
    const float ry0 = x0 * mSin + y0 * mCos;
    const float rx1 = x1 * mCos - y1 * mSin;
    const float ry1 = x1 * mSin + y1 * mCos;
    x0 = rx0;
    y0 = ry0;
    x1 = rx1;
    y1 = ry1;
  }
  // The glyph's sub-pixel phase moves it inside its whole-pixel cell.
  x0 += mPhaseX;
  x1 += mPhaseX;
  y0 += mPhaseY;
  y1 += mPhaseY;
  if (!(std::isfinite(x0) && std::isfinite(x1) && std::isfinite(y0) && std::isfinite(y1))) {
    return;
  }
  int fill = fills[0] != 0 ? fills[0] : fills[1];
  bool turned = false;
  if (y0 > y1) {
    std::swap(x0, x1);
    std::swap(y0, y1);
    turned = true;
  }
  if (group <= 1 && !turned) {
    fill = 0;
  }
  // In sub-rows from here on. Each sub-row is sampled through its middle, and an edge
  // counts on the sub-rows whose middle lies in [y0, y1): where two edges of an outline
  // meet, exactly one of them crosses any sample line, so no crossing is counted twice
  // or missed.
  y0 *= float(kSubRowsPerQuarter);
  y1 *= float(kSubRowsPerQuarter);
  const float limit = float(kSubRowLimit + 1);
  const int startRow = int(std::ceil(std::max(-limit, std::min(limit, y0)) - 0.5f));
  const int endRow = int(std::ceil(std::max(-limit, std::min(limit, y1)) - 0.5f));
  if (startRow >= endRow || endRow <= -kSubRowLimit || startRow >= kSubRowLimit) {
    return;
  }
  TEdge edge;
  edge.x0 = x0;
  edge.y0 = y0;
  edge.x1 = x1;
  edge.y1 = y1;
  edge.fill = fill;
  edge.group = group;
  edge.startRow = startRow;
  edge.endRow = endRow;
  edge.slope = (x1 - x0) / (y1 - y0);
  edge.x = x0;
  mEdges.push_back(edge);
}

void TQvMiniVecDraw::SetEdgeOutline(float x0, float y0, float x1, float y1, int stroke)
{
  const float width = 4.0f * mOutline[stroke & 1];
  const float dx = x1 - x0;
  const float dy = y1 - y0;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (length == 0.0f || mScaleX == 0.0f || mScaleY == 0.0f) {
    return;
  }
  const float ux = dx / length;
  const float uy = dy / length;
  const float ax = width * ux / mScaleX;
  const float ay = width * uy / mScaleY;
  const float nx = width * uy / mScaleY;
  const float ny = -width * ux / mScaleX;
  const float points[6][2] = {{x0 + nx, y0 + ny}, {x0 - ax, y0 - ay}, {x0 - nx, y0 - ny},
                              {x1 - nx, y1 - ny}, {x1 + ax, y1 + ay}, {x1 + nx, y1 + ny}};
  int fills[2] = {1, 0};
  for (int i = 0; i < 6; ++i) {
    const int next = (i + 1) % 6;
    SetEdge(points[i][0], points[i][1], points[next][0], points[next][1], fills, stroke & 1);
  }
}

void TQvMiniVecDraw::AddCoverage(int palette, int from, int to)
{
  // from and to in steps (sixteenths of a sub-sample).
  const int low = -kCoverageHalf * kPixelSteps;
  const int high = kCoverageHalf * kPixelSteps;
  from = std::max(from, low);
  to = std::min(to, high);
  if (from >= to) {
    return;
  }
  // Floor division: positions left of the origin are negative.
  const int p = (from - low) / kPixelSteps;
  const int r = (from - low) % kPixelSteps;
  const int q = (to - low) / kPixelSteps;
  const int t = (to - low) % kPixelSteps;
  std::vector<int32_t>& cells = mCoverage[palette];
  cells[p] += kPixelSteps - r;
  cells[p + 1] += r;
  cells[q] -= kPixelSteps - t;
  cells[q + 1] -= t;
  mTouched[palette] = true;
  mLowX[palette] = std::min(mLowX[palette], p);
  mHighX[palette] = std::max(mHighX[palette], q + 1);
}

void TQvMiniVecDraw::ScanConvert()
{
  if (mEdges.empty()) {
    return;
  }
  std::stable_sort(mEdges.begin(), mEdges.end(),
                   [](const TEdge& a, const TEdge& b) { return a.startRow < b.startRow; });
  int lowRow = mEdges.front().startRow;
  int highRow = lowRow;
  for (const TEdge& edge : mEdges) {
    highRow = std::max(highRow, edge.endRow - 1);
  }
  lowRow = std::max(lowRow, -kSubRowLimit);
  highRow = std::min(highRow, kSubRowLimit - 1);

  std::vector<TEdge*>& active = mActive;
  active.clear();
  size_t next = 0;
  for (int row = lowRow; row <= highRow; ++row) {
    active.erase(std::remove_if(active.begin(), active.end(), [row](const TEdge* edge) { return edge->endRow <= row; }),
                 active.end());
    while (next < mEdges.size() && mEdges[next].startRow <= row) {
      TEdge* edge = &mEdges[next++];
      if (edge->endRow > row) {
        active.push_back(edge);
      }
    }
    // Where each edge crosses the middle of this sub-row; computed afresh, so long edges
    // gather no rounding. The list stays nearly sorted from row to row.
    const float middle = float(row) + 0.5f;
    for (TEdge* edge : active) {
      edge->x = edge->x0 + (middle - edge->y0) * edge->slope;
    }
    for (size_t i = 1; i < active.size(); ++i) {
      TEdge* edge = active[i];
      size_t at = i;
      while (at > 0 && active[at - 1]->x > edge->x) {
        active[at] = active[at - 1];
        --at;
      }
      active[at] = edge;
    }

    int groupFill[4] = {0, 0, 0, 0};
    int winding[2] = {0, 0};
    for (size_t i = 0; i < active.size(); ++i) {
      const TEdge* edge = active[i];
      if (edge->group <= 1) {
        winding[edge->group] += edge->fill != 0 ? 1 : -1;
        groupFill[edge->group] = winding[edge->group] != 0 ? 255 - edge->group : 0;
      } else if (edge->group <= 3) {
        groupFill[edge->group] = groupFill[edge->group] == edge->fill ? 0 : edge->fill;
      }
      if (i + 1 == active.size()) {
        break;
      }
      int visible = 0;
      for (int g = 3; g >= 0; --g) {
        if (groupFill[g] != 0) {
          visible = groupFill[g];
          break;
        }
      }
      if (visible != 0) {
        AddCoverage(PaletteOfSlot(visible), ToSteps(edge->x), ToSteps(active[i + 1]->x));
      }
    }
    if ((row & (kSubRows - 1)) == kSubRows - 1 || row == highRow) {
      HLineBatchFlush(mGlyphX, row >> kSubRowShift);
    }
  }
}

void TQvMiniVecDraw::HLineBatchFlush(int x, int y)
{
  for (int palette = 0; palette < 4; ++palette) {
    if (!mTouched[palette]) {
      continue;
    }
    std::vector<int32_t>& cells = mCoverage[palette];
    int running = 0;
    int current = 0;
    int spanStart = 0;
    const int end = std::min(mHighX[palette], kCoverageSize - 1);
    for (int index = mLowX[palette]; index <= end + 1; ++index) {
      int coverage = 0;
      if (index <= end) {
        running += cells[index];
        cells[index] = 0;
        coverage = std::max(0, std::min(16, (running * 16 + kFullCoverage / 2) / kFullCoverage));
      }
      if (coverage != current) {
        if (current != 0) {
          TSpan span;
          span.x0 = int16_t(spanStart - kCoverageHalf);
          span.x1 = int16_t(index - kCoverageHalf);
          span.y = int16_t(y);
          span.entry = uint8_t(current - 1);
          span.palette = uint8_t(palette);
          if (mRecording) {
            mRecording->push_back(span);
          }
          QueueSpan(span);
        }
        current = coverage;
        spanStart = index;
      }
    }
    mTouched[palette] = false;
    mLowX[palette] = kCoverageSize;
    mHighX[palette] = -1;
  }
}

void TQvMiniVecDraw::QueueSpan(const TSpan& span)
{
  if (mQueuedCount >= kBatchVertices / 2) {
    Flush();
  }
  TQueuedSpan& queued = mQueued[mQueuedCount];
  queued.x0 = mGlyphX + span.x0;
  queued.x1 = mGlyphX + span.x1;
  queued.y = mGlyphY + span.y;
  queued.colour = mPalette[span.palette & 3][span.entry & 31];
  // Spans for a texture's pixels are written there, never drawn as lines.
  if (mTarget) {
    ++mQueuedCount;
    return;
  }
  TPreScaledTransformedLitVert* verts = &mVerts[mQueuedCount * 2];
  verts[0].mPos.x = float(queued.x0) + mLineOffset[0];
  verts[1].mPos.x = float(queued.x1) + mLineOffset[1];
  verts[0].mPos.y = verts[1].mPos.y = float(queued.y) + mLineOffset[2];
  verts[0].mColor = verts[1].mColor = queued.colour;
  verts[0].mSecondColor = verts[1].mSecondColor = TColor32(0u);
  ++mQueuedCount;
}

void TQvMiniVecDraw::Flush()
{
  if (mQueuedCount == 0) {
    return;
  }
  if (mTarget) {
    FlushToPixelBuffer();
  } else {
    TVertexSet set(mVerts, unsigned(mQueuedCount * 2));
    TRenderer::GetInstance()->DrawVertices(TRenderer::kDrawLines, set);
  }
  mQueuedCount = 0;
}

void TQvMiniVecDraw::FlushToPixelBuffer()
{
  if (!mPixels) {
    return;
  }
  for (int i = 0; i < mQueuedCount; ++i) {
    const TQueuedSpan& span = mQueued[i];
    if (span.y < 0 || span.y >= int(mTargetHeight)) {
      continue;
    }
    const int from = std::max(span.x0, 0);
    const int to = std::min(span.x1, int(mTargetWidth));
    const unsigned sourceAlpha = span.colour.Alpha();
    if (mAccumulate && sourceAlpha == 0) {
      continue;
    }
    TColor32* row = mPixels + size_t(span.y) * mPitch;
    if (mCopy && !mAccumulate) {
      std::fill(row + from, row + std::max(from, to), span.colour);
      continue;
    }
    for (int x = from; x < to; ++x) {
      TColor32& pixel = row[x];
      if (mAccumulate) {
        const unsigned destAlpha = pixel.Alpha();
        // Onto nothing: the mix is the source itself.
        if (destAlpha == 0) {
          pixel = span.colour;
          continue;
        }
        const unsigned sum = destAlpha + sourceAlpha;
        auto mix = [&](unsigned dest, unsigned source) {
          return static_cast<unsigned char>((dest * destAlpha + source * sourceAlpha) / sum);
        };
        pixel = TColor32(mix(pixel.Red(), span.colour.Red()), mix(pixel.Green(), span.colour.Green()),
                         mix(pixel.Blue(), span.colour.Blue()), static_cast<unsigned char>(std::min(sum, 255u)));
      } else if (mCopy) {
        pixel = span.colour;
      } else if (sourceAlpha == 255) {
        // Full cover: the blend is the source's colour, the pixel keeps its alpha.
        pixel = TColor32(span.colour.Red(), span.colour.Green(), span.colour.Blue(), pixel.Alpha());
      } else {
        auto blend = [sourceAlpha](unsigned dest, unsigned source) {
          return static_cast<unsigned char>((dest * (255 - sourceAlpha) + source * sourceAlpha) / 255);
        };
        pixel = TColor32(blend(pixel.Red(), span.colour.Red()), blend(pixel.Green(), span.colour.Green()),
                         blend(pixel.Blue(), span.colour.Blue()), pixel.Alpha());
      }
    }
  }
}
