// contour: the glowing outline a scene object can show behind itself: outlines traced once
// per frame of a scene from the image's alpha, painted with ring colours into a texture.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/foundation/rect.h"

class TDrawSpec;
class TSceneRenderer;
class TScene;
class TSceneObject;
class TTexture;

class TContour
{
public:
  // Room around the image on every side of the contour texture, in pixels.
  static const int kMargin = 6;

  explicit TContour(TSceneObject* object) : mObject(object), mFrame(-1) {}

  // Repaints the outline when the frame changes; -1 shows none.
  void SetFrame(int frame);
  int GetFrame() const { return mFrame; }
  // Makes sure the texture is a square of at least max(width, height) + 12 pixels (a
  // power of two from 16); a big enough texture is kept.
  void CreateTexture(int width, int height);
  // Draws the texture behind the object: its source rectangle grown by the margin.
  void Draw(TDrawSpec* spec, TSceneRenderer& renderer);
  const boost::shared_ptr<TTexture>& GetTexture() const { return mTexture; }

private:
  boost::shared_ptr<TTexture> mTexture;
  TSceneObject* mObject;
  int mFrame;
};

struct TContourPointOrder
{
  bool operator()(const TPoint& a, const TPoint& b) const { return a.x != b.x ? a.x < b.x : a.y < b.y; }
};
typedef std::set<TPoint, TContourPointOrder> TContourPoints;

// Traces the outline of an image rectangle's solid region (alpha above 99): the transparent
// pixels that touch it from outside, reached by boundary walks that start from diagonal
// walks in from the four corners.
class GVertexListCreator
{
public:
  // pixels are the rectangle's own (row 0 its top), pitch pixels per row; points are
  // relative to its top-left corner and may lie one pixel outside it.
  static void Process(const TColor32* pixels, unsigned pitch, int width, int height, TContourPoints* points);
};

class TContourVertexList
{
public:
  class TVertexList
  {
  public:
    // The brush: a square of (2n - 1) x (2n - 1) colours, ring k of the centre colour k.
    struct TDrawMatrix
    {
      explicit TDrawMatrix(const std::vector<TColor32>& colours);
      std::vector<TColor32> mCells;
      int mSide;
      int mCentre;
    };

    // Traces the rectangle of the texture (the part outside it counts as transparent); a
    // texture that cannot be locked gives an empty outline.
    TVertexList(const boost::shared_ptr<TTexture>& texture, const TRect& rect);
    // Traces the rectangle of pixels in memory (width x height, pitch per row).
    TVertexList(const TColor32* pixels, unsigned pitch, unsigned width, unsigned height, const TRect& rect);

    // Clears the target and paints the outline into it.
    void Draw(const boost::shared_ptr<TTexture>& target, const std::vector<TColor32>& colours) const;
    // Paints the outline into pixels (cleared first): the brush stamped at each point
    // moved by the margin, each pixel keeping the colour of larger alpha, clipped to the
    // width x height pixels.
    void Paint(TColor32* pixels, unsigned pitch, unsigned width, unsigned height,
               const std::vector<TColor32>& colours) const;

    const TContourPoints& GetPoints() const { return mPoints; }
    const TRect& GetRect() const { return mRect; }

  private:
    void Trace(const TColor32* pixels, unsigned pitch, unsigned width, unsigned height);

    TContourPoints mPoints;
    TRect mRect;
  };

  explicit TContourVertexList(TScene* scene) : mScene(scene) {}
  ~TContourVertexList();

  // The outline of the frame's image, traced on first use; null for a frame the scene's
  // resource does not have.
  TVertexList* GetFrameVertex(int frame);
  TVertexList* CreateVertexList(int frame);

private:
  TContourVertexList(const TContourVertexList&) = delete;
  TContourVertexList& operator=(const TContourVertexList&) = delete;

  std::vector<TVertexList*> mLists;
  TScene* mScene;
};
