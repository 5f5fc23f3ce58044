#include "toolkit/image/dib_rle.h"

#include "toolkit/image/decoder_support.h"

namespace {

// Where the next index goes: x across, y in coded rows (counted from the first coded row).
struct RlePosition {
  UINT x = 0;
  UINT y = 0;
};

bool FitsRun(const RleTarget& target, const RlePosition& at, UINT count) {
  return at.y < target.height && count <= target.width - at.x;
}

BYTE* RowStart(const RleTarget& target, UINT codedRow) {
  UINT row = target.topDown ? codedRow : target.height - 1 - codedRow;
  return target.pixels + static_cast<std::size_t>(row) * target.rowPitch;
}

// The i-th index of a run or literal: RLE4 packs two per byte, high nibble first.
BYTE IndexOf(const BYTE* packed, UINT i, bool fourBit) {
  if (!fourBit) return packed[i];
  BYTE pair = packed[i / 2];
  return (i % 2 == 0) ? static_cast<BYTE>(pair >> 4) : static_cast<BYTE>(pair & 0x0F);
}

HRESULT WriteRepeat(const RleTarget& target, RlePosition& at, UINT count, BYTE value,
                    bool fourBit) {
  if (!FitsRun(target, at, count)) return E_FAIL;
  BYTE* row = RowStart(target, at.y);
  for (UINT i = 0; i < count; ++i) row[at.x + i] = fourBit ? IndexOf(&value, i % 2, true) : value;
  at.x += count;
  return S_OK;
}

HRESULT WriteLiteral(const RleTarget& target, RlePosition& at, ByteCursor& in, UINT count,
                     bool fourBit) {
  UINT bytes = fourBit ? (count + 1) / 2 : count;
  UINT padded = bytes + (bytes % 2);
  const BYTE* packed = in.Take(padded);
  if (packed == nullptr || !FitsRun(target, at, count)) return E_FAIL;
  BYTE* row = RowStart(target, at.y);
  for (UINT i = 0; i < count; ++i) row[at.x + i] = IndexOf(packed, i, fourBit);
  at.x += count;
  return S_OK;
}

HRESULT Move(const RleTarget& target, RlePosition& at, ByteCursor& in) {
  BYTE right = 0;
  BYTE on = 0;
  if (!in.ReadByte(right) || !in.ReadByte(on)) return E_FAIL;
  if (right > target.width - at.x || at.y >= target.height || on >= target.height - at.y) {
    return E_FAIL;
  }
  at.x += right;
  at.y += on;
  return S_OK;
}

}  // namespace

HRESULT ExpandBitmapRle(const BYTE* data, UINT size, bool fourBit, const RleTarget& target) {
  ByteCursor in(data, size);
  RlePosition at;
  while (!in.AtEnd()) {
    BYTE count = 0;
    BYTE value = 0;
    if (!in.ReadByte(count) || !in.ReadByte(value)) return E_FAIL;
    HRESULT result = S_OK;
    if (count > 0) {
      result = WriteRepeat(target, at, count, value, fourBit);
    } else if (value == 0) {
      at.x = 0;
      if (at.y < target.height) ++at.y;
    } else if (value == 1) {
      return S_OK;
    } else if (value == 2) {
      result = Move(target, at, in);
    } else {
      result = WriteLiteral(target, at, in, value, fourBit);
    }
    if (FAILED(result)) return result;
  }
  return S_OK;
}
