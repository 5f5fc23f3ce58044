// Decoder of PNG files, over libpng.
//
// libpng parses, inflates, de-interlaces and transforms the samples; this file picks the
// transformations so that each colour type and depth lands in a Direct3D format (16-bit
// samples in the pseudo formats), and decodes the whole image straight into its final block.
// libpng reports errors by jumping back to the recovery point of the decoding call; every
// such error refuses the file.

#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstring>

#include "toolkit/common/allocation.h"
#include "toolkit/image/decoded_image.h"
#include "toolkit/image/decoder_support.h"

namespace {

// What libpng itself may hold for one file. A side of a million pixels (libpng's usual
// default, made explicit) keeps each of its row buffers and our row-pointer table at a few
// megabytes; the pixel block as a whole is held to loaderBudget. One ancillary chunk (an ICC
// profile, an unknown chunk) may take a few megabytes, and only a few are kept at all.
constexpr png_uint_32 maxPngSide = 1000000;
constexpr png_alloc_size_t maxPngChunkBytes = 4 << 20;
constexpr png_uint_32 maxKeptPngChunks = 8;

// Chunks that libpng reads whole into a block of the length they declare (past the chunk
// limit it only warns), and that we never read: skipped unread, whatever length they claim.
constexpr png_byte unreadPngChunks[] = "tEXt\0zTXt\0iTXt\0sPLT\0pCAL\0sCAL\0eXIf";
constexpr int unreadPngChunkCount = sizeof(unreadPngChunks) / 5;

// libpng's own memory comes from our heap, held to the budget block by block, and shows in
// the tests' largest request; the sweeps' refusals are for the toolkit's own blocks.
png_voidp AllocateForLibpng(png_structp /*png*/, png_alloc_size_t size) {
  return AllocateLibraryBytes(size, loaderBudget);
}

void FreeForLibpng(png_structp /*png*/, png_voidp block) { FreeBytes(block); }

// The read position over the in-memory file, reached through libpng's I/O pointer.
struct PngReadState {
  const BYTE* next;
  UINT left;
};

void ReadFromBlock(png_structp png, png_bytep destination, std::size_t length) {
  auto* state = static_cast<PngReadState*>(png_get_io_ptr(png));
  if (length > state->left) png_error(png, "read error");
  std::memcpy(destination, state->next, length);
  state->next += length;
  state->left -= static_cast<UINT>(length);
}

[[noreturn]] void JumpToRecovery(png_structp png, png_const_charp /*message*/) {
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp /*png*/, png_const_charp /*message*/) {}

// What one decoding call holds of libpng, released on every path out of it.
struct PngSession {
  png_structp png = nullptr;
  png_infop info = nullptr;
  png_bytep* rowPointers = nullptr;
  // PLTE as stored in the file, taken before the transformations start: libpng then corrects
  // its own copy for gamma in place, and the palette's gamma table applied to that copy would
  // correct the colours twice.
  png_color filePalette[PNG_MAX_PALETTE_LENGTH] = {};
  int filePaletteCount = 0;
  bool gammaRequested = false;
  double fileGamma = 1.0;

  ~PngSession() {
    FreeBytes(rowPointers);
    png_destroy_read_struct(&png, &info, nullptr);
  }

  bool Create() {
    png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, JumpToRecovery, IgnoreWarning,
                                   nullptr, AllocateForLibpng, FreeForLibpng);
    if (png == nullptr) return false;
    info = png_create_info_struct(png);
    if (info == nullptr) return false;
    png_set_user_limits(png, maxPngSide, maxPngSide);
    png_set_chunk_malloc_max(png, maxPngChunkBytes);
    png_set_chunk_cache_max(png, maxKeptPngChunks);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, unreadPngChunks, unreadPngChunkCount);
    return true;
  }
};

