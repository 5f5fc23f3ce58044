// DIB sections (32-bit, uncompressed) and GetObject on fonts and bitmaps.
#include <cstring>
#include <limits>
#include <new>

#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"

namespace {

constexpr LONG kLongMin = std::numeric_limits<LONG>::min();
constexpr LONG kLongMax = std::numeric_limits<LONG>::max();

// Pixel memory is limited to what a LONG can address, as bmWidthBytes x rows must be.
bool IsSupported(const BITMAPINFOHEADER& header) {
  if (header.biSize < sizeof(BITMAPINFOHEADER)) return false;
  if (header.biWidth <= 0 || header.biHeight == 0 || header.biHeight == kLongMin) return false;
  if (header.biPlanes != 1 || header.biBitCount != 32 || header.biCompression != BI_RGB) {
    return false;
  }
  const long long rows =
      header.biHeight < 0 ? -static_cast<long long>(header.biHeight) : header.biHeight;
  return static_cast<long long>(header.biWidth) * 4 * rows <= kLongMax;
}

BITMAP BitmapRecord(const gdi::BitmapObject& bitmap) {
  BITMAP record{};
  record.bmWidth = bitmap.width;
  record.bmHeight = bitmap.height;
  record.bmWidthBytes = bitmap.stride;
  record.bmPlanes = 1;
  record.bmBitsPixel = bitmap.header.biBitCount;
  record.bmBits = bitmap.pixels.get();
  return record;
}

// A buffer smaller than the record gets nothing; a DIBSECTION needs room for all of it.
int CopyOut(const void* record, int recordSize, int size, LPVOID buffer) {
  if (buffer == nullptr) return recordSize;
  if (size < recordSize) return 0;
  std::memcpy(buffer, record, static_cast<std::size_t>(recordSize));
  return recordSize;
}

int GetBitmapObject(const gdi::BitmapObject& bitmap, int size, LPVOID buffer) {
  const bool isSection = bitmap.pixels != nullptr;
  if (isSection && (buffer == nullptr || size >= static_cast<int>(sizeof(DIBSECTION)))) {
    DIBSECTION section{};
    section.dsBm = BitmapRecord(bitmap);
    section.dsBmih = bitmap.header;
    section.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
    section.dsBmih.biSizeImage = static_cast<DWORD>(bitmap.stride * bitmap.height);
    return CopyOut(&section, sizeof(section), size, buffer);
  }
  const BITMAP record = BitmapRecord(bitmap);
  return CopyOut(&record, sizeof(record), size, buffer);
}

}  // namespace

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset) {
  if (bits != nullptr) *bits = nullptr;
  if (dc != nullptr && gdi::LookUpDc(dc) == nullptr) return nullptr;
  if (info == nullptr || section != nullptr || offset != 0) return nullptr;
  if (usage != DIB_RGB_COLORS && usage != DIB_PAL_COLORS) return nullptr;
  if (!IsSupported(info->bmiHeader)) return nullptr;
  gdi::BitmapObject bitmap;
  bitmap.header = info->bmiHeader;
  bitmap.width = info->bmiHeader.biWidth;
  bitmap.height =
      info->bmiHeader.biHeight < 0 ? -info->bmiHeader.biHeight : info->bmiHeader.biHeight;
  bitmap.stride = bitmap.width * 4;
  const std::size_t bytes = static_cast<std::size_t>(bitmap.stride) * bitmap.height;
  bitmap.pixels.reset(new (std::nothrow) std::uint8_t[bytes]());
  if (!bitmap.pixels) return nullptr;
  void* pixels = bitmap.pixels.get();
  HBITMAP handle = gdi::AddBitmap(std::move(bitmap));
  if (bits != nullptr) *bits = pixels;
  return handle;
}

int GetObjectW(HGDIOBJ object, int size, LPVOID buffer) {
  if (const gdi::FontObject* font = gdi::LookUpFont(object)) {
    return CopyOut(&font->logFont, sizeof(LOGFONTW), size, buffer);
  }
  if (const gdi::BitmapObject* bitmap = gdi::LookUpBitmap(object)) {
    return GetBitmapObject(*bitmap, size, buffer);
  }
  return 0;
}

int GetObjectA(HGDIOBJ object, int size, LPVOID buffer) {
  if (const gdi::FontObject* font = gdi::LookUpFont(object)) {
    const LOGFONTA narrow = gdi::NarrowLogFont(font->logFont);
    return CopyOut(&narrow, sizeof(LOGFONTA), size, buffer);
  }
  return GetObjectW(object, size, buffer);
}
