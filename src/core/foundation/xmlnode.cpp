// xmlnode: tokenizer, recursive parser, writer and "ZXML" inflation of the element tree;
// talks to zlib for compressed documents, TFile for files and WriteDbg for errors.
#include "core/foundation/xmlnode.h"

#include <cstring>
#include <deque>
#include <mutex>
#include <typeinfo>
#include <zlib.h>

#include "core/foundation/file.h"
#include "core/foundation/debug.h"

namespace {

// The escape table: name after the "&" (with its ";"), its length, the character.
const char* const kCode[] = {"amp;", "lt;", "gt;", "quot;", "apos;"};
const int kCodeLen[] = {4, 3, 3, 5, 5};
const char kCodeChar[] = {'&', '<', '>', '"', '\''};
const int kCodeCount = 5;

// isspace in the C locale, without its undefined behaviour on negative values.
inline bool IsSpace(int byte)
{
  return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

// Largest ratio of inflated to deflated size that zlib can reach, with room for headers;
// a header claiming more is lying and must not decide the size of an allocation.
const unsigned long kMaxInflateRatio = 1040;
const unsigned long kInflateSlack = 1024;

// Reads one character: a lead byte and as many further bytes as the lead announces
// (unchecked). Returns how many bytes were read, 0 at the end of the input.
inline int ReadChar(TGetChar* source, int bytes[4])
{
  int c = source->GetByte();
  if (c == -1)
    return 0;
  bytes[0] = c;
  int lead = c & 0xFF;
  int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
  int n = 1;
  // A sequence cut short by the end of the input is just shorter.
  for (; n <= extra; ++n) {
    int next = source->GetByte();
    if (next == -1)
      break;
    bytes[n] = next;
  }
  return n;
}

inline void UngetBytes(TGetChar* source, int const bytes[4], int n)
{
  while (n > 0) {
    --n;
    source->UngetByte(bytes[n]);
  }
}

// What the tokenizer needs to know of a byte.
enum : uint8_t
{
  kByteBlank = 1,     // ends an unquoted token
  kByteMarkup = 2,    // "<", ">" or "=": ends an unquoted token
  kByteQuote = 4,     // ends a quoted string
  kByteAmpersand = 8, // may begin an escape
  kByteLead = 16,     // begins a character of more than one byte
  kByteZero = 32      // a zero byte, where a str would end
};

struct TByteClasses
{
  uint8_t mClass[256];
  constexpr TByteClasses() : mClass()
  {
    for (int byte = 0; byte < 256; ++byte) {
      uint8_t value = 0;
      if (byte == ' ' || (byte >= '\t' && byte <= '\r'))
        value |= kByteBlank;
      if (byte == '<' || byte == '>' || byte == '=')
        value |= kByteMarkup;
      if (byte == '"')
        value |= kByteQuote;
      if (byte == '&')
        value |= kByteAmpersand;
      if (byte >= 0xC0)
        value |= kByteLead;
      if (byte == 0)
        value |= kByteZero;
      mClass[byte] = value;
    }
  }
};
constexpr TByteClasses kByteClasses;

inline unsigned ByteClass(unsigned byte)
{
  return kByteClasses.mClass[byte & 0xFF];
}

// How many bytes follow a lead byte in its character (unchecked, as ReadChar takes them).
inline int TrailBytes(unsigned lead)
{
  return lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
}

// The first byte from p on that is not a blank (end when there is none).
inline unsigned char const* SkipBlanks(unsigned char const* p, unsigned char const* end)
{
  // Most tokens follow no blank or one; indentation comes in runs of spaces, four at a
  // step while they last.
  if (p < end && !(ByteClass(*p) & kByteBlank))
    return p;
  while (end - p >= 4 && (ByteClass(p[0]) & ByteClass(p[1]) & ByteClass(p[2]) & ByteClass(p[3]) & kByteBlank))
    p += 4;
  while (p < end && (ByteClass(*p) & kByteBlank))
    ++p;
  return p;
}

// The end of the run of whole characters from p that a token takes as they are: it stops
// before a byte that ends the token (the quote in a quoted string; a blank or markup byte
// otherwise) and before a character whose bytes are not all in [p, end). The classes of
// the bytes taken are added to *seen.
template <bool kQuoted>
unsigned char const* PlainRun(unsigned char const* p, unsigned char const* end, unsigned* seen)
{
  const unsigned stop = kQuoted ? (kByteQuote | kByteLead) : (kByteBlank | kByteMarkup | kByteLead);
  unsigned classes = 0;
  for (;;) {
    // Four bytes a step while they all go in: tokens are short, and one branch per four
    // bytes is what keeps the run cheap.
    while (end - p >= 4) {
      const unsigned a = ByteClass(p[0]), b = ByteClass(p[1]), c = ByteClass(p[2]), d = ByteClass(p[3]);
      if ((a | b | c | d) & stop)
        break;
      classes |= a | b | c | d;
      p += 4;
    }
    while (p < end && !(ByteClass(*p) & stop))
      classes |= ByteClass(*p++);
    if (p == end || !(ByteClass(*p) & kByteLead))
      break;
    // A character of several bytes goes whole, whatever its further bytes are.
    int trail = TrailBytes(*p);
    if (end - p <= trail)
      break;
    for (int i = 1; i <= trail; ++i)
      classes |= ByteClass(p[i]);
    p += 1 + trail;
  }
  *seen |= classes;
  return p;
}

// Decimal value as atoi reads it (leading blanks, a sign, digits), cut to 8 bits.
unsigned char DecimalByte(char const* p, char const* end)
{
  while (p < end && IsSpace((unsigned char)*p))
    ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  unsigned value = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p)
    value = value * 10u + (unsigned)(*p - '0');
  if (negative)
    value = 0u - value;
  return (unsigned char)(value & 0xFF);
}

// Resolves escapes in place over n bytes; returns the new length. *escaped is set when a
// replacement happened at the first byte.
size_t ResolveEscapes(char* data, size_t n, bool* escaped)
{
  size_t in = 0;
  size_t out = 0;
  while (in < n) {
    if (data[in] != '&') {
      data[out++] = data[in++];
      continue;
    }
    bool replaced = false;
    for (int row = 0; row < kCodeCount; ++row) {
      size_t len = (size_t)kCodeLen[row];
      if (n - in - 1 >= len && data[in + 1] == kCode[row][0] && memcmp(data + in + 1, kCode[row], len) == 0) {
        data[out] = kCodeChar[row];
        in += 1 + len;
        replaced = true;
        break;
      }
    }
    if (!replaced && in + 1 < n && data[in + 1] == '#') {
      char const* semicolon = (char const*)memchr(data + in + 2, ';', n - in - 2);
      if (semicolon) {
        data[out] = (char)DecimalByte(data + in + 2, semicolon);
        in = (size_t)(semicolon - data) + 1;
        replaced = true;
      }
    }
    if (!replaced) {
      data[out++] = data[in++];
      continue;
    }
    if (out == 0)
      *escaped = true;
    ++out;
  }
  return out;
}

// The bytes of the token being read; grows by doubling and never shrinks, so reading a
// token costs no allocation once the buffer has warmed up.
class TTokenText
{
public:
  void clear() { mSize = 0; }
  void push_back(char c)
  {
    if (mSize == mBytes.size())
      mBytes.resize(mBytes.empty() ? 256 : mBytes.size() * 2);
    mBytes[mSize++] = c;
  }
  void append(char const* bytes, size_t n)
  {
    if (n == 0)
      return;
    if (mBytes.size() - mSize < n) {
      size_t grown = mBytes.empty() ? 256 : mBytes.size() * 2;
      while (grown - mSize < n)
        grown *= 2;
      mBytes.resize(grown);
    }
    memcpy(mBytes.data() + mSize, bytes, n);
    mSize += n;
  }
  size_t size() const { return mSize; }
  bool empty() const { return mSize == 0; }
  char back() const { return mBytes[mSize - 1]; }
  void pop_back() { --mSize; }
  char* data() { return mBytes.data(); }
  char const* data() const { return mBytes.data(); }
  char operator[](size_t i) const { return mBytes[i]; }
  // Only ever shortens.
  void resize(size_t n) { mSize = n < mSize ? n : mSize; }

private:
  std::vector<char> mBytes;
  size_t mSize = 0;
};

// One token into buf, a character at a time where ReadToken's quick way does not apply
// (a token running past the source's window, or the end of the input).
__attribute__((noinline)) void ReadTokenByCharacters(TGetChar* source, TTokenText& buf, bool* quoted, bool* escaped)
{
  buf.clear();
  *quoted = false;
  *escaped = false;
  int bytes[4];
  int n;
  // The classes of every byte that goes into the token: escapes are resolved only when
  // an ampersand went in.
  unsigned seen = 0;
  // Blanks are single bytes: skipped straight from the window while it lasts.
  for (;;) {
    unsigned char const* p = source->Window();
    unsigned char const* end = source->WindowEnd();
    while (p < end && (ByteClass(*p) & kByteBlank))
      ++p;
    source->Skip(p);
    n = ReadChar(source, bytes);
    if (n == 0)
      return;
    if (!IsSpace(bytes[0] & 0xFF))
      break;
  }
  int lead = bytes[0] & 0xFF;
  if (lead == '<' || lead == '>' || lead == '=') {
    buf.push_back((char)lead);
    return;
  }
  if (lead == '"')
    *quoted = true;
  else
    for (int i = 0; i < n; ++i) {
      buf.push_back((char)bytes[i]);
      seen |= ByteClass(bytes[i]);
    }

  for (;;) {
    // Whole characters that go into the token as they are, straight from the source's
    // window; the byte that stops the run is read and judged one character at a time.
    unsigned char const* run = source->Window();
    unsigned char const* runEnd =
        *quoted ? PlainRun<true>(run, source->WindowEnd(), &seen) : PlainRun<false>(run, source->WindowEnd(), &seen);
    if (runEnd != run) {
      buf.append((char const*)run, (size_t)(runEnd - run));
      source->Skip(runEnd);
    }
    if (runEnd < source->WindowEnd() && *runEnd < 0x80) {
      // The run stopped at the byte that ends the token: the closing quote is taken; a
      // blank or markup byte stays for the next token.
      if (*quoted) {
        source->Skip(runEnd + 1);
        break;
      }
      if (*runEnd == '>' && buf.size() >= 2 && buf.back() == '/') {
        buf.pop_back();
        source->UngetByte('/');
      }
      break;
    }
    n = ReadChar(source, bytes);
    if (n == 0)
      break;
    lead = bytes[0] & 0xFF;
    if (*quoted) {
      if (lead == '"')
        break;
    } else if (ByteClass(lead) & (kByteBlank | kByteMarkup)) {
      UngetBytes(source, bytes, n);
      // "name/>" and "value/>": give the "/" back so the tag reads "/" then ">".
      if (lead == '>' && buf.size() >= 2 && buf.back() == '/') {
        buf.pop_back();
        source->UngetByte('/');
      }
      break;
    }
    for (int i = 0; i < n; ++i) {
      buf.push_back((char)bytes[i]);
      seen |= ByteClass(bytes[i]);
    }
  }
  if ((seen & kByteAmpersand) && !buf.empty())
    buf.resize(ResolveEscapes(buf.data(), buf.size(), escaped));
}

// A token as read: its bytes, which lie in the source's window (valid until the next read
// from the source) or in the token buffer, and how it was written.
struct TToken
{
  char const* mBytes = "";
  size_t mSize = 0;
  bool mQuoted = false;
  // A replacement happened at its first byte.
  bool mEscaped = false;
  // It may hold a zero byte (read as it was, or made by an escape).
  bool mMayHoldZero = true;

