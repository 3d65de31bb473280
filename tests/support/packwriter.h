// packwriter: builds pack archives (".qvp") byte for byte for tests and benchmarks, so no
// binary fixtures are kept; the helpers also damage archives on purpose.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct TPackMember
{
  std::string name;
  std::string data;
};

inline void AppendLE32(std::string* bytes, uint32_t value)
{
  for (int shift = 0; shift < 32; shift += 8)
    bytes->push_back(static_cast<char>(value >> shift));
}

inline void PutLE32(std::string* bytes, size_t position, uint32_t value)
{
  for (int i = 0; i < 4; ++i)
    (*bytes)[position + i] = static_cast<char>(value >> (8 * i));
}

// "QVPK", the entry count, the table, then every member's data in order.
inline std::string BuildPackArchive(std::vector<TPackMember> const& members)
{
  size_t tableBytes = 0;
  for (TPackMember const& member : members)
    tableBytes += 1 + member.name.size() + 8;
  std::string bytes = "QVPK";
  AppendLE32(&bytes, static_cast<uint32_t>(members.size()));
  uint32_t offset = static_cast<uint32_t>(8 + tableBytes);
  for (TPackMember const& member : members) {
    bytes.push_back(static_cast<char>(member.name.size()));
    bytes += member.name;
    AppendLE32(&bytes, offset);
    AppendLE32(&bytes, static_cast<uint32_t>(member.data.size()));
    offset += static_cast<uint32_t>(member.data.size());
  }
  for (TPackMember const& member : members)
    bytes += member.data;
  return bytes;
}

// Where the offset field of entry `index` lies in an archive made by BuildPackArchive.
inline size_t PackEntryOffsetField(std::vector<TPackMember> const& members, size_t index)
{
  size_t position = 8;
  for (size_t i = 0; i < index; ++i)
    position += 1 + members[i].name.size() + 8;
  return position + 1 + members[index].name.size();
}

inline bool WriteBytes(std::string const& path, std::string const& bytes)
{
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file)
    return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
