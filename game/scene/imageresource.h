// imageresource: a scene's list of textures and of named image rectangles cut from them,
// read from the resources file a scene names and stored in binary records.
#pragma once

#include <cstdint>
#include <vector>

#include "core/foundation/str.h"

class CanlImageResource;
class TBinaryBuffer;
class TXmlNode;

class CanlTexture
{
public:
  explicit CanlTexture(CanlImageResource* owner) : mOwner(owner) {}
  virtual ~CanlTexture() {}
  virtual bool LoadFromXML(TXmlNode* node);
  virtual void Store(TBinaryBuffer* buffer) const;
  virtual bool Load(TBinaryBuffer* buffer);

  CanlImageResource* mOwner;
  // The file name as the texture cache takes it, and the name images refer to it by.
  str mFile;
  str mId;
};

class CanlImage
{
public:
  explicit CanlImage(CanlImageResource* owner) : mOwner(owner), mTexture(-1), mX(0), mY(0), mPx(0), mPy(0), mW(0), mH(0)
  {}
  virtual ~CanlImage() {}
  virtual bool LoadFromXML(TXmlNode* node);
  virtual void Store(TBinaryBuffer* buffer) const;
  virtual bool Load(TBinaryBuffer* buffer);

  CanlImageResource* mOwner;
  // Index into the owner's textures; -1 for an image without a texture (an "empty").
  int32_t mTexture;
  // Top-left corner in texture pixels, the pivot offsets, and the size.
  float mX, mY, mPx, mPy, mW, mH;
  str mId;
};

class CanlImageResource
{
public:
  CanlImageResource() {}
  virtual ~CanlImageResource();

  // Appends the textures and images under a "resources" element.
  virtual bool LoadFromXML(TXmlNode* resources);
  virtual void Store(TBinaryBuffer* buffer) const;
  // Appends; false (what was read so far kept) when the record is damaged.
  virtual bool Load(TBinaryBuffer* buffer);
  void Clear();

  int getImageIndex(const str& id) const;
  CanlImage* getImage(const str& id) const;
  // Null when the index is out of range.
  CanlImage* GetImage(int index) const;
  CanlTexture* GetTexture(int index) const;
  // The texture an image is cut from; null for an empty image or a bad index.
  CanlTexture* GetImageTexture(int index) const;
  int GetImageCount() const { return static_cast<int>(mImages.size()); }
  int GetTextureCount() const { return static_cast<int>(mTextures.size()); }

private:
  CanlImageResource(const CanlImageResource&) = delete;
  CanlImageResource& operator=(const CanlImageResource&) = delete;

  void ReadImages(TXmlNode* list);

  std::vector<CanlTexture*> mTextures;
  std::vector<CanlImage*> mImages;
};
