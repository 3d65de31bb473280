// mvecbuilder: small ".mvec" vector fonts for tests, through the engine's writer, and the
// hand-made font with known coverage ('A' and 'W' squares, a descending 'g', a narrow 'i', a space).
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/graphics/mvecwriter.h"

typedef TMvecGlyph TTestGlyph;

// Filled rectangle in raw units (1/128 of a font unit).
inline std::vector<uint8_t> RectProgram(int x0, int y0, int x1, int y1)
{
  std::vector<uint8_t> program = {2, 1};
  const int points[5][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
  for (int i = 0; i < 5; ++i) {
    program.push_back(i == 0 ? 4 : 5);
    AppendMvec16(program, points[i][0]);
    AppendMvec16(program, points[i][1]);
  }
  program.push_back(8);
  return program;
}

inline TTestGlyph RectGlyph(uint32_t code, int x0, int y0, int x1, int y1, int advance)
{
  return TTestGlyph{
      code, int16_t(x0), int16_t(x1), int16_t(y0), int16_t(y1), int16_t(advance), RectProgram(x0, y0, x1, y1)};
}

// Glyphs in the given order (the caller sorts them), each program after the table.
inline std::vector<uint8_t> BuildMvec(const std::vector<TTestGlyph>& glyphs)
{
  return BuildMvecFont(glyphs);
}

// Ascent 8 and descent 2 font units: at size 25 a run's scale is 8 quarter pixels per unit,
// so 'A' is a 16-pixel square with a 16-pixel advance.
inline std::vector<TTestGlyph> HandFontGlyphs()
{
  return {TTestGlyph{' ', 0, 0, 0, 0, 512, {8}}, RectGlyph('A', 0, -1024, 1024, 0, 1024),
          RectGlyph('W', 0, -1024, 1024, 0, 1024), RectGlyph('g', 0, -768, 1024, 256, 1024),
          RectGlyph('i', 0, -1024, 256, 0, 512)};
}

inline unsigned char* CopyFontBytes(const std::vector<uint8_t>& bytes)
{
  unsigned char* copy = new unsigned char[bytes.size() ? bytes.size() : 1];
  if (!bytes.empty())
    std::memcpy(copy, bytes.data(), bytes.size());
  return copy;
}

inline void WriteFontFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
