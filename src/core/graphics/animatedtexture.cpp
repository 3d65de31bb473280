// animatedtexture: reads ".anm" and XML animations into frame records, loads their sprite
// sheet through the texture data and draws the current frame; talks to TFile, TXmlNode, TTexture.
#include "core/graphics/animatedtexture.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/foundation/asset.h"
#include "core/foundation/file.h"
#include "core/foundation/xmlnode.h"
#include "core/graphics/renderer.h"
#include "core/graphics/texturedata.h"
#include "core/foundation/debug.h"

namespace {

// Smallest size of one frame record and one anchor in an ".anm" file: the counts read
// from a file are held against these before anything is allocated.
constexpr unsigned long kMinAnchorBytes = 3 * 4;
unsigned long MinFrameBytes(int32_t version)
{
  return 6 * 4 + (version >= 2 ? 4 : 0) + 6 * 4 + 4 + 4;
}

unsigned long Remaining(TFile* file)
{
  long position = file->Tell();
  unsigned long size = file->Size();
  if (position < 0 || static_cast<unsigned long>(position) >= size) {
    return 0;
  }
  return size - static_cast<unsigned long>(position);
}

bool ReadBytes(TFile* file, void* out, unsigned long count)
{
  return qv_read(file, out, count) == count;
}

bool ReadInt(TFile* file, int32_t* value)
{
  unsigned char bytes[4];
  if (!ReadBytes(file, bytes, 4)) {
    return false;
  }
  *value = static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                                static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
  return true;
}

bool ReadFloat(TFile* file, float* value)
{
  int32_t bits;
  if (!ReadInt(file, &bits)) {
    return false;
  }
  std::memcpy(value, &bits, sizeof *value);
  return true;
}

bool ReadTag(TFile* file, const char* expected)
{
  char tag[4];
  return ReadBytes(file, tag, 4) && std::memcmp(tag, expected, 4) == 0;
}

struct TFileCloser
{
  TFile* mFile;
  ~TFileCloser() { qv_close(mFile); }
};

bool Contains(const str& text, const char* part)
{
  return text.find(str(part), str::kIgnoreCase) != str::npos;
}

// Sums of values read from files: wrapped, never undefined.
int WrappedSum(int32_t a, int32_t b)
{
  return static_cast<int>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

int AttributeInt(const TXmlNode* node, const char* name)
{
  return std::atoi(node->GetAttribute(name).c_str());
}

} // namespace

TMat3 TAnimFrame::GetMatrix() const
{
  return TMat3(mTransform[0], mTransform[1], 0, mTransform[2], mTransform[3], 0, mTransform[4], mTransform[5], 1);
}

intptr_t TAnimatedTexture::ClassId()
{
  return reinterpret_cast<intptr_t>(&TAnimatedTexture::ClassId);
}

TAnimatedTexture::TAnimatedTexture(str name) : mAnimation(new TAnimation())
{
  mAnimation->mName = name;
}

TAnimatedTexture::~TAnimatedTexture()
{
  delete mAnimation;
}

bool TAnimatedTexture::IsKindOf(intptr_t classId) const
{
  return classId == ClassId() || TTexture::IsKindOf(classId);
}

str TAnimatedTexture::GetHandle(str name, str image, str mask)
{
  return name + ":" + image + ":" + mask;
}

boost::shared_ptr<TAnimatedTexture> TAnimatedTexture::InternalGet(str handle)
{
  TAssetManager* registry = TAssetManager::GetInstance();
  if (!registry) {
    return boost::shared_ptr<TAnimatedTexture>();
  }
  return boost::dynamic_pointer_cast<TAnimatedTexture>(registry->GetAsset(handle));
}

boost::shared_ptr<TAnimatedTexture> TAnimatedTexture::InternalNew(str name, str image, str mask)
{
  boost::shared_ptr<TAnimatedTexture> animation(new TAnimatedTexture(name));
  if (TAssetManager* registry = TAssetManager::GetInstance()) {
    registry->AddAsset(GetHandle(name, image, mask), animation);
  }
  return animation;
}

boost::shared_ptr<TAnimatedTexture> TAnimatedTexture::Get(str name, str image, str mask)
{
  if (boost::shared_ptr<TAnimatedTexture> live = InternalGet(GetHandle(name, image, mask))) {
    return live;
  }
  boost::shared_ptr<TAnimatedTexture> animation = InternalNew(name, image, mask);
  if (animation->ParseAnimation(image, mask) && animation->LoadTextures()) {
    return animation;
  }
  return boost::shared_ptr<TAnimatedTexture>();
}

const TAnimFrame* TAnimatedTexture::GetFrame(int i) const
{
  if (i < 0 || i >= GetFrameCount()) {
    return nullptr;
  }
  return &mAnimation->mFrames[static_cast<size_t>(i)];
}

TRect TAnimatedTexture::GetFrameRect(int i) const
{
  const TAnimFrame* frame = GetFrame(i);
  if (!frame) {
    return TRect();
  }
  return TRect(frame->mX, frame->mY, WrappedSum(frame->mX, frame->mW), WrappedSum(frame->mY, frame->mH));
}

std::pair<int, int> TAnimatedTexture::GetRegistrationPoint(int i) const
{
  const TAnimFrame* frame = GetFrame(i);
  if (!frame) {
    return std::make_pair(0, 0);
  }
  return std::make_pair(static_cast<int>(frame->mRegX), static_cast<int>(frame->mRegY));
}

unsigned TAnimatedTexture::GetWidth() const
{
  const TAnimFrame* frame = GetFrame(mAnimation->mCurrentFrame);
  return frame ? static_cast<unsigned>(frame->mW) : 0;
}

unsigned TAnimatedTexture::GetHeight() const
{
  const TAnimFrame* frame = GetFrame(mAnimation->mCurrentFrame);
  return frame ? static_cast<unsigned>(frame->mH) : 0;
}

bool TAnimatedTexture::ParseAnimation(str image, str mask)
{
  const str& name = mAnimation->mName;
  str file;
  if (TFile::Exists(name)) {
    file = name;
  } else if (TFile::Exists(name + ".xml")) {
    file = name + ".xml";
  } else if (TFile::Exists(name + ".anm")) {
    file = name + ".anm";
  } else {
    WriteDbg("ERROR: Animation %s not found", name.c_str());
    return false;
  }

  bool parsed = false;
  if (Contains(file, ".xml")) {
    parsed = ParseFromXML(file);
  } else if (Contains(file, ".anm")) {
    parsed = ParseFromANM(file);
  } else {
    WriteDbg("ERROR: Animation %s: %s is neither .xml nor .anm", name.c_str(), file.c_str());
  }
  if (!parsed) {
    return false;
  }

  unsigned folderLength = file.length();
  while (folderLength > 0 && file[folderLength - 1] != '/' && file[folderLength - 1] != '\\') {
    --folderLength;
  }
  mAnimation->mFolder = file.substr(0, static_cast<int>(folderLength));
  if (!image.empty()) {
    mAnimation->mImageFile = image;
  }
  if (!mask.empty()) {
    mAnimation->mMaskFile = mask;
  }
  return true;
}

bool TAnimatedTexture::ReadString(TFile* file, str* text)
{
  *text = str();
  int32_t length;
  if (!ReadInt(file, &length)) {
    return false;
  }
  if (length <= 0) {
    return true;
  }
  if (static_cast<unsigned long>(length) > Remaining(file)) {
    return false;
  }
  std::string bytes(static_cast<size_t>(length), '\0');
  if (!ReadBytes(file, &bytes[0], bytes.size())) {
    return false;
  }
  *text = str(bytes.data(), bytes.size());
  return true;
}

void TAnimatedTexture::NoteFrameSize(const TAnimFrame& frame)
{
  if (frame.mW > mAnimation->mWidestFrame) {
    mAnimation->mWidestFrame = frame.mW;
  }
  if (frame.mH > mAnimation->mTallestFrame) {
    mAnimation->mTallestFrame = frame.mH;
  }
}

bool TAnimatedTexture::ReadFrames(TFile* file, int32_t version)
{
  int32_t count;
  if (!ReadInt(file, &count)) {
    return false;
  }
  if (count < 1) {
    return true;
  }
  if (static_cast<unsigned long long>(count) * MinFrameBytes(version) > Remaining(file)) {
    WriteDbg("ERROR: Animation %s: %d frames cannot fit in the file", mAnimation->mName.c_str(), count);
    return false;
  }
  std::vector<TAnimFrame>& frames = mAnimation->mFrames;
  frames.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    frames.emplace_back();
    TAnimFrame& frame = frames.back();
    if (!ReadInt(file, &frame.mRegX) || !ReadInt(file, &frame.mRegY) || !ReadInt(file, &frame.mX) ||
        !ReadInt(file, &frame.mY) || !ReadInt(file, &frame.mW) || !ReadInt(file, &frame.mH)) {
      return false;
    }
    if (version >= 2 && !ReadFloat(file, &frame.mAlpha)) {
      return false;
    }
    for (float& value : frame.mTransform) {
      if (!ReadFloat(file, &value)) {
        return false;
      }
    }
    int32_t anchors;
    if (!ReadString(file, &frame.mName) || !ReadInt(file, &anchors)) {
      return false;
    }
    if (anchors > 0) {
      if (static_cast<unsigned long long>(anchors) * kMinAnchorBytes > Remaining(file)) {
        WriteDbg("ERROR: Animation %s: %d anchors cannot fit in the file", mAnimation->mName.c_str(), anchors);
        return false;
      }
      frame.mAnchors.resize(static_cast<size_t>(anchors));
      for (TAnimAnchor& anchor : frame.mAnchors) {
        if (!ReadInt(file, &anchor.mX) || !ReadInt(file, &anchor.mY) || !ReadString(file, &anchor.mName)) {
          return false;
        }
      }
    }
    NoteFrameSize(frame);
    mAnimation->mFrameCount = static_cast<int32_t>(frames.size());
  }
  return true;
}

