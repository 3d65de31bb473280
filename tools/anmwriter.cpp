// anmwriter: writes the animation and mesh test fixtures (".anm" files of every version,
// damaged and truncated ones, their XML twins, ".mesh" files, sprite sheets) into a folder.
#include <sys/stat.h>

#include <cerrno>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/graphics/ezpng.h"

namespace {

std::string gFolder;
bool gFailed = false;

std::string PathOf(const std::string& name)
{
  return gFolder + "/" + name;
}

void WriteFile(const std::string& name, const std::string& bytes)
{
  FILE* file = std::fopen(PathOf(name).c_str(), "wb");
  if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
    std::fprintf(stderr, "anmwriter: cannot write %s\n", name.c_str());
    gFailed = true;
  }
  if (file) {
    std::fclose(file);
  }
}

// ---------------------------------------------------------------------------------------
// Sprite sheets

struct TRgba
{
  unsigned char r, g, b, a;
};

void WritePng(const std::string& name, unsigned side, const std::vector<TRgba>& pixels)
{
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(pixels.data());
  TPngImage image = TPngImage::Rgba(side, side, std::vector<uint8_t>(bytes, bytes + pixels.size() * 4));
  if (!WritePngFile(str(PathOf(name).c_str()), image)) {
    gFailed = true;
  }
}

// sheet.png, 128 x 128: four 64 x 64 frames in a 2 x 2 grid. Frame 0 (0, 0) has the
// quadrants red, green / blue, white; frame 1 (64, 0) yellow, cyan / magenta, grey 128;
// frame 2 (0, 64) is orange (255, 128, 0); frame 3 (64, 64) is sky (0, 128, 255).
void WriteSheets()
{
  const unsigned side = 128;
  std::vector<TRgba> sheet(side * side);
  const TRgba quadrants[2][4] = {{{255, 0, 0, 255}, {0, 255, 0, 255}, {0, 0, 255, 255}, {255, 255, 255, 255}},
                                 {{255, 255, 0, 255}, {0, 255, 255, 255}, {255, 0, 255, 255}, {128, 128, 128, 255}}};
  for (unsigned y = 0; y < side; ++y) {
    for (unsigned x = 0; x < side; ++x) {
      TRgba& pixel = sheet[y * side + x];
      if (y < 64) {
        unsigned quadrant = ((y % 64) >= 32 ? 2 : 0) + ((x % 64) >= 32 ? 1 : 0);
        pixel = quadrants[x / 64][quadrant];
      } else {
        pixel = x < 64 ? TRgba{255, 128, 0, 255} : TRgba{0, 128, 255, 255};
      }
    }
  }
  WritePng("sheet.png", side, sheet);
  // A sheet of one colour, purple, to tell an image given by the caller apart.
  WritePng("other.png", side, std::vector<TRgba>(side * side, TRgba{128, 0, 128, 255}));
  // A mask whose red channel 64 becomes the sheet's alpha.
  WritePng("mask.png", side, std::vector<TRgba>(side * side, TRgba{64, 64, 64, 255}));
}

// ---------------------------------------------------------------------------------------
// ".anm" files

