// Fuzz target: DrawTextA/W and PreloadTextA/W with any text, count, rectangle, format and
// colour, through fonts made by D3DXCreateFontA and D3DXCreateFontW on the software device,
// with the font's own sprite or a caller's (begun with any flags, or not begun at all).
//
// Each input is whether to draw inside a scene (1 byte), then a list of calls:
//   call  := kind(1) font(1) format(1+4) rect(1 + 4 EdgyInt32) colour(4) sprite(1)
//            [flags(4)] text-length(1) text(length bytes, or length UTF-16 units) count(1+)
// The fonts, the device and the caller's sprite live for the whole run, so glyph caches fill
// as they would in a game; the device's call log is emptied after each input.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/d3d9/test_device.h"
#include "toolkit/font/d3dx_font.h"
#include "toolkit/sprite/d3dx_sprite.h"

namespace {

constexpr int kMaxCalls = 8;
constexpr DWORD kKnownFormats = DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM | DT_WORDBREAK |
                                DT_SINGLELINE | DT_EXPANDTABS | DT_NOCLIP | DT_CALCRECT |
                                DT_RTLREADING;

struct Fixture {
  std::shared_ptr<d3d9::TestSetup> setup = std::make_shared<d3d9::TestSetup>();
  IDirect3DDevice9* device = nullptr;
  std::vector<ID3DXFont*> fonts;
  ID3DXSprite* sprite = nullptr;

  Fixture() {
    if (FAILED(d3d9::CreateTestDevice(setup, 64, 64, &device))) return;
    // The game's kind of font, one with a full mip chain and a bold italic one of the other
    // face, made through both entry points.
    ID3DXFont* font = nullptr;
    if (SUCCEEDED(D3DXCreateFontA(device, 18, 0, 0, 1, FALSE, 0, 0, 0, 0, "Arial", &font))) {
      fonts.push_back(font);
    }
    if (SUCCEEDED(D3DXCreateFontW(device, -11, 0, 400, 0, FALSE, 0, 0, 0, 0, u"Times New Roman",
                                  &font))) {
      fonts.push_back(font);
    }
    if (SUCCEEDED(D3DXCreateFontA(device, 30, 0, 700, 2, TRUE, 0, 0, 4, 0, "Arial", &font))) {
      fonts.push_back(font);
    }
    D3DXCreateSprite(device, &sprite);
  }
  ~Fixture() {
    if (sprite != nullptr) sprite->Release();
    for (ID3DXFont* font : fonts) font->Release();
    if (device != nullptr) device->Release();
  }
};

DWORD ReadFormat(FuzzInput& in) {
  const std::uint8_t choice = in.Byte();
  const DWORD bits = in.Read<std::uint32_t>();
  // Mostly formats of known bits, sometimes anything (which must be refused).
  return choice < 0xE0 ? bits & kKnownFormats : bits;
}

// -1, another negative, the whole text, or a part of it: never past the text.
INT ReadCount(FuzzInput& in, INT length) {
  switch (in.Below(4)) {
    case 0: return -1;
    case 1: {
      const std::int32_t count = in.EdgyInt32();
      return count < 0 ? count : -2 - (count & 0xFF);
    }
    case 2: return length;
    default: return static_cast<INT>(in.Below(static_cast<std::uint32_t>(length) + 1));
  }
}

struct Call {
  std::uint8_t kind;
  ID3DXFont* font;
  DWORD format;
  bool hasRect;
  RECT rect;
  D3DCOLOR colour;
  std::uint8_t spriteUse;  // 0: the font's own; 1: the caller's, begun; 2: the caller's, idle
  DWORD spriteFlags;
};

template <typename Char>
void Run(const Fixture& fixture, const Call& call, FuzzInput& in, const std::vector<Char>& text,
         bool nullText) {
  const INT length = static_cast<INT>(text.size()) - 1;  // without the terminating zero
  const INT count = ReadCount(in, length);
  const Char* chars = nullText ? nullptr : text.data();
  RECT rect = call.rect;
  ID3DXSprite* sprite = call.spriteUse == 0 ? nullptr : fixture.sprite;
  const bool begun = call.spriteUse == 1 && SUCCEEDED(sprite->Begin(call.spriteFlags));
  if constexpr (sizeof(Char) == 1) {
    if (call.kind == 0) {
      call.font->DrawTextA(sprite, chars, count, call.hasRect ? &rect : nullptr, call.format,
                           call.colour);
    } else {
      call.font->PreloadTextA(chars, count);
    }
  } else {
    if (call.kind == 0) {
      call.font->DrawTextW(sprite, chars, count, call.hasRect ? &rect : nullptr, call.format,
                           call.colour);
    } else {
      call.font->PreloadTextW(chars, count);
    }
  }
  if (begun) sprite->End();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture fixture;
  if (fixture.fonts.empty() || fixture.sprite == nullptr) return 0;
  FuzzInput in(data, size);
  const bool inScene = in.Bool() && SUCCEEDED(fixture.device->BeginScene());
  for (int n = 0; n < kMaxCalls && !in.Empty(); ++n) {
    Call call{};
    const std::uint8_t kind = in.Byte();
    call.kind = (kind >> 1) & 1;  // 0: DrawText, 1: PreloadText
    const bool wide = (kind & 1) != 0;
    const bool nullText = (kind & 0xF0) == 0xF0;
    call.font = fixture.fonts[in.Below(static_cast<std::uint32_t>(fixture.fonts.size()))];
    call.format = ReadFormat(in);
    call.hasRect = in.Byte() < 0xF0;
    call.rect = {in.EdgyInt32(), in.EdgyInt32(), in.EdgyInt32(), in.EdgyInt32()};
    call.colour = in.Read<std::uint32_t>();
    call.spriteUse = static_cast<std::uint8_t>(in.Below(3));
    if (call.spriteUse == 1) call.spriteFlags = in.Read<std::uint32_t>() & 0x1FF;
    const std::uint32_t length = in.Byte();
    if (wide) {
      std::vector<WCHAR> text;
      for (std::uint32_t i = 0; i < length && !in.Empty(); ++i) {
        text.push_back(static_cast<WCHAR>(in.Read<std::uint16_t>()));
      }
      text.push_back(0);
      Run(fixture, call, in, text, nullText);
    } else {
      const auto bytes = in.Bytes(length);
      std::vector<char> text(bytes.begin(), bytes.end());
      text.push_back(0);
      Run(fixture, call, in, text, nullText);
    }
  }
  if (inScene) fixture.device->EndScene();
  fixture.setup->ClearLog();
  return 0;
}
