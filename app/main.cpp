// The program's entry on a platform without WinMain: the arguments are not used.
#include "app/shell.h"
#include "platform/win32/modules.h"
#include "platform/win32/window.h"

int main() {
  char noCommandLine[] = "";
  return WinMain(GetModuleHandleA(nullptr), nullptr, noCommandLine, SW_SHOWDEFAULT);
}
