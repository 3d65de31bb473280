// texturemanager: hands out counted handles to texture-and-mask pairs, one pair per texture
// shared by every scene object that shows it; gets textures from the texture cache.
#pragma once

#include <vector>

#include <boost/shared_ptr.hpp>

#include "core/foundation/hold.h"
#include "core/foundation/str.h"
#include "scene/texturewrapper.h"

class TTexture;

// Where the manager's textures and masks come from: the engine's texture cache, with the
// mask built from the pixels it decodes, unless a test puts one of its own in.
class TTextureSource
{
public:
  virtual ~TTextureSource() {}
  // The texture of that name; empty when there is none (a source may still wrap it).
  virtual boost::shared_ptr<TTexture> GetTexture(const str& name) = 0;
  // A new wrapper for a texture the manager holds none for; null when it cannot be had.
  virtual TTextureWrapper* NewWrapper(const str& name, const boost::shared_ptr<TTexture>& texture) = 0;
};

class TTextureManager
{
public:
  // Made once by the game at start-up and destroyed when it ends; handles still alive then
  // keep their wrappers and delete them when they go.
  static TTextureManager* Create();
  static void Destroy();
  static TTextureManager* GetInstance();

  // The handle of the named texture's wrapper, made on first use; empty when the texture
  // cannot be had. While loads are deferred, a wrapper not made yet is made deferred.
  TTextureWrapperRef getTexture(str name);
  // Loads a deferred wrapper's texture and mask (the wrapper's first use).
  void LoadDeferred(TTextureWrapper* wrapper);
  // Forgets the wrapper (its last handle deletes it).
  void deleteTexture(TTextureWrapper* wrapper);

  // Null returns to the texture cache; the source is not owned.
  void SetSource(TTextureSource* source);
  size_t GetWrapperCount() const { return mWrappers.size(); }

  // Keeps every wrapper the manager has or hands out (with its texture) while it lives,
  // even when no scene holds it.
  typedef TScopedHold<TTextureManager> THold;
  static void BeginHold();
  static void EndHold();

  // While one lives, pictures asked for are not loaded: each new wrapper loads its texture
  // and mask when it is first drawn or hit-tested. For screens made from a saved game that
  // are not shown yet, whose pictures the player does not wait for.
  // True while a TDeferLoads lives.
  static bool IsDeferring() { return sInstance && sInstance->mDeferring > 0; }
  class TDeferLoads
  {
  public:
    TDeferLoads();
    ~TDeferLoads();
    TDeferLoads(const TDeferLoads&) = delete;
    TDeferLoads& operator=(const TDeferLoads&) = delete;
  };

private:
  TTextureManager();
  ~TTextureManager();
  TTextureManager(const TTextureManager&) = delete;
  // Adds a wrapper the manager has made and hands out its first handle.
  TTextureWrapperRef Keep(TTextureWrapper* wrapper);
  TTextureManager& operator=(const TTextureManager&) = delete;

  std::vector<TTextureWrapper*> mWrappers;
  TTextureSource* mSource;
  THeldRefs<TTextureWrapperRef> mHeld;
  int mDeferring = 0;

  static TTextureManager* sInstance;
  static bool sCreated;
};
