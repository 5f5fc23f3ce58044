// The sheet of scripts: lines of text in several scripts, directions and faces, each drawn with
// DrawTextW into one render-target texture, a caption beside it. The tests hold every line
// against HarfBuzz and FriBidi; mirefell-scriptsheet writes the picture.
//
// Glossary
//   line     one DrawTextW call of the sheet: a face at an em height, a text, format flags and
//            the width of its rectangle (several screen lines when it wraps or breaks).
//   column   the part of the sheet a line is drawn in: captions on the left, text on the right.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/d3d9/d3d9.h"
#include "toolkit/font/d3dx_font.h"

namespace script_sheet {

struct SheetLine {
  const char* caption;
  const char* face;  // as the font asks for it
  INT em;            // em height in pixels: the font's Height is -em
  std::u16string text;
  DWORD format;
  INT width;  // of the line's rectangle, at most textWidth
};

constexpr INT sheetWidth = 640;
constexpr INT textLeft = 190;  // the text column
constexpr INT textWidth = sheetWidth - textLeft - 10;
constexpr INT lineGap = 8;  // pixels between lines

const std::vector<SheetLine>& Lines();

// The fonts of the sheet, one per face and size, made on first use and released with the set.
class SheetFonts {
 public:
  explicit SheetFonts(IDirect3DDevice9* device) : device_(device) {}
  ~SheetFonts();
  SheetFonts(const SheetFonts&) = delete;
  SheetFonts& operator=(const SheetFonts&) = delete;

  // Null when the font cannot be made.
  ID3DXFont* FontOf(const char* face, INT em);

 private:
  struct Made {
    std::string face;
    INT em;
    ID3DXFont* font;
  };
  IDirect3DDevice9* device_;
  std::vector<Made> made_;
};

// Called after each line is drawn, while its font still holds the line's analysis and layout.
using AfterLine = std::function<void(const SheetLine& line, ID3DXFont* font, const RECT& rect)>;

// Draws every line and its caption into the device's render target, inside one scene, from
// the top; answers the height used. With `measureOnly` nothing is drawn (DT_CALCRECT).
HRESULT DrawSheet(IDirect3DDevice9* device, SheetFonts& fonts, bool measureOnly,
                  const AfterLine& afterLine, INT* height);

// The sheet drawn into a sheetWidth-wide render-target texture on a device of its own, read
// back as 0xAARRGGBB pixels; `afterLine` as for DrawSheet.
HRESULT RenderSheet(std::vector<std::uint32_t>* pixels, UINT* height,
                    const AfterLine& afterLine = nullptr);

}  // namespace script_sheet
