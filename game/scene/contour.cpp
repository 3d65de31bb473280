// contour: the glowing outline a scene object can show behind itself: outlines traced once
// per frame of a scene from the image's alpha, painted with ring colours into a texture.
#include "scene/contour.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/graphics/texture.h"
#include "core/foundation/debug.h"
#include "scene/imageresource.h"
#include "scene/matrixutil.h"
#include "scene/scene.h"
#include "scene/scenerenderer.h"
#include "scene/sceneobject.h"
#include "scene/texturemanager.h"

namespace {

// Eight steps, y down; a higher index turns clockwise on screen.
const int kStepX[8] = {-1, -1, 0, 1, 1, 1, 0, -1};
const int kStepY[8] = {0, -1, -1, -1, 0, 1, 1, 1};

// A pixel is solid for the outline from this alpha up.
const unsigned kSolidAlpha = 100;

// Rings beyond the margin only paint under the object itself; a colour list of thousands
// would otherwise make every stamp cost millions of pixels.
const size_t kMaxRings = 16;

// Contour textures are squares from 16 pixels, doubled until the image and its margin fit;
// images are at most 1024 pixels a side, so a bigger one comes from a damaged resource.
const int kFirstTextureSide = 16;
const int kMaxTextureSide = 4096;

TPoint Step(const TPoint& p, int direction)
{
  return TPoint(p.x + kStepX[direction], p.y + kStepY[direction]);
}

bool Same(const TPoint& a, const TPoint& b)
{
  return a.x == b.x && a.y == b.y;
}

class TTracer
{
public:
  TTracer(const TColor32* pixels, unsigned pitch, int width, int height, TContourPoints* points)
      : mPixels(pixels), mPitch(pitch), mWidth(width), mHeight(height), mPoints(points)
  {}

  bool Inside(const TPoint& p) const { return p.x >= 0 && p.x < mWidth && p.y >= 0 && p.y < mHeight; }
  bool Solid(const TPoint& p) const
  {
    return Inside(p) && mPixels[size_t(p.y) * mPitch + size_t(p.x)].Alpha() >= kSolidAlpha;
  }

  // The first solid pixel on the diagonal from a corner; false when the walk leaves the
  // rectangle without one.
  bool FirstActivePoint(TPoint corner, int direction, TPoint* found) const
  {
    for (TPoint p = corner; Inside(p); p = Step(p, direction))
      if (Solid(p)) {
        *found = p;
        return true;
      }
    return false;
  }

  // Moore-neighbour walk around the solid region, from a transparent pixel entered in
  // direction d from a solid one.
  void Snake(TPoint start, int d)
  {
    TPoint current = start;
    TPoint pivot(start.x - kStepX[d], start.y - kStepY[d]);
    const TPoint firstPivot = pivot;
    int turns = 0;
    int next = (d + 1) % 8;
    // Every pixel around the region is entered from at most eight sides; a walk that
    // outlasts that has missed its end and is stopped.
    const long long limit = 8LL * (mWidth + 2) * (mHeight + 2) + 64;
    for (long long steps = 0;; ++steps) {
      if (steps > limit) {
        WriteDbg("ERROR: A contour trace of %dx%d pixels found no end; the outline is cut", mWidth, mHeight);
        return;
      }
      TPoint candidate = Step(pivot, next);
      if (Solid(candidate)) {
        pivot = candidate;
        int back = next;
        for (int tries = 0; tries < 8 && !Same(Step(pivot, back), current); ++tries)
          back = (back + 7) % 8;
        d = back;
        ++turns;
      } else {
        d = next;
        mPoints->insert(current);
        current = candidate;
        turns = 0;
      }
      next = (d + 1) % 8;
      TPoint following = Step(pivot, next);
      if (turns > 8 || Same(following, firstPivot) || Same(following, start)) {
        // The pixel the walk stands on touches the region too; without it the ring of
        // every outline would have a gap where the walk closed.
        mPoints->insert(current);
        return;
      }
    }
  }

