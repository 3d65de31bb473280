// asset: base of shared, named, reference-counted resources (textures, scripts, sounds,
// models) and the registry that hands out the one live instance of each name.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include <boost/enable_shared_from_this.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

#include "core/foundation/hold.h"
#include "core/foundation/str.h"

class TAsset : public boost::enable_shared_from_this<TAsset>
{
public:
  // Unique per class within the process: the address of the class's own ClassId.
  static intptr_t ClassId();

  virtual const char* GetTypeName() const { return "TAsset"; }
  // Subclasses also accept their bases' identifiers.
  virtual bool IsKindOf(intptr_t classId) const { return classId == ClassId(); }
  virtual ~TAsset() {}
  // Drops what can be rebuilt, and rebuilds it.
  virtual void Release() {}
  virtual void Restore() {}
};

// Maps keys to weak references, so the registry never keeps an asset alive by itself.
// Main thread only.
class TAssetManager
{
public:
  // The manager the platform's data owns; null while there is none.
  static TAssetManager* GetInstance() { return mInstance; }

  TAssetManager();
  virtual ~TAssetManager();

  void AddAsset(const str& key, boost::shared_ptr<TAsset> asset);
  // The live asset under key, else empty (an unknown key is entered, empty).
  boost::shared_ptr<TAsset> GetAsset(const str& key);
  // Called by an asset's destructor for its key: erases the entry unless it holds a
  // live asset, which can only be a newer one registered under the same key.
  void RemoveAsset(const str& key);

  bool HasEntry(const str& key) const { return mAssets.count(key) != 0; }

  // Keeps every asset the registry has or is given while it lives.
  typedef TScopedHold<TAssetManager> THold;
  static void BeginHold();
  static void EndHold();

private:
  TAssetManager(const TAssetManager&) = delete;
  TAssetManager& operator=(const TAssetManager&) = delete;

  static TAssetManager* mInstance;

  std::map<str, boost::weak_ptr<TAsset>> mAssets;
  THeldRefs<boost::shared_ptr<TAsset>> mHeld;
};
