// binarybuffer: the growable byte buffer that scenes, objects and saved games are stored
// into and loaded from, with the record helpers (numbers, strings, counts) every reader shares.
#include "scene/binarybuffer.h"

#include <cstdlib>
#include <cstring>

#include "core/foundation/debug.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "records are stored in the machine's byte order, which must be little-endian");
static_assert(sizeof(float) == 4, "records store 32-bit floats");

TBinaryBuffer::TBinaryBuffer()
    : mData(nullptr), mSize(0), mCapacity(0), mPosition(0), mGrowStep(10240), mFailed(false), mReported(false)
{}

TBinaryBuffer::~TBinaryBuffer()
{
  std::free(mData);
}

void TBinaryBuffer::Fail(const char* what)
{
  if (!mReported) {
    mFault = str::getFormatted("%s at byte %u of %u", what, mPosition, mSize);
    if (!mQuiet)
      WriteDbg("ERROR: Binary record %s is damaged or cut short (at byte %u of %u)", what, mPosition, mSize);
  }
  mFailed = true;
  mReported = true;
}

bool TBinaryBuffer::Reserve(unsigned long needed)
{
  if (needed > 0xFFFFFFFFul)
    return false;
  unsigned long capacity = mCapacity;
  if (!mData || capacity < needed) {
    // Grows by whole steps until the write fits, so one large write never runs past the block.
    unsigned long step = mGrowStep ? mGrowStep : 10240;
    if (!mData)
      capacity += step;
    while (capacity < needed)
      capacity += step;
    if (capacity > 0xFFFFFFFFul)
      capacity = needed;
    void* grown = std::realloc(mData, capacity);
    if (!grown)
      return false;
    mData = static_cast<unsigned char*>(grown);
    mCapacity = static_cast<uint32_t>(capacity);
  }
  return true;
}

unsigned long TBinaryBuffer::Write(const void* bytes, unsigned long n)
{
  unsigned long end = static_cast<unsigned long>(mPosition) + n;
  if (!Reserve(end)) {
    Fail("write");
    return 0;
  }
  if (n)
    std::memcpy(mData + mPosition, bytes, n);
  mPosition = static_cast<uint32_t>(end);
  if (mPosition > mSize)
    mSize = mPosition;
  return n;
}

unsigned long TBinaryBuffer::Read(void* out, unsigned long n)
{
  // Compared against what is left, so a huge n cannot wrap the sum past the size.
  if (!mData || mPosition > mSize || n > static_cast<unsigned long>(mSize - mPosition)) {
    mFailed = true;
    return 0;
  }
  if (n)
    std::memcpy(out, mData + mPosition, n);
  mPosition += static_cast<uint32_t>(n);
  return n;
}

void TBinaryBuffer::PreAlloc(unsigned int n)
{
  if (mData && mCapacity == n)
    return;
  void* block = std::realloc(mData, n ? n : 1);
  if (!block)
    return;
  mData = static_cast<unsigned char*>(block);
  mCapacity = n;
  if (mSize > n)
    mSize = n;
  if (mPosition > n)
    mPosition = n;
}

void* TBinaryBuffer::getData(unsigned int* size)
{
  if (size)
    *size = mSize;
  return mData;
}

void TBinaryBuffer::WriteU32(uint32_t value)
{
  Write(&value, 4);
}

void TBinaryBuffer::WriteI32(int32_t value)
{
  Write(&value, 4);
}

void TBinaryBuffer::WriteF32(float value)
{
  Write(&value, 4);
}

void TBinaryBuffer::WriteBool(bool value)
{
  unsigned char byte = value ? 1 : 0;
  Write(&byte, 1);
}

void TBinaryBuffer::WriteString(const str& value)
{
  uint32_t length = value.length();
  WriteU32(length);
  if (length)
    Write(value.c_str(), length);
}

bool TBinaryBuffer::ReadU32(uint32_t* value)
{
  uint32_t read;
  if (mFailed || Read(&read, 4) != 4)
    return false;
  *value = read;
  return true;
}

bool TBinaryBuffer::ReadI32(int32_t* value)
{
  int32_t read;
  if (mFailed || Read(&read, 4) != 4)
    return false;
  *value = read;
  return true;
}

bool TBinaryBuffer::ReadF32(float* value)
{
  float read;
  if (mFailed || Read(&read, 4) != 4)
    return false;
  *value = read;
  return true;
}

bool TBinaryBuffer::ReadBool(bool* value)
{
  unsigned char read;
  if (mFailed || Read(&read, 1) != 1)
    return false;
  *value = read != 0;
  return true;
}

bool TBinaryBuffer::ReadString(str* value)
{
  uint32_t length = 0;
  if (!ReadU32(&length))
    return false;
  if (length > Remaining()) {
    mFailed = true;
    return false;
  }
  *value = str(reinterpret_cast<const char*>(mData + mPosition), length);
  mPosition += length;
  return true;
}

bool TBinaryBuffer::ReadCount(uint32_t* count, unsigned minRecordBytes, const char* what)
{
  uint32_t read = 0;
  if (!ReadU32(&read)) {
    Fail(what);
    return false;
  }
  if (minRecordBytes && read > Remaining() / minRecordBytes) {
    Fail(what);
    return false;
  }
  *count = read;
  return true;
}