  void Process()
  {
    mPoints->clear();
    if (mWidth <= 0 || mHeight <= 0)
      return;
    const struct
    {
      TPoint mCorner;
      int mDirection;
    } corners[4] = {{TPoint(mWidth - 1, mHeight - 1), 1},
                    {TPoint(0, mHeight - 1), 3},
                    {TPoint(0, 0), 5},
                    {TPoint(mWidth - 1, 0), 7}};
    for (const auto& corner : corners) {
      TPoint solid;
      if (!FirstActivePoint(corner.mCorner, corner.mDirection, &solid))
        continue;
      int back = (corner.mDirection + 4) % 8;
      TPoint start = Step(solid, back);
      if (mPoints->count(start) == 0)
        Snake(start, back);
    }
  }

private:
  const TColor32* mPixels;
  unsigned mPitch;
  int mWidth;
  int mHeight;
  TContourPoints* mPoints;
};

} // namespace

// ---- tracing ----

void GVertexListCreator::Process(const TColor32* pixels, unsigned pitch, int width, int height, TContourPoints* points)
{
  TTracer(pixels, pitch, width, height, points).Process();
}

TContourVertexList::TVertexList::TVertexList(const boost::shared_ptr<TTexture>& texture, const TRect& rect)
    : mRect(rect)
{
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  if (!texture || !texture->Lock(&pixels, &pitch))
    return;
  Trace(pixels, pitch, texture->GetWidth(), texture->GetHeight());
  texture->Unlock();
}

TContourVertexList::TVertexList::TVertexList(const TColor32* pixels, unsigned pitch, unsigned width, unsigned height,
                                             const TRect& rect)
    : mRect(rect)
{
  if (pixels)
    Trace(pixels, pitch, width, height);
}

void TContourVertexList::TVertexList::Trace(const TColor32* pixels, unsigned pitch, unsigned width, unsigned height)
{
  // Resource rectangles are not checked against their texture: the part outside it is
  // traced as transparent, never read.
  TRect texture(0, 0, int(std::min<unsigned>(width, INT_MAX)), int(std::min<unsigned>(height, INT_MAX)));
  TRect clip = TRect::Intersect(mRect, texture);
  if (clip.right <= clip.left || clip.bottom <= clip.top)
    return;
  TContourPoints points;
  const TColor32* origin = pixels + size_t(clip.top) * pitch + size_t(clip.left);
  GVertexListCreator::Process(origin, pitch, clip.right - clip.left, clip.bottom - clip.top, &points);
  const int dx = int(int64_t(clip.left) - mRect.left);
  const int dy = int(int64_t(clip.top) - mRect.top);
  for (const TPoint& p : points)
    mPoints.insert(TPoint(p.x + dx, p.y + dy));
}

// ---- painting ----

TContourVertexList::TVertexList::TDrawMatrix::TDrawMatrix(const std::vector<TColor32>& colours)
{
  const int rings = int(std::min(colours.size(), kMaxRings));
  mCentre = rings > 0 ? rings - 1 : 0;
  mSide = rings > 0 ? 2 * rings - 1 : 0;
  mCells.resize(size_t(mSide) * mSide);
  for (int y = 0; y < mSide; ++y)
    for (int x = 0; x < mSide; ++x)
      mCells[size_t(y) * mSide + x] = colours[std::max(std::abs(x - mCentre), std::abs(y - mCentre))];
}

void TContourVertexList::TVertexList::Paint(TColor32* pixels, unsigned pitch, unsigned width, unsigned height,
                                            const std::vector<TColor32>& colours) const
{
  for (unsigned y = 0; y < height; ++y)
    std::memset(static_cast<void*>(pixels + size_t(y) * pitch), 0, sizeof(TColor32) * width);
  TDrawMatrix brush(colours);
  const int64_t w = width, h = height;
  for (const TPoint& point : mPoints) {
    const int64_t left = int64_t(point.x) + TContour::kMargin - brush.mCentre;
    const int64_t top = int64_t(point.y) + TContour::kMargin - brush.mCentre;
    // Every stamp is clipped: a wide brush or a point far outside would write past the texture.
    const int64_t x0 = std::max<int64_t>(0, -left), x1 = std::min<int64_t>(brush.mSide, w - left);
    const int64_t y0 = std::max<int64_t>(0, -top), y1 = std::min<int64_t>(brush.mSide, h - top);
    for (int64_t by = y0; by < y1; ++by) {
      TColor32* row = pixels + size_t(top + by) * pitch + size_t(left);
      const TColor32* cells = brush.mCells.data() + size_t(by) * brush.mSide;
      for (int64_t bx = x0; bx < x1; ++bx)
        if (cells[bx].Alpha() > row[bx].Alpha())
          row[bx] = cells[bx];
    }
  }
}

