// str: reference-counted, copy-on-write byte string; formatting, searching, replacing and
// UTF-8 conversion. Talks only to the C library.
#include "core/foundation/str.h"

#include "core/foundation/utf8.h"

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

bool gbStrAlwaysUnique = false;

namespace {

const unsigned kMinCapacity = 16;
const unsigned kStackFormatSize = 4096;

unsigned long AtLeastMin(unsigned long n)
{
  return n < kMinCapacity ? kMinCapacity : n;
}

// Case folding of the engine's "ignore case" flag: ASCII letters only, as toupper does in the C
// locale the engine runs in, without a library call per byte.
inline unsigned char Upper(char c)
{
  unsigned char byte = (unsigned char)c;
  return (byte >= 'a' && byte <= 'z') ? (unsigned char)(byte - ('a' - 'A')) : byte;
}

bool MatchesAt(char const* text, char const* pattern, unsigned plen, bool ignoreCase)
{
  if (!ignoreCase)
    return memcmp(text, pattern, plen) == 0;
  for (unsigned i = 0; i < plen; ++i)
    if (Upper(text[i]) != Upper(pattern[i]))
      return false;
  return true;
}

// First occurrence of pattern (plen > 0) in text[0, n). Most engine searches look for a name in
// a path, where the first byte is rare: memchr finds candidates fastest. Text that keeps giving
// false candidates goes to memmem, whose time is linear whatever the input.
char const* FindBytes(char const* text, size_t n, char const* pattern, size_t plen)
{
  if (plen > n)
    return nullptr;
  char const* end = text + (n - plen) + 1; // one past the last candidate
  char const* p = text;
  for (int falseStarts = 0; falseStarts < 16; ++falseStarts) {
    p = static_cast<char const*>(memchr(p, pattern[0], (size_t)(end - p)));
    if (!p)
      return nullptr;
    if (memcmp(p + 1, pattern + 1, plen - 1) == 0)
      return p;
    if (++p == end)
      return nullptr;
  }
  return static_cast<char const*>(memmem(p, (size_t)(end - p) + plen - 1, pattern, plen));
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Representation

str::TStringData* str::NewData(unsigned long capacity, char const* bytes, unsigned long n)
{
  // Capacities are 32-bit; a string that cannot be described is an allocation failure.
  if (capacity > 0xFFFFFFFFul || n >= capacity)
    throw std::bad_alloc();
  void* block = ::operator new(sizeof(TStringData) + capacity);
  TStringData* data = static_cast<TStringData*>(block);
  data->mBuffer = reinterpret_cast<char*>(data + 1);
  new (&data->mRefCount) std::atomic<int32_t>(1);
  data->mCapacity = (uint32_t)capacity;
  if (n > 0)
    memcpy(data->mBuffer, bytes, n);
  // Zero the rest so that the buffer always ends in a terminator, whatever is written later.
  memset(data->mBuffer + n, 0, capacity - n);
  return data;
}

void str::FreeData(TStringData* data)
{
  data->mRefCount.~atomic<int32_t>();
  ::operator delete(data);
}

str str::Adopt(TStringData* data)
{
  str result;
  result.mData = data;
  return result;
}

void str::Release()
{
  // A view is never counted: it has one owner, and its storage is not the string's to free.
  if (mData && mData->mRefCount.load(std::memory_order_relaxed) >= 0 &&
      mData->mRefCount.fetch_sub(1, std::memory_order_acq_rel) == 1)
    FreeData(mData);
  mData = nullptr;
}

void str::MakeUnique()
{
  // Shared, or a view of storage this string must not write into.
  if (mData && mData->mRefCount.load(std::memory_order_acquire) != 1) {
    unsigned long n = strlen(mData->mBuffer);
    TStringData* copy = NewData(n + 1, mData->mBuffer, n);
    Release();
    mData = copy;
  }
}

// ---------------------------------------------------------------------------------------------
// Construction, assignment, access

str::str(char const* text)
{
  if (!text)
    mData = NewData(kMinCapacity, nullptr, 0);
  else {
    unsigned long n = strlen(text);
    mData = NewData(n + 1, text, n);
  }
}

str::str(char const* bytes, unsigned long n)
{
  if (!bytes)
    n = 0;
  mData = NewData(AtLeastMin(n + 1), bytes, n);
}

str::str(str const& other)
{
  // A copy of a view may outlive the view's storage: it gets its own buffer.
  if (other.mData && (gbStrAlwaysUnique || other.mData->mRefCount.load(std::memory_order_relaxed) < 0)) {
    unsigned long n = strlen(other.mData->mBuffer);
    mData = NewData(n + 1, other.mData->mBuffer, n);
  } else {
    mData = other.mData;
    if (mData)
      mData->mRefCount.fetch_add(1, std::memory_order_relaxed);
  }
}

str& str::operator=(str const& other)
{
  if (this == &other)
    return *this;
  // Copying a view's text into a buffer of this string's own that fits it saves the
  // allocation: readers walking a document assign its names to one string in turn.
  if (mData && other.IsView() && mData->mRefCount.load(std::memory_order_acquire) == 1) {
    unsigned long n = strlen(other.mData->mBuffer);
    unsigned long capacity = mData->mCapacity;
    if (capacity > n && capacity <= 2 * (n + 1) + kMinCapacity) {
      memcpy(mData->mBuffer, other.mData->mBuffer, n);
      memset(mData->mBuffer + n, 0, capacity - n);
      return *this;
    }
  }
  str copy(other);
  Release();
  mData = copy.mData;
  copy.mData = nullptr;
  return *this;
}

str& str::operator=(str&& other) noexcept
{
  if (this != &other) {
    Release();
    mData = other.mData;
    other.mData = nullptr;
  }
  return *this;
}

str& str::operator=(char const* text)
{
  str temporary(text);
  return *this = static_cast<str&&>(temporary);
}

unsigned str::length() const
{
  return mData ? (unsigned)strlen(mData->mBuffer) : 0;
}

char str::operator[](unsigned i) const
{
  if (!mData)
    return 0;
  char const* p = mData->mBuffer;
  return strnlen(p, (size_t)i + 1) > i ? p[i] : 0;
}

int str::to_int() const
{
  if (!mData)
    return 0;
  // atoi's overflow is undefined; saturate instead.
  long value = strtol(mData->mBuffer, nullptr, 10);
  if (value > INT_MAX)
    return INT_MAX;
  if (value < INT_MIN)
    return INT_MIN;
  return (int)value;
}

int str::compare(str const& other) const
{
  if (mData == other.mData)
    return 0;
  char const* a = c_str();
  char const* b = other.c_str();
  // Keep only the sign: the byte difference can exceed a small integer's range.
  int diff = strcmp(a, b);
  return diff < 0 ? -1 : (diff > 0 ? 1 : 0);
}

// ---------------------------------------------------------------------------------------------
// Searching

unsigned str::find(char c, unsigned flags, unsigned start) const
{
  unsigned len = length();
  char const* buf = c_str();
  bool ignoreCase = (flags & kIgnoreCase) != 0;
  if (flags & kBackward) {
    long long first = (long long)len - 1 - start;
    if (first < 0)
      return npos;
    if (!ignoreCase) {
      void const* hit = memrchr(buf, c, (size_t)first + 1);
      return hit ? (unsigned)((char const*)hit - buf) : npos;
    }
    unsigned char want = Upper(c);
    for (long long i = first; i >= 0; --i)
      if (Upper(buf[i]) == want)
        return (unsigned)i;
    return npos;
  }
  if (start >= len)
    return npos;
  if (!ignoreCase) {
    void const* hit = memchr(buf + start, c, len - start);
    return hit ? (unsigned)((char const*)hit - buf) : npos;
  }
  unsigned char want = Upper(c);
  for (unsigned i = start; i < len; ++i)
    if (Upper(buf[i]) == want)
      return i;
  return npos;
}

unsigned str::FindBackward(char const* pattern, unsigned plen, unsigned flags, unsigned start) const
{
  unsigned len = length();
  long long first = (long long)len - plen - start;
  if (first < 0)
    return npos;
  char const* buf = c_str();
  bool ignoreCase = (flags & kIgnoreCase) != 0;
  for (long long i = first; i >= 0; --i)
    if (MatchesAt(buf + i, pattern, plen, ignoreCase))
      return (unsigned)i;
  return npos;
}

unsigned str::find(str const& pattern, unsigned flags, unsigned start) const
{
  unsigned plen = pattern.length();
  if (flags & kBackward)
    return FindBackward(pattern.c_str(), plen, flags, start);
  unsigned len = length();
  if (start >= len)
    return npos;
  if (plen == 0)
    return start;
  if (plen > len - start)
    return npos;
  char const* buf = c_str();
  char const* pat = pattern.c_str();
  if (!(flags & kIgnoreCase)) {
    char const* hit = FindBytes(buf + start, len - start, pat, plen);
    return hit ? (unsigned)(hit - buf) : npos;
  }
  unsigned last = len - plen;
  unsigned char head = Upper(pat[0]);
  for (unsigned i = start; i <= last; ++i)
    if (Upper(buf[i]) == head && MatchesAt(buf + i + 1, pat + 1, plen - 1, true))
      return i;
  return npos;
}

unsigned str::find_first_not_of(str const& set, unsigned start) const
{
  if (!mData)
    return 0;
  unsigned len = length();
  if (start >= len)
    return len;
  return start + (unsigned)strspn(mData->mBuffer + start, set.c_str());
}

// ---------------------------------------------------------------------------------------------
// Building new strings

str str::substr(unsigned pos, int n) const
{
  unsigned len = length();
  if (pos >= len || n == 0)
    return Adopt(NewData(kMinCapacity, nullptr, 0));
  unsigned available = len - pos;
  unsigned count = (n < 0 || (unsigned)n > available) ? available : (unsigned)n;
  return str(mData->mBuffer + pos, count);
}

str operator+(str const& a, char c)
{
  unsigned long len = a.length();
  str::TStringData* data = str::NewData(AtLeastMin(len + 2), a.c_str(), len);
  data->mBuffer[len] = c;
  return str::Adopt(data);
}

str operator+(str const& a, str const& b)
{
  unsigned long la = a.length();
  unsigned long lb = b.length();
  str::TStringData* data = str::NewData(AtLeastMin(la + lb + 1), a.c_str(), la);
  memcpy(data->mBuffer + la, b.c_str(), lb);
  return str::Adopt(data);
}

str str::getFormatted(char const* fmt, ...)
{
  va_list args;
  va_start(args, fmt);
  str result = getFormattedV(fmt, args);
  va_end(args);
  return result;
}

str str::getFormattedV(char const* fmt, va_list args)
{
  if (!fmt)
    return str();
  char scratch[kStackFormatSize];
  va_list first;
  va_copy(first, args);
  int n = vsnprintf(scratch, sizeof scratch, fmt, first);
  va_end(first);
  if (n < 0)
    return str();
  if ((unsigned)n < kStackFormatSize)
    return Adopt(NewData((unsigned long)n + 1, scratch, (unsigned long)n));
  TStringData* data = NewData((unsigned long)n + 1, nullptr, 0);
  va_list second;
  va_copy(second, args);
  vsnprintf(data->mBuffer, (size_t)n + 1, fmt, second);
  va_end(second);
  str result = Adopt(data);
  if (gbStrAlwaysUnique)
    return str(result.c_str());
  return result;
}

str str::from_utf32(unsigned code)
{
  char bytes[4];
  unsigned n = 0;
  if (code < 0x80)
    bytes[n++] = (char)code;
  else if (code < 0x800) {
    bytes[n++] = (char)(0xC0 | (code >> 6));
    bytes[n++] = (char)(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    // Byte-order marks and the two non-characters stand for no text.
    if (code == 0xFFFE || code == 0xFEFF || code == 0xFFFF)
      return Adopt(NewData(kMinCapacity, nullptr, 0));
    bytes[n++] = (char)(0xE0 | (code >> 12));
    bytes[n++] = (char)(0x80 | ((code >> 6) & 0x3F));
    bytes[n++] = (char)(0x80 | (code & 0x3F));
  } else if (code <= 0x10FFFF) {
    bytes[n++] = (char)(0xF0 | (code >> 18));
    bytes[n++] = (char)(0x80 | ((code >> 12) & 0x3F));
    bytes[n++] = (char)(0x80 | ((code >> 6) & 0x3F));
    bytes[n++] = (char)(0x80 | (code & 0x3F));
  }
  return Adopt(NewData(kMinCapacity, bytes, n));
}

unsigned str::to_utf32(char const* p)
{
  if (!p || *p == 0)
    return 0;
  // The terminator ends a sequence cut short like any other byte that cannot continue it.
  size_t available = 1;
  while (available < 4 && p[available] != 0)
    ++available;
  TUtf8Char const character = DecodeUtf8Char(reinterpret_cast<unsigned char const*>(p), available);
  return character.valid ? character.code : 0;
}

// ---------------------------------------------------------------------------------------------
// Changing a string

str& str::format(char const* fmt, ...)
{
  va_list args;
  va_start(args, fmt);
  str result = getFormattedV(fmt, args);
  va_end(args);
  *this = static_cast<str&&>(result);
  return *this;
}

void str::_reserve(unsigned n)
{
  unsigned long len = length();
  unsigned long capacity = AtLeastMin(n);
  // Never cut the contents short, whatever the caller asked for.
  if (capacity < len + 1)
    capacity = len + 1;
  TStringData* data = NewData(capacity, c_str(), len);
  Release();
  mData = data;
}

str& str::operator+=(str const& other)
{
  // Hold the other side: it may be this string or share its buffer.
  str tail(other);
  unsigned long otherLen = tail.length();
  MakeUnique();
  unsigned long len = length();
  unsigned long needed = len + otherLen + 1;
  if (needed > 0xFFFFFFFFul)
    throw std::bad_alloc();
  if (!mData || mData->mCapacity < needed)
    _reserve((unsigned)needed);
  memcpy(mData->mBuffer + len, tail.c_str(), otherLen);
  mData->mBuffer[len + otherLen] = 0;
  return *this;
}

str& str::operator+=(char c)
{
  // A zero byte would be an empty one-byte string: nothing to append.
  if (c == 0)
    return *this;
  MakeUnique();
  unsigned long len = length();
  if (!mData || mData->mCapacity < len + 2)
    _reserve((unsigned)(len + 2));
  mData->mBuffer[len] = c;
  mData->mBuffer[len + 1] = 0;
  return *this;
}

str& str::replace(str find, str with, unsigned flags, unsigned start)
{
  unsigned findLen = find.length();
  // An empty pattern matches everywhere; replacing it would never end.
  if (findLen == 0)
    return *this;
  MakeUnique();
  if (!mData)
    return *this;
  unsigned withLen = with.length();
  long long delta = (long long)withLen - findLen;
  for (;;) {
    unsigned pos = this->find(find, flags, start);
    if (pos == npos)
      break;
    unsigned long len = length();
    if (delta > 0 && mData->mCapacity < len + delta + 1)
      _reserve((unsigned)(len + delta + 1));
    char* buf = mData->mBuffer;
    memmove(buf + pos + withLen, buf + pos + findLen, len - pos - findLen + 1);
    memcpy(buf + pos, with.c_str(), withLen);
    if (!(flags & kReplaceAll))
      break;
    if (flags & kBackward) {
      // Going backward, go on below this match so that the new text is never searched again.
      if (pos < findLen)
        break;
      start = (unsigned)(len + delta) - pos;
    } else
      start = pos + withLen;
  }
  return *this;
}

int str::overlay(int pos, char const* data, unsigned n, bool terminate)
{
  // Positions before the buffer would write outside it.
  if (pos < -1 || (!data && n > 0))
    return -1;
  MakeUnique();
  unsigned long len = length();
  unsigned long at = pos == -1 ? len : (unsigned long)pos;
  unsigned long needed = at + n + 1;
  if (needed > 0x7FFFFFFFul)
    throw std::bad_alloc();
  if (!mData)
    _reserve((unsigned)needed);
  else if (mData->mCapacity < needed) {
    unsigned long capacity = mData->mCapacity;
    while (capacity < needed)
      capacity *= 2;
    _reserve((unsigned)capacity);
  }
  char* buf = mData->mBuffer;
  // A gap past the end holds zeros, never stale bytes.
  if (at > len)
    memset(buf + len, 0, at - len);
  memcpy(buf + at, data, n);
  if (terminate)
    buf[at + n] = 0;
  return (int)(at + n);
}

void str::downcase()
{
  if (!mData)
    return;
  MakeUnique();
  for (char* p = mData->mBuffer; *p; ++p)
    *p = (char)tolower((unsigned char)*p);
}

void str::erase(unsigned pos, int n)
{
  unsigned len = length();
  if (pos >= len || n == 0)
    return;
  MakeUnique();
  char* buf = mData->mBuffer;
  // Anything reaching past the end (or -1) cuts the string at pos.
  if (n < 0 || (unsigned)n >= len - pos)
    buf[pos] = 0;
  else
    memmove(buf + pos, buf + pos + n, len - pos - n + 1);
}