D3DFORMAT FirstFormatChoice(int colorType) {
  switch (colorType) {
    case PNG_COLOR_TYPE_GRAY: return D3DFMT_L8;
    case PNG_COLOR_TYPE_RGB: return D3DFMT_R8G8B8;
    case PNG_COLOR_TYPE_PALETTE: return D3DFMT_P8;
    case PNG_COLOR_TYPE_GRAY_ALPHA: return D3DFMT_A8L8;
    case PNG_COLOR_TYPE_RGB_ALPHA: return D3DFMT_A8R8G8B8;
    default: return D3DFMT_UNKNOWN;
  }
}

D3DFORMAT SixteenBitFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_R8G8B8: return FMT_R16G16B16;
    case D3DFMT_A8R8G8B8: return D3DFMT_A16B16G16R16;
    case D3DFMT_L8: return D3DFMT_L16;
    case D3DFMT_A8L8: return FMT_A16L16;
    default: return D3DFMT_UNKNOWN;
  }
}

D3DFORMAT WithTransparency(D3DFORMAT format) {
  if (format == D3DFMT_R8G8B8) return D3DFMT_A8R8G8B8;
  if (format == D3DFMT_L8) return D3DFMT_A8L8;
  if (format == D3DFMT_L16) return FMT_A16L16;
  if (format == FMT_R16G16B16) return D3DFMT_A16B16G16R16;
  return format;
}

png_byte ChannelsOf(D3DFORMAT format) {
  // The pseudo formats lie outside the enumeration, so the switch is on the plain value.
  switch (static_cast<DWORD>(format)) {
    case D3DFMT_P8:
    case D3DFMT_L8:
    case D3DFMT_L16: return 1;
    case D3DFMT_A8L8:
    case FMT_A16L16: return 2;
    case D3DFMT_R8G8B8:
    case FMT_R16G16B16: return 3;
    default: return 4;
  }
}

// The file's own gamma g is corrected for a display of gamma 2.2, unless the file declares
// itself sRGB (which such a display shows as it is).
void RequestGamma(PngSession& session) {
  int intent = 0;
  if (png_get_sRGB(session.png, session.info, &intent) != 0) return;
  double gamma = 0.0;
  if (png_get_gAMA(session.png, session.info, &gamma) == 0) return;
  png_set_gamma(session.png, 2.2, gamma);
  session.gammaRequested = true;
  session.fileGamma = gamma;
}

void KeepFilePalette(PngSession& session) {
  if (png_get_valid(session.png, session.info, PNG_INFO_PLTE) == 0) return;
  png_colorp entries = nullptr;
  int count = 0;
  png_get_PLTE(session.png, session.info, &entries, &count);
  if (count > PNG_MAX_PALETTE_LENGTH) count = PNG_MAX_PALETTE_LENGTH;
  std::memcpy(session.filePalette, entries, sizeof(png_color) * static_cast<std::size_t>(count));
  session.filePaletteCount = count;
}

void BuildGammaTable(const PngSession& session, BYTE table[256]) {
  if (!session.gammaRequested) {
    for (int i = 0; i < 256; ++i) table[i] = static_cast<BYTE>(i);
    return;
  }
  const float exponent = 1.0f / (2.2f * static_cast<float>(session.fileGamma));
  for (int i = 0; i < 256; ++i) {
    float corrected = 255.0f * std::pow(static_cast<float>(i) / 255.0f, exponent) + 0.5f;
    table[i] = static_cast<BYTE>(corrected >= 255.0f ? 255 : static_cast<int>(corrected));
  }
}

// Entries past the file's palette are opaque white; tRNS gives the alphas of the first ones.
void FillPalette(PngSession& session, PALETTEENTRY* palette) {
  BYTE gammaTable[256];
  BuildGammaTable(session, gammaTable);
  png_bytep alphas = nullptr;
  int alphaCount = 0;
  if (png_get_valid(session.png, session.info, PNG_INFO_tRNS) != 0) {
    png_get_tRNS(session.png, session.info, &alphas, &alphaCount, nullptr);
  }
  for (int i = 0; i < 256; ++i) {
    PALETTEENTRY& entry = palette[i];
    entry = PALETTEENTRY{255, 255, 255, 255};
    if (i >= session.filePaletteCount) continue;
    entry.peRed = gammaTable[session.filePalette[i].red];
    entry.peGreen = gammaTable[session.filePalette[i].green];
    entry.peBlue = gammaTable[session.filePalette[i].blue];
    if (i < alphaCount && alphas != nullptr) entry.peFlags = alphas[i];
  }
}

}  // namespace