void TContourVertexList::TVertexList::Draw(const boost::shared_ptr<TTexture>& target,
                                           const std::vector<TColor32>& colours) const
{
  TColor32* pixels = nullptr;
  unsigned pitch = 0;
  if (!target || !target->Lock(&pixels, &pitch))
    return;
  Paint(pixels, pitch, std::min(target->GetWidth(), pitch), target->GetHeight(), colours);
  target->Unlock();
}

// ---- the scene's cache ----

TContourVertexList::~TContourVertexList()
{
  for (TVertexList* list : mLists)
    delete list;
}

TContourVertexList::TVertexList* TContourVertexList::GetFrameVertex(int frame)
{
  if (frame >= 0 && size_t(frame) < mLists.size() && mLists[size_t(frame)])
    return mLists[size_t(frame)];
  return CreateVertexList(frame);
}

TContourVertexList::TVertexList* TContourVertexList::CreateVertexList(int frame)
{
  CanlImage* image = mScene ? mScene->GetImageResource().GetImage(frame) : nullptr;
  if (!image)
    return nullptr;
  if (mLists.size() <= size_t(frame))
    mLists.resize(size_t(frame) + 1, nullptr);
  TRect rect(TruncateToInt(image->mX), TruncateToInt(image->mY), TruncateToInt(image->mX + image->mW),
             TruncateToInt(image->mY + image->mH));
  // Images without a texture (the boxes of text objects) have no outline.
  boost::shared_ptr<TTexture> texture;
  CanlTexture* entry = mScene->GetImageResource().GetImageTexture(frame);
  TTextureManager* manager = TTextureManager::GetInstance();
  TTextureWrapperRef wrapper = entry && manager ? manager->getTexture(entry->mFile) : TTextureWrapperRef();
  if (wrapper)
    texture = wrapper->GetTexture();
  delete mLists[size_t(frame)];
  mLists[size_t(frame)] = new TVertexList(texture, rect);
  return mLists[size_t(frame)];
}

// ---- the object's contour ----

void TContour::CreateTexture(int width, int height)
{
  const int64_t needed = int64_t(std::max(width, height)) + 2 * kMargin;
  int side = kFirstTextureSide;
  while (side < needed && side < kMaxTextureSide)
    side *= 2;
  if (side < needed) {
    WriteDbg("ERROR: A contour of %dx%d pixels is larger than any texture; it is not shown", width, height);
    mTexture.reset();
    return;
  }
  if (mTexture) {
    std::pair<int, int> size = mTexture->GetInternalSize();
    if (size.first >= side && size.second >= side)
      return;
  }
  mTexture = TSceneRenderer::Get()->CreateTexture(unsigned(side), unsigned(side));
}

void TContour::SetFrame(int frame)
{
  if (frame == mFrame)
    return;
  mFrame = frame;
  if (frame == -1 || !mObject)
    return;
  TScene* scene = mObject->GetScene();
  CanlImage* image = scene ? scene->GetImageResource().GetImage(frame) : nullptr;
  TContourVertexList::TVertexList* outline = image ? scene->getVertexList()->GetFrameVertex(frame) : nullptr;
  if (!outline) {
    // Nothing of an earlier frame may show through.
    mTexture.reset();
    return;
  }
  CreateTexture(TruncateToInt(image->mW), TruncateToInt(image->mH));
  if (mTexture)
    outline->Draw(mTexture, scene->GetContourColors());
}

void TContour::Draw(TDrawSpec* spec, TSceneRenderer& renderer)
{
  if (mFrame == -1 || !mTexture || !spec)
    return;
  TDrawSpec glow = *spec;
  const TRect& source = spec->mSrcRect;
  glow.mSrcRect = TRect(0, 0, source.right - source.left + 2 * kMargin, source.bottom - source.top + 2 * kMargin);
  // Through the pivot, so the margin scales and turns with the object.
  glow.mCenter.x += kMargin;
  glow.mCenter.y += kMargin;
  renderer.DrawSprite(mTexture, glow);
}
