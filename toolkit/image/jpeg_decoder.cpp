// Decoder of JPEG files, over libjpeg.
//
// libjpeg reads from a memory source of our own over the block and reports errors through an
// error manager whose exit jumps back into the decoder, which then refuses the file. Grey
// pictures become D3DFMT_L8; colour ones, and CMYK (or YCCK) ones turned from inks to light,
// D3DFMT_X8R8G8B8; anything else is refused. Both passes refuse what libjpeg would refuse
// only once decoding starts (too many scans, sampling it cannot scale), so that the header
// pass describes no file that the decode refuses for its header.

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "toolkit/common/allocation.h"
#include "toolkit/image/decoded_image.h"
#include "toolkit/image/decoder_support.h"

// jpeglib.h needs FILE and size_t declared before it, and defines TRUE and FALSE as macros,
// which would clash with the constants of our headers if it came first. Its macros are
// dropped so that both sides use the constants (libjpeg's boolean is an int too).
#include <jpeglib.h>
#undef TRUE
#undef FALSE

namespace {

// What libjpeg reads once the block is used up: the end of the image, so that a file cut
// short ends its picture there instead of reading on.
constexpr JOCTET endOfImage[2] = {0xFF, JPEG_EOI};

constexpr BYTE startOfScan = 0xDA;
constexpr BYTE startOfImage = 0xD8;
constexpr BYTE temporaryMarker = 0x01;

// Encoders write a handful of scans (libjpeg's progressive script ten, for colour). libjpeg
// passes over the whole picture once per scan, so a small file of a thousand scans over a
// large picture would keep it busy for tens of seconds; more than this is no picture.
constexpr UINT maxJpegScans = 256;

struct BlockSource {
  jpeg_source_mgr manager;  // first, so that libjpeg's pointer is ours too
  const BYTE* bytes;
  UINT size;
  bool presented;
};

struct JumpingErrorManager {
  jpeg_error_mgr manager;  // first, so that libjpeg's pointer is ours too
  std::jmp_buf recovery;
};

void InitSource(j_decompress_ptr /*info*/) {}
void TermSource(j_decompress_ptr /*info*/) {}

boolean FillFromBlock(j_decompress_ptr info) {
  auto* source = reinterpret_cast<BlockSource*>(info->src);
  if (!source->presented) {
    source->presented = true;
    source->manager.next_input_byte = source->bytes;
    source->manager.bytes_in_buffer = source->size;
    return TRUE;
  }
  source->manager.next_input_byte = endOfImage;
  source->manager.bytes_in_buffer = sizeof(endOfImage);
  return TRUE;
}

// A skip past what is left stops at the end; the next fill then ends the image.
void SkipInBlock(j_decompress_ptr info, long count) {
  auto* source = reinterpret_cast<BlockSource*>(info->src);
  if (count <= 0) return;
  if (!source->presented) FillFromBlock(info);
  std::size_t skipped = static_cast<std::size_t>(count);
  if (skipped > source->manager.bytes_in_buffer) skipped = source->manager.bytes_in_buffer;
  source->manager.next_input_byte += skipped;
  source->manager.bytes_in_buffer -= skipped;
}

[[noreturn]] void JumpToRecovery(j_common_ptr info) {
  auto* errors = reinterpret_cast<JumpingErrorManager*>(info->err);
  std::longjmp(errors->recovery, 1);
}

void SuppressMessage(j_common_ptr /*info*/) {}

bool ProcessorHasMmx() {
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("mmx");
#else
  return false;
#endif
}

// What one decoding call holds of libjpeg, released on every path out of it.
struct JpegSession {
  jpeg_decompress_struct info{};
  JumpingErrorManager errors{};
  BlockSource source{};
  BYTE* row = nullptr;

  JpegSession(const BYTE* bytes, UINT size) {
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JumpToRecovery;
    errors.manager.output_message = SuppressMessage;
    source.manager.init_source = InitSource;
    source.manager.fill_input_buffer = FillFromBlock;
    source.manager.skip_input_data = SkipInBlock;
    source.manager.resync_to_restart = jpeg_resync_to_restart;
    source.manager.term_source = TermSource;
    source.bytes = bytes;
    source.size = size;
  }

