// ezjp2: decodes JPEG 2000 files (JP2 or raw codestream) of the virtual file system into
// power-of-two BGRA squares; the one place that talks to OpenJPEG.
#include <openjpeg.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "core/foundation/file.h"
#include "core/graphics/texturedata.h"
#include "core/foundation/debug.h"

namespace {

struct TJp2Stream
{
  TFile* mFile;
  long mSize;
};

OPJ_SIZE_T Jp2Read(void* buffer, OPJ_SIZE_T count, void* user)
{
  TJp2Stream* stream = static_cast<TJp2Stream*>(user);
  unsigned long read = stream->mFile->Read(buffer, count);
  return read ? static_cast<OPJ_SIZE_T>(read) : static_cast<OPJ_SIZE_T>(-1);
}

OPJ_OFF_T Jp2Skip(OPJ_OFF_T count, void* user)
{
  TJp2Stream* stream = static_cast<TJp2Stream*>(user);
  long position = stream->mFile->Tell();
  long target = position + static_cast<long>(count);
  if (target < 0 || target > stream->mSize) {
    return -1;
  }
  stream->mFile->Seek(target, kSeekStart);
  return count;
}

OPJ_BOOL Jp2Seek(OPJ_OFF_T position, void* user)
{
  TJp2Stream* stream = static_cast<TJp2Stream*>(user);
  if (position < 0 || position > stream->mSize) {
    return OPJ_FALSE;
  }
  stream->mFile->Seek(static_cast<long>(position), kSeekStart);
  return stream->mFile->Tell() == static_cast<long>(position) ? OPJ_TRUE : OPJ_FALSE;
}

void Jp2Error(const char* message, void* user)
{
  WriteDbg("ERROR: JPEG 2000 %s: %s", static_cast<const char*>(user), message);
}

void Jp2Quiet(const char*, void*) {}

// Sample of a component at image pixel (x, y), brought to 8 bits.
unsigned char Sample(const opj_image_comp_t& component, unsigned x, unsigned y)
{
  unsigned column = std::min(x / std::max(component.dx, 1u), component.w - 1);
  unsigned row = std::min(y / std::max(component.dy, 1u), component.h - 1);
  int value = component.data[static_cast<size_t>(row) * component.w + column];
  const int precision = static_cast<int>(component.prec);
  if (component.sgnd && precision > 0) {
    value += 1 << (precision - 1);
  }
  if (precision > 8) {
    value >>= (precision - 8);
  } else if (precision < 8) {
    value <<= (8 - precision);
  }
  return static_cast<unsigned char>(std::clamp(value, 0, 255));
}

bool Usable(const opj_image_t* image, int index)
{
  if (index < 0 || static_cast<OPJ_UINT32>(index) >= image->numcomps) {
    return false;
  }
  const opj_image_comp_t& component = image->comps[index];
  return component.data && component.w > 0 && component.h > 0 && component.prec > 0 && component.prec <= 31;
}

// Fills one byte (0 blue .. 3 alpha) of every pixel from a component, repeating the last
// column and row into the padding; false when the component is missing.
bool FillChannel(const opj_image_t* image, int index, unsigned char* pixels, unsigned width, unsigned height,
                 unsigned side, int byte, unsigned char fallback)
{
  const bool usable = Usable(image, index);
  for (unsigned y = 0; y < side; ++y) {
    unsigned sourceY = std::min(y, height - 1);
    unsigned char* row = pixels + static_cast<size_t>(y) * side * 4;
    for (unsigned x = 0; x < side; ++x) {
      row[x * 4 + byte] = usable ? Sample(image->comps[index], std::min(x, width - 1), sourceY) : fallback;
    }
  }
  return usable;
}

int AlphaComponent(const opj_image_t* image, int firstExtra)
{
  for (OPJ_UINT32 i = 0; i < image->numcomps; ++i) {
    if (image->comps[i].alpha) {
      return static_cast<int>(i);
    }
  }
  return static_cast<OPJ_UINT32>(firstExtra) < image->numcomps ? firstExtra : -1;
}

} // namespace

