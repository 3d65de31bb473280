// animatorkeys: the key list of an animator kind (integers, reals or points) with its XML
// "key" attribute, its binary record and the linear interpolation, and the kinds' common base.
#pragma once

#include <cstdint>
#include <vector>

#include "core/foundation/str.h"
#include "core/foundation/vec.h"
#include "core/foundation/xmlnode.h"
#include "scene/animator.h"
#include "scene/binarybuffer.h"
#include "scene/xmlattributes.h"

namespace AnimatorKeys {

inline void ReadText(const char* text, std::vector<int>* keys)
{
  str_to_int(text, keys);
}
inline void ReadText(const char* text, std::vector<float>* keys)
{
  str_to_real(text, keys);
}
inline void ReadText(const char* text, std::vector<TVec2>* keys)
{
  str_to_vec2(text, keys);
}
inline void WriteText(str* out, std::vector<int>* keys)
{
  int_to_str(out, keys);
}
inline void WriteText(str* out, std::vector<float>* keys)
{
  real_to_str(out, keys);
}
inline void WriteText(str* out, std::vector<TVec2>* keys)
{
  vec2_to_str(out, keys);
}

inline void Write(TBinaryBuffer* buffer, int value)
{
  buffer->WriteI32(value);
}
inline void Write(TBinaryBuffer* buffer, float value)
{
  buffer->WriteF32(value);
}
inline void Write(TBinaryBuffer* buffer, const TVec2& value)
{
  buffer->WriteF32(value.x);
  buffer->WriteF32(value.y);
}
inline bool Read(TBinaryBuffer* buffer, int* value)
{
  int32_t read = 0;
  if (!buffer->ReadI32(&read))
    return false;
  *value = read;
  return true;
}
inline bool Read(TBinaryBuffer* buffer, float* value)
{
  return buffer->ReadF32(value);
}
inline bool Read(TBinaryBuffer* buffer, TVec2* value)
{
  return buffer->ReadF32(&value->x) && buffer->ReadF32(&value->y);
}

// a + (b - a) * t / delay, the difference times t before the division, per component; the
// end of a step (t = delay) is exactly b.
inline float Lerp(float a, float b, unsigned t, unsigned delay)
{
  if (t >= delay)
    return b;
  return a + (b - a) * static_cast<float>(t) / static_cast<float>(delay);
}
inline TVec2 Lerp(const TVec2& a, const TVec2& b, unsigned t, unsigned delay)
{
  return TVec2(Lerp(a.x, b.x, t, delay), Lerp(a.y, b.y, t, delay));
}

} // namespace AnimatorKeys

template <typename K>
class TAnimatorKeys
{
public:
  // The "key" attribute; missing gives no keys.
  void LoadFromXML(TXmlNode* node)
  {
    mKeys.clear();
    AnimatorKeys::ReadText(node->GetAttribute("key").c_str(), &mKeys);
  }
  void StoreToXML(TXmlNode* node) const
  {
    str text;
    std::vector<K> keys = mKeys;
    AnimatorKeys::WriteText(&text, &keys);
    node->SetAttribute("key", text.c_str());
  }
  // u32 count and the keys.
  void Store(TBinaryBuffer* buffer) const
  {
    buffer->WriteU32(static_cast<uint32_t>(mKeys.size()));
    for (const K& key : mKeys)
      AnimatorKeys::Write(buffer, key);
  }
  // Appends; false when the record is damaged.
  bool Load(TBinaryBuffer* buffer)
  {
    uint32_t count = 0;
    if (!buffer->ReadCount(&count, sizeof(K), "of an animator's keys"))
      return false;
    for (uint32_t i = 0; i < count; ++i) {
      K key{};
      if (!AnimatorKeys::Read(buffer, &key))
        return false;
      mKeys.push_back(key);
    }
    return true;
  }

  // The value t ms into step s.
  K Lerp(int step, unsigned t, unsigned delay) const
  {
    return AnimatorKeys::Lerp(mKeys[size_t(step)], mKeys[size_t(step) + 1], t, delay);
  }

  int Count() const { return static_cast<int>(mKeys.size()); }
  // Steps of an animation that moves from key to key.
  int Spans() const { return mKeys.empty() ? 0 : Count() - 1; }

  std::vector<K> mKeys;
};

// An animator that moves from key to key: the base record followed by the keys, and one
// step between each two keys.
template <typename K>
class TKeyAnimator : public TAnimator
{
public:
  void Store(TBinaryBuffer* buffer) const override
  {
    TAnimator::Store(buffer);
    mKeys.Store(buffer);
  }
  bool Load(TBinaryBuffer* buffer) override { return TAnimator::Load(buffer) && mKeys.Load(buffer); }
  void StoreToXML(TXmlNode* node) const override
  {
    TAnimator::StoreToXML(node);
    mKeys.StoreToXML(node);
  }
  bool LoadFromXML(TXmlNode* node) override
  {
    TAnimator::LoadFromXML(node);
    mKeys.LoadFromXML(node);
    return true;
  }
  int getStepCount() const override { return mKeys.Spans(); }

  TAnimatorKeys<K> mKeys;
};