  bool Empty() const { return mSize == 0; }
  // The single character c as markup: neither quoted nor made by an escape.
  bool IsMarkup(char c) const { return mSize == 1 && mBytes[0] == c && !mQuoted && !mEscaped; }
};

inline void TakeBuffer(TTokenText const& buf, TToken* token)
{
  token->mBytes = buf.empty() ? "" : buf.data();
  token->mSize = buf.size();
}

// One token (Algorithms of the tokenizer); empty at the end of the input unless it was an
// empty quoted string. A token that lies whole in the source's window, with the byte that
// ends it, is taken where it lies; one with escapes to resolve, or one that runs past the
// window, is gathered in buf.
__attribute__((always_inline)) inline void ReadToken(TGetChar* source, TTokenText& buf, TToken* token)
{
  unsigned char const* p = source->Window();
  unsigned char const* end = source->WindowEnd();
  p = SkipBlanks(p, end);
  source->Skip(p);
  token->mEscaped = false;
  if (p < end) {
    unsigned first = ByteClass(*p);
    if (first & kByteMarkup) {
      token->mBytes = (char const*)p;
      token->mSize = 1;
      token->mQuoted = false;
      token->mMayHoldZero = false;
      source->Skip(p + 1);
      return;
    }
    unsigned seen = 0;
    unsigned char const* start = p;
    unsigned char const* stop = nullptr;
    unsigned char const* next = nullptr;
    if (first & kByteQuote) {
      start = p + 1;
      stop = PlainRun<true>(start, end, &seen);
      // The closing quote is taken with the token.
      if (stop < end && *stop == '"')
        next = stop + 1;
    } else {
      stop = PlainRun<false>(p, end, &seen);
      // Ended by a blank or markup byte, which stays for the next token.
      if (stop > p && stop < end && *stop < 0x80) {
        // "name/>" and "value/>": the "/" is left to be read before the ">".
        if (*stop == '>' && stop - p >= 2 && stop[-1] == '/')
          --stop;
        next = stop;
      }
    }
    if (next) {
      token->mQuoted = (first & kByteQuote) != 0;
      token->mMayHoldZero = (seen & (kByteZero | kByteAmpersand)) != 0;
      source->Skip(next);
      if (!(seen & kByteAmpersand) || stop == start) {
        token->mBytes = (char const*)start;
        token->mSize = (size_t)(stop - start);
        return;
      }
      buf.clear();
      buf.append((char const*)start, (size_t)(stop - start));
      buf.resize(ResolveEscapes(buf.data(), buf.size(), &token->mEscaped));
      TakeBuffer(buf, token);
      return;
    }
  }
  ReadTokenByCharacters(source, buf, &token->mQuoted, &token->mEscaped);
  TakeBuffer(buf, token);
  token->mMayHoldZero = true;
}

// One buffer per thread for the token being read: callbacks get their own str copies,
// so a callback that starts another parse cannot disturb the caller.
TTokenText& TokenBuffer()
{
  thread_local TTokenText buffer;
  return buffer;
}

} // namespace

