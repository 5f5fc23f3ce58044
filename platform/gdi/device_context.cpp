// Memory device contexts: creation, selection and deletion of objects, drawing state.
#include "platform/gdi/gdi.h"
#include "platform/gdi/objects.h"

namespace {

// gdi32.dll comes with the program, as on Windows: it is in the module table before main.
[[maybe_unused]] const bool gdiModuleRegistered = (gdi::RegisterGdiModule(), true);

// Selection bookkeeping: a font may be in many DCs, a bitmap in one.
HGDIOBJ SelectFont(gdi::DcObject& context, HGDIOBJ handle, gdi::FontObject& font) {
  HGDIOBJ previous = context.font;
  if (previous == handle) return previous;
  if (gdi::FontObject* old = gdi::LookUpFont(previous)) --old->selections;
  ++font.selections;
  context.font = handle;
  return previous;
}

HGDIOBJ SelectBitmap(HDC dc, gdi::DcObject& context, HGDIOBJ handle, gdi::BitmapObject& bitmap) {
  HGDIOBJ previous = context.bitmap;
  if (previous == handle) return previous;
  if (bitmap.selectedIn != nullptr) return nullptr;
  if (gdi::BitmapObject* old = gdi::LookUpBitmap(previous)) old->selectedIn = nullptr;
  // The placeholder may sit in every DC at once; it is never drawn on.
  if (!bitmap.isDefault) bitmap.selectedIn = dc;
  context.bitmap = handle;
  return previous;
}

// Sets one field of the DC's state and answers its previous value, or `failure` for a bad DC
// or a value that is not valid.
template <typename Value>
Value Exchange(HDC dc, Value gdi::DcObject::*field, Value value, bool valid, Value failure) {
  gdi::DcObject* context = gdi::LookUpDc(dc);
  if (context == nullptr || !valid) return failure;
  const Value previous = context->*field;
  context->*field = value;
  return previous;
}

}  // namespace

HDC CreateCompatibleDC(HDC dc) {
  if (dc != nullptr && gdi::LookUpDc(dc) == nullptr) return nullptr;
  gdi::DcObject context;
  context.font = gdi::DefaultFont();
  context.bitmap = gdi::DefaultBitmap();
  ++gdi::LookUpFont(context.font)->selections;
  return gdi::AddDc(std::move(context));
}

BOOL DeleteDC(HDC dc) {
  gdi::DcObject* context = gdi::LookUpDc(dc);
  if (context == nullptr) return FALSE;
  if (gdi::FontObject* font = gdi::LookUpFont(context->font)) --font->selections;
  if (gdi::BitmapObject* bitmap = gdi::LookUpBitmap(context->bitmap)) {
    if (bitmap->selectedIn == dc) bitmap->selectedIn = nullptr;
  }
  return gdi::RemoveObject(dc) ? TRUE : FALSE;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  gdi::DcObject* context = gdi::LookUpDc(dc);
  if (context == nullptr) return nullptr;
  if (gdi::FontObject* font = gdi::LookUpFont(object)) {
    return SelectFont(*context, object, *font);
  }
  if (gdi::BitmapObject* bitmap = gdi::LookUpBitmap(object)) {
    return SelectBitmap(dc, *context, object, *bitmap);
  }
  return nullptr;
}

BOOL DeleteObject(HGDIOBJ object) {
  if (object == gdi::DefaultFont() || object == gdi::DefaultBitmap()) return TRUE;
  if (gdi::LookUpFont(object) == nullptr && gdi::LookUpBitmap(object) == nullptr) return FALSE;
  return gdi::RemoveObject(object) ? TRUE : FALSE;
}

int SetMapMode(HDC dc, int mode) {
  return Exchange(dc, &gdi::DcObject::mapMode, mode, mode == MM_TEXT, 0);
}

UINT SetTextAlign(HDC dc, UINT align) {
  return Exchange(dc, &gdi::DcObject::textAlign, align, (align & ~TA_MASK) == 0, GDI_ERROR);
}

int SetBkMode(HDC dc, int mode) {
  return Exchange(dc, &gdi::DcObject::backgroundMode, mode, mode == TRANSPARENT || mode == OPAQUE,
                  0);
}

// Only plain RGB colours: palette-relative and palette-index values are refused.
COLORREF SetBkColor(HDC dc, COLORREF colour) {
  return Exchange(dc, &gdi::DcObject::backgroundColour, colour, (colour >> 24) == 0, CLR_INVALID);
}

COLORREF SetTextColor(HDC dc, COLORREF colour) {
  return Exchange(dc, &gdi::DcObject::textColour, colour, (colour >> 24) == 0, CLR_INVALID);
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
  gdi::DcObject* context = gdi::LookUpDc(dc);
  if (context == nullptr) return FALSE;
  if (previous != nullptr) *previous = context->position;
  context->position = {x, y};
  return TRUE;
}
