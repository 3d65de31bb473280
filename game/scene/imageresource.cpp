// imageresource: a scene's list of textures and of named image rectangles cut from them,
// read from the resources file a scene names and stored in binary records.
#include "scene/imageresource.h"

#include <cstring>

#include "core/foundation/xmlnode.h"
#include "scene/binarybuffer.h"
#include "scene/xmlattributes.h"

namespace {

// The smallest records, against which counts are checked before anything is made.
const unsigned kTextureRecordBytes = 8;
const unsigned kImageRecordBytes = 4 + 6 * 4 + 4;

} // namespace

bool CanlTexture::LoadFromXML(TXmlNode* node)
{
  mId = node->GetAttribute("id");
  mFile = node->GetAttribute("file");
  return true;
}

void CanlTexture::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteString(mId);
  buffer->WriteString(mFile);
}

bool CanlTexture::Load(TBinaryBuffer* buffer)
{
  if (buffer->ReadString(&mId) && buffer->ReadString(&mFile))
    return true;
  buffer->Fail("of an image resource's texture");
  return false;
}

bool CanlImage::LoadFromXML(TXmlNode* node)
{
  mX = ReadTRealAttribute(node, "x", 0);
  mY = ReadTRealAttribute(node, "y", 0);
  mW = ReadTRealAttribute(node, "w", 0);
  mH = ReadTRealAttribute(node, "h", 0);
  mPx = ReadTRealAttribute(node, "px", 0);
  mPy = ReadTRealAttribute(node, "py", 0);
  mId = node->GetAttribute("id");
  mTexture = -1;
  return true;
}

void CanlImage::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteString(mId);
  buffer->WriteF32(mX);
  buffer->WriteF32(mY);
  buffer->WriteF32(mPx);
  buffer->WriteF32(mPy);
  buffer->WriteF32(mW);
  buffer->WriteF32(mH);
  buffer->WriteI32(mTexture);
}

bool CanlImage::Load(TBinaryBuffer* buffer)
{
  // A frame is a part of one texture: a size no texture can have is damage.
  const float kMaxSide = 65536.0f;
  if (buffer->ReadString(&mId) && buffer->ReadF32(&mX) && buffer->ReadF32(&mY) && buffer->ReadF32(&mPx) &&
      buffer->ReadF32(&mPy) && buffer->ReadF32(&mW) && buffer->ReadF32(&mH) && buffer->ReadI32(&mTexture) && mW >= 0 &&
      mW <= kMaxSide && mH >= 0 && mH <= kMaxSide)
    return true;
  buffer->Fail("of an image resource's image");
  return false;
}

CanlImageResource::~CanlImageResource()
{
  Clear();
}

void CanlImageResource::Clear()
{
  for (CanlTexture* texture : mTextures)
    delete texture;
  for (CanlImage* image : mImages)
    delete image;
  mTextures.clear();
  mImages.clear();
}

void CanlImageResource::ReadImages(TXmlNode* list)
{
  str name;
  TXmlNode* child = nullptr;
  list->ResetChildren();
  while (list->GetNextChild(&name, &child)) {
    if (name != str("image"))
      continue;
    CanlImage* image = new CanlImage(this);
    mImages.push_back(image);
    image->LoadFromXML(child);
    str texture = child->GetAttribute("texture");
    if (texture.empty())
      continue;
    // Only textures read so far count, so a resources file lists its textures first.
    for (size_t i = 0; i < mTextures.size(); ++i) {
      if (std::strcmp(mTextures[i]->mId.c_str(), texture.c_str()) == 0) {
        image->mTexture = static_cast<int32_t>(i);
        break;
      }
    }
  }
}

bool CanlImageResource::LoadFromXML(TXmlNode* resources)
{
  str name;
  TXmlNode* child = nullptr;
  resources->ResetChildren();
  while (resources->GetNextChild(&name, &child)) {
    if (name == str("textures")) {
      str textureName;
      TXmlNode* textureNode = nullptr;
      child->ResetChildren();
      while (child->GetNextChild(&textureName, &textureNode)) {
        if (textureName != str("texture"))
          continue;
        CanlTexture* texture = new CanlTexture(this);
        mTextures.push_back(texture);
        texture->LoadFromXML(textureNode);
      }
    } else if (name == str("images") || name == str("empties")) {
      ReadImages(child);
    }
  }
  return true;
}

void CanlImageResource::Store(TBinaryBuffer* buffer) const
{
  buffer->WriteU32(static_cast<uint32_t>(mTextures.size()));
  for (const CanlTexture* texture : mTextures)
    texture->Store(buffer);
  buffer->WriteU32(static_cast<uint32_t>(mImages.size()));
  for (const CanlImage* image : mImages)
    image->Store(buffer);
}

bool CanlImageResource::Load(TBinaryBuffer* buffer)
{
  uint32_t count = 0;
  if (!buffer->ReadCount(&count, kTextureRecordBytes, "of an image resource's textures"))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    CanlTexture* texture = new CanlTexture(this);
    if (!texture->Load(buffer)) {
      delete texture;
      return false;
    }
    mTextures.push_back(texture);
  }
  if (!buffer->ReadCount(&count, kImageRecordBytes, "of an image resource's images"))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    CanlImage* image = new CanlImage(this);
    if (!image->Load(buffer)) {
      delete image;
      return false;
    }
    // An index past the textures would be followed when the image is shown.
    if (image->mTexture < -1 || image->mTexture >= GetTextureCount())
      image->mTexture = -1;
    mImages.push_back(image);
  }
  return true;
}

int CanlImageResource::getImageIndex(const str& id) const
{
  for (size_t i = 0; i < mImages.size(); ++i)
    if (mImages[i]->mId == id)
      return static_cast<int>(i);
  return -1;
}

CanlImage* CanlImageResource::getImage(const str& id) const
{
  return GetImage(getImageIndex(id));
}

CanlImage* CanlImageResource::GetImage(int index) const
{
  return index >= 0 && index < GetImageCount() ? mImages[static_cast<size_t>(index)] : nullptr;
}

CanlTexture* CanlImageResource::GetTexture(int index) const
{
  return index >= 0 && index < GetTextureCount() ? mTextures[static_cast<size_t>(index)] : nullptr;
}

CanlTexture* CanlImageResource::GetImageTexture(int index) const
{
  CanlImage* image = GetImage(index);
  return image ? GetTexture(image->mTexture) : nullptr;
}