// What the parse of one node gathers before it goes into the node in one piece: the
// content tokens joined by spaces, and the children made so far.
struct TParseLevel
{
  std::vector<char> mContent;
  std::vector<TXmlNode*> mChildren;
};

namespace {

// The levels of the nodes being parsed, one per level of the nesting: kept from parse to
// parse so that gathering costs no allocation once warm.
class TParseLevels
{
public:
  TParseLevel& Take()
  {
    if (mInUse == mLevels.size())
      mLevels.emplace_back();
    return mLevels[mInUse++];
  }
  // Levels are taken and given back in nested order.
  void Give(TParseLevel& level)
  {
    --mInUse;
    // A huge text or list is not worth keeping the memory for.
    if (level.mContent.capacity() > kKeepBytes)
      std::vector<char>().swap(level.mContent);
    if (level.mChildren.capacity() * sizeof(TXmlNode*) > kKeepBytes)
      std::vector<TXmlNode*>().swap(level.mChildren);
    level.mContent.clear();
    level.mChildren.clear();
  }

private:
  static constexpr size_t kKeepBytes = 64 * 1024;
  // A deque: taking another level leaves the ones in use where they are.
  std::deque<TParseLevel> mLevels;
  size_t mInUse = 0;
};

TParseLevels& ParseLevels()
{
  thread_local TParseLevels levels;
  return levels;
}

std::vector<TXmlNode::TAttribute>& AttributeScratch()
{
  thread_local std::vector<TXmlNode::TAttribute> attributes;
  return attributes;
}

inline str ToStr(std::vector<char> const& buf)
{
  return buf.empty() ? str("") : str(buf.data(), buf.size());
}

inline str ToStr(TToken const& token)
{
  return token.Empty() ? str("") : str(token.mBytes, token.mSize);
}

inline uint32_t ReadLE32(char const* p)
{
  unsigned char const* b = (unsigned char const*)p;
  return (uint32_t)b[0] | (uint32_t)b[1] << 8 | (uint32_t)b[2] << 16 | (uint32_t)b[3] << 24;
}

} // namespace

// Collects output bytes; str has no cheap append (its length is a strlen), so the
// text is built here and copied into a str once.
class TXmlWriter
{
public:
  explicit TXmlWriter(size_t reserve) { mOut.reserve(reserve); }
  std::vector<char> const& Bytes() const { return mOut; }

  void Put(char const* bytes, size_t n) { mOut.insert(mOut.end(), bytes, bytes + n); }
  void Spaces(int count)
  {
    if (count > 0)
      mOut.insert(mOut.end(), (size_t)count, ' ');
  }
  // The bytes with the table's characters as named escapes and bytes outside 32..127
  // as decimal references, so every byte reads back as itself.
  void Safe(char const* bytes, size_t n)
  {
    size_t runStart = 0;
    for (size_t i = 0; i < n; ++i) {
      unsigned char c = (unsigned char)bytes[i];
      int row = -1;
      if (c == '&' || c == '<' || c == '>' || c == '"' || c == '\'')
        for (int r = 0; r < kCodeCount; ++r)
          if (c == (unsigned char)kCodeChar[r])
            row = r;
      if (row < 0 && c >= 32 && c <= 127)
        continue;
      Put(bytes + runStart, i - runStart);
      runStart = i + 1;
      if (row >= 0) {
        mOut.push_back('&');
        Put(kCode[row], (size_t)kCodeLen[row]);
      } else {
        char number[8];
        int len = snprintf(number, sizeof number, "&#%u;", (unsigned)c);
        Put(number, (size_t)len);
      }
    }
    Put(bytes + runStart, n - runStart);
  }
  void Safe(str const& text) { Safe(text.c_str(), text.length()); }

  void Node(TXmlNode const& node, int indent);

private:
  std::vector<char> mOut;
};

// ---------------------------------------------------------------------------------------
// Free functions

