// Decoder of Windows bitmap files: a 14-byte file header ("BM", file size, pixel-data
// offset) before a device-independent bitmap.

#include "toolkit/image/decoded_image.h"
#include "toolkit/image/decoder_support.h"
#include "toolkit/image/dib_layout.h"

namespace {

constexpr UINT fileHeaderBytes = 14;

}  // namespace

HRESULT DecodedImage::DecodeBmp(const BYTE* bytes, UINT size) {
  if (size < fileHeaderBytes) return E_FAIL;
  if (bytes[0] != 'B' || bytes[1] != 'M') return E_FAIL;
  // A file that claims more bytes than it has is cut short; later decoders may still take it.
  if (ReadLe32(bytes + 2) > size) return E_FAIL;

  // Writers may leave a gap between colour table and pixels, so the declared offset is used
  // wherever it is sound (the DIB reader checks that it lies past the table).
  DWORD pixelOffset = ReadLe32(bytes + 10);
  UINT dibPixelOffset = pixelOffset > fileHeaderBytes ? pixelOffset - fileHeaderBytes : 0;
  return DecodeDeviceIndependentBitmap(*this, bytes + fileHeaderBytes, size - fileHeaderBytes,
                                       dibPixelOffset);
}
