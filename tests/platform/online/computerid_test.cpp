// computerid_test: the fingerprint's byte layout and interface choice over an injected
// address source, the id and GUID derivations, and the shape of the real machine's id.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <ctime>

#include "platform/online/computerid.h"

namespace {

THardwareInterface Interface(char const* name, bool loopback, unsigned char a0, unsigned char a1, unsigned char a2,
                             unsigned char a3, unsigned char a4, unsigned char a5)
{
  THardwareInterface entry;
  entry.mName = name;
  entry.mLoopback = loopback;
  unsigned char const bytes[6] = {a0, a1, a2, a3, a4, a5};
  std::memcpy(entry.mAddress, bytes, 6);
  return entry;
}

std::vector<THardwareInterface> NoInterfaces()
{
  return {};
}

std::vector<THardwareInterface> OnlyLoopbackAndZero()
{
  return {Interface("lo", true, 0, 0, 0, 0, 0, 0), Interface("dummy0", false, 0, 0, 0, 0, 0, 0),
          Interface("lo2", true, 1, 2, 3, 4, 5, 6)};
}

std::vector<THardwareInterface> SeveralInterfaces()
{
  // Listed out of name order; "eth0" wins over "wlan0", loopback and the zero address.
  return {Interface("wlan0", false, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF),
          Interface("lo", true, 0x12, 0x12, 0x12, 0x12, 0x12, 0x12), Interface("docker0", false, 0, 0, 0, 0, 0, 0),
          Interface("eth0", false, 0x00, 0x11, 0x22, 0x33, 0x44, 0x55)};
}

class ComputerIdTest : public ::testing::Test
{
protected:
  void TearDown() override { SetHardwareAddressSource(nullptr); }
};

bool HasIdShape(str const& id)
{
  if (id.length() != 16)
    return false;
  for (unsigned i = 0; i < 16; i += 2) {
    if (id[i] < '@' || id[i] > '_' || id[i + 1] < 'B' || id[i + 1] > 'P')
      return false;
  }
  return true;
}

} // namespace

TEST_F(ComputerIdTest, FingerprintIsThePrimaryAddressInMemoryOrder)
{
  SetHardwareAddressSource(&SeveralInterfaces);
  uint64_t fingerprint = 0;
  EXPECT_TRUE(GetHardwareFingerprint(fingerprint));
  EXPECT_EQ(fingerprint, 0x0000554433221100ull);

  uint32_t guid[4];
  qvGenerateGUID(guid);
  EXPECT_EQ(guid[0], 0x33221100u);
  EXPECT_EQ(guid[1], 0x00005544u);
  str const text = qvGenerateGUIDStr();
  EXPECT_EQ(text.length(), 32u);
  EXPECT_EQ(text.substr(0, 16), str("3322110000005544"));
  EXPECT_EQ(qvGetComputerId(), str("QBSDQDWHQFFJWKDK"));
}

TEST_F(ComputerIdTest, WithoutUsableAddressTheFallbackFingerprintIsUsed)
{
  for (THardwareAddressSource source : {&NoInterfaces, &OnlyLoopbackAndZero}) {
    SetHardwareAddressSource(source);
    uint64_t fingerprint = 0;
    EXPECT_TRUE(GetHardwareFingerprint(fingerprint));
    EXPECT_EQ(fingerprint, 0xDEADBEEFDEADBEEFull);
    EXPECT_EQ(qvGenerateGUIDStr().substr(0, 16), str("deadbeefdeadbeef"));
    str const id = qvGetComputerId();
    EXPECT_EQ(id, str("QDSCSGQFQH@JQI@I"));
    EXPECT_TRUE(HasIdShape(id));
  }
}

TEST_F(ComputerIdTest, GuidsCarryTheTimeAndDifferOnlyInTheRandomWord)
{
  SetHardwareAddressSource(&SeveralInterfaces);
  uint32_t first[4], second[4];
  uint32_t const before = (uint32_t)std::time(nullptr);
  qvGenerateGUID(first);
  qvGenerateGUID(second);
  uint32_t const after = (uint32_t)std::time(nullptr);
  EXPECT_GE(first[2], before);
  EXPECT_LE(second[2], after);
  EXPECT_EQ(first[0], second[0]);
  EXPECT_EQ(first[1], second[1]);
  if (first[2] == second[2]) {
    EXPECT_NE(first[3], second[3]);
  }
}

TEST_F(ComputerIdTest, RealMachineIdIsStableAndWellFormed)
{
  str const id = qvGetComputerId();
  EXPECT_TRUE(HasIdShape(id)) << id.c_str();
  EXPECT_EQ(qvGetComputerId(), id);
  for (unsigned i = 0; i < id.length(); ++i)
    EXPECT_TRUE(std::isprint((unsigned char)id[i]));
}