str qvGetToken(TGetChar* source, bool* quoted, bool* escaped, int* length)
{
  TTokenText buf;
  TToken token;
  ReadToken(source, buf, &token);
  if (quoted)
    *quoted = token.mQuoted;
  if (escaped)
    *escaped = token.mEscaped;
  if (length)
    *length = (int)token.mSize;
  return ToStr(token);
}

void removeXMLEscapeChars(str& text, int* length, bool* escaped)
{
  bool isEscaped = false;
  unsigned n = text.length();
  if (n && memchr(text.c_str(), '&', n)) {
    std::vector<char> buf(text.c_str(), text.c_str() + n);
    buf.resize(ResolveEscapes(buf.data(), buf.size(), &isEscaped));
    text = ToStr(buf);
    // Counted in resolved bytes: a "&#0;" leaves a zero byte that str's length stops at.
    n = (unsigned)buf.size();
  }
  if (length)
    *length = (int)n;
  if (escaped)
    *escaped = isEscaped;
}

str xmlSafeString(char const* text)
{
  if (!text)
    text = "";
  size_t n = strlen(text);
  TXmlWriter writer(n * 2 + 1);
  writer.Safe(text, n);
  return ToStr(writer.Bytes());
}

bool qvInflateZxml(char const* block, unsigned long size, char const* what, std::vector<char>* out)
{
  if (!what)
    what = "XML";
  out->clear();
  if (!block || size < 12 || memcmp(block, "ZXML", 4) != 0) {
    WriteDbg("ERROR: %s: compressed XML header missing or cut short (%lu bytes)", what, block ? size : 0ul);
    return false;
  }
  unsigned long compressedLength = ReadLE32(block + 4);
  unsigned long plainLength = ReadLE32(block + 8);
  if (compressedLength > size - 12) {
    WriteDbg("ERROR: %s: compressed XML claims %lu compressed bytes but only %lu follow the header", what,
             compressedLength, size - 12);
    return false;
  }
  if (plainLength > kMaxXmlBytes || plainLength > compressedLength * kMaxInflateRatio + kInflateSlack) {
    WriteDbg("ERROR: %s: compressed XML claims %lu bytes of text, impossible from %lu compressed bytes "
             "or above the limit of %lu",
             what, plainLength, compressedLength, kMaxXmlBytes);
    return false;
  }
  // One spare byte so the buffer is never empty and callers may terminate the text.
  out->resize(plainLength + 1);
  uLongf inflated = plainLength;
  int result = uncompress((Bytef*)out->data(), &inflated, (Bytef const*)block + 12, compressedLength);
  if (result != Z_OK) {
    WriteDbg("ERROR: %s: compressed XML stream is corrupt (zlib result %d)", what, result);
    out->clear();
    return false;
  }
  out->resize(inflated);
  return true;
}

// ---------------------------------------------------------------------------------------
// TGetCharFile

TGetCharFile::TGetCharFile(TFile* handle, str const& name) : mFile(handle), mName(name)
{
  DropBlock();
}

TGetCharFile::~TGetCharFile()
{
  qv_close(mFile);
}

void TGetCharFile::DropBlock()
{
  mWindowStart = mNext = mEnd = mBlock;
}

bool TGetCharFile::Refill()
{
  DropBlock();
  if (!mFile)
    return false;
  mEnd = mBlock + qv_read(mFile, mBlock, sizeof mBlock);
  return mEnd > mBlock;
}

int TGetCharFile::Underflow()
{
  if (mNext >= mEnd && !Refill())
    return -1;
  return *mNext++;
}

int TGetCharFile::DoGetChar()
{
  return GetByte();
}

int TGetCharFile::UngetChar(int c)
{
  if (mNext > mBlock) {
    --mNext;
    return c;
  }
  if (!mFile)
    return -1;
  // Before the block in memory: move the file to the byte before the block's start.
  long blockStart = qv_tell(mFile) - (long)(mEnd - mBlock);
  if (blockStart <= 0)
    return -1;
  qv_seek(mFile, blockStart - 1, kSeekStart);
  DropBlock();
  return c;
}

void TGetCharFile::Rewind()
{
  if (mFile)
    qv_seek(mFile, 0, kSeekStart);
  DropBlock();
}

void TGetCharFile::ReOpenAsBinary()
{
  qv_close(mFile);
  mFile = qv_open(mName.c_str(), kFileRead);
  DropBlock();
}

// ---------------------------------------------------------------------------------------
// TGetCharString

TGetCharString::TGetCharString(char const* text, unsigned long length)
{
  unsigned char const* bytes = (unsigned char const*)text;
  // The window ends at the 0xFF end marker, or at the end of the text.
  unsigned char const* marker = bytes ? (unsigned char const*)memchr(bytes, 0xFF, length) : nullptr;
  mWindowStart = mNext = bytes;
  mEnd = marker ? marker : bytes + (bytes ? length : 0);
}

// ---------------------------------------------------------------------------------------
// TXmlArena

namespace {

// Blocks of documents gone, kept for the next documents: a document's memory then costs
// neither the allocator's work nor the system's first touch of fresh pages. The blocks are
// cut from slabs large enough for the allocator to map them apart from its heap, which the
// blocks kept therefore do not hold apart. Shared by every thread (a document may go on
// another thread than the one that parsed it) and never destroyed, since documents held by
// statics go after every other static.
class TArenaBlockPool
{
public:
  static constexpr size_t kBlockBytes = 64 * 1024;

  static TArenaBlockPool& Get()
  {
    static TArenaBlockPool* pool = new TArenaBlockPool();
    return *pool;
  }

  char* Take()
  {
    {
      std::lock_guard<std::mutex> lock(mMutex);
      if (mFree.empty() && mSlabs.size() < kMostSlabs) {
        char* slab = static_cast<char*>(::operator new(kBlockBytes* kBlocksPerSlab));
        mSlabs.push_back(slab);
        for (size_t i = kBlocksPerSlab; i > 0; --i)
          mFree.push_back(slab + (i - 1) * kBlockBytes);
      }
      if (!mFree.empty()) {
        char* block = mFree.back();
        mFree.pop_back();
        return block;
      }
    }
    return static_cast<char*>(::operator new(kBlockBytes));
  }

