// computerid: reads the hardware address of the primary network interface (getifaddrs,
// else /sys/class/net) and derives the fingerprint, GUIDs and computer id the engine sends.
#include "platform/online/computerid.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netpacket/packet.h>
#include <sys/socket.h>

#include "core/foundation/debug.h"

namespace {

uint32_t const kFallbackWord = 0xDEADBEEFu;

bool ParseHardwareAddress(char const* text, unsigned char* address)
{
  unsigned int bytes[6];
  char trailing = 0;
  if (std::sscanf(text, "%2x:%2x:%2x:%2x:%2x:%2x%c", &bytes[0], &bytes[1], &bytes[2], &bytes[3], &bytes[4], &bytes[5],
                  &trailing) < 6)
    return false;
  if (trailing && trailing != '\n')
    return false;
  for (int i = 0; i < 6; ++i)
    address[i] = (unsigned char)bytes[i];
  return true;
}

// Some sandboxes hide packet sockets from getifaddrs; sysfs still names the addresses.
std::vector<THardwareInterface> ReadSysfsInterfaces()
{
  std::vector<THardwareInterface> interfaces;
  DIR* folder = opendir("/sys/class/net");
  if (!folder)
    return interfaces;
  while (dirent* entry = readdir(folder)) {
    if (entry->d_name[0] == '.')
      continue;
    str const base = str("/sys/class/net/") + entry->d_name;
    FILE* file = std::fopen((base + "/address").c_str(), "r");
    if (!file)
      continue;
    char text[64] = {0};
    bool const haveLine = std::fgets(text, sizeof(text), file) != nullptr;
    std::fclose(file);
    THardwareInterface found;
    if (!haveLine || !ParseHardwareAddress(text, found.mAddress))
      continue;
    found.mName = entry->d_name;
    // ARPHRD_LOOPBACK is 772.
    found.mLoopback = false;
    if (FILE* typeFile = std::fopen((base + "/type").c_str(), "r")) {
      int type = 0;
      if (std::fscanf(typeFile, "%d", &type) == 1)
        found.mLoopback = type == 772;
      std::fclose(typeFile);
    }
    interfaces.push_back(found);
  }
  closedir(folder);
  return interfaces;
}

std::vector<THardwareInterface> ReadSystemInterfaces()
{
  std::vector<THardwareInterface> interfaces;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) == 0) {
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
      if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET || !entry->ifa_name)
        continue;
      sockaddr_ll const* link = reinterpret_cast<sockaddr_ll const*>(entry->ifa_addr);
      if (link->sll_halen != 6)
        continue;
      THardwareInterface found;
      found.mName = entry->ifa_name;
      found.mLoopback = (entry->ifa_flags & IFF_LOOPBACK) != 0;
      std::memcpy(found.mAddress, link->sll_addr, 6);
      interfaces.push_back(found);
    }
    freeifaddrs(list);
  }
  if (interfaces.empty())
    interfaces = ReadSysfsInterfaces();
  return interfaces;
}

std::atomic<THardwareAddressSource> gAddressSource{&ReadSystemInterfaces};
std::atomic<bool> gReportedFallback{false};

bool PickPrimaryAddress(std::vector<THardwareInterface> interfaces, unsigned char* address)
{
  // Sorting by name makes the choice independent of the order the system lists them in.
  std::sort(interfaces.begin(), interfaces.end(),
            [](THardwareInterface const& a, THardwareInterface const& b) { return a.mName < b.mName; });
  for (THardwareInterface const& candidate : interfaces) {
    if (candidate.mLoopback || candidate.mName == str("lo"))
      continue;
    bool nonZero = false;
    for (int i = 0; i < 6; ++i)
      nonZero = nonZero || candidate.mAddress[i] != 0;
    if (!nonZero)
      continue;
    std::memcpy(address, candidate.mAddress, 6);
    return true;
  }
  return false;
}

} // namespace

THardwareAddressSource SetHardwareAddressSource(THardwareAddressSource source)
{
  return gAddressSource.exchange(source ? source : &ReadSystemInterfaces);
}

bool GetHardwareFingerprint(uint64_t& fingerprint)
{
  unsigned char address[6];
  if (!PickPrimaryAddress(gAddressSource.load()(), address)) {
    // Containers often have nothing but loopback; say so once, not on every GUID.
    if (!gReportedFallback.exchange(true))
      WriteDbg("No network hardware address found; using the fallback machine fingerprint");
    fingerprint = (uint64_t(kFallbackWord) << 32) | kFallbackWord;
    return true;
  }
  fingerprint = 0;
  for (int i = 0; i < 6; ++i)
    fingerprint |= uint64_t(address[i]) << (8 * i);
  return true;
}

void qvGenerateGUID(uint32_t* out)
{
  uint64_t fingerprint = 0;
  GetHardwareFingerprint(fingerprint);
  out[0] = (uint32_t)fingerprint;
  out[1] = (uint32_t)(fingerprint >> 32);
  out[2] = (uint32_t)std::time(nullptr);
  out[3] = (uint32_t)std::rand();
}

str qvGenerateGUIDStr()
{
  uint32_t guid[4];
  qvGenerateGUID(guid);
  return str::getFormatted("%08x%08x%08x%08x", guid[0], guid[1], guid[2], guid[3]);
}

str qvGetComputerId()
{
  uint64_t fingerprint = 0;
  GetHardwareFingerprint(fingerprint);
  unsigned char bytes[8];
  for (int i = 0; i < 8; ++i)
    bytes[i] = (unsigned char)(fingerprint >> (8 * i));
  bytes[6] = bytes[3];
  bytes[7] = bytes[4];

  char id[17];
  for (int i = 1; i <= 8; ++i) {
    unsigned const mixed = bytes[i - 1] ^ bytes[i % 8];
    id[2 * (i - 1)] = (char)(0x40 + (mixed & 0x1F));
    id[2 * (i - 1) + 1] = (char)(0x41 + i + (mixed >> 5));
  }
  id[16] = 0;
  return str(id);
}
