// Mouse and pixel built-ins: input sequences through the recording seam, the return click of a
// background run, and colours read from a painted window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/input_recorder.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

class Mouse : public ::testing::Test {
public:
  // Calls a built-in; its result as text ("x,y" for an array).
  std::string Call(const char* name, std::vector<CScriptValue> values) {
    int answer = 0;
    std::string text = harness.Call(name, std::move(values), &answer);
    EXPECT_EQ(answer, 0) << name;
    return text;
  }
  CQuorvex_Script& script() { return harness.script(); }

  ScriptHarness harness;
};

// A topmost window painted with known colours: columns 0-9 RGB 12 34 56, 10-19 RGB 200 100 50,
// 20-29 black; ten rows.
class PaintedWindow {
public:
  PaintedWindow(int x, int y) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PindrelPaintedTest";
    RegisterClassA(&wc);
    hwnd_ = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "painted", WS_POPUP | WS_VISIBLE, x, y, 30, 10, nullptr,
                            nullptr, wc.hInstance, nullptr);
    UpdateWindow(hwnd_);
    PumpFor(300);
  }
  ~PaintedWindow() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }

private:
  static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m != WM_PAINT) return DefWindowProcA(h, m, w, l);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    const COLORREF colours[3] = {RGB(0x12, 0x34, 0x56), RGB(200, 100, 50), RGB(0, 0, 0)};
    for (int i = 0; i < 3; ++i) {
      RECT r = {i * 10, 0, i * 10 + 10, 10};
      HBRUSH brush = CreateSolidBrush(colours[i]);
      FillRect(dc, &r, brush);
      DeleteObject(brush);
    }
    EndPaint(h, &ps);
    return 0;
  }
  HWND hwnd_;
};

