// qvminivecdraw: the glyph rasteriser; scan-converts vector glyph programs into 16-level
// coverage spans, caches them per glyph and drawing parameters, and sends
// them to the renderer as lines or writes them into a locked texture's pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/color.h"
#include "core/graphics/vertexset.h"

class TTexture;

class TQvMiniVecDraw
{
public:
  // Spans kept in the glyph cache before it is emptied and refilled; bounds its memory
  // when text is animated through ever new scales and angles.
  static constexpr size_t kMaxCachedSpans = 1u << 20;
  static constexpr size_t kMaxCacheEntries = 4096;
  static constexpr int kCacheBuckets = 2039;
  static constexpr int kBatchVertices = 256;

  TQvMiniVecDraw();
  ~TQvMiniVecDraw();

  // The one rasteriser, made (and calibrated) on first use.
  static TQvMiniVecDraw* GetInstance();
  static void ShutDown();
  // Told after glyphs were drawn into a texture (the window manager marks the screen for
  // redrawing); null tells no one.
  typedef void (*TDrawnHook)(void* context);
  static void SetDrawnHook(TDrawnHook hook, void* context);
  static void* GetDrawnHookContext();

  bool Start(float x, float y, boost::shared_ptr<TTexture> target);
  // Pen position in quarter pixels relative to the origin given to Start.
  void Draw(const unsigned char* program, int x, int y);
  void Stop();
  void Flush();

  void SetColor(int slot, const TColor& colour, float alpha);
  void SetEdge(float x0, float y0, float x1, float y1, int* fills, int group);
  void SetEdgeOutline(float x0, float y0, float x1, float y1, int stroke);
  void HLineBatchFlush(int x, int y);
  bool GetPixelAccess(boost::shared_ptr<TTexture> texture);
  void Calibrate();

  // Drawing parameters, kept until changed.
  void SetScale(float x, float y)
  {
    mScaleX = x;
    mScaleY = y;
  }
  void SetRotation(float cosine, float sine)
  {
    mCos = cosine;
    mSin = sine;
  }
  // Outline widths in pixels; 0 draws no stroke.
  void SetOutlineWidth(int stroke, float width) { mOutline[stroke & 1] = width; }
  void SetItalic(bool italic) { mItalic = italic; }
  void SetCopy(bool copy) { mCopy = copy; }
  void SetAccumulate(bool accumulate) { mAccumulate = accumulate; }

  // The packed colour of a palette entry (coverage 1 to 16 uses entries 0 to 15).
  TColor32 GetPaletteColor(int palette, int entry) const { return mPalette[palette & 3][entry & 31]; }
  static int PaletteOfSlot(int slot);
  size_t GetCacheEntryCount() const { return mCacheEntries; }
  unsigned long GetConversionCount() const { return mConversions; }
  void ClearCache();

private:
  static TDrawnHook sDrawnHook;
  static void* sDrawnHookContext;
  TQvMiniVecDraw(const TQvMiniVecDraw&) = delete;
  TQvMiniVecDraw& operator=(const TQvMiniVecDraw&) = delete;

  struct TEdge
  {
    float x0, y0, x1, y1;
    int fill;
    int group;
    int startRow;
    // One past the last sub-row the edge crosses.
    int endRow;
    float x;
    float slope;
  };
  struct TSpan
  {
    int16_t x0, x1, y;
    uint8_t entry;
    uint8_t palette;
  };
  struct TCacheKey
  {
    const unsigned char* program;
    int32_t phaseX, phaseY;
    float scaleX, scaleY, outline0, outline1;
    int32_t italic;
    float cosine, sine;
    bool operator==(const TCacheKey& other) const;
  };
  struct TCacheEntry
  {
    TCacheKey key;
    std::vector<TSpan> spans;
  };
  struct TQueuedSpan
  {
    int x0, x1, y;
    TColor32 colour;
  };

  void Convert(const unsigned char* program);
  void AddLine(float x0, float y0, float x1, float y1, int* fills, int group);
  void ScanConvert();
  void AddCoverage(int palette, int from, int to);
  void QueueSpan(const TSpan& span);
  void FlushToPixelBuffer();
  void Unlock();

  float mScaleX, mScaleY, mCos, mSin;
  float mOutline[2];
  bool mItalic, mCopy, mAccumulate;
  bool mCalibrated;
  float mLineOffset[3];

  TColor mSlotColor[256];
  TColor32 mPalette[4][32];

  std::vector<TEdge> mEdges;
  std::vector<TEdge*> mActive;
  int mPhaseX, mPhaseY;

  static const int kCoverageHalf = 1600;
  static const int kCoverageSize = 2 * kCoverageHalf + 2;
  std::vector<int32_t> mCoverage[4];
  bool mTouched[4];
  int mLowX[4], mHighX[4];

  TPreScaledTransformedLitVert mVerts[kBatchVertices];
  TQueuedSpan mQueued[kBatchVertices / 2];
  int mQueuedCount;

  std::vector<std::vector<std::unique_ptr<TCacheEntry>>> mCache;
  size_t mCacheEntries;
  size_t mCachedSpans;
  unsigned long mConversions;
  std::vector<TSpan>* mRecording;

  // Where the glyph being drawn lies, in whole pixels from the origin.
  int mGlyphX, mGlyphY;
  int mOriginX, mOriginY;

  boost::shared_ptr<TTexture> mTarget;
  TColor32* mPixels;
  unsigned mTargetWidth, mTargetHeight, mPitch;

  static TQvMiniVecDraw* sInstance;
};