// Builds a little-endian file and remembers where each field begins, so that truncated
// copies can be cut at every field (and in the middle of the wider ones).
class TByteWriter
{
public:
  void Bytes(const void* data, size_t size)
  {
    mStarts.push_back(mBytes.size());
    if (size > 1) {
      mStarts.push_back(mBytes.size() + size / 2);
    }
    mBytes.append(static_cast<const char*>(data), size);
  }
  void Tag(const char* tag) { Bytes(tag, 4); }
  void Int(int32_t value)
  {
    unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                              static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
    Bytes(bytes, 4);
  }
  void Float(float value)
  {
    int32_t bits;
    std::memcpy(&bits, &value, 4);
    Int(bits);
  }
  void Short(int value)
  {
    unsigned char bytes[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
    Bytes(bytes, 2);
  }
  void String(const std::string& text)
  {
    Int(static_cast<int32_t>(text.size()));
    if (!text.empty()) {
      Bytes(text.data(), text.size());
    }
  }
  std::string mBytes;
  std::vector<size_t> mStarts;
};

struct TAnchorSpec
{
  std::string name;
  int32_t x, y;
};

struct TFrameSpec
{
  int32_t regX, regY, x, y, w, h;
  float alpha;
  float transform[6];
  std::string name;
  std::vector<TAnchorSpec> anchors;
};

const float kNone = -1e7f;

struct TAnimSpec
{
  int32_t version = 2;
  std::string sequence = "walk";
  std::string source = "walk.psd";
  int32_t regX = 3, regY = 4, width = 128, height = 128;
  std::string image = "sheet.png";
  std::string mask;
  std::vector<TFrameSpec> frames;
  bool hasScript = false;
  std::string script;
  // Overrides for damaged files.
  const char* animTag = "ANIM";
  const char* imageTag = "IMGN";
  const char* framesTag = "FRMS";
  int64_t frameCount = -1; // -1: the real count
  int64_t anchorCount = -1;
  int64_t sequenceLength = -1;
};

// The frames most fixtures share: frame 0 with a registration point, frame 1 with alpha
// 0.5, a transform and two anchors.
std::vector<TFrameSpec> TwoFrames()
{
  return {{10, 20, 0, 0, 64, 64, 1.0f, {kNone, 0, 0, 0, 0, 0}, "first", {}},
          {32, 32, 64, 0, 64, 64, 0.5f, {2, 0, 0, 2, 5, 7}, "second", {{"hand", 5, 6}, {"foot", 7, 8}}}};
}

// The frames of the drawing tests: see the sheet; frame 1 is doubled and moved by (5, 7),
// frame 2 has alpha 0.5, frame 3 is zero pixels wide.
std::vector<TFrameSpec> DrawFrames()
{
  return {{10, 20, 0, 0, 64, 64, 1.0f, {kNone, 0, 0, 0, 0, 0}, "plain", {}},
          {0, 0, 64, 0, 64, 64, 1.0f, {2, 0, 0, 2, 5, 7}, "doubled", {}},
          {32, 32, 0, 64, 64, 64, 0.5f, {kNone, 0, 0, 0, 0, 0}, "faded", {}},
          {0, 0, 64, 64, 0, 64, 1.0f, {kNone, 0, 0, 0, 0, 0}, "empty", {}}};
}

// Writes spec; framesEnd receives the offset just after the frames.
TByteWriter BuildAnm(const TAnimSpec& spec, size_t* framesEnd = nullptr)
{
  TByteWriter out;
  out.Tag(spec.animTag);
  out.Int(0x12345678);
  out.Int(spec.version);
  if (spec.sequenceLength >= 0) {
    out.Int(static_cast<int32_t>(spec.sequenceLength));
    out.Bytes(spec.sequence.data(), spec.sequence.size());
  } else {
    out.String(spec.sequence);
  }
  out.String(spec.source);
  out.Tag(spec.imageTag);
  out.Int(spec.regX);
  out.Int(spec.regY);
  out.Int(spec.width);
  out.Int(spec.height);
  if (spec.version == 1) {
    for (int i = 0; i < 4; ++i) {
      out.Int(99);
    }
  }
  out.String(spec.image);
  out.String(spec.mask);
  out.Tag(spec.framesTag);
  out.Int(static_cast<int32_t>(spec.frameCount >= 0 ? spec.frameCount : static_cast<int64_t>(spec.frames.size())));
  for (const TFrameSpec& frame : spec.frames) {
    out.Int(frame.regX);
    out.Int(frame.regY);
    out.Int(frame.x);
    out.Int(frame.y);
    out.Int(frame.w);
    out.Int(frame.h);
    if (spec.version >= 2) {
      out.Float(frame.alpha);
    }
    for (float value : frame.transform) {
      out.Float(value);
    }
    out.String(frame.name);
    out.Int(
        static_cast<int32_t>(spec.anchorCount >= 0 ? spec.anchorCount : static_cast<int64_t>(frame.anchors.size())));
    for (const TAnchorSpec& anchor : frame.anchors) {
      out.Int(anchor.x);
      out.Int(anchor.y);
      out.String(anchor.name);
    }
  }
  if (framesEnd) {
    *framesEnd = out.mBytes.size();
  }
  if (spec.hasScript) {
    out.Tag("SCRP");
    out.String(spec.script);
  }
  return out;
}

void WriteAnm(const std::string& name, const TAnimSpec& spec)
{
  WriteFile(name, BuildAnm(spec).mBytes);
}

// Copies of a file cut at every field; the manifest says which must still load: only cuts
// after the frames and before a complete "SCRP" tag (the optional block is then absent).
void WriteTruncations(const std::string& stem, const TAnimSpec& spec, std::string* manifest)
{
  size_t framesEnd = 0;
  TByteWriter full = BuildAnm(spec, &framesEnd);
  full.mStarts.push_back(full.mBytes.size() - 1);
  for (size_t cut : full.mStarts) {
    if (cut >= full.mBytes.size()) {
      continue;
    }
    std::string name = "trunc/" + stem + "_" + std::to_string(cut) + ".anm";
    WriteFile(name, full.mBytes.substr(0, cut));
    bool loads = cut >= framesEnd && cut < framesEnd + 4;
    *manifest += name + (loads ? " ok\n" : " fail\n");
  }
}

void WriteAnimations()
{
  TAnimSpec v2;
  v2.frames = TwoFrames();
  v2.hasScript = true;
  v2.script = "function DoAnim()\n    delay(30);\n    frames{2,1};\nend\n";
  WriteAnm("v2.anm", v2);

  TAnimSpec v1 = v2;
  v1.version = 1;
  WriteAnm("v1.anm", v1);

  TAnimSpec v3 = v2;
  v3.version = 3;
  v3.hasScript = false;
  WriteAnm("v3.anm", v3);

  TAnimSpec zero;
  WriteAnm("zero.anm", zero);

  TAnimSpec negative = zero;
  negative.frameCount = -3;
  WriteAnm("negative_count.anm", negative);

  TAnimSpec draw;
  draw.frames = DrawFrames();
  WriteAnm("draw.anm", draw);

  TAnimSpec masked = draw;
  masked.mask = "mask.png";
  WriteAnm("masked.anm", masked);

  TAnimSpec badAnim = v2;
  badAnim.animTag = "ANIX";
  WriteAnm("bad_anim.anm", badAnim);
  TAnimSpec badImage = v2;
  badImage.imageTag = "IMGX";
  WriteAnm("bad_imgn.anm", badImage);
  TAnimSpec badFrames = v2;
  badFrames.framesTag = "FRMX";
  WriteAnm("bad_frms.anm", badFrames);

  // A different 4-byte block after the frames is not a script.
  TByteWriter trailing = BuildAnm(v3);
  trailing.Bytes("JUNKJUNK", 8);
  WriteFile("trailing.anm", trailing.mBytes);

  TAnimSpec hugeFrames = v2;
  hugeFrames.frameCount = 0x7fffffff;
  WriteAnm("huge_frames.anm", hugeFrames);
  TAnimSpec hugeAnchors = v2;
  hugeAnchors.anchorCount = 0x7fffffff;
  WriteAnm("huge_anchors.anm", hugeAnchors);
  TAnimSpec hugeString = v2;
  hugeString.sequenceLength = 0x7fffffff;
  WriteAnm("huge_string.anm", hugeString);
  TAnimSpec negativeString = v2;
  negativeString.sequence = "";
  negativeString.sequenceLength = -5;
  WriteAnm("negative_string.anm", negativeString);

  std::string manifest;
  WriteTruncations("v1", v1, &manifest);
  WriteTruncations("v2", v2, &manifest);
  WriteFile("trunc/manifest.txt", manifest);
}

// The XML twins, written as text.
void WriteXml()
{
  WriteFile("v2.xml", "<sequence name=\"walk\" source=\"walk.psd\">\n"
                      "  <img regx=\"3\" regy=\"4\" w=\"128\" h=\"128\" name=\"sheet.png\" mask=\"\"/>\n"
                      "  <framelist>\n"
                      "    <frame x=\"0\" y=\"0\" w=\"64\" h=\"64\" name=\"first\" regx=\"10\" regy=\"20\"/>\n"
                      "    <frame x=\"64\" y=\"0\" w=\"64\" h=\"64\" name=\"second\" alpha=\"0.5\" regx=\"32\""
                      " regy=\"32\" xform=\"2 0 0 2 5 7\">\n"
                      "      <anchor name=\"hand\" x=\"5\" y=\"6\"/>\n"
                      "      <anchor name=\"foot\" x=\"7\" y=\"8\"/>\n"
                      "    </frame>\n"
                      "  </framelist>\n"
                      "</sequence>\n");
  // Frame 0 has neither registration nor transform; 1 sets both; 2 inherits both; 3 sets
  // a registration point and two transform values.
  WriteFile("inherit.xml",
            "<sequence name=\"inherit\">\n"
            "  <img name=\"sheet.png\"/>\n"
            "  <framelist>\n"
            "    <frame x=\"0\" y=\"0\" w=\"64\" h=\"64\"/>\n"
            "    <frame x=\"64\" y=\"0\" w=\"32\" h=\"48\" regx=\"7\" regy=\"9\" xform=\"1.5 0 0 2 3 4\"/>\n"
            "    <frame x=\"0\" y=\"64\" w=\"16\" h=\"80\" xform=\"\"/>\n"
            "    <frame x=\"64\" y=\"64\" w=\"8\" h=\"8\" regx=\"1\" regy=\"\" xform=\"3 4\"/>\n"
            "  </framelist>\n"
            "</sequence>\n");
  WriteFile("luascript.xml", "<sequence name=\"s\"><img name=\"sheet.png\"/>"
                             "<framelist><frame x=\"0\" y=\"0\" w=\"64\" h=\"64\"/></framelist>"
                             "<script luascript=\"delay(1)\">ignored()</script></sequence>\n");
  WriteFile("textscript.xml", "<sequence name=\"s\"><img name=\"sheet.png\"/>"
                              "<framelist><frame x=\"0\" y=\"0\" w=\"64\" h=\"64\"/></framelist>"
                              "<script>frames(1)</script></sequence>\n");
  WriteFile("noseq.xml", "<animation><img name=\"sheet.png\"/></animation>\n");
  WriteFile("noimg.xml", "<sequence name=\"s\"><framelist><frame x=\"0\" y=\"0\" w=\"64\" h=\"64\"/>"
                         "</framelist></sequence>\n");
  WriteFile("noframelist.xml", "<sequence name=\"s\"><img name=\"sheet.png\"/></sequence>\n");
  WriteFile("noframes.xml", "<sequence name=\"s\"><img name=\"sheet.png\"/><framelist><other/></framelist>"
                            "</sequence>\n");
}

// ---------------------------------------------------------------------------------------
// ".mesh" files

struct TMeshSpec
{
  const char* magic = "TRIS";
  std::vector<int> values; // 8 per vertex
  std::vector<int> indices;
  int vertexCount = -1; // -1: from values
};

TByteWriter BuildMesh(const TMeshSpec& spec)
{
  TByteWriter out;
  out.Tag(spec.magic);
  out.Short(spec.vertexCount >= 0 ? spec.vertexCount : static_cast<int>(spec.values.size() / 8));
  out.Short(static_cast<int>(spec.indices.size() / 3));
  for (int value : spec.values) {
    out.Short(value);
  }
  for (int index : spec.indices) {
    out.Short(index);
  }
  return out;
}

void WriteMeshes()
{
  TMeshSpec values;
  values.values = {-1500, 32767, -32768, 0,     1000, 0,    500,  250,   // vertex 0
                   1000,  0,     0,      0,     0,    1000, 1000, 0,     // vertex 1
                   0,     1000,  0,      -1000, 0,    0,    0,    1000}; // vertex 2
  values.indices = {0, 1, 2, 2, 1, 0};
  WriteFile("values.mesh", BuildMesh(values).mBytes);

  TMeshSpec noTriangles;
  noTriangles.values = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  WriteFile("notriangles.mesh", BuildMesh(noTriangles).mBytes);

  TMeshSpec badMagic = values;
  badMagic.magic = "TRIX";
  WriteFile("badmagic.mesh", BuildMesh(badMagic).mBytes);

  TMeshSpec badIndex = values;
  badIndex.indices = {0, 1, 3};
  WriteFile("badindex.mesh", BuildMesh(badIndex).mBytes);

  TMeshSpec hugeCount = values;
  hugeCount.vertexCount = 0xffff;
  WriteFile("hugecount.mesh", BuildMesh(hugeCount).mBytes);

  std::string manifest;
  TByteWriter full = BuildMesh(values);
  full.mStarts.push_back(full.mBytes.size() - 1);
  for (size_t cut : full.mStarts) {
    if (cut < full.mBytes.size()) {
      std::string name = "trunc/values_" + std::to_string(cut) + ".mesh";
      WriteFile(name, full.mBytes.substr(0, cut));
      manifest += name + " fail\n";
    }
  }
  WriteFile("trunc/mesh_manifest.txt", manifest);
}

} // namespace

int main(int argc, char** argv)
{
  if (argc != 2) {
    std::fprintf(stderr, "usage: anmwriter FOLDER\n");
    return 2;
  }
  gFolder = argv[1];
  std::string trunc = PathOf("trunc");
  if (mkdir(trunc.c_str(), 0777) != 0 && errno != EEXIST) {
    std::fprintf(stderr, "anmwriter: cannot make %s\n", trunc.c_str());
    return 1;
  }
  WriteSheets();
  WriteAnimations();
  WriteXml();
  WriteMeshes();
  return gFailed ? 1 : 0;
}
