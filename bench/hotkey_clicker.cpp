// The smallest program that does what the latency benchmark times: it registers Ctrl + Alt + K
// and, at each press, moves the mouse to the point given on its command line and clicks there.
// bench_hotkey_latency starts it to time the same presses beside the real program.
//   hotkey_clicker.exe <x> <y>
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const int x = atoi(argv[1]), y = atoi(argv[2]);
  if (!RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_ALT, 'K')) return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message != WM_HOTKEY) continue;
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x * 65536 / cx + 1, y * 65536 / cy + 1, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  }
  return 0;
}
