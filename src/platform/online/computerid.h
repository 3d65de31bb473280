// computerid: this machine's identity: a 64-bit hardware fingerprint from the primary
// network interface's hardware address, the GUIDs and the 16-character computer id made from it.
#pragma once

#include <cstdint>
#include <vector>

#include "core/foundation/str.h"

// One network interface as the address source reports it.
struct THardwareInterface
{
  str mName;
  bool mLoopback;
  unsigned char mAddress[6];
};

// Lists the machine's network interfaces with 6-byte hardware addresses.
typedef std::vector<THardwareInterface> (*THardwareAddressSource)();

// Replaces the interface list (null restores the system's); returns the previous source.
THardwareAddressSource SetHardwareAddressSource(THardwareAddressSource source);

// The fingerprint's bytes in memory order (low byte first) are the six address bytes of
// the first non-loopback interface, by name, with a non-zero address, then two zero bytes.
// Without such an interface both 32-bit words are 0xDEADBEEF. Read afresh on every call;
// always true.
bool GetHardwareFingerprint(uint64_t& fingerprint);

// Four words: fingerprint low word, fingerprint high word, seconds since 1970, rand().
void qvGenerateGUID(uint32_t* out);
// A new GUID as 32 lower-case hexadecimal digits.
str qvGenerateGUIDStr();
// 16 characters, alternately from "@".."_" and "B".."P", the same on every run.
str qvGetComputerId();