// Everything from here on may be left by a libpng error through longjmp; the frames skipped
// hold no objects with destructors, and nothing set after setjmp is read after the jump.
static HRESULT DecodePngWithRecovery(DecodedImage& image, PngSession& session,
                                     PngReadState& state) {
  if (setjmp(png_jmpbuf(session.png)) != 0) return E_FAIL;
  png_set_read_fn(session.png, &state, ReadFromBlock);
  png_read_info(session.png, session.info);

  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bitDepth = 0;
  int colorType = 0;
  png_get_IHDR(session.png, session.info, &width, &height, &bitDepth, &colorType, nullptr,
               nullptr, nullptr);

  D3DFORMAT format = FirstFormatChoice(colorType);
  if (bitDepth == 16) {
    png_set_swap(session.png);
    format = SixteenBitFormat(format);
    if (format == D3DFMT_UNKNOWN) return E_FAIL;
  }
  if (bitDepth < 8) {
    png_set_packing(session.png);
    if (colorType == PNG_COLOR_TYPE_GRAY) png_set_expand_gray_1_2_4_to_8(session.png);
  }
  RequestGamma(session);
  if (format != D3DFMT_P8 && png_get_valid(session.png, session.info, PNG_INFO_tRNS) != 0) {
    png_set_tRNS_to_alpha(session.png);
    format = WithTransparency(format);
  }
  if (format == D3DFMT_R8G8B8 || format == D3DFMT_A8R8G8B8 || format == FMT_R16G16B16) {
    png_set_bgr(session.png);
  }
  if (format == D3DFMT_R8G8B8) {
    png_set_filler(session.png, 0xFF, PNG_FILLER_AFTER);
    format = D3DFMT_X8R8G8B8;
  }
  png_set_interlace_handling(session.png);
  if (format == D3DFMT_P8) KeepFilePalette(session);
  png_read_update_info(session.png, session.info);
  if (png_get_channels(session.png, session.info) != ChannelsOf(format)) return E_FAIL;

  std::size_t rowBytes = png_get_rowbytes(session.png, session.info);
  // Pitches and sizes are 32-bit wherever the pixels go next; a larger block would wrap there.
  if (rowBytes > UINT32_MAX) return E_FAIL;
  image.format = format;
  image.width = width;
  image.height = height;
  image.depth = 1;
  image.rowPitch = static_cast<UINT>(rowBytes);
  image.slicePitch = 0;
  if (!image.loadPixels) return S_OK;

  HRESULT allocated = AllocateOwnedPixels(image, rowBytes, height);
  if (FAILED(allocated)) return allocated;
  session.rowPointers = static_cast<png_bytep*>(AllocateBytes(sizeof(png_bytep) * height));
  if (session.rowPointers == nullptr) return E_OUTOFMEMORY;
  for (png_uint_32 row = 0; row < height; ++row) {
    session.rowPointers[row] = image.pixels + rowBytes * row;
  }
  png_read_image(session.png, session.rowPointers);

  if (format != D3DFMT_P8) return S_OK;
  image.palette = static_cast<PALETTEENTRY*>(AllocateBytes(sizeof(PALETTEENTRY) * 256));
  if (image.palette == nullptr) return E_OUTOFMEMORY;
  image.ownsPalette = TRUE;
  FillPalette(session, image.palette);
  return S_OK;
}

HRESULT DecodedImage::DecodePng(const BYTE* bytes, UINT size) {
  if (png_sig_cmp(bytes, 0, size) != 0) return E_FAIL;
  PngSession session;
  if (!session.Create()) return E_OUTOFMEMORY;
  PngReadState state{bytes, size};
  return DecodePngWithRecovery(*this, session, state);
}
