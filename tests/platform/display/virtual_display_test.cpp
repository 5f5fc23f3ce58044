// Present on a virtual X display without a window manager, which never grants full screen:
// the whole picture must still be seen in the window, placed for the window's real size.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/d3d9/d3d9.h"
#include "platform/win32/window.h"

// Last: X11's macros (None, Bool, Status) would clash with the headers above.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xutil.h>

// SDL's X11 start-up keeps small blocks of system libraries that it loads and unloads again,
// which the leak checker can tell from nothing of ours; this program checks presentation,
// and the leak checks of the device run in the other test programs.
extern "C" int __lsan_is_turned_off() { return 1; }

namespace {

constexpr const char* kClassName = "VirtualDisplayTest";

// An Xvfb server of the given screen size for the test's life.
class VirtualDisplay {
 public:
  VirtualDisplay(int width, int height) {
    int pipe[2];
    if (::pipe(pipe) != 0) return;
    server = ::fork();
    if (server == 0) {
      ::close(pipe[0]);
      const std::string fd = std::to_string(pipe[1]);
      const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
               "-nolisten", "tcp", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(pipe[1]);
    char number[32] = {};
    std::size_t got = 0;
    while (got < sizeof(number) - 1) {
      const ssize_t n = ::read(pipe[0], number + got, sizeof(number) - 1 - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
      if (number[got - 1] == '\n') break;
    }
    ::close(pipe[0]);
    std::string digits(number, got);
    while (!digits.empty() && (digits.back() < '0' || digits.back() > '9')) digits.pop_back();
    if (!digits.empty()) name = ":" + digits;
  }
  ~VirtualDisplay() {
    if (server > 0) {
      ::kill(server, SIGTERM);
      ::waitpid(server, nullptr, 0);
    }
  }
  const std::string& Name() const { return name; }

 private:
  pid_t server = -1;
  std::string name;
};

LRESULT PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

class VirtualDisplayTest : public ::testing::Test {
 protected:
  void Start(int screenWidth, int screenHeight) {
    if (std::system("command -v Xvfb > /dev/null") != 0) GTEST_SKIP() << "Xvfb is not installed";
    display = std::make_unique<VirtualDisplay>(screenWidth, screenHeight);
    ASSERT_FALSE(display->Name().empty()) << "Xvfb did not start";
    setenv("DISPLAY", display->Name().c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    // No screen-saver inhibition or input methods over D-Bus: their connections are kept for
    // the life of the process and would read as leaks.
    setenv("SDL_VIDEO_ALLOW_SCREENSAVER", "1", 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "disabled:", 1);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = PlainProcedure;
    windowClass.lpszClassName = kClassName;
    ASSERT_NE(0, RegisterClassExA(&windowClass));
  }
  void TearDown() override {
    if (device != nullptr) device->Release();
    if (direct3d != nullptr) direct3d->Release();
    if (window != nullptr) DestroyWindow(window);
    UnregisterClassA(kClassName, nullptr);
  }

  void OpenWindow(int width, int height) {
    window = CreateWindowExA(0, kClassName, "Mirefell", WS_POPUP, 0, 0, width, height, nullptr,
                             nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, window) << win32::WindowSystemError();
    ShowWindow(window, SW_SHOW);
    direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  }

  void CreateDevice(bool windowed) {
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = 640;
    parameters.BackBufferHeight = 480;
    parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = windowed ? TRUE : FALSE;
    ASSERT_EQ(S_OK, direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                           D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters,
                                           &device));
  }

  // Green everywhere, a red 8 x 8 block at the top-left corner of the frame; presented a few
  // times with the window's messages handled in between, as the game's loop does, since the
  // server maps a new window in its own time.
  void PresentMarkedFrame() {
    ASSERT_EQ(S_OK, device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0));
    const D3DRECT corner = {0, 0, 8, 8};
    ASSERT_EQ(S_OK, device->Clear(1, &corner, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0));
    for (int frame = 0; frame < 5; ++frame) {
      MSG message;
      while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
      ASSERT_EQ(S_OK, device->Present(nullptr, nullptr, nullptr, nullptr));
      SDL_Delay(40);
    }
  }

  // What the X server shows in the window at (x, y), as 0xRRGGBB.
  std::uint32_t ShownAt(int x, int y) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    EXPECT_EQ(SDL_TRUE, SDL_GetWindowWMInfo(win32::SdlWindowOf(window), &info));
    XSync(info.info.x11.display, False);
    XImage* image = XGetImage(info.info.x11.display, info.info.x11.window, x, y, 1, 1, AllPlanes,
                              ZPixmap);
    if (image == nullptr) return 0xDEADBEEF;
    const std::uint32_t pixel = static_cast<std::uint32_t>(XGetPixel(image, 0, 0)) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
  }

  RECT Client() {
    RECT client{};
    GetClientRect(window, &client);
    return client;
  }

  std::unique_ptr<VirtualDisplay> display;
  HWND window = nullptr;
  IDirect3D9* direct3d = nullptr;
  IDirect3DDevice9* device = nullptr;
};

TEST_F(VirtualDisplayTest, RefusedFullScreenStillShowsTheWholePicture) {
  Start(1920, 1080);
  if (IsSkipped()) return;
  OpenWindow(640, 480);
  CreateDevice(false);
  // Nobody grants the window the desktop: it keeps its size, and so does the client area.
  EXPECT_EQ(640, Client().right);
  EXPECT_EQ(480, Client().bottom);
  PresentMarkedFrame();
  EXPECT_EQ(0xFF0000u, ShownAt(0, 0));
  EXPECT_EQ(0xFF0000u, ShownAt(7, 7));
  EXPECT_EQ(0x00FF00u, ShownAt(8, 8));
  EXPECT_EQ(0x00FF00u, ShownAt(639, 479));
}

TEST_F(VirtualDisplayTest, ALargerWindowShowsThePictureScaledAndCentred) {
  Start(1600, 1200);
  if (IsSkipped()) return;
  OpenWindow(1300, 1000);
  CreateDevice(true);
  PresentMarkedFrame();
  // Scale 2 puts the frame at (10, 20): its red corner covers 16 x 16 pixels from there.
  EXPECT_EQ(0x000000u, ShownAt(9, 19));
  EXPECT_EQ(0xFF0000u, ShownAt(10, 20));
  EXPECT_EQ(0xFF0000u, ShownAt(25, 35));
  EXPECT_EQ(0x00FF00u, ShownAt(26, 36));
  EXPECT_EQ(0x00FF00u, ShownAt(1289, 979));
  EXPECT_EQ(0x000000u, ShownAt(1290, 980));
}

}  // namespace