  void Give(char* block)
  {
    {
      std::lock_guard<std::mutex> lock(mMutex);
      for (char* slab : mSlabs)
        if (block >= slab && block < slab + kBlockBytes * kBlocksPerSlab) {
          mFree.push_back(block);
          return;
        }
    }
    ::operator delete(block);
  }

private:
  static constexpr size_t kBlocksPerSlab = 16;
  // At most 32 MB of slabs: blocks beyond them come from the heap and go back to it.
  static constexpr size_t kMostSlabs = 32;

  std::mutex mMutex;
  std::vector<char*> mSlabs;
  std::vector<char*> mFree;
};

} // namespace

// The memory of the nodes a parse makes, their lists and their strings: taken in order from
// pooled blocks, given back together when the document goes.
class TXmlArena
{
public:
  TXmlArena() = default;
  TXmlArena(TXmlArena const&) = delete;
  TXmlArena& operator=(TXmlArena const&) = delete;
  ~TXmlArena()
  {
    TArenaBlockPool& pool = TArenaBlockPool::Get();
    for (char* block : mBlocks)
      pool.Give(block);
    for (char* block : mLargeBlocks)
      ::operator delete(block);
  }

  void* Allocate(size_t bytes)
  {
    bytes = (bytes + kAlign - 1) & ~(kAlign - 1);
    if (bytes > (size_t)(mEnd - mNext))
      return AllocateInNewBlock(bytes);
    char* at = mNext;
    mNext += bytes;
    return at;
  }

  // The n bytes kept here with their terminator and room for a string's header, made a
  // string only when something holds them.
  struct TKept
  {
    char* mHeader = nullptr;
    size_t mSize = 0;
    char First() const { return mHeader ? mHeader[str::kViewHeaderBytes] : 0; }
    str Text() const { return mHeader ? str::View(mHeader, mHeader + str::kViewHeaderBytes, mSize) : str(); }
  };
  TKept KeepBytes(char const* bytes, size_t n)
  {
    TKept kept;
    kept.mHeader = static_cast<char*>(Allocate(str::kViewHeaderBytes + n + 1));
    kept.mSize = n;
    char* text = kept.mHeader + str::kViewHeaderBytes;
    if (n)
      memcpy(text, bytes, n);
    text[n] = 0;
    return kept;
  }
  str Keep(char const* bytes, size_t n) { return KeepBytes(bytes, n).Text(); }

  // Set once a node of the document holds something of the heap (a string set or a node
  // made by hand after the parse): the nodes must then be destroyed one by one.
  bool mHeapParts = false;

private:
  // Pointer alignment serves every record kept here.
  static constexpr size_t kAlign = alignof(void*);
  static_assert(alignof(TXmlNode) <= kAlign && alignof(TXmlNode::TAttribute) <= kAlign,
                "records kept in the arena need no more than pointer alignment");

  __attribute__((noinline)) void* AllocateInNewBlock(size_t bytes)
  {
    // A record larger than a quarter block (a long text, a long list) has a block of its
    // own, so that the rest of the current block is not wasted.
    if (bytes > TArenaBlockPool::kBlockBytes / 4) {
      mLargeBlocks.push_back(nullptr);
      mLargeBlocks.back() = static_cast<char*>(::operator new(bytes));
      return mLargeBlocks.back();
    }
    mBlocks.push_back(nullptr);
    mBlocks.back() = TArenaBlockPool::Get().Take();
    mNext = mBlocks.back() + bytes;
    mEnd = mBlocks.back() + TArenaBlockPool::kBlockBytes;
    return mBlocks.back();
  }

  std::vector<char*> mBlocks;
  std::vector<char*> mLargeBlocks;
  char* mNext = nullptr;
  char* mEnd = nullptr;
};

void* XmlArenaAllocate(TXmlArena* arena, size_t bytes)
{
  return arena->Allocate(bytes);
}

// ---------------------------------------------------------------------------------------
// TXmlNode

TXmlNode::TXmlNode()
    : mContentLength(0), mLevel(nullptr), mSizeHint(4096), mChildCursor(0), mAttributeCursor(0), mArena(nullptr),
      mOwnsArena(false), mInArena(false)
{}

TXmlNode::TXmlNode(char const* name)
    : mContentLength(0), mLevel(nullptr), mSizeHint(4096), mName(name ? name : ""), mChildCursor(0),
      mAttributeCursor(0), mArena(nullptr), mOwnsArena(false), mInArena(false)
{}

TXmlNode::TXmlNode(TXmlArena* arena)
    : mContentLength(0), mLevel(nullptr), mSizeHint(4096), mChildren(TXmlAllocator<TXmlNode*>(arena)), mChildCursor(0),
      mAttributes(TXmlAllocator<TAttribute>(arena)), mAttributeCursor(0), mArena(arena), mOwnsArena(false),
      mInArena(true)
{}

TXmlNode::TXmlNode(TXmlNode const& other)
    : mContentLength(0), mLevel(nullptr), mSizeHint(4096), mChildCursor(0), mAttributeCursor(0), mArena(nullptr),
      mOwnsArena(false), mInArena(false)
{
  CopyFrom(other);
}

TXmlNode& TXmlNode::operator=(TXmlNode const& other)
{
  if (this != &other) {
    NoteHeapPart();
    Clear();
    CopyFrom(other);
  }
  return *this;
}

TXmlNode::~TXmlNode()
{
  Clear();
}

void TXmlNode::NoteHeapPart()
{
  if (mInArena)
    mArena->mHeapParts = true;
}

void TXmlNode::CopyFrom(TXmlNode const& other)
{
  // Copies of strings kept in the other document's arena get buffers of their own.
  mContent = other.mContent;
  mContentLength = other.mContentLength;
  mSizeHint = other.mSizeHint;
  mName = other.mName;
  mAttributes.assign(other.mAttributes.begin(), other.mAttributes.end());
  mChildren.reserve(other.mChildren.size());
  for (TXmlNode* child : other.mChildren)
    mChildren.push_back(new TXmlNode(*child));
  mChildCursor = 0;
  mAttributeCursor = 0;
}

void TXmlNode::Clear()
{
  // A document whose arena holds nothing of the heap goes whole: the nodes in it own
  // nothing that needs their destructors.
  const bool whole = mOwnsArena && !mArena->mHeapParts;
  for (TXmlNode* child : mChildren) {
    if (!child->mInArena)
      delete child;
    else if (!whole)
      child->~TXmlNode();
  }
  mChildren.clear();
  mAttributes.clear();
  mChildCursor = 0;
  mAttributeCursor = 0;
  if (mOwnsArena) {
    delete mArena;
    mArena = nullptr;
    mOwnsArena = false;
  }
}