bool TAnimatedTexture::ParseFromANM(str file)
{
  const char* name = mAnimation->mName.c_str();
  TFile* handle = qv_open(file.c_str(), kFileRead);
  if (!handle) {
    WriteDbg("ERROR: Animation %s: cannot open %s", name, file.c_str());
    return false;
  }
  TFileCloser closer{handle};
  TAnimation& animation = *mAnimation;

  if (!ReadTag(handle, "ANIM")) {
    WriteDbg("ERROR: Animation %s: %s has no ANIM tag", name, file.c_str());
    return false;
  }
  int32_t ignored, version;
  bool read = ReadInt(handle, &ignored) && ReadInt(handle, &version) && ReadString(handle, &animation.mSequenceName) &&
              ReadString(handle, &animation.mSource);
  if (read && !ReadTag(handle, "IMGN")) {
    WriteDbg("ERROR: Animation %s: %s has no IMGN tag", name, file.c_str());
    return false;
  }
  read = read && ReadInt(handle, &animation.mRegX) && ReadInt(handle, &animation.mRegY) &&
         ReadInt(handle, &animation.mImageWidth) && ReadInt(handle, &animation.mImageHeight);
  for (int extra = 0; read && version == 1 && extra < 4; ++extra) {
    read = ReadInt(handle, &ignored);
  }
  read = read && ReadString(handle, &animation.mImageFile) && ReadString(handle, &animation.mMaskFile);
  if (read && !ReadTag(handle, "FRMS")) {
    WriteDbg("ERROR: Animation %s: %s has no FRMS tag", name, file.c_str());
    return false;
  }

  animation.mFrames.clear();
  animation.mFrameCount = 0;
  animation.mWidestFrame = 0;
  animation.mTallestFrame = 0;
  read = read && ReadFrames(handle, version);
  if (read) {
    // The script block is optional: whatever else follows the frames means there is none.
    char tag[4];
    if (Remaining(handle) >= 4 && ReadBytes(handle, tag, 4) && std::memcmp(tag, "SCRP", 4) == 0) {
      read = ReadString(handle, &animation.mScript);
    } else {
      SetDefaultScript();
    }
  }
  if (!read) {
    // A half-read animation would draw frames that were never in the file.
    animation.mFrames.clear();
    animation.mFrameCount = 0;
    WriteDbg("ERROR: Animation %s: %s is truncated", name, file.c_str());
    return false;
  }
  return true;
}

