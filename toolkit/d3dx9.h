// The whole published API of the toolkit and the platform beneath it, in one include: the
// Windows base names (types, windows and messages, modules and resources, the registry), GDI
// fonts, Direct3D 9 (Direct3DCreate9 and its interfaces), and the D3DX extensions (image files
// into textures, surface loading and filters, the sprite, the font, the mathematics, result
// codes and D3DX_DEFAULT). Installed as <d3dx9.h>.
#pragma once

#include "platform/d3d9/d3d9.h"
#include "platform/gdi/gdi.h"
#include "platform/win32/win32.h"
#include "toolkit/common/d3dx_math.h"
#include "toolkit/common/debug_mute.h"
#include "toolkit/common/defaults.h"
#include "toolkit/common/result.h"
#include "toolkit/font/d3dx_font.h"
#include "toolkit/image/d3dx_image.h"
#include "toolkit/sprite/d3dx_sprite.h"
#include "toolkit/surface/d3dx_surface.h"
