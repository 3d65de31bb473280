// xmlnode_fuzz: feeds arbitrary bytes (plain or "ZXML") to the XML parser over a buffer,
// then writes the tree back and parses the written text again; plain bytes also go through
// a source without a window (a byte at a time), which must build the same tree.
#include "core/foundation/xmlnode.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Every byte through DoGetChar, every step back through UngetChar: the tokenizer's slow way.
class TByteSource : public TGetChar
{
public:
  TByteSource(char const* bytes, size_t size) : mBytes(bytes), mSize(size) {}
  int DoGetChar() override { return mAt < mSize ? (unsigned char)mBytes[mAt++] : -1; }
  int UngetChar(int c) override { return mAt > 0 ? (--mAt, c) : -1; }
  void Rewind() override { mAt = 0; }

private:
  char const* mBytes;
  size_t mSize;
  size_t mAt = 0;
};

} // namespace

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
  if (size < 4 || memcmp(bytes, "ZXML", 4) != 0) {
    std::vector<char> text(bytes, bytes + size);
    text.push_back('\0');
    TXmlNode fromString;
    fromString.ParseString(text.data());
  }

  // A buffer ends at its first 0xFF byte; the byte source does not.
  if ((size < 4 || memcmp(bytes, "ZXML", 4) != 0) && !memchr(bytes, 0xFF, size)) {
    TByteSource source(bytes, size);
    TXmlNode slow;
    slow.Parse(&source);
    str fast = doc.AsString();
    str slowText = slow.AsString();
    if (fast.length() != slowText.length() || memcmp(fast.c_str(), slowText.c_str(), fast.length()) != 0)
      abort();
  }

  str written = doc.AsString();
  TXmlNode again;
  again.ParseBuffer(written.c_str(), written.length());

  // Walk the tree the way callers do.
  TXmlNode copy(doc);
  str name;
  TXmlNode* child = nullptr;
  copy.ResetChildren();
  while (copy.GetNextChild(&name, &child)) {
    child->GetAttribute(name.c_str());
    child->GetChild(name.c_str());
  }
  return 0;
}
