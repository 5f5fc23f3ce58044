#include "tools/scriptsheet/script_sheet.h"

#include <algorithm>
#include <memory>

#include "platform/d3d9/test_device.h"
#include "platform/win32/com_object.h"

namespace script_sheet {
namespace {

constexpr const char* captionFace = "Arial";
constexpr INT captionEm = 13;
constexpr D3DCOLOR textColour = 0xFFFFFFFF;
constexpr D3DCOLOR captionColour = 0xFFA0A8B0;
constexpr INT unbounded = 1000;  // rectangle height: no line of the sheet is clipped

}  // namespace

const std::vector<SheetLine>& Lines() {
  static const std::vector<SheetLine> lines = {
      {"Arabic: joined forms, lam-alef", "Noto Sans Arabic", 26,
       u"\u0627\u0644\u0633\u0644\u0627\u0645 \u0639\u0644\u064A\u0643\u0645\u060C "
       u"\u0644\u0627 \u0634\u064A\u0621 \u0645\u0633\u062A\u062D\u064A\u0644",
       DT_RTLREADING, textWidth},
      {"Hebrew, with points", "Noto Sans Hebrew", 24,
       u"\u05E9\u05C1\u05B8\u05DC\u05D5\u05B9\u05DD \u05E2\u05D5\u05B9\u05DC\u05B8\u05DD "
       u"\u05E9\u05DC\u05D5\u05DD \u05DC\u05DB\u05D5\u05DC\u05DD",
       DT_RTLREADING, textWidth},
      {"Left to right: Hebrew, Arabic, digits", "DejaVu Sans", 18,
       u"Pay 1250 \u05E9\u05E7\u05DC\u05D9\u05DD or 42 \u062F\u0631\u0647\u0645 by May 3.", 0,
       textWidth},
      {"Right to left: the same mix", "DejaVu Sans", 18,
       u"\u05D4\u05DE\u05D7\u05D9\u05E8 1250 \u05E9\u05E7\u05DC, price 42 "
       u"\u062F\u0631\u0647\u0645 (ok).",
       DT_RTLREADING, textWidth},
      {"Devanagari: conjuncts, vowel signs", "Noto Sans Devanagari", 24,
       u"\u0915\u094D\u0937\u0924\u094D\u0930\u093F\u092F \u0939\u093F\u0928\u094D\u0926\u0940 "
       u"\u0915\u093F\u0924\u093E\u092C",
       0, textWidth},
      {"Thai: words without spaces, wrapped", "Noto Sans Thai", 24,
       u"\u0E20\u0E32\u0E29\u0E32\u0E44\u0E17\u0E22\u0E40\u0E02\u0E35\u0E22\u0E19\u0E15\u0E34"
       u"\u0E14\u0E01\u0E31\u0E19\u0E42\u0E14\u0E22\u0E44\u0E21\u0E48\u0E40\u0E27\u0E49\u0E19"
       u"\u0E27\u0E23\u0E23\u0E04",
       DT_WORDBREAK, 220},
      {"e + U+0301, and e-acute", "Arial", 24, u"cafe\u0301 = caf\u00E9", 0, textWidth},
      {"Fallback faces: CJK, private use", "Arial", 22, u"Kanji \u6F22\u5B57 and \uF000 here", 0,
       textWidth},
      {"Ligatures where the face has them", "DejaVu Sans", 24, u"fine office, fifty flies", 0,
       textWidth},
      {"Tab, CR and LF draw nothing", "Arial", 20, u"tab\there cr\rhere\nnext line", DT_EXPANDTABS,
       textWidth},
      {"Wrapped at 200, right to left", "DejaVu Sans", 18,
       u"\u05E9\u05DC\u05D5\u05DD world 123 \u0645\u0631\u062D\u0628\u0627 "
       u"\u0628\u0627\u0644\u0639\u0627\u0644\u0645 and more",
       DT_WORDBREAK | DT_RTLREADING, 200},
      {"Wrapped at 200, left to right", "DejaVu Sans", 18,
       u"\u05E9\u05DC\u05D5\u05DD world 123 \u0645\u0631\u062D\u0628\u0627 "
       u"\u0628\u0627\u0644\u0639\u0627\u0644\u0645 and more",
       DT_WORDBREAK, 200},
  };
  return lines;
}

SheetFonts::~SheetFonts() {
  for (const Made& made : made_) made.font->Release();
}

ID3DXFont* SheetFonts::FontOf(const char* face, INT em) {
  for (const Made& made : made_) {
    if (made.face == face && made.em == em) return made.font;
  }
  std::u16string wideFace(face, face + std::char_traits<char>::length(face));
  ID3DXFont* font = nullptr;
  if (FAILED(D3DXCreateFontW(device_, -em, 0, 0, 0, FALSE, 0, 0, 0, 0, wideFace.c_str(), &font))) {
    return nullptr;
  }
  made_.push_back({face, em, font});
  return font;
}

HRESULT DrawSheet(IDirect3DDevice9* device, SheetFonts& fonts, bool measureOnly,
                  const AfterLine& afterLine, INT* height) {
  (void)device;
  const DWORD measuring = measureOnly ? DT_CALCRECT : 0;
  ID3DXFont* captions = fonts.FontOf(captionFace, captionEm);
  if (captions == nullptr) return E_FAIL;
  INT y = lineGap;
  for (const SheetLine& line : Lines()) {
    ID3DXFont* font = fonts.FontOf(line.face, line.em);
    if (font == nullptr) return E_FAIL;
    RECT captionRect = {lineGap, y, textLeft - lineGap, y + unbounded};
    const std::u16string caption(line.caption,
                                 line.caption + std::char_traits<char>::length(line.caption));
    const INT captionHeight = captions->DrawTextW(nullptr, caption.c_str(), -1, &captionRect,
                                                  DT_WORDBREAK | measuring, captionColour);
    RECT rect = {textLeft, y, textLeft + line.width, y + unbounded};
    const INT textHeight =
        font->DrawTextW(nullptr, line.text.c_str(), static_cast<INT>(line.text.size()), &rect,
                        line.format | measuring, textColour);
    if (captionHeight == 0 || textHeight == 0) return E_FAIL;
    if (afterLine) afterLine(line, font, rect);
    y += std::max(captionHeight, textHeight) + lineGap;
  }
  *height = y;
  return S_OK;
}

namespace {

HRESULT ReadBack(IDirect3DDevice9* device, IDirect3DSurface9* target, UINT height,
                 std::vector<std::uint32_t>* pixels) {
  win32::ComRef<IDirect3DSurface9> copy;
  HRESULT result = device->CreateOffscreenPlainSurface(sheetWidth, height, D3DFMT_A8R8G8B8,
                                                       D3DPOOL_SYSTEMMEM, copy.Receive(), nullptr);
  if (SUCCEEDED(result)) result = device->GetRenderTargetData(target, copy.Get());
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(result)) result = copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  if (FAILED(result)) return result;
  pixels->assign(std::size_t(sheetWidth) * height, 0);
  for (UINT row = 0; row < height; ++row) {
    const auto* source = reinterpret_cast<const std::uint32_t*>(
        static_cast<const BYTE*>(locked.pBits) + std::size_t(row) * locked.Pitch);
    std::copy(source, source + sheetWidth, pixels->begin() + std::size_t(row) * sheetWidth);
  }
  copy->UnlockRect();
  return S_OK;
}

}  // namespace

