// What the display does with a window. A full-screen request is only a request: with no
// window manager to grant it (a virtual display, for one) the window keeps its size while SDL
// takes it to be the desktop's, and draws for a size nobody shows. Where the window system
// can be asked (X11), it is.
#include "platform/win32/window.h"

// After our headers: X11's macros would clash with them.
#include <SDL.h>
#include <SDL_syswm.h>

namespace win32 {

namespace {

#if defined(SDL_VIDEO_DRIVER_X11)
bool X11Of(SDL_Window* window, SDL_SysWMinfo& info) {
  SDL_VERSION(&info.version);
  return SDL_GetWindowWMInfo(window, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11;
}
#endif

}  // namespace

void DrawableSize(SDL_Window* window, int& width, int& height) {
  SDL_GetWindowSizeInPixels(window, &width, &height);
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  if (!X11Of(window, info)) return;
  XWindowAttributes attributes;
  if (XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes) != 0) {
    width = attributes.width;
    height = attributes.height;
  }
#endif
}

// On X11 only a window manager that announces itself (_NET_SUPPORTING_WM_CHECK on the root
// window) can make a window full screen.
bool FullScreenCanBeGranted(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
  SDL_SysWMinfo info;
  if (!X11Of(window, info)) return true;
  Display* display = info.info.x11.display;
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* value = nullptr;
  const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                        AnyPropertyType, &type, &format, &count, &after, &value);
  if (value != nullptr) XFree(value);
  return status == Success && type != None && count > 0;
#else
  (void)window;
  return true;
#endif
}

}  // namespace win32