  ~JpegSession() {
    FreeBytes(row);
    // Safe on an object whose creation never finished: it frees only what was made.
    jpeg_destroy_decompress(&info);
  }
};

bool IsRestart(BYTE code) { return code >= 0xD0 && code <= 0xD7; }

// The code of the next marker, past entropy-coded bytes, stuffed zeros, fill bytes and restart
// markers; false at the end of the block.
bool NextMarker(ByteCursor& in, BYTE& code) {
  for (;;) {
    const BYTE* at = in.Current();
    const void* found = std::memchr(at, 0xFF, in.Remaining());
    if (found == nullptr) return false;
    in.Skip(static_cast<std::uint64_t>(static_cast<const BYTE*>(found) - at) + 1);
    do {
      if (!in.ReadByte(code)) return false;
    } while (code == 0xFF);
    if (code != 0x00 && !IsRestart(code)) return true;
  }
}

// The scans between the file's start and end of image, counted from its markers without
// decoding any: segments are passed by their lengths, as libjpeg passes them, so that bytes
// inside them (a thumbnail's own markers) are not counted. Stops counting past `most`.
UINT CountScans(const BYTE* bytes, UINT size, UINT most) {
  ByteCursor in(bytes, size, 2);
  UINT scans = 0;
  BYTE code = 0;
  while (scans <= most && NextMarker(in, code) && code != JPEG_EOI) {
    if (code == startOfImage || code == temporaryMarker) continue;
    const BYTE* length = in.Take(2);
    if (length == nullptr) break;
    const UINT segment = static_cast<UINT>((length[0] << 8) | length[1]);
    if (!in.Skip(segment > 2 ? segment - 2 : 0)) break;
    if (code == startOfScan) ++scans;
  }
  return scans;
}

// libjpeg's upsampler takes only whole ratios between a component's sampling and the
// largest; it refuses any other when decoding starts.
bool SamplesInWholeRatios(const jpeg_decompress_struct& info) {
  for (int i = 0; i < info.num_components; ++i) {
    const jpeg_component_info& component = info.comp_info[i];
    if (info.max_h_samp_factor % component.h_samp_factor != 0) return false;
    if (info.max_v_samp_factor % component.v_samp_factor != 0) return false;
  }
  return true;
}

// libjpeg keeps every coefficient of the picture (a 64-entry block per 8 x 8 samples of each
// component, padded to whole MCUs) when the file has more than one scan: progressive files,
// and sequential ones that store their components in separate scans.
bool KeepsWholeCoefficients(const jpeg_decompress_struct& info) {
  return info.progressive_mode || info.comps_in_scan < info.num_components;
}

std::uint64_t CoefficientBytes(const jpeg_decompress_struct& info) {
  std::uint64_t bytes = 0;
  for (int i = 0; i < info.num_components; ++i) {
    const jpeg_component_info& component = info.comp_info[i];
    const std::uint64_t across = component.width_in_blocks;
    const std::uint64_t down = component.height_in_blocks;
    const auto horizontal = static_cast<std::uint64_t>(component.h_samp_factor);
    const auto vertical = static_cast<std::uint64_t>(component.v_samp_factor);
    bytes += (across + horizontal - 1) / horizontal * horizontal *
             ((down + vertical - 1) / vertical * vertical) * sizeof(JBLOCK);
  }
  return bytes;
}

// Pictures whose pixels and, while libjpeg decodes them, coefficients would pass the loader
// budget together are refused before either is asked for.
bool WithinBudget(const jpeg_decompress_struct& info, UINT rowPitch, UINT height) {
  if (!WithinLoaderBudget(rowPitch, height)) return false;
  const std::uint64_t left = loaderBudget - std::uint64_t{rowPitch} * height;
  return !KeepsWholeCoefficients(info) || CoefficientBytes(info) <= left;
}

void SpreadColourRow(const BYTE* rgb, UINT width, BYTE* out) {
  for (UINT x = 0; x < width; ++x) {
    out[4 * x] = rgb[3 * x + 2];
    out[4 * x + 1] = rgb[3 * x + 1];
    out[4 * x + 2] = rgb[3 * x];
    out[4 * x + 3] = 0;
  }
}

// A colour left by a light of `light` (0 ... 255) through black ink that leaves `black`.
BYTE Mix(UINT light, UINT black) { return static_cast<BYTE>((light * black + 127) / 255); }

// Inks to light: each colour is what its ink and the black ink leave of full intensity.
// Files with an Adobe marker store every ink inverted, that is as the light it leaves.
void SpreadInkRow(const BYTE* cmyk, UINT width, bool inverted, BYTE* out) {
  auto light = [inverted](BYTE stored) { return inverted ? stored : 255u - stored; };
  for (UINT x = 0; x < width; ++x) {
    const BYTE* ink = cmyk + 4 * x;
    const UINT black = light(ink[3]);
    out[4 * x] = Mix(light(ink[2]), black);
    out[4 * x + 1] = Mix(light(ink[1]), black);
    out[4 * x + 2] = Mix(light(ink[0]), black);
    out[4 * x + 3] = 0;
  }
}

}  // namespace