bool EzJp2LoadImage(const char* name, unsigned char** pixels, int* width, int* height, int* side, int* hasAlpha,
                    unsigned maxSide)
{
  *pixels = nullptr;
  *hasAlpha = 0;
  TFile file;
  if (!file.Open(name, kFileRead)) {
    WriteDbg("ERROR: JPEG 2000 %s: cannot open", name);
    return false;
  }
  TJp2Stream source = {&file, static_cast<long>(file.Size())};
  unsigned char magic[12] = {0};
  unsigned long got = file.Read(magic, sizeof(magic));
  file.Seek(0, kSeekStart);
  static const unsigned char kJp2Box[12] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50, 0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};
  OPJ_CODEC_FORMAT format;
  if (got >= 12 && std::memcmp(magic, kJp2Box, 12) == 0) {
    format = OPJ_CODEC_JP2;
  } else if (got >= 4 && magic[0] == 0xFF && magic[1] == 0x4F && magic[2] == 0xFF && magic[3] == 0x51) {
    format = OPJ_CODEC_J2K;
  } else {
    WriteDbg("ERROR: JPEG 2000 %s: not a JPEG 2000 file", name);
    return false;
  }

  opj_stream_t* stream = opj_stream_create(OPJ_J2K_STREAM_CHUNK_SIZE, OPJ_TRUE);
  opj_codec_t* codec = opj_create_decompress(format);
  opj_image_t* image = nullptr;
  bool ok = stream && codec;
  if (ok) {
    opj_stream_set_user_data(stream, &source, nullptr);
    opj_stream_set_user_data_length(stream, static_cast<OPJ_UINT64>(source.mSize));
    opj_stream_set_read_function(stream, Jp2Read);
    opj_stream_set_skip_function(stream, Jp2Skip);
    opj_stream_set_seek_function(stream, Jp2Seek);
    void* user = const_cast<char*>(name);
    opj_set_error_handler(codec, Jp2Error, user);
    opj_set_warning_handler(codec, Jp2Quiet, user);
    opj_set_info_handler(codec, Jp2Quiet, user);
    opj_dparameters_t parameters;
    opj_set_default_decoder_parameters(&parameters);
    ok = opj_setup_decoder(codec, &parameters) && opj_read_header(stream, codec, &image) && image;
  }
  unsigned imageWidth = 0;
  unsigned imageHeight = 0;
  if (ok) {
    imageWidth = image->x1 > image->x0 ? image->x1 - image->x0 : 0;
    imageHeight = image->y1 > image->y0 ? image->y1 - image->y0 : 0;
    // Refuse oversized images before the decoder allocates their samples.
    if (imageWidth == 0 || imageHeight == 0 || imageWidth > maxSide || imageHeight > maxSide || image->numcomps == 0) {
      WriteDbg("ERROR: JPEG 2000 %s: image %ux%u exceeds %u pixels", name, imageWidth, imageHeight, maxSide);
      ok = false;
    }
  }
  if (ok) {
    ok = opj_decode(codec, stream, image) && opj_end_decompress(codec, stream);
    if (!ok) {
      WriteDbg("ERROR: JPEG 2000 %s: cannot decode", name);
    }
  }
  unsigned char* buffer = nullptr;
  const unsigned squareSide = NextPowerOfTwo(std::max(imageWidth, imageHeight));
  if (ok) {
    buffer = new (std::nothrow) unsigned char[static_cast<size_t>(squareSide) * squareSide * 4];
    ok = buffer != nullptr;
  }
  if (ok) {
    const bool grey = image->color_space == OPJ_CLRSPC_GRAY || image->numcomps < 3;
    if (grey) {
      if (FillChannel(image, 0, buffer, imageWidth, imageHeight, squareSide, 0, 0)) {
        FillChannel(image, 0, buffer, imageWidth, imageHeight, squareSide, 1, 0);
        FillChannel(image, 0, buffer, imageWidth, imageHeight, squareSide, 2, 0);
        FillChannel(image, -1, buffer, imageWidth, imageHeight, squareSide, 3, 255);
      } else {
        std::memset(buffer, 0, static_cast<size_t>(squareSide) * squareSide * 4);
      }
      int alpha = AlphaComponent(image, 1);
      if (alpha > 0 && FillChannel(image, alpha, buffer, imageWidth, imageHeight, squareSide, 3, 255)) {
        *hasAlpha = 1;
      }
    } else {
      FillChannel(image, 2, buffer, imageWidth, imageHeight, squareSide, 0, 0);
      FillChannel(image, 1, buffer, imageWidth, imageHeight, squareSide, 1, 0);
      FillChannel(image, 0, buffer, imageWidth, imageHeight, squareSide, 2, 0);
      int alpha = AlphaComponent(image, 3);
      *hasAlpha = (alpha > 2 && FillChannel(image, alpha, buffer, imageWidth, imageHeight, squareSide, 3, 255)) ? 1 : 0;
      if (!*hasAlpha) {
        FillChannel(image, -1, buffer, imageWidth, imageHeight, squareSide, 3, 255);
      }
    }
  }
  if (image) {
    opj_image_destroy(image);
  }
  if (codec) {
    opj_destroy_codec(codec);
  }
  if (stream) {
    opj_stream_destroy(stream);
  }
  if (!ok) {
    delete[] buffer;
    return false;
  }
  *pixels = buffer;
  *width = static_cast<int>(imageWidth);
  *height = static_cast<int>(imageHeight);
  *side = static_cast<int>(squareSide);
  return true;
}

void EzJp2FreeImage(unsigned char* pixels)
{
  delete[] pixels;
}
