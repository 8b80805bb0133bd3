// Long-running built-ins: a stop request that arrives through the message queue (as the end
// hotkey does) ends them, and area scans are as quick for a huge rectangle as for the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/input_recorder.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

CQuorvex_Script* g_toStop = nullptr;

void CALLBACK StopTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (g_toStop) g_toStop->StopRun = 1;
}

// Runs the script with a stop request queued after `afterMs`; true when the line after the
// long one never ran.
bool StoppedBeforeTheNextLine(ScriptHarness& h, const std::string& longLine, UINT afterMs) {
  g_toStop = &h.script();
  UINT_PTR timer = SetTimer(nullptr, 0, afterMs, StopTimer);
  h.Run("$before = 1\n" + longLine + "\n$after = 1");
  KillTimer(nullptr, timer);
  g_toStop = nullptr;
  return h.Global("BEFORE") == "1" && h.Global("AFTER") == "<undeclared>" && h.script().StopRun;
}

uint32_t Adler32(const std::vector<int>& bytes) {
  uint32_t a = 1, b = 0;
  for (int byte : bytes) {
    a = (a + static_cast<uint32_t>(byte)) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

}  // namespace

TEST(RunStop, RepeatingBuiltinsStopOnAQueuedStopRequest) {
  InputRecorder input;  // nothing reaches the system; delays do not wait
  for (const char* line : {"Send(\"{a 2147483647}\")", "Send(\"{ENTER 2147483647}\")", "MouseClick(\"left\", 2147483647)",
                           "MouseClick(\"left\", 2147483647 * 1000)", "MouseDoubleClick(\"left\", 2147483647)",
                           "MouseWheel(\"up\", 2147483647)", "KeySend(\"\", \"\", \"\", \"a\", 2147483647)"}) {
    SCOPED_TRACE(line);
    ScriptHarness h;
    EXPECT_TRUE(StoppedBeforeTheNextLine(h, line, 50));
    EXPECT_TRUE(h.boxes().empty()) << h.LastBox();
    input.Clear();
  }
}

// Long waits wait in slices and drain the queue between them.
TEST(RunStop, LongWaitsStopOnAQueuedStopRequest) {
  for (const char* line : {"Wait(2147483647)", "MouseClickDrag(\"left\", 1, 1, 1, 1, 0)"}) {
    SCOPED_TRACE(line);
    ScriptHarness h;
    if (line[0] == 'M') h.script().MouseClickDragDelay = 2147483647;  // the drag waits that long twice
    MutedInput input;  // nothing reaches the system, but delays wait as they do in a robot run
    EXPECT_TRUE(StoppedBeforeTheNextLine(h, line, 100));
  }
}

// The checksum of a rectangle partly off the screen: off-screen pixels count as three bytes of
// 255 each, added without reading them one by one.
TEST(RunStop, PixelChecksumOfHugeRectanglesIsComputedNotScanned) {
  ScriptHarness h;
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  struct Case {
    int left, top, right, bottom;
  } cases[] = {
      {-3, -2, 1, 1}, {desktop.right - 2, desktop.bottom - 3, desktop.right + 2, desktop.bottom + 1},
      {-5, 10, -1, 12}, {desktop.right, 0, desktop.right + 3, 2},
  };
  HDC screen = GetDC(nullptr);
  for (const Case& c : cases) {
    std::vector<int> bytes;
    for (int x = c.left; x <= c.right; ++x) {
      for (int y = c.top; y <= c.bottom; ++y) {
        COLORREF pixel = GetPixel(screen, x, y);
        bytes.insert(bytes.end(), {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)});
      }
    }
    std::string expression = "PixelChecksum(" + std::to_string(c.left) + ", " + std::to_string(c.top) + ", " +
                             std::to_string(c.right) + ", " + std::to_string(c.bottom) + ")";
    EXPECT_EQ(h.Eval(expression), std::to_string(Adler32(bytes))) << expression;
  }
  ReleaseDC(nullptr, screen);
  // Rectangles of billions of pixels (the checksum of n bytes of 255 has a closed form).
  std::vector<int> blank(3 * 4, 255);
  EXPECT_EQ(h.Eval("PixelChecksum(-100000, -1, -99999, 0)"), std::to_string(Adler32(blank)));
  EXPECT_NE(h.Eval("PixelChecksum(0, 0, 100000, 100000)"), "");
  EXPECT_NE(h.Eval("PixelChecksum(-2147483648, -2147483648, 2147483647, 2147483647)"), "");
  EXPECT_TRUE(h.boxes().empty()) << h.LastBox();
}