unsigned long Adler32(const std::vector<int>& bytes) {
  unsigned long a = 1, b = 0;
  for (int byte : bytes) {
    a = (a + static_cast<unsigned long>(byte)) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

}  // namespace

TEST_F(Mouse, EventSequences) {
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  ASSERT_EQ(desktop.right, 1280);
  ASSERT_EQ(desktop.bottom, 1024);
  const char* click = "mouse 2 0 0 0, wait 10, mouse 4 0 0 0, wait 10";
  struct Case {
    const char* name;
    std::vector<CScriptValue> args;
    std::string events;
  } cases[] = {
      {"MOUSEMOVE", {Arg(0), Arg(0)}, "mouse 8001 1 1 0, wait 2"},
      {"MOUSEMOVE", {Arg(1279), Arg(1023), Arg(50)}, "mouse 8001 65536 65536 0, wait 2"},  // the speed is not used
      {"MOUSEMOVE", {Arg(640), Arg(512)}, "mouse 8001 32794 32800 0, wait 2"},
      {"MOUSEMOVE", {Arg(-10), Arg(0)}, "mouse 8001 -511 1 0, wait 2"},
      // Far off the screen: at most a screen's width past the edge, where the pointer stops.
      {"MOUSEMOVE", {Arg(99999), Arg(32768)}, "mouse 8001 65536 65536 0, wait 2"},
      {"MOUSEMOVE", {Arg(-99999), Arg(40000)}, "mouse 8001 -65536 65536 0, wait 2"},
      {"MOUSERELATIVEMOVE", {Arg(1279), Arg(0)}, "mouse 8001 65536 1 0, wait 20"},
      {"MOUSECLICK", {Arg("left")}, click},
      {"MOUSECLICK", {Arg("Right"), Arg(2)}, "mouse 8 0 0 0, wait 10, mouse 10 0 0 0, wait 10, "
                                             "mouse 8 0 0 0, wait 10, mouse 10 0 0 0, wait 10"},
      {"MOUSECLICK", {Arg("MIDDLE"), Arg(1), Arg(5)}, "mouse 20 0 0 0, wait 10, mouse 40 0 0 0, wait 10"},
      {"MOUSECLICK", {Arg("centre")}, click},
      {"MOUSECLICK", {Arg("left"), Arg(0)}, ""},
      {"MOUSEDOUBLECLICK", {Arg("left")}, "mouse 2 0 0 0, wait 10, mouse 4 0 0 0, wait 1, "
                                          "mouse 2 0 0 0, wait 10, mouse 4 0 0 0, wait 10"},
      {"MOUSEDOWN", {Arg("right")}, "mouse 8 0 0 0"},
      {"MOUSEUP", {Arg("right")}, "mouse 10 0 0 0"},
      {"MOUSEWHEEL", {Arg("UP"), Arg(2)}, "mouse 800 0 0 120, wait 10, mouse 800 0 0 120, wait 10"},
      {"MOUSEWHEEL", {Arg("sideways")}, "mouse 800 0 0 -120, wait 10"},
      {"MOUSEWHEEL", {Arg("down"), Arg(-1)}, ""},
      {"MOUSECLICKDRAG", {Arg("left"), Arg(0), Arg(0), Arg(0), Arg(0), Arg(0)},
       "mouse 8001 1 1 0, wait 2, mouse 2 0 0 0, wait 250, wait 250, mouse 4 0 0 0, wait 10"},
  };
  for (Case& c : cases) {
    InputRecorder rec;
    EXPECT_EQ(Call(c.name, c.args), "1");
    EXPECT_EQ(rec.events, Seq(c.events)) << c.name << " " << c.args[0].GetString();
  }
}

TEST_F(Mouse, SteppedMovesAcrossTheScreen) {
  // Left edge to right edge: 1/speed of the distance left per step, at least 32 units, 20 ms
  // apart. A drag without a speed steps at 10 both ways; with speed 0 it jumps, then drags at 2.
  struct Case {
    const char* name;
    int speed;
    size_t moves;
  } cases[] = {{"to", 1, 1}, {"to", 2, 12}, {"to", 10, 61}, {"to", 100, 402}, {"to", -5, 61}, {"to", 101, 61},
               {"drag", -1, 0 + 61}, {"drag", 0, 1 + 12}};
  for (const Case& c : cases) {
    InputRecorder rec;  // its pointer stays where it is: both drag moves start at the left edge
    if (c.name[0] == 't') {
      rec.cursor = {0, 500};
      script().MouseMoveTo(1279, 500, c.speed);
    } else if (c.speed < 0) {
      Call("MOUSECLICKDRAG", {Arg("left"), Arg(0), Arg(0), Arg(1279), Arg(0)});
    } else {
      Call("MOUSECLICKDRAG", {Arg("left"), Arg(0), Arg(0), Arg(1279), Arg(0), Arg(c.speed)});
    }
    size_t moves = 0;
    std::string last;
    for (const std::string& e : rec.events)
      if (e.rfind("mouse 8001 ", 0) == 0) ++moves, last = e;
    EXPECT_EQ(moves, c.moves) << c.name << " " << c.speed;
    EXPECT_EQ(last, c.name[0] == 't' ? "mouse 8001 65536 32031 0" : "mouse 8001 65536 1 0") << c.name << c.speed;
  }
}

TEST_F(Mouse, BackgroundRunReturnsToTheUserAndClicksThere) {
  script().SetRunParameters(1, 1279, 0);
  InputRecorder rec;
  rec.cursor = {1279, 0};
  Call("MOUSEMOVE", {Arg(0), Arg(0)});
  Call("MOUSECLICK", {Arg("right")});
  EXPECT_EQ(rec.events, Seq("mouse 8001 1 1 0, wait 2, mouse 8 0 0 0, wait 10, mouse 10 0 0 0, wait 10, "
                            "mouse 8001 65536 1 0, sleep 1, mouse 2 0 0 0, sleep 1, mouse 4 0 0 0"));
  // The user moved the mouse: the next MOUSEMOVE reads the new place, the next click returns there.
  rec.Clear();
  rec.cursor = {0, 1023};
  Call("MOUSEMOVE", {Arg(1279), Arg(1023)});
  rec.cursor = {5, 5};  // the script's own move is not the user's
  Call("MOUSEMOVE", {Arg(1279), Arg(1023)});
  Call("MOUSEUP", {Arg("left")});
  EXPECT_EQ(rec.events, Seq("mouse 8001 65536 65536 0, wait 2, mouse 8001 65536 65536 0, wait 2, mouse 4 0 0 0, "
                            "mouse 8001 1 65536 0, sleep 1, mouse 2 0 0 0, sleep 1, mouse 4 0 0 0"));
  script().SetRunParameters(0, 0, 0);
  rec.Clear();
  Call("MOUSEUP", {Arg("left")});
  EXPECT_EQ(rec.events, Seq("mouse 4 0 0 0"));
}

TEST_F(Mouse, CoordinatesRelativeToTheForegroundWindow) {
  PaintedWindow window(200, 150);
  ASSERT_TRUE(BringToFront(window.hwnd()));
  InputRecorder rec;
  rec.cursor = {50, 60};
  Call("MOUSEMOVE", {Arg(260), Arg(210)});
  std::string screen = rec.events[0];
  rec.Clear();
  script().MouseCoordMode = 0;
  Call("MOUSERELATIVEMOVE", {Arg(10), Arg(0)});  // 10 pixels plus the window's left edge
  Call("MOUSEMOVE", {Arg(60), Arg(60)});
  EXPECT_EQ(rec.events, Seq(screen + ", wait 20, " + screen + ", wait 2"));
  EXPECT_EQ(Call("MOUSEGETPOS", {}), "-150,-90");
  script().MouseCoordMode = 1;
  EXPECT_EQ(Call("MOUSEGETPOS", {}), "50,60");
  script().PixelCoordMode = 0;
  EXPECT_EQ(Call("PIXELGETCOLOR", {Arg(15), Arg(0)}), std::to_string(0xC86432));
  EXPECT_EQ(Call("PIXELSEARCH", {Arg(0), Arg(0), Arg(29), Arg(9), Arg(0)}), "20,0");
}

TEST_F(Mouse, PixelColours) {
  PaintedWindow window(400, 300);
  const int x = 400, y = 300;
  InputRecorder rec;
  rec.cursor = {x + 12, y + 5};
  struct Case {
    const char* name;
    std::vector<CScriptValue> args;
    std::string result;
    int colorMode = 0;
  } cases[] = {
      {"PIXELGETCOLOR", {Arg(x + 5), Arg(y + 5)}, "1193046"},     // 0x123456
      {"PIXELGETCOLOR", {Arg(x + 5), Arg(y + 5)}, "5649426", 1},  // 0x563412
      {"PIXELGETCOLOR", {Arg(-5), Arg(y)}, "-1"},                 // off the screen
      {"CHECKCOLOR", {Arg(x + 5), Arg(y + 5), Arg(0x12), Arg(0x34), Arg(0x56), Arg(0)}, "1"},
      {"CHECKCOLOR", {Arg(x + 5), Arg(y + 5), Arg(0x12), Arg(0x34), Arg(0x57), Arg(1)}, "1"},
      {"CHECKCOLOR", {Arg(-1), Arg(-1), Arg(200 + 19), Arg(100 - 19), Arg(50), Arg(2)}, "1"},  // the pointer
      {"CHECKCOLOR", {Arg(-1), Arg(-1), Arg(200), Arg(100 + 20), Arg(50), Arg(2)}, "0"},
      {"CHECKCOLOR", {Arg(-1), Arg(-1), Arg(1), Arg(2), Arg(3), Arg(5)}, "1"},
      {"CHECKCOLOR", {Arg(5000), Arg(10), Arg(255), Arg(255), Arg(255), Arg(0)}, "0"},
      {"PIXELSEARCH", {Arg(x), Arg(y), Arg(x + 29), Arg(y + 9), Arg(0xC86432)}, "410,300"},
      {"PIXELSEARCH", {Arg(x), Arg(y), Arg(x + 29), Arg(y + 9), Arg(0x3264C8)}, "410,300", 1},
      {"PIXELSEARCH", {Arg(x + 20), Arg(y), Arg(x + 29), Arg(y + 9), Arg(0x0A0A0A), Arg(10)}, "420,300"},
      {"PIXELSEARCH", {Arg(x + 20), Arg(y), Arg(x + 29), Arg(y + 9), Arg(0x0A0A0A), Arg(9)}, "1"},
      {"PIXELSEARCH", {Arg(x + 11), Arg(y + 1), Arg(x + 29), Arg(y + 9), Arg(0), Arg(0), Arg(4)}, "423,301"},
      {"PIXELSEARCH", {Arg(x + 29), Arg(y), Arg(x), Arg(y + 9), Arg(0)}, "1"},  // right left of left
      {"PIXELSEARCH", {Arg(-100000), Arg(y), Arg(x + 29), Arg(y), Arg(0xC86432), Arg(0), Arg(7)}, "415,300"},
      {"PIXELCHECKSUM", {Arg(x + 20), Arg(y), Arg(x + 20), Arg(y)}, "196609"},  // 0x00030001
      {"PIXELCHECKSUM", {Arg(x + 9), Arg(y + 9), Arg(x + 10), Arg(y + 9)},
       std::to_string(Adler32({0x12, 0x34, 0x56, 200, 100, 50}))},
      {"PIXELCHECKSUM", {Arg(x + 19), Arg(y), Arg(x + 20), Arg(y + 1)},  // column by column
       std::to_string(Adler32({200, 100, 50, 200, 100, 50, 0, 0, 0, 0, 0, 0}))},
      {"PIXELCHECKSUM", {Arg(-1), Arg(0), Arg(-1), Arg(0)}, std::to_string(Adler32({255, 255, 255}))},
  };
  for (Case& c : cases) {
    script().ColorMode = c.colorMode;
    EXPECT_EQ(Call(c.name, c.args), c.result) << c.name << " " << c.args[0].GetInt() << "," << c.args[1].GetInt();
    EXPECT_EQ(script().GetError(), c.name[5] == 'S' && c.result == "1") << c.name;  // PIXELSEARCH not found
  }
}