bool TAnimatedTexture::ParseFromXML(str file)
{
  const char* name = mAnimation->mName.c_str();
  TXmlNode document;
  document.ParseFile(file.c_str());
  TXmlNode* sequence = document.GetChild("sequence");
  if (!sequence) {
    WriteDbg("Animation %s does not contain a sequence node", name);
    return false;
  }
  TAnimation& animation = *mAnimation;
  animation.mSequenceName = sequence->GetAttribute("name");
  animation.mSource = sequence->GetAttribute("source");

  bool succeeded = true;
  if (TXmlNode* img = sequence->GetChild("img")) {
    if (!img->GetAttribute("regx").empty()) {
      animation.mRegX = AttributeInt(img, "regx");
      animation.mRegY = AttributeInt(img, "regy");
    }
    animation.mImageWidth = AttributeInt(img, "w");
    animation.mImageHeight = AttributeInt(img, "h");
    animation.mImageFile = img->GetAttribute("name");
    animation.mMaskFile = img->GetAttribute("mask");
  } else {
    WriteDbg("Animation %s does not contain an img node", name);
    succeeded = false;
  }

  TXmlNode* framelist = sequence->GetChild("framelist");
  if (!framelist) {
    WriteDbg("Animation %s does not contain a framelist node", name);
    return false;
  }
  std::vector<TXmlNode*> frameNodes;
  str childName;
  TXmlNode* child = nullptr;
  framelist->ResetChildren();
  while (framelist->GetNextChild(&childName, &child)) {
    if (childName == "frame") {
      frameNodes.push_back(child);
    }
  }
  if (frameNodes.empty()) {
    WriteDbg("Animation %s does not contain any frames!", name);
    return false;
  }

  animation.mFrames.clear();
  animation.mWidestFrame = 0;
  animation.mTallestFrame = 0;
  animation.mFrames.reserve(frameNodes.size());
  for (TXmlNode* node : frameNodes) {
    TAnimFrame frame;
    frame.mX = AttributeInt(node, "x");
    frame.mY = AttributeInt(node, "y");
    frame.mW = AttributeInt(node, "w");
    frame.mH = AttributeInt(node, "h");
    frame.mName = node->GetAttribute("name");
    str alpha = node->GetAttribute("alpha");
    frame.mAlpha = alpha.empty() ? 1.0f : static_cast<float>(std::atof(alpha.c_str()));

    const TAnimFrame* previous = animation.mFrames.empty() ? nullptr : &animation.mFrames.back();
    if (!node->GetAttribute("regx").empty()) {
      frame.mRegX = AttributeInt(node, "regx");
      frame.mRegY = AttributeInt(node, "regy");
    } else if (previous) {
      frame.mRegX = previous->mRegX;
      frame.mRegY = previous->mRegY;
    }
    str xform = node->GetAttribute("xform");
    if (xform.empty()) {
      if (previous) {
        std::memcpy(frame.mTransform, previous->mTransform, sizeof frame.mTransform);
      }
    } else {
      const char* cursor = xform.c_str();
      for (int value = 0; value < 6 && *cursor; ++value) {
        frame.mTransform[value] = static_cast<float>(std::atof(cursor));
        const char* space = std::strchr(cursor, ' ');
        if (!space) {
          break;
        }
        cursor = space + 1;
      }
    }

    node->ResetChildren();
    while (node->GetNextChild(&childName, &child)) {
      if (childName == "anchor") {
        TAnimAnchor anchor;
        anchor.mName = child->GetAttribute("name");
        anchor.mX = AttributeInt(child, "x");
        anchor.mY = AttributeInt(child, "y");
        frame.mAnchors.push_back(anchor);
      }
    }
    NoteFrameSize(frame);
    animation.mFrames.push_back(frame);
  }
  animation.mFrameCount = static_cast<int32_t>(animation.mFrames.size());

  TXmlNode* script = sequence->GetChild("script");
  if (script) {
    str text = script->GetAttribute("luascript");
    animation.mScript = text.empty() ? script->GetContent() : text;
  } else {
    SetDefaultScript();
  }
  return succeeded;
}

