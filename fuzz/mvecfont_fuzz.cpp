// mvecfont_fuzz: feeds arbitrary bytes to the vector font reader as a font file, queries every
// glyph, walks every outline program, and lays out tagged text in the font.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "core/foundation/file.h"
#include "core/graphics/mvecfont.h"
#include "core/graphics/textgraphic.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
  unsigned char* bytes = new unsigned char[size ? size : 1];
  if (size)
    std::memcpy(bytes, data, size);
  {
    TMvecFont font(bytes, size);
    volatile float sink = font.GetAscent() + font.GetDescent() + font.GetLeading(true);
    for (int i = 0; i < font.GetGlyphCount(); ++i) {
      const unsigned char* program = font.GetGlyphData(i);
      const unsigned long offset = static_cast<unsigned long>(program - bytes);
      // Every program the reader accepted ends inside the file.
      if (TMvecFont::ProgramLength(program, size - offset) == 0)
        __builtin_trap();
      sink = sink + font.GetGlyphAdvance(i) + font.GetGlyphMinX(i) + font.GetGlyphMaxX(i) + font.GetGlyphScaleY(i);
      if (font.GetGlyphIndex(font.GetGlyphCode(i)) != i)
        __builtin_trap();
    }
    (void)sink;
  }

  // Through the font registry, as text uses it.
  static unsigned char* file = nullptr;
  delete[] file;
  file = new unsigned char[size ? size : 1];
  if (size)
    std::memcpy(file, data, size);
  TFile::AddMemoryFile("fuzz.mvec", file, unsigned(size));
  TTextGraphic* graphic = TTextGraphic::Create("AW gy <b>bold</b> <i>it</i>\xC3\xA9<br><center>mid</center>", 120, 80,
                                               0, "fuzz.mvec", 20, TColor(1, 1, 1, 1));
  TRect bounds;
  graphic->GetTextBounds(&bounds, 1.0f);
  graphic->Pick(TPoint(10, 10), 0);
  graphic->GetMaxScroll(1.0f, 2);
  graphic->Destroy();
  TFontData::ShutDown();
  return 0;
}
