// mvecwriter: lays out the header, the glyph records and the programs; pure computation.
#include "core/graphics/mvecwriter.h"

void AppendMvec16(std::vector<uint8_t>& out, int value)
{
  out.push_back(uint8_t(value & 0xFF));
  out.push_back(uint8_t((value >> 8) & 0xFF));
}

void AppendMvec32(std::vector<uint8_t>& out, uint32_t value)
{
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(uint8_t((value >> shift) & 0xFF));
  }
}

std::vector<uint8_t> BuildMvecFont(std::vector<TMvecGlyph> const& glyphs)
{
  std::vector<uint8_t> out = {'M', 'V', 'C', '4'};
  AppendMvec16(out, int(glyphs.size()));
  out.insert(out.end(), 6, 0);
  uint32_t offset = uint32_t(12 + 18 * glyphs.size());
  for (TMvecGlyph const& glyph : glyphs) {
    AppendMvec32(out, glyph.code);
    AppendMvec16(out, glyph.minX);
    AppendMvec16(out, glyph.maxX);
    AppendMvec16(out, glyph.minY);
    AppendMvec16(out, glyph.maxY);
    AppendMvec16(out, glyph.advance);
    AppendMvec32(out, offset);
    offset += uint32_t(glyph.program.size());
  }
  for (TMvecGlyph const& glyph : glyphs) {
    out.insert(out.end(), glyph.program.begin(), glyph.program.end());
  }
  return out;
}