void TAnimatedTexture::SetDefaultScript()
{
  std::string script = "function DoAnim()\n    delay(60);\n";
  const size_t count = mAnimation->mFrames.size();
  if (count > 0) {
    script += "    frames{";
    for (size_t i = 1; i <= count; ++i) {
      if (i > 1) {
        script += ',';
      }
      script += std::to_string(i);
    }
    script += "};\n";
  }
  script += "end\n";
  mAnimation->mScript = str(script.data(), script.size());
}

bool TAnimatedTexture::LoadTextures()
{
  TTextureData* data = GetTextureData();
  if (!data) {
    return false;
  }
  data->SetFlag(TTextureData::kFlagAlpha, true);
  data->SetFlag(TTextureData::kFlagAlphaFromFile, false);
  const TAnimation& animation = *mAnimation;
  str image = animation.mFolder + animation.mImageFile;
  if (animation.mMaskFile.empty()) {
    if (data->LoadFile(image.c_str(), nullptr)) {
      return true;
    }
    return !animation.mFolder.empty() && data->LoadFile(animation.mImageFile.c_str(), nullptr);
  }
  str mask = animation.mFolder + animation.mMaskFile;
  if (data->LoadFile(image.c_str(), mask.c_str())) {
    return true;
  }
  return !animation.mFolder.empty() && data->LoadFile(animation.mImageFile.c_str(), animation.mMaskFile.c_str());
}

