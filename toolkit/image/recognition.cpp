// The recognition loop: the nine decoders in their fixed order, the first that accepts wins.

#include <iterator>

#include "toolkit/common/result.h"
#include "toolkit/image/decoded_image.h"
#include "toolkit/image/numeric_locale.h"

namespace {

struct DecoderTry {
  D3DXIMAGE_FILEFORMAT fileFormat;
  HRESULT (DecodedImage::*decode)(const BYTE* bytes, UINT size);
};

// Signature checks come first where they are cheap and certain; TGA and bare DIB headers can
// only be judged plausible, so they come last.
constexpr DecoderTry decoderTries[] = {
    {D3DXIFF_BMP, &DecodedImage::DecodeBmp}, {D3DXIFF_PPM, &DecodedImage::DecodePpm},
    {D3DXIFF_DDS, &DecodedImage::DecodeDds}, {D3DXIFF_JPG, &DecodedImage::DecodeJpeg},
    {D3DXIFF_PNG, &DecodedImage::DecodePng}, {D3DXIFF_PFM, &DecodedImage::DecodePfm},
    {D3DXIFF_HDR, &DecodedImage::DecodeHdr}, {D3DXIFF_TGA, &DecodedImage::DecodeTga},
    {D3DXIFF_DIB, &DecodedImage::DecodeDib},
};

}  // namespace

HRESULT DecodedImage::LoadFromMemory(const void* bytes, UINT size, D3DXIMAGE_INFO* info,
                                     bool wantPixels) {
  if (bytes == nullptr || size == 0) return D3DERR_INVALIDCALL;
  if (info == nullptr && !wantPixels) return S_OK;

  // A record that still holds an earlier result would lose it to the first decoder's writes.
  Empty();
  const BYTE* block = static_cast<const BYTE*>(bytes);
  bool accepted = false;
  {
    NumericLocaleSwitch numericLocale;
    for (const DecoderTry& attempt : decoderTries) {
      loadPixels = wantPixels ? TRUE : FALSE;
      resourceType = D3DRTYPE_TEXTURE;
      fileFormat = attempt.fileFormat;
      if (SUCCEEDED((this->*attempt.decode)(block, size))) {
        accepted = true;
        break;
      }
      Empty();
    }
  }
  // Whatever a decoder answered (out of memory included), no decoder means unrecognised data.
  if (!accepted) return D3DXERR_INVALIDDATA;

  if (info != nullptr) *info = DescribeImage(*this);
  SetWholeSourceBoxes();
  return S_OK;
}
