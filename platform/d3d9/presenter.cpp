#include "platform/d3d9/presenter.h"

#include <SDL.h>

#include <algorithm>

#include "platform/win32/window.h"

namespace d3d9 {

Placement PlaceFrame(int width, int height, int targetWidth, int targetHeight) {
  int scale = 1;
  if (width > 0 && height > 0) scale = std::max(1, std::min(targetWidth / width, targetHeight / height));
  return {scale, (targetWidth - width * scale) / 2, (targetHeight - height * scale) / 2};
}

Presenter::Presenter(HWND deviceWindow, bool fullScreen) : window(deviceWindow) {
  SDL_Window* sdlWindow = win32::SdlWindowOf(deviceWindow);
  if (sdlWindow != nullptr && fullScreen && win32::FullScreenCanBeGranted(sdlWindow)) {
    SDL_SetWindowFullscreen(sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
}

void Presenter::Show(HWND target, const std::uint32_t* pixels, UINT width, UINT height,
                     UINT pitch) {
  SDL_Window* sdlWindow = win32::SdlWindowOf(target != nullptr ? target : window);
  if (sdlWindow == nullptr) return;
  SDL_Surface* screen = SDL_GetWindowSurface(sdlWindow);
  if (screen == nullptr) return;
  SDL_Surface* frame = SDL_CreateRGBSurfaceWithFormatFrom(
      const_cast<std::uint32_t*>(pixels), int(width), int(height), 32, int(pitch),
      SDL_PIXELFORMAT_ARGB8888);
  if (frame == nullptr) return;
  // The back buffer's alpha byte means nothing on screen.
  SDL_SetSurfaceBlendMode(frame, SDL_BLENDMODE_NONE);
  SDL_FillRect(screen, nullptr, SDL_MapRGB(screen->format, 0, 0, 0));
  // Placed for the window's real size, should the surface be larger than what is shown.
  int shownWidth = 0, shownHeight = 0;
  win32::DrawableSize(sdlWindow, shownWidth, shownHeight);
  const Placement place = PlaceFrame(int(width), int(height), std::min(shownWidth, screen->w),
                                     std::min(shownHeight, screen->h));
  SDL_Rect destination = {place.x, place.y, int(width) * place.scale,
                          int(height) * place.scale};
  if (place.scale == 1) {
    SDL_BlitSurface(frame, nullptr, screen, &destination);
  } else {
    SDL_BlitScaled(frame, nullptr, screen, &destination);
  }
  SDL_FreeSurface(frame);
  SDL_UpdateWindowSurface(sdlWindow);
}

}  // namespace d3d9
