// ezjpeg: decodes JPEG files of the virtual file system into power-of-two BGRA squares;
// the one place that talks to libjpeg. Decoding errors fail the load, never the process.
#include <cstddef>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include <csetjmp>
#include <cstring>
#include <new>

#include "core/foundation/file.h"
#include "core/graphics/texturedata.h"
#include "core/foundation/debug.h"

namespace {

const size_t kSourceBufferSize = 4096;
const long kMemoryLimit = 16777216;

struct TJpegError
{
  jpeg_error_mgr mPub;
  jmp_buf mJump;
  const char* mName;
};

void JpegErrorExit(j_common_ptr info)
{
  TJpegError* error = reinterpret_cast<TJpegError*>(info->err);
  char message[JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, message);
  WriteDbg("ERROR: JPEG %s: %s", error->mName, message);
  longjmp(error->mJump, 1);
}

void JpegOutputMessage(j_common_ptr info)
{
  TJpegError* error = reinterpret_cast<TJpegError*>(info->err);
  char message[JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, message);
  WriteDbg("JPEG %s: %s", error->mName, message);
}

struct TFileSource
{
  jpeg_source_mgr mPub;
  TFile* mFile;
  JOCTET* mBuffer;
  bool mStartOfFile;
};

void InitSourceTFile(j_decompress_ptr info)
{
  reinterpret_cast<TFileSource*>(info->src)->mStartOfFile = true;
}

boolean FillInputBufferTFile(j_decompress_ptr info)
{
  TFileSource* source = reinterpret_cast<TFileSource*>(info->src);
  size_t count = qv_read(source->mFile, source->mBuffer, kSourceBufferSize);
  if (count == 0) {
    if (source->mStartOfFile) {
      ERREXIT(info, JERR_INPUT_EMPTY);
    }
    WARNMS(info, JWRN_JPEG_EOF);
    // An end-of-image marker lets a truncated file finish decoding.
    source->mBuffer[0] = 0xFF;
    source->mBuffer[1] = JPEG_EOI;
    count = 2;
  }
  source->mPub.next_input_byte = source->mBuffer;
  source->mPub.bytes_in_buffer = count;
  source->mStartOfFile = false;
  return TRUE;
}

void SkipInputDataTFile(j_decompress_ptr info, long count)
{
  if (count <= 0) {
    return;
  }
  TFileSource* source = reinterpret_cast<TFileSource*>(info->src);
  while (count > static_cast<long>(source->mPub.bytes_in_buffer)) {
    count -= static_cast<long>(source->mPub.bytes_in_buffer);
    FillInputBufferTFile(info);
  }
  source->mPub.next_input_byte += count;
  source->mPub.bytes_in_buffer -= static_cast<size_t>(count);
}

void TermSourceTFile(j_decompress_ptr) {}

} // namespace

void jpeg_stdio_src_tfile(j_decompress_ptr info, TFile* file)
{
  if (!info->src) {
    TFileSource* source = static_cast<TFileSource*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, sizeof(TFileSource)));
    source->mBuffer = static_cast<JOCTET*>(
        (*info->mem->alloc_small)(reinterpret_cast<j_common_ptr>(info), JPOOL_PERMANENT, kSourceBufferSize));
    info->src = &source->mPub;
  }
  TFileSource* source = reinterpret_cast<TFileSource*>(info->src);
  source->mPub.init_source = InitSourceTFile;
  source->mPub.fill_input_buffer = FillInputBufferTFile;
  source->mPub.skip_input_data = SkipInputDataTFile;
  source->mPub.resync_to_restart = jpeg_resync_to_restart;
  source->mPub.term_source = TermSourceTFile;
  source->mPub.bytes_in_buffer = 0;
  source->mPub.next_input_byte = nullptr;
  source->mFile = file;
}

namespace {

// The libjpeg part; returns false after an error jump. No object with a destructor
// lives in this frame.
bool JpegDecode(jpeg_decompress_struct* info, TJpegError* error, TFile* file, unsigned char** pixels, int* width,
                int* height, int* side, unsigned maxSide)
{
  if (setjmp(error->mJump)) {
    return false;
  }
  jpeg_create_decompress(info);
  info->mem->max_memory_to_use = kMemoryLimit;
  jpeg_stdio_src_tfile(info, file);
  jpeg_read_header(info, TRUE);
  // Refuse oversized images before anything is allocated for their pixels.
  if (info->image_width == 0 || info->image_height == 0 || info->image_width > maxSide ||
      info->image_height > maxSide) {
    WriteDbg("ERROR: JPEG %s: image %ux%u exceeds %u pixels", error->mName, info->image_width, info->image_height,
             maxSide);
    return false;
  }
  // Blue, green, red, 255 straight from the decoder.
  info->out_color_space = JCS_EXT_BGRA;
  jpeg_start_decompress(info);
  const size_t squareSide =
      NextPowerOfTwo(info->output_width > info->output_height ? info->output_width : info->output_height);
  *pixels = new (std::nothrow) unsigned char[squareSide * squareSide * 4];
  if (!*pixels) {
    WriteDbg("ERROR: JPEG %s: out of memory", error->mName);
    return false;
  }
  std::memset(*pixels, 0, squareSide * squareSide * 4);
  while (info->output_scanline < info->output_height) {
    JSAMPROW row = *pixels + static_cast<size_t>(info->output_scanline) * squareSide * 4;
    jpeg_read_scanlines(info, &row, 1);
  }
  jpeg_finish_decompress(info);
  *width = static_cast<int>(info->output_width);
  *height = static_cast<int>(info->output_height);
  *side = static_cast<int>(squareSide);
  return true;
}

} // namespace

bool EzJpegLoadImage(const char* name, unsigned char** pixels, int* width, int* height, int* side, unsigned maxSide)
{
  *pixels = nullptr;
  TFile* file = qv_open(name, kFileRead);
  if (!file) {
    WriteDbg("ERROR: JPEG %s: cannot open", name);
    return false;
  }
  jpeg_decompress_struct info;
  std::memset(&info, 0, sizeof(info));
  TJpegError error;
  info.err = jpeg_std_error(&error.mPub);
  error.mPub.error_exit = JpegErrorExit;
  error.mPub.output_message = JpegOutputMessage;
  error.mName = name;
  unsigned char* decoded = nullptr;
  bool ok = JpegDecode(&info, &error, file, &decoded, width, height, side, maxSide);
  jpeg_destroy_decompress(&info);
  qv_close(file);
  if (!ok) {
    delete[] decoded;
    return false;
  }
  *pixels = decoded;
  return true;
}

void EzJpegFreeImage(unsigned char* pixels)
{
  delete[] pixels;
}