// Everything from here on may be left by a libjpeg error through longjmp; the frames skipped
// hold no objects with destructors, and nothing set after setjmp is read after the jump.
static HRESULT DecodeJpegWithRecovery(DecodedImage& image, JpegSession& session) {
  j_decompress_ptr info = &session.info;
  if (setjmp(session.errors.recovery) != 0) return E_FAIL;
  jpeg_create_decompress(info);
  info->src = &session.source.manager;
  jpeg_read_header(info, TRUE);
  if (!ProcessorHasMmx()) info->dct_method = JDCT_IFAST;
  if (info->jpeg_color_space == JCS_CMYK || info->jpeg_color_space == JCS_YCCK) {
    info->out_color_space = JCS_CMYK;  // libjpeg turns YCCK into CMYK itself
  }
  // The header tells the output's size and components; decompression starts only for the
  // pixels, since for files of several scans it reads them all.
  jpeg_calc_output_dimensions(info);

  if (!SamplesInWholeRatios(*info)) return E_FAIL;
  int components = info->output_components;
  if (components != 1 && components != 3 && components != 4) return E_FAIL;
  UINT width = info->output_width;
  UINT height = info->output_height;
  if (components == 1) {
    SetFlatSize(image, D3DFMT_L8, width, height, width);
  } else {
    SetFlatSize(image, D3DFMT_X8R8G8B8, width, height, 4 * width);
  }
  if (!image.loadPixels) return S_OK;

  if (!WithinBudget(*info, image.rowPitch, height)) return E_OUTOFMEMORY;
  // The pixels are asked for before libjpeg reads any scan, so that a refusal costs no
  // decoding; libjpeg's own limit on its working memory (which does not come from us) holds it
  // to what they leave of the budget.
  HRESULT result = AllocateOwnedPixels(image, image.rowPitch, height);
  if (FAILED(result)) return result;
  const std::size_t rowBytes = static_cast<std::size_t>(width) * static_cast<UINT>(components);
  session.row = static_cast<BYTE*>(AllocateBytes(rowBytes));
  if (session.row == nullptr) return E_OUTOFMEMORY;
  info->mem->max_memory_to_use =
      static_cast<long>(loaderBudget - std::uint64_t{image.rowPitch} * height);
  jpeg_start_decompress(info);
  JSAMPROW rows[1] = {session.row};
  while (info->output_scanline < height) {
    BYTE* out = image.pixels + static_cast<std::size_t>(info->output_scanline) * image.rowPitch;
    if (jpeg_read_scanlines(info, rows, 1) != 1) return E_FAIL;
    if (components == 1) {
      std::memcpy(out, session.row, rowBytes);
    } else if (components == 3) {
      SpreadColourRow(session.row, width, out);
    } else {
      SpreadInkRow(session.row, width, info->saw_Adobe_marker != 0, out);
    }
  }
  jpeg_finish_decompress(info);
  return S_OK;
}

HRESULT DecodedImage::DecodeJpeg(const BYTE* bytes, UINT size) {
  // libjpeg wants the start of image first; only then are the scans worth counting.
  if (bytes == nullptr || size < 2 || bytes[0] != 0xFF || bytes[1] != startOfImage) return E_FAIL;
  if (CountScans(bytes, size, maxJpegScans) > maxJpegScans) return E_FAIL;
  JpegSession session(bytes, size);
  return DecodeJpegWithRecovery(*this, session);
}
