// xmlattributes: reads numbers, flags, points and comma-separated lists from the attributes
// of scene XML and writes them back; numbers always in the "C" locale, over TXmlNode.
#pragma once

#include <vector>

#include "core/foundation/str.h"
#include "core/foundation/vec.h"

class TXmlNode;

// atof and atoi as the scene files were written for them: leading blanks skipped, the
// number ends at the first character that is not part of it, no number reads as 0, and a
// point is the decimal separator whatever the user's locale. Integers are held in the int range.
float ReadCNumber(const char* text);
int ReadCInteger(const char* text);
// printf formatting in the "C" locale ("%f" always writes a point).
str FormatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The text from the start of field first to the end of field last (fields separated by
// any of the delimiters, counted from 0); empty when the text has no field first, the
// rest of the text when it ends before field last does.
str getSubString(const char* text, int first, int last, const char* delimiters);

float ReadTRealAttributeEx(bool* found, TXmlNode* node, const char* name, float defaultValue);
int ReadIntAttributeEx(bool* found, TXmlNode* node, const char* name, int defaultValue);
bool ReadBoolAttributeEx(bool* found, TXmlNode* node, const char* name, bool defaultValue);
// Found only when the text holds both an x and a y piece.
TVec2 ReadTVec2AttributeEx(bool* found, TXmlNode* node, const char* name, TVec2 defaultValue);
// n numbers; a missing piece takes its default. True when no piece was missing.
bool ReadTRealArrayAttributeEx(TXmlNode* node, const char* name, float* out, const float* defaults, int n);

float ReadTRealAttribute(TXmlNode* node, const char* name, float defaultValue);
int ReadIntAttribute(TXmlNode* node, const char* name, int defaultValue);
bool ReadBoolAttribute(TXmlNode* node, const char* name, bool defaultValue);
TVec2 ReadTVec2Attribute(TXmlNode* node, const char* name, TVec2 defaultValue);

// "%f" of the value; a point as "%f,%f".
void SetTRealAttribute(TXmlNode* node, const char* name, float value);
void SetTVec2Attribute(TXmlNode* node, const char* name, TVec2 value);

// Append to out, elements joined by ",": "%d", "%f", "%f,%f".
void int_to_str(str* out, std::vector<int>* values);
void real_to_str(str* out, std::vector<float>* values);
void vec2_to_str(str* out, std::vector<TVec2>* values);

// Append one number per comma-separated field, stopping at the first field that starts
// at the end of the text: "1,,2" gives 1, 0, 2 and "1,2," gives 1, 2.
void str_to_int(const char* text, std::vector<int>* out);
void str_to_real(const char* text, std::vector<float>* out);
// Pairs of fields as points, stopping at the first pair with a missing piece.
void str_to_vec2(const char* text, std::vector<TVec2>* out);
// Every number of a text, whatever separates them: each run of digits, points and minus
// signs is read as one number ("1, 2;3" gives 1, 2, 3).
void ReadNumberList(const char* text, std::vector<float>* out);
