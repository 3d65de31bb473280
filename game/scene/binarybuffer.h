// binarybuffer: the growable byte buffer that scenes, objects and saved games are stored
// into and loaded from, with the record helpers (numbers, strings, counts) every reader shares.
#pragma once

#include <cstdint>

#include "core/foundation/str.h"

// Records are little-endian with no magic, version or checksum, so a reader must know the
// exact order of fields; every helper below checks what is left before it reads, and the
// first short read marks the whole buffer as failed so a caller can give the load up.
class TBinaryBuffer
{
public:
  TBinaryBuffer();
  ~TBinaryBuffer();

  // Appends n bytes at the position; returns n (0 when the block cannot grow).
  unsigned long Write(const void* bytes, unsigned long n);
  // Copies n bytes from the position; returns n, or 0 (nothing copied, position kept,
  // buffer marked failed) when fewer remain.
  unsigned long Read(void* out, unsigned long n);
  // Sizes the block to exactly n bytes for a caller that fills it through getData; size
  // and position are held inside the new block.
  void PreAlloc(unsigned int n);
  void* getData(unsigned int* size);

  unsigned int Remaining() const { return mSize - mPosition; }
  bool Failed() const { return mFailed; }
  // Marks the buffer failed and writes one "ERROR: " line naming the record (only the
  // first fault of a buffer is reported).
  void Fail(const char* what);
  // For a reader that reports the fault itself, with what follows from it: the first fault
  // is kept for GetFault instead of being written.
  void KeepFaultsQuiet() { mQuiet = true; }
  // The first fault ("screen scene at byte 12 of 40"); empty while there is none.
  const str& GetFault() const { return mFault; }

  void WriteU32(uint32_t value);
  void WriteI32(int32_t value);
  void WriteF32(float value);
  void WriteBool(bool value);
  // A u32 byte length followed by the bytes, no terminator.
  void WriteString(const str& value);

  // False once the buffer has failed; the output keeps its value then.
  bool ReadU32(uint32_t* value);
  bool ReadI32(int32_t* value);
  bool ReadF32(float* value);
  bool ReadBool(bool* value);
  bool ReadString(str* value);
  // A list count, refused (and the buffer failed) when the remaining bytes cannot hold
  // that many records of at least minRecordBytes each, so no absurd count allocates.
  bool ReadCount(uint32_t* count, unsigned minRecordBytes, const char* what);

  // The public fields of the record format's buffer: the block (C allocator), valid
  // bytes, allocated bytes, the one cursor for writing and reading, the growth step.
  unsigned char* mData;
  uint32_t mSize;
  uint32_t mCapacity;
  uint32_t mPosition;
  uint32_t mGrowStep;

private:
  TBinaryBuffer(const TBinaryBuffer&) = delete;
  TBinaryBuffer& operator=(const TBinaryBuffer&) = delete;

  bool Reserve(unsigned long needed);

  bool mFailed;
  bool mReported;
  bool mQuiet = false;
  str mFault;
};
