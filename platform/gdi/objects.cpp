// The object table. Handles are numbers handed out once, so a stale handle finds nothing.
#include "platform/gdi/objects.h"

#include <unordered_map>
#include <variant>

namespace gdi {
namespace {

constexpr ULONG_PTR kFirstHandle = 0x00A00004;
constexpr ULONG_PTR kHandleStep = 4;

using Entry = std::variant<std::unique_ptr<FontObject>, std::unique_ptr<BitmapObject>,
                           std::unique_ptr<DcObject>>;

struct ObjectTable {
  std::unordered_map<ULONG_PTR, Entry> entries;
  ULONG_PTR nextHandle = kFirstHandle;
  HFONT defaultFont = nullptr;
  HBITMAP defaultBitmap = nullptr;
};

// Kept to the end of the process, so that handles outlive every static owner.
ObjectTable& Table() {
  static ObjectTable* table = new ObjectTable;
  return *table;
}

ULONG_PTR Key(const void* handle) { return reinterpret_cast<ULONG_PTR>(handle); }

template <typename Object>
Object* LookUp(const void* handle) {
  auto found = Table().entries.find(Key(handle));
  if (found == Table().entries.end()) return nullptr;
  auto* object = std::get_if<std::unique_ptr<Object>>(&found->second);
  return object != nullptr ? object->get() : nullptr;
}

template <typename Handle, typename Object>
Handle Add(Object object) {
  ObjectTable& table = Table();
  const ULONG_PTR key = table.nextHandle;
  table.nextHandle += kHandleStep;
  table.entries.emplace(key, std::make_unique<Object>(std::move(object)));
  return reinterpret_cast<Handle>(key);
}

}  // namespace

std::uint8_t* BitmapObject::Pixel(LONG x, LONG y) const {
  const LONG row = header.biHeight < 0 ? y : height - 1 - y;
  return pixels.get() + static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(x) * 4;
}

FontObject* LookUpFont(HGDIOBJ handle) { return LookUp<FontObject>(handle); }

BitmapObject* LookUpBitmap(HGDIOBJ handle) { return LookUp<BitmapObject>(handle); }

DcObject* LookUpDc(HDC handle) { return LookUp<DcObject>(handle); }

HFONT AddFont(FontObject font) { return Add<HFONT>(std::move(font)); }

HBITMAP AddBitmap(BitmapObject bitmap) { return Add<HBITMAP>(std::move(bitmap)); }

HDC AddDc(DcObject dc) { return Add<HDC>(std::move(dc)); }

bool RemoveObject(HGDIOBJ handle) {
  if (const FontObject* font = LookUpFont(handle)) {
    if (font->selections != 0 || font->isDefault) return false;
  } else if (const BitmapObject* bitmap = LookUpBitmap(handle)) {
    if (bitmap->selectedIn != nullptr || bitmap->isDefault) return false;
  }
  return Table().entries.erase(Key(handle)) != 0;
}

std::size_t ObjectCount() { return Table().entries.size(); }

HFONT DefaultFont() {
  ObjectTable& table = Table();
  if (table.defaultFont == nullptr) {
    FontObject font;
    font.isDefault = true;
    table.defaultFont = AddFont(std::move(font));
  }
  return table.defaultFont;
}

HBITMAP DefaultBitmap() {
  ObjectTable& table = Table();
  if (table.defaultBitmap == nullptr) {
    BitmapObject bitmap;
    bitmap.isDefault = true;
    bitmap.header.biSize = sizeof(BITMAPINFOHEADER);
    bitmap.header.biWidth = 1;
    bitmap.header.biHeight = 1;
    bitmap.header.biPlanes = 1;
    bitmap.header.biBitCount = 1;
    bitmap.stride = 2;
    table.defaultBitmap = AddBitmap(std::move(bitmap));
  }
  return table.defaultBitmap;
}

FontFace* FaceOfDc(HDC dc) {
  const DcObject* context = LookUpDc(dc);
  if (context == nullptr) return nullptr;
  FontObject* font = LookUpFont(context->font);
  if (font == nullptr) return nullptr;
  if (!font->face) font->face = FontFace::Open(font->logFont);
  return font->face.get();
}

}  // namespace gdi
