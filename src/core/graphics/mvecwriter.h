// mvecwriter: builds ".mvec" vector font files from glyph records and outline programs; the
// one writer of the format that mvecfont reads, used by the font tool and the tests.
#pragma once

#include <cstdint>
#include <vector>

// One glyph: its character, box and advance in raw units (1/128 of a font unit, y down) and
// its outline program (opcodes and little-endian operands, ending with 8).
struct TMvecGlyph
{
  uint32_t code;
  int16_t minX, maxX, minY, maxY, advance;
  std::vector<uint8_t> program;
};

// Little-endian operands of programs and records.
void AppendMvec16(std::vector<uint8_t>& out, int value);
void AppendMvec32(std::vector<uint8_t>& out, uint32_t value);

// The file: "MVC4", the glyph count, the records in the order given (a font the reader
// searches must be sorted by code: the caller sorts, so tests can write unsorted ones), then
// the programs.
std::vector<uint8_t> BuildMvecFont(std::vector<TMvecGlyph> const& glyphs);