void TXmlNode::SetName(char const* name)
{
  NoteHeapPart();
  mName = name;
}

void TXmlNode::SetContent(char const* content)
{
  NoteHeapPart();
  mContent = content ? content : "";
  mContentLength = (int)mContent.length();
}

TXmlNode* TXmlNode::CreateChild(char const* name)
{
  TXmlNode* child = new TXmlNode(name);
  NoteHeapPart();
  AdoptChild(child);
  return child;
}

void TXmlNode::AdoptChild(TXmlNode* child)
{
  if (mChildren.empty())
    mChildren.reserve(4);
  mChildren.push_back(child);
}

TXmlNode* TXmlNode::GetChild(char const* name) const
{
  if (!name)
    name = "";
  size_t len = strlen(name);
  for (TXmlNode* child : mChildren)
    if (child->mName.length() == len && memcmp(child->mName.c_str(), name, len) == 0)
      return child;
  return nullptr;
}

bool TXmlNode::GetNextChild(str* name, TXmlNode** child)
{
  if (mChildCursor >= mChildren.size())
    return false;
  TXmlNode* node = mChildren[mChildCursor++];
  if (name)
    *name = node->mName;
  if (child)
    *child = node;
  return true;
}

str TXmlNode::GetAttribute(char const* name, bool* quoted) const
{
  if (!name)
    name = "";
  size_t len = strlen(name);
  for (TAttribute const& attribute : mAttributes)
    if (attribute.mName.length() == len && memcmp(attribute.mName.c_str(), name, len) == 0) {
      if (quoted)
        *quoted = attribute.mQuoted;
      return attribute.mValue;
    }
  return str("");
}

void TXmlNode::SetAttribute(char const* name, char const* value)
{
  if (!name)
    name = "";
  if (!value)
    value = "";
  NoteHeapPart();
  size_t len = strlen(name);
  for (TAttribute& attribute : mAttributes)
    if (attribute.mName.length() == len && memcmp(attribute.mName.c_str(), name, len) == 0) {
      attribute.mValue = value;
      attribute.mQuoted = true;
      return;
    }
  mAttributes.push_back(TAttribute{str(name), str(value), true});
}

void TXmlNode::SetAttribute(char const* name, int value)
{
  SetAttribute(name, str::getFormatted("%d", value).c_str());
}

// ---------------------------------------------------------------------------------------
// Parsing callbacks

TXmlNode* TXmlNode::OnOpenTag(str const& name)
{
  return CreateChild(name.c_str());
}

void TXmlNode::OnEndTag(str const&) {}

void TXmlNode::OnContent(str const& text, int length)
{
  // A str ends at its first zero byte (a "&#0;" in the text), so take no more than that.
  unsigned n = text.length();
  if (length >= 0 && (unsigned)length < n)
    n = (unsigned)length;
  if (n == 0)
    return;
  if (mLevel) {
    AppendContent(text.c_str(), n);
    return;
  }
  NoteHeapPart();
  str joined;
  joined._reserve(mContentLength + n + 2);
  unsigned position = 0;
  if (mContentLength != 0) {
    position = (unsigned)joined.overlay(0, mContent.c_str(), mContent.length(), true);
    position = (unsigned)joined.overlay((int)position, " ", 1, true);
  }
  joined.overlay((int)position, text.c_str(), n, true);
  mContent = joined;
  mContentLength = (int)mContent.length();
}

void TXmlNode::AppendContent(char const* bytes, size_t n)
{
  if (n == 0)
    return;
  std::vector<char>& content = mLevel->mContent;
  if (mContentLength != 0)
    content.push_back(' ');
  content.insert(content.end(), bytes, bytes + n);
  mContentLength += (int)((mContentLength != 0) + n);
}

bool TXmlNode::HasOwnCallbacks() const
{
  return typeid(*this) == typeid(TXmlNode);
}

void TXmlNode::OnAttribute(str const& name, str const& value, bool quoted)
{
  NoteHeapPart();
  mAttributes.push_back(TAttribute{name, value, quoted});
}

// ---------------------------------------------------------------------------------------
// Parsing

bool TXmlNode::Parse(TGetChar* source)
{
  if (!source)
    return false;
  if (mLevel)
    return ParseTokens(source); // a callback parsing into the same node again
  // The nodes this parse makes, and their strings, go into the document's arena; a node
  // outside any document starts one of its own.
  if (!mArena && HasOwnCallbacks()) {
    mArena = new TXmlArena();
    mOwnsArena = true;
  }
  // Content gathers in the level, starting with what the node already holds; children
  // gather there too and join the node's list in one step.
  TParseLevels& levels = ParseLevels();
  TParseLevel& level = levels.Take();
  const size_t heldContent = mContent.length();
  if (heldContent)
    level.mContent.assign(mContent.c_str(), mContent.c_str() + heldContent);
  mContentLength = (int)heldContent;
  mLevel = &level;
  bool ok = ParseTokens(source);
  mLevel = nullptr;
  if (!level.mChildren.empty()) {
    mChildren.reserve(mChildren.size() + level.mChildren.size());
    mChildren.insert(mChildren.end(), level.mChildren.begin(), level.mChildren.end());
  }
  if (level.mContent.size() != mContent.length()) {
    if (mInArena)
      mContent = mArena->Keep(level.mContent.data(), level.mContent.size());
    else
      mContent = ToStr(level.mContent);
  }
  mContentLength = (int)mContent.length();
  levels.Give(level);
  return ok;
}

namespace {

// A refusal of the input: an error line naming what was parsed, or the words for a caller
// that reports it itself.
void ReportRefusal(TGetChar* source, str const& what)
{
  if (source->mFailure) {
    *source->mFailure = what;
    return;
  }
  WriteDbg("ERROR: %s%s%s", what.c_str(), source->mSource ? " in " : "", source->mSource ? source->mSource : "");
}

} // namespace

