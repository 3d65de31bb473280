// defaultfont: the built-in vector font image ("__DEFAULT"), generated from a TrueType
// font by tools/ttf2mvec; the font registry copies it when no font file can be read.
#pragma once

extern const unsigned char kDefaultFontData[];
extern const unsigned long kDefaultFontSize;
