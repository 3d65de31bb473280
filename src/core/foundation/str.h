// str: the engine's one string type, a byte string (UTF-8 by convention) in a shared,
// reference-counted buffer with copy on write; used by every other module, needs only the C library.
#pragma once

#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <new>

// While true, copies, replace patterns and formatted results get their own buffers
// instead of sharing one (a debugging aid; nothing in the engine sets it).
extern bool gbStrAlwaysUnique;

class str
{
public:
  // Returned by the searches when nothing was found.
  static constexpr unsigned npos = 0xFFFFFFFFu;

  // Flags of find and replace.
  enum
  {
    kIgnoreCase = 1,
    kReplaceAll = 2,
    kBackward = 4
  };

  str() : mData(nullptr) {}
  str(char const* text);
  str(char const* bytes, unsigned long n);
  str(str const& other);
  str(str&& other) noexcept : mData(other.mData) { other.mData = nullptr; }
  ~str()
  {
    if (mData)
      Release();
  }

  str& operator=(str const& other);
  str& operator=(str&& other) noexcept;
  str& operator=(char const* text);

  unsigned length() const;
  bool empty() const { return mData == nullptr || mData->mBuffer[0] == 0; }
  char const* c_str() const { return mData ? mData->mBuffer : ""; }
  char operator[](unsigned i) const;
  int to_int() const;

  // Sign of the byte-wise comparison (bytes compared as unsigned); a null string equals "".
  int compare(str const& other) const;

  unsigned find(char c, unsigned flags = 0, unsigned start = 0) const;
  unsigned find(str const& pattern, unsigned flags = 0, unsigned start = 0) const;
  unsigned find_first_not_of(str const& set, unsigned start = 0) const;

  str substr(unsigned pos, int n = -1) const;

  static str getFormatted(char const* fmt, ...) __attribute__((format(printf, 1, 2)));
  static str getFormattedV(char const* fmt, va_list args) __attribute__((format(printf, 1, 0)));
  static str from_utf32(unsigned code);
  static unsigned to_utf32(char const* p);

  str& format(char const* fmt, ...) __attribute__((format(printf, 2, 3)));
  str& operator+=(str const& other);
  str& operator+=(char c);
  void _reserve(unsigned n);
  str& replace(str find, str with, unsigned flags = 0, unsigned start = 0);
  int overlay(int pos, char const* data, unsigned n, bool terminate = true);
  void downcase();
  void erase(unsigned pos, int n = -1);

  // Bytes allocated for the buffer, terminator included; 0 without a representation.
  unsigned capacity() const { return mData ? mData->mCapacity : 0; }
  // How many strings share this one's representation (for tests and diagnostics).
  int use_count() const
  {
    if (!mData)
      return 0;
    int32_t count = mData->mRefCount.load(std::memory_order_relaxed);
    return count < 0 ? 1 : count;
  }

  // A string over storage that its owner (an XML document's arena) keeps, unchanged, for
  // longer than the string: it costs no allocation of its own. header is kViewHeaderBytes
  // of storage aligned like a pointer; text is n bytes followed by a zero byte. Copies and
  // changes of such a string get buffers of their own, so nothing outlives the storage but
  // this one object, whose end frees nothing.
  static constexpr unsigned kViewHeaderBytes = 16;
  static str View(void* header, char* text, unsigned long n);
  bool IsView() const { return mData && mData->mRefCount.load(std::memory_order_relaxed) < 0; }

  friend str operator+(str const& a, str const& b);
  friend str operator+(str const& a, char c);

private:
  // One heap block: this header followed by the buffer, so a string costs one allocation.
  // The count is atomic so that copies made on different threads cannot corrupt it; the
  // text itself is still not to be mutated from two threads at once.
  struct TStringData
  {
    char* mBuffer;
    // Negative for a view: never shared, never freed through the count.
    std::atomic<int32_t> mRefCount;
    uint32_t mCapacity;
  };
  static constexpr int32_t kViewCount = -0x40000000;

  static TStringData* NewData(unsigned long capacity, char const* bytes, unsigned long n);
  static void FreeData(TStringData* data);
  static str Adopt(TStringData* data);
  void Release();
  void MakeUnique();
  unsigned FindBackward(char const* pattern, unsigned plen, unsigned flags, unsigned start) const;

  TStringData* mData;
};

str operator+(str const& a, str const& b);
str operator+(str const& a, char c);

inline str str::View(void* header, char* text, unsigned long n)
{
  static_assert(sizeof(TStringData) <= kViewHeaderBytes, "a view's header must fit its storage");
  TStringData* data = static_cast<TStringData*>(header);
  data->mBuffer = text;
  new (&data->mRefCount) std::atomic<int32_t>(kViewCount);
  data->mCapacity = (uint32_t)(n < 0xFFFFFFFFul ? n + 1 : 0xFFFFFFFFul);
  str result;
  result.mData = data;
  return result;
}

inline bool operator==(str const& a, str const& b)
{
  return a.compare(b) == 0;
}
inline bool operator!=(str const& a, str const& b)
{
  return a.compare(b) != 0;
}
inline bool operator<(str const& a, str const& b)
{
  return a.compare(b) < 0;
}