bool TXmlNode::ParseTokens(TGetChar* source)
{
  TTokenText& buffer = TokenBuffer();
  const bool ownCallbacks = mInArena || HasOwnCallbacks();
  TToken token;
  for (;;) {
    ReadToken(source, buffer, &token);
    if (token.Empty()) {
      // An empty quoted string is not the end of the input; it adds nothing.
      if (token.mQuoted)
        continue;
      if (source->mDepth > 0)
        source->mEndedOpen = true;
      return true;
    }
    if (token.IsMarkup('<')) {
      bool endTag = false;
      TXmlNode* child = ParseTag(source, &endTag);
      if (source->mError) {
        ReportRefusal(source, "XML input ends inside a tag");
        return false;
      }
      if (child) {
        if (source->mDepth >= kMaxXmlDepth) {
          ReportRefusal(source, str::getFormatted("XML elements nested deeper than %d levels", kMaxXmlDepth));
          return false;
        }
        ++source->mDepth;
        bool ok = child->Parse(source);
        --source->mDepth;
        if (!ok)
          return false;
      }
      if (endTag)
        return true;
    } else if (ownCallbacks) {
      // What OnContent would take of the token's str: the bytes before a zero byte.
      AppendContent(token.mBytes, token.mMayHoldZero ? strnlen(token.mBytes, token.mSize) : token.mSize);
    } else {
      OnContent(ToStr(token), (int)token.mSize);
    }
  }
}

namespace {

// An attribute written the common way, name="value" with nothing to resolve, read straight
// from the source's window into the arena: the bytes the three tokens would give, in one
// step. False, with nothing read, for every other form (blanks around the "=", escapes, a
// value unquoted or running past the window), which the tokens read.
inline bool ReadPlainAttribute(TGetChar* source, TXmlArena* arena, std::vector<TXmlNode::TAttribute>& attributes)
{
  unsigned char const* end = source->WindowEnd();
  unsigned char const* name = SkipBlanks(source->Window(), end);
  if (name == end || (ByteClass(*name) & (kByteMarkup | kByteQuote)))
    return false;
  unsigned seen = 0;
  unsigned char const* equals = PlainRun<false>(name, end, &seen);
  if (equals == name || end - equals < 2 || equals[0] != '=' || equals[1] != '"')
    return false;
  unsigned char const* value = equals + 2;
  unsigned char const* quote = PlainRun<true>(value, end, &seen);
  if (quote == end || *quote != '"' || (seen & kByteAmpersand))
    return false;
  attributes.push_back(TXmlNode::TAttribute{arena->Keep((char const*)name, (size_t)(equals - name)),
                                            arena->Keep((char const*)value, (size_t)(quote - value)), true});
  source->Skip(quote + 1);
  return true;
}

} // namespace

TXmlNode* TXmlNode::ParseTag(TGetChar* source, bool* endTag)
{
  TTokenText& buffer = TokenBuffer();
  bool isEndTag = false;
  int state = 0;
  bool special = false;
  TXmlNode* child = nullptr;
  // The attribute name waiting for its "=": a string for the callbacks, bytes kept in the
  // arena for the quick path.
  str pending;
  TXmlArena::TKept kept;
  // With the node's own callbacks the parser does their work itself: the child and its
  // strings go into the document's arena, and nothing is made for what they would ignore.
  const bool ownCallbacks = mInArena || HasOwnCallbacks();
  TXmlArena* arena = nullptr;
  if (ownCallbacks) {
    if (!mArena) {
      mArena = new TXmlArena();
      mOwnsArena = true;
    }
    arena = mArena;
  }
  // The attributes of a child made here gather in one list that goes to the child, sized
  // once, when the tag ends (however it ends).
  std::vector<TAttribute>& attributes = AttributeScratch();
  attributes.clear();
  struct THandOver
  {
    TXmlNode*& mChild;
    std::vector<TAttribute>& mAttributes;
    ~THandOver()
    {
      if (!mChild || mAttributes.empty())
        return;
      mChild->mAttributes.reserve(mChild->mAttributes.size() + mAttributes.size());
      for (TAttribute& attribute : mAttributes)
        mChild->mAttributes.push_back(std::move(attribute));
      mAttributes.clear();
    }
  } handOver{child, attributes};
  TToken token;
  for (;;) {
    if (state == 1 && child && ownCallbacks && ReadPlainAttribute(source, arena, attributes)) {
      // As after a value read by the tokens: a name read before without its "=" is dropped.
      kept = TXmlArena::TKept();
      continue;
    }
    ReadToken(source, buffer, &token);
    if (token.Empty() && !token.mQuoted) {
      source->mError = true;
      if (endTag)
        *endTag = isEndTag;
      return child;
    }
    if (token.IsMarkup('>')) {
      if (endTag)
        *endTag = isEndTag;
      char first = ownCallbacks ? kept.First() : pending[0];
      if (first == '/' || first == '?' || special) {
        if (!ownCallbacks)
          OnEndTag(str(">"));
        return nullptr;
      }
      return child;
    }
    // A quoted string is never markup, whatever it holds.
    const bool markup = !token.mQuoted && !token.mEscaped;
    switch (state) {
    case 0:
      if (markup && token.mBytes[0] == '/') {
        isEndTag = true;
        if (!ownCallbacks)
          OnEndTag(ToStr(token));
      } else {
        // Decided before the callback, which may parse (and so reuse the token buffer).
        special = (token.mBytes[0] == '?' && token.mSize == 4 && memcmp(token.mBytes, "?xml", 4) == 0) ||
                  (token.mBytes[0] == '!' && ((token.mSize == 8 && memcmp(token.mBytes, "!DOCTYPE", 8) == 0) ||
                                              (token.mSize >= 3 && memcmp(token.mBytes, "!--", 3) == 0)));
        if (ownCallbacks) {
          // As OnOpenTag: the child's name is the token up to a zero byte.
          child = new (arena->Allocate(sizeof(TXmlNode))) TXmlNode(arena);
          child->mName =
              arena->Keep(token.mBytes, token.mMayHoldZero ? strnlen(token.mBytes, token.mSize) : token.mSize);
          if (mLevel)
            mLevel->mChildren.push_back(child);
          else
            AdoptChild(child);
        } else {
          child = OnOpenTag(ToStr(token));
        }
      }
      state = 1;
      break;
    case 1:
      if (token.IsMarkup('='))
        state = 2;
      else if (ownCallbacks)
        kept = arena->KeepBytes(token.mBytes, token.mSize);
      else
        pending = ToStr(token);
      break;
    default:
      if (child && ownCallbacks) {
        // A child made here has the own callbacks too.
        attributes.push_back(TAttribute{kept.Text(), arena->Keep(token.mBytes, token.mSize), token.mQuoted});
      } else if (child) {
        child->OnAttribute(pending, ToStr(token), token.mQuoted);
      }
      pending = str();
      kept = TXmlArena::TKept();
      state = 1;
      break;
    }
  }
}