HRESULT RenderSheet(std::vector<std::uint32_t>* pixels, UINT* height, const AfterLine& afterLine) {
  win32::ComRef<IDirect3DDevice9> device;
  HRESULT result =
      d3d9::CreateTestDevice(std::make_shared<d3d9::TestSetup>(), sheetWidth, 64, device.Receive());
  if (FAILED(result)) return result;
  INT measured = 0;
  win32::ComRef<IDirect3DTexture9> texture;
  win32::ComRef<IDirect3DSurface9> target;
  {
    SheetFonts fonts(device.Get());
    result = DrawSheet(device.Get(), fonts, true, nullptr, &measured);
    if (FAILED(result)) return result;
    result =
        device->CreateTexture(sheetWidth, static_cast<UINT>(measured), 1, D3DUSAGE_RENDERTARGET,
                              D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, texture.Receive(), nullptr);
    if (SUCCEEDED(result)) result = texture->GetSurfaceLevel(0, target.Receive());
    if (SUCCEEDED(result)) result = device->SetRenderTarget(0, target.Get());
    if (SUCCEEDED(result)) result = device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1, 0);
    if (SUCCEEDED(result)) result = device->BeginScene();
    if (FAILED(result)) return result;
    INT drawn = 0;
    result = DrawSheet(device.Get(), fonts, false, afterLine, &drawn);
    device->EndScene();
    if (FAILED(result)) return result;
  }
  *height = static_cast<UINT>(measured);
  return ReadBack(device.Get(), target.Get(), *height, pixels);
}

}  // namespace script_sheet
