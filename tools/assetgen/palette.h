// The one palette of every picture: a few ramps of four tones and some single colours. Apart
// from the two keys themselves, nothing here comes near the actor pictures' key 0x6A4C30 or
// the tile picture's black.
#pragma once

#include "tools/assetgen/canvas.h"
#include "tools/assetgen/draw.h"

namespace palette {

constexpr Rgba kTileKey = Hex(0x000000);
constexpr Rgba kActorKey = Hex(0x6A4C30);

constexpr Rgba kInk = Hex(0x1C1822);       // outlines
constexpr Rgba kShadow = Hex(0x18201C);    // dithered shadows on the ground
constexpr Rgba kWhite = Hex(0xF4F0E6);
constexpr Rgba kEye = Hex(0x141018);

constexpr Ramp kGrass{Hex(0x2E5A2A), Hex(0x3F7A32), Hex(0x5A9A3C), Hex(0x8CC251)};
constexpr Ramp kDryGrass{Hex(0x6A6A30), Hex(0x8C8A3C), Hex(0xB0A84E), Hex(0xD4C874)};
constexpr Ramp kLeaves{Hex(0x1F4A2C), Hex(0x2E6B34), Hex(0x4A8F3A), Hex(0x7DB84A)};
constexpr Ramp kPineNeedles{Hex(0x173A30), Hex(0x215241), Hex(0x2F6E4E), Hex(0x4F9166)};
constexpr Ramp kBark{Hex(0x3A2A22), Hex(0x5A3E2C), Hex(0x7E5A3A), Hex(0xA07A4C)};
constexpr Ramp kDeadWood{Hex(0x34302E), Hex(0x4E4844), Hex(0x706660), Hex(0x948A80)};
constexpr Ramp kDirt{Hex(0x5A3C28), Hex(0x7E5636), Hex(0x9C7046), Hex(0xBC8E5C)};
constexpr Ramp kSand{Hex(0x7E6A48), Hex(0xA08A5E), Hex(0xC2AA74), Hex(0xE0CC98)};
constexpr Ramp kStone{Hex(0x3C3F4E), Hex(0x5C6170), Hex(0x838A96), Hex(0xB4BCC4)};
constexpr Ramp kWarmStone{Hex(0x4A4240), Hex(0x6E625A), Hex(0x958676), Hex(0xBCAE98)};
constexpr Ramp kWater{Hex(0x1E3F66), Hex(0x2A5D8C), Hex(0x3A7FB0), Hex(0x7CC0DE)};
constexpr Ramp kMire{Hex(0x24281E), Hex(0x353B28), Hex(0x4A5134), Hex(0x687046)};
constexpr Ramp kMirePool{Hex(0x101A18), Hex(0x1A2A26), Hex(0x284038), Hex(0x4A6A58)};
constexpr Ramp kPlanks{Hex(0x4E3422), Hex(0x7A5230), Hex(0x9E7040), Hex(0xC49660)};
constexpr Ramp kMoss{Hex(0x2E4A22), Hex(0x44682C), Hex(0x64883A), Hex(0x8CAE50)};
constexpr Ramp kRune{Hex(0x1E5A5A), Hex(0x2E8C84), Hex(0x4CC4B0), Hex(0xA0F4E0)};

constexpr Ramp kSkin{Hex(0x9A5A46), Hex(0xC47E5E), Hex(0xE8A882), Hex(0xF8D0AE)};
constexpr Ramp kTunic{Hex(0x5A1C26), Hex(0x8A2A30), Hex(0xB8403A), Hex(0xE0704E)};
constexpr Ramp kTrousers{Hex(0x2A2838), Hex(0x3C3A52), Hex(0x54526E), Hex(0x706E8C)};
constexpr Ramp kBoots{Hex(0x3A2418), Hex(0x5A3420), Hex(0x84502C), Hex(0xA46A3C)};
constexpr Ramp kHair{Hex(0x4A2A1A), Hex(0x70381C), Hex(0x9C5424), Hex(0xC8803A)};
constexpr Ramp kSteel{Hex(0x4A5468), Hex(0x7A869A), Hex(0xB0BCCC), Hex(0xEAF2F8)};
constexpr Ramp kGold{Hex(0x7A4A14), Hex(0xB07A1E), Hex(0xE0B030), Hex(0xFFE47A)};
constexpr Ramp kLeather{Hex(0x2E2220), Hex(0x463230), Hex(0x604440), Hex(0x7E5C54)};

constexpr Ramp kBlueSlime{Hex(0x1A3A8A), Hex(0x2A5CC0), Hex(0x4A8AE8), Hex(0x9CCAFF)};
constexpr Ramp kMudSlime{Hex(0x2E3320), Hex(0x4A5230), Hex(0x6A7440), Hex(0x98A05A)};
constexpr Ramp kPetals{Hex(0x7A1E4A), Hex(0xB02E62), Hex(0xE0508A), Hex(0xFF96C0)};
constexpr Ramp kStem{Hex(0x1F4A2C), Hex(0x2E6B34), Hex(0x4A8F3A), Hex(0x7DB84A)};
constexpr Ramp kMouth{Hex(0x3A0A1A), Hex(0x6A1428), Hex(0x9A2438), Hex(0xC84A58)};
constexpr Ramp kGolem{Hex(0x2C3330), Hex(0x46524A), Hex(0x647566), Hex(0x8A9C84)};
constexpr Ramp kGlow{Hex(0x8AA020), Hex(0xC8E040), Hex(0xEEFF7A), Hex(0xFFFFD0)};

}  // namespace palette