bool TXmlNode::ParseFile(char const* name)
{
  if (!name)
    name = "";
  TFile* file = qv_open(name, kFileRead);
  if (!file) {
    WriteDbg("ERROR: XML file %s cannot be opened", name);
    return false;
  }
  char magic[4];
  if (qv_read(file, magic, 4) == 4 && memcmp(magic, "ZXML", 4) == 0) {
    unsigned long size = file->Size();
    if (size > kMaxXmlBytes) {
      WriteDbg("ERROR: %s: compressed XML file of %lu bytes is above the limit of %lu", name, size, kMaxXmlBytes);
      qv_close(file);
      return false;
    }
    std::vector<char> block(size);
    qv_seek(file, 0, kSeekStart);
    unsigned long got = qv_read(file, block.data(), size);
    qv_close(file);
    std::vector<char> text;
    if (!qvInflateZxml(block.data(), got, name, &text))
      return false;
    TGetCharString source(text.data(), text.size());
    source.mSource = name;
    return Parse(&source);
  }
  qv_seek(file, 0, kSeekStart);
  // The source owns the handle from here and closes it.
  TGetCharFile source(file, str(name));
  source.mSource = name;
  if (!Parse(&source)) {
    // The parser's own line cannot say which file it was reading.
    WriteDbg("ERROR: XML file %s is damaged; only what came before the damage was read", name);
    return false;
  }
  return true;
}

bool TXmlNode::ParseString(char const* text, char const* source)
{
  if (!text) {
    WriteDbg("ERROR: TXmlNode::ParseString given no text");
    return false;
  }
  // The text ends at its terminator: a compressed header read from here must not reach past
  // it (server replies and deciphered files come this way), so it is checked against that size.
  bool endedOpen = false;
  return ParseNamedBuffer(text, strlen(text), source, &endedOpen);
}

bool TXmlNode::ParseBuffer(char const* data, unsigned long size, char const* source)
{
  if (!data && size) {
    WriteDbg("ERROR: TXmlNode::ParseBuffer given no data");
    return false;
  }
  bool endedOpen = false;
  return ParseNamedBuffer(data, size, source, &endedOpen);
}

bool TXmlNode::ParseWhole(char const* data, unsigned long size, char const* source)
{
  return ParseWhole(data, size, source, nullptr);
}

bool TXmlNode::ParseWhole(char const* data, unsigned long size, char const* source, str* failure)
{
  if (!data && size) {
    WriteDbg("ERROR: TXmlNode::ParseWhole given no data");
    return false;
  }
  bool endedOpen = false;
  if (!ParseNamedBuffer(data, size, source, &endedOpen, failure))
    return false;
  if (endedOpen) {
    if (failure)
      *failure = "it ends inside an element";
    else
      WriteDbg("ERROR: %s is cut short: it ends inside an element", source ? source : "XML input");
    return false;
  }
  return true;
}

bool TXmlNode::ParseNamedBuffer(char const* data, unsigned long size, char const* what, bool* endedOpen, str* failure)
{
  std::vector<char> inflated;
  if (size >= 4 && memcmp(data, "ZXML", 4) == 0) {
    if (!qvInflateZxml(data, size, what ? what : "XML buffer", &inflated))
      return false;
    data = inflated.data();
    size = inflated.size();
  }
  TGetCharString source(data, size);
  source.mSource = what;
  source.mFailure = failure;
  const bool ok = Parse(&source);
  *endedOpen = source.mEndedOpen;
  return ok;
}

bool TXmlNode::DecompressAndParse(char const* block)
{
  if (!block) {
    WriteDbg("ERROR: TXmlNode::DecompressAndParse given no data");
    return false;
  }
  // Without a size the header's compressed length is all there is to go by.
  return DecompressAndParse(block, 12ul + ReadLE32(block + 4));
}

bool TXmlNode::DecompressAndParse(char const* block, unsigned long size)
{
  std::vector<char> text;
  if (!qvInflateZxml(block, size, "XML buffer", &text))
    return false;
  TGetCharString source(text.data(), text.size());
  return Parse(&source);
}

// ---------------------------------------------------------------------------------------
// Writing

void TXmlWriter::Node(TXmlNode const& node, int indent)
{
  Spaces(indent);
  Put("<", 1);
  Put(node.mName.c_str(), node.mName.length());
  for (TXmlNode::TAttribute const& attribute : node.mAttributes) {
    Put("\n", 1);
    Spaces(indent + 4);
    Safe(attribute.mName);
    Put("=", 1);
    if (attribute.mQuoted)
      Put("\"", 1);
    Safe(attribute.mValue);
    if (attribute.mQuoted)
      Put("\"", 1);
  }
  Put(">\n", 2);
  if (node.mContentLength != 0) {
    Spaces(indent);
    Safe(node.mContent);
    Put("\n", 1);
  }
  for (TXmlNode const* child : node.mChildren)
    Node(*child, indent + 4);
  Spaces(indent);
  Put("</", 2);
  Safe(node.mName);
  Put(">\n", 2);
}

str TXmlNode::AsString()
{
  TXmlWriter writer(mSizeHint);
  writer.Node(*this, 0);
  size_t written = writer.Bytes().size();
  if (written + 1 > mSizeHint)
    mSizeHint = (unsigned)(written + 1);
  return ToStr(writer.Bytes());
}

void TXmlNode::AsString(str* out, unsigned* position, int indent)
{
  if (!out || !position)
    return;
  TXmlWriter writer(mSizeHint);
  writer.Node(*this, indent);
  std::vector<char> const& bytes = writer.Bytes();
  *position = (unsigned)out->overlay((int)*position, bytes.data(), (unsigned)bytes.size(), true);
}
