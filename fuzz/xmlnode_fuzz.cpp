// xmlnode_fuzz: feeds arbitrary bytes (plain or "ZXML") to the XML parser over a buffer,
// then writes the tree back and parses the written text again.
#include "core/foundation/xmlnode.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  char const* bytes = reinterpret_cast<char const*>(data);
  TXmlNode doc;
  doc.ParseBuffer(bytes, size);
  // The strict form that replies from the network go through, named as they are.
  TXmlNode whole;
  whole.ParseWhole(bytes, size, "reply");

  // The zero-terminated entry point, for text that is not a compressed block (whose
  // unsized form trusts its header by design).
  if (size < 4 || memcmp(bytes, "ZXML", 4) != 0)
  {
    std::vector<char> text(bytes, bytes + size);
    text.push_back('\0');
    TXmlNode fromString;
    fromString.ParseString(text.data());
  }

  str written = doc.AsString();
  TXmlNode again;
  again.ParseBuffer(written.c_str(), written.length());

  // Walk the tree the way callers do.
  TXmlNode copy(doc);
  str name;
  TXmlNode* child = nullptr;
  copy.ResetChildren();
  while (copy.GetNextChild(&name, &child))
  {
    child->GetAttribute(name.c_str());
    child->GetChild(name.c_str());
  }
  return 0;
}
