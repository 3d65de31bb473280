// savestring: strings of saved-game records, over the binary buffer's string record.
#include "flow/savestring.h"

#include "scene/binarybuffer.h"

void SaveString(TBinaryBuffer* buffer, const str& text)
{
  buffer->WriteString(text);
}

bool LoadString(TBinaryBuffer* buffer, str& text)
{
  if (!buffer->ReadString(&text)) {
    buffer->Fail("string");
    return false;
  }
  return true;
}