void TAnimatedTexture::DrawSprite(const TDrawSpec& spec)
{
  // Also guards an animation without frames, whose current frame 0 does not exist.
  const TAnimFrame* frame = GetFrame(mAnimation->mCurrentFrame);
  if (!frame) {
    return;
  }
  TDrawSpec copy = spec;
  if (!(copy.mFlags & TDrawSpec::kCenterGiven)) {
    copy.mFlags |= TDrawSpec::kCenterGiven;
    copy.mCenter = TVec2(static_cast<float>(frame->mRegX), static_cast<float>(frame->mRegY));
    if (copy.mFlags & TDrawSpec::kMirrorLeftRight) {
      copy.mCenter.x = static_cast<float>(frame->mW) - static_cast<float>(frame->mRegX);
    }
    if (copy.mFlags & TDrawSpec::kMirrorTopBottom) {
      copy.mCenter.y = static_cast<float>(frame->mH) - static_cast<float>(frame->mRegY);
    }
  }
  if (frame->HasTransform()) {
    copy.mTransform = frame->GetMatrix() * copy.mTransform;
  }
  if (frame->mW == 0) {
    return;
  }
  TRect frameRect = GetFrameRect(mAnimation->mCurrentFrame);
  if (copy.mFlags & TDrawSpec::kSourceRect) {
    TRect moved(WrappedSum(copy.mSrcRect.left, frame->mX), WrappedSum(copy.mSrcRect.top, frame->mY),
                WrappedSum(copy.mSrcRect.right, frame->mX), WrappedSum(copy.mSrcRect.bottom, frame->mY));
    copy.mSrcRect = TRect::Intersect(moved, frameRect);
    // A part outside the frame would otherwise come out inverted, cut from its neighbours.
    if (copy.mSrcRect.right <= copy.mSrcRect.left || copy.mSrcRect.bottom <= copy.mSrcRect.top) {
      return;
    }
  } else {
    copy.mFlags |= TDrawSpec::kSourceRect;
    copy.mSrcRect = frameRect;
  }
  copy.mAlpha *= frame->mAlpha;
  TTexture::DrawSprite(copy);
}
