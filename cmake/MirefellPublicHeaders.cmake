# The headers a program built on the toolkit may include, relative to the source root: the
# umbrella <d3dx9.h> and everything it includes. Each compiles on its own and includes no
# header outside this list (tests/install checks both).
set(MIREFELL_PUBLIC_HEADERS
  toolkit/d3dx9.h
  platform/d3d9/cache_budget.h
  platform/d3d9/caps.h
  platform/d3d9/d3d9.h
  platform/d3d9/enums.h
  platform/d3d9/formats.h
  platform/d3d9/interfaces.h
  platform/d3d9/math_types.h
  platform/d3d9/records.h
  platform/d3d9/render_states.h
  platform/d3d9/results.h
  platform/gdi/cache_budget.h
  platform/gdi/gdi.h
  platform/gdi/records.h
  platform/uniscribe/cache_budget.h
  platform/win32/cache_usage.h
  platform/win32/codepage.h
  platform/win32/input.h
  platform/win32/modules.h
  platform/win32/registry.h
  platform/win32/resources.h
  platform/win32/types.h
  platform/win32/version.h
  platform/win32/win32.h
  platform/win32/window.h
  toolkit/common/d3dx_math.h
  toolkit/common/debug_mute.h
  toolkit/common/defaults.h
  toolkit/common/result.h
  toolkit/font/d3dx_font.h
  toolkit/font/font_cache.h
  toolkit/image/d3dx_image.h
  toolkit/image/image_info.h
  toolkit/sprite/d3dx_sprite.h
  toolkit/surface/d3dx_surface.h)

# The headers a program written for the published API includes by name (<d3dx9.h>, <d3d9.h>,
# ...): each is also installed at the top of the include folder under its own file name, and
# each is one of the public headers above.
set(MIREFELL_PROGRAM_HEADERS
  toolkit/d3dx9.h
  platform/d3d9/d3d9.h)
