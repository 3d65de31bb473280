// Tests of the scene engine's binary buffer: growth, reads that run short, pre-allocation
// for callers that fill the block themselves, and the checked record helpers.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scene/binarybuffer.h"

namespace {

// A buffer filled the way the saved-game loader fills one: pre-allocated, copied, sized.
void Fill(TBinaryBuffer* buffer, const std::vector<unsigned char>& bytes)
{
  buffer->PreAlloc(static_cast<unsigned>(bytes.size()));
  unsigned size = 0;
  void* block = buffer->getData(&size);
  if (!bytes.empty())
    std::memcpy(block, bytes.data(), bytes.size());
  buffer->mSize = static_cast<uint32_t>(bytes.size());
}

std::vector<unsigned char> Bytes(TBinaryBuffer& buffer)
{
  unsigned size = 0;
  auto* data = static_cast<unsigned char*>(buffer.getData(&size));
  return std::vector<unsigned char>(data, data + size);
}

} // namespace

TEST(BinaryBuffer, NewBufferHoldsNothingAndReadsNothing)
{
  TBinaryBuffer buffer;
  unsigned size = 99;
  EXPECT_EQ(nullptr, buffer.getData(&size));
  EXPECT_EQ(0u, size);
  char out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(0u, buffer.Read(out, 4));
  EXPECT_EQ('x', out[0]);
  EXPECT_EQ(10240u, buffer.mGrowStep);
}

TEST(BinaryBuffer, FirstWriteAllocatesOneStepEvenForNoBytes)
{
  TBinaryBuffer buffer;
  EXPECT_EQ(0u, buffer.Write("", 0));
  EXPECT_NE(nullptr, buffer.mData);
  EXPECT_EQ(10240u, buffer.mCapacity);
  EXPECT_EQ(0u, buffer.mSize);
}

TEST(BinaryBuffer, LargeWritesGrowByAsManyStepsAsNeeded)
{
  TBinaryBuffer buffer;
  std::vector<unsigned char> big(50000, 0xAB);
  EXPECT_EQ(big.size(), buffer.Write(big.data(), big.size()));
  EXPECT_EQ(51200u, buffer.mCapacity);
  std::vector<unsigned char> more(30000, 0xCD);
  buffer.Write(more.data(), more.size());
  EXPECT_EQ(80000u, buffer.mSize);
  EXPECT_EQ(0xCD, buffer.mData[79999]);
  EXPECT_EQ(0xAB, buffer.mData[49999]);
}

TEST(BinaryBuffer, WrittenBytesCannotBeReadBackFromTheSameBuffer)
{
  TBinaryBuffer buffer;
  buffer.WriteU32(7);
  uint32_t value = 0;
  EXPECT_FALSE(buffer.ReadU32(&value));
  EXPECT_EQ(0u, value);
}

TEST(BinaryBuffer, PreAllocSizesTheBlockExactly)
{
  TBinaryBuffer buffer;
  buffer.Write("abcd", 4);
  EXPECT_EQ(10240u, buffer.mCapacity);
  buffer.PreAlloc(100);
  EXPECT_EQ(100u, buffer.mCapacity);
  EXPECT_EQ(4u, buffer.mSize);
  // A larger request grows the block, so a caller may fill all of it.
  buffer.PreAlloc(20000);
  EXPECT_EQ(20000u, buffer.mCapacity);
  // A smaller one keeps size and position inside the block.
  buffer.PreAlloc(2);
  EXPECT_EQ(2u, buffer.mSize);
  EXPECT_EQ(2u, buffer.mPosition);
}

TEST(BinaryBuffer, RecordHelpersRoundTripLittleEndian)
{
  TBinaryBuffer out;
  out.WriteU32(0x01020304);
  out.WriteI32(-2);
  out.WriteF32(1.5f);
  out.WriteBool(true);
  out.WriteString("abc");
  out.WriteString("");
  std::vector<unsigned char> bytes = Bytes(out);
  const unsigned char expected[] = {4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0xC0, 0x3F,
                                    1, 3, 0, 0, 0,    'a',  'b',  'c',  0, 0, 0,    0};
  ASSERT_EQ(sizeof expected, bytes.size());
  EXPECT_EQ(0, std::memcmp(expected, bytes.data(), bytes.size()));

  TBinaryBuffer in;
  Fill(&in, bytes);
  uint32_t u = 0;
  int32_t i = 0;
  float f = 0;
  bool b = false;
  str text, empty("x");
  EXPECT_TRUE(in.ReadU32(&u) && in.ReadI32(&i) && in.ReadF32(&f) && in.ReadBool(&b) && in.ReadString(&text) &&
              in.ReadString(&empty));
  EXPECT_EQ(0x01020304u, u);
  EXPECT_EQ(-2, i);
  EXPECT_EQ(1.5f, f);
  EXPECT_TRUE(b);
  EXPECT_EQ(str("abc"), text);
  EXPECT_EQ(str(""), empty);
  EXPECT_EQ(0u, in.Remaining());
  EXPECT_FALSE(in.Failed());
}

TEST(BinaryBuffer, StringLongerThanWhatIsLeftCopiesNothing)
{
  TBinaryBuffer in;
  Fill(&in, {10, 0, 0, 0, 'a', 'b', 'c', 'd', 'e', 'f'});
  str text("kept");
  EXPECT_FALSE(in.ReadString(&text));
  EXPECT_EQ(str("kept"), text);
  EXPECT_EQ(4u, in.mPosition);
  EXPECT_EQ(6u, in.Remaining());
  EXPECT_TRUE(in.Failed());
}

TEST(BinaryBuffer, HugeLengthDoesNotWrapTheBoundsCheck)
{
  TBinaryBuffer in;
  Fill(&in, {0xFF, 0xFF, 0xFF, 0xFF, 'a'});
  str text;
  EXPECT_FALSE(in.ReadString(&text));
  char byte;
  TBinaryBuffer other;
  Fill(&other, {1, 2});
  other.mPosition = 1;
  EXPECT_EQ(0u, other.Read(&byte, 0xFFFFFFFFul));
}

TEST(BinaryBuffer, FirstShortReadFailsEveryLaterRead)
{
  TBinaryBuffer in;
  Fill(&in, {1, 0, 0});
  uint32_t value = 5;
  EXPECT_FALSE(in.ReadU32(&value));
  bool flag = false;
  EXPECT_FALSE(in.ReadBool(&flag));
  EXPECT_EQ(5u, value);
}

TEST(BinaryBuffer, AbsurdCountsAreRefusedBeforeAnythingIsAllocated)
{
  TBinaryBuffer in;
  Fill(&in, {0x00, 0xCA, 0x9A, 0x3B, 1, 2, 3, 4, 5, 6, 7, 8});
  uint32_t count = 0;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(in.ReadCount(&count, 4, "object list"));
  std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, log.find("ERROR: Binary record object list")) << log;
  EXPECT_EQ(0u, count);

  TBinaryBuffer fits;
  Fill(&fits, {2, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_TRUE(fits.ReadCount(&count, 4, "object list"));
  EXPECT_EQ(2u, count);
}
