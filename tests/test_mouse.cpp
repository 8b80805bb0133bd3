// Mouse and pixel built-ins: input sequences through the recording seam, the return click of a
// background run, input released when a run ends, and colours read from a painted window.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "script/builtins/input_seam.h"
#include "tests/support/input_recorder.h"
#include "tests/support/script_harness.h"
#include "tests/support/test_support.h"

using namespace testing_support;

namespace {

std::vector<std::string> Seq(const std::string& text) {
  std::vector<std::string> items;
  std::string::size_type start = 0;
  while (start < text.size()) {
    std::string::size_type comma = text.find(", ", start);
    if (comma == std::string::npos) comma = text.size();
    items.push_back(text.substr(start, comma - start));
    start = comma + 2;
  }
  return items;
}

CScriptValue Arg(const char* text) {
  CScriptValue v;
  v.SetString(text);
  return v;
}

CScriptValue Arg(double n) {
  CScriptValue v;
  v.SetNumber(n);
  return v;
}

CScriptValue Arg(int n) { return Arg(static_cast<double>(n)); }

// The recording seam, also recording BLOCKINPUT.
class Recorder : public InputRecorder {
public:
  BOOL BlockInput(BOOL block) override {
    events.push_back(block ? "block 1" : "block 0");
    return TRUE;
  }
};

class MouseTest : public ::testing::Test {
public:
  CQuorvex_Script& script() { return harness.script(); }

  // Calls a built-in; returns its result as text ("x,y" for an array of two).
  std::string Call(const char* name, std::vector<CScriptValue> values) {
    int index = script().FindBuiltin(name);
    EXPECT_GE(index, 0) << name;
    CValueList args;
    for (CScriptValue& v : values) args.Add(v);
    CScriptValue result;
    EXPECT_EQ(script().CallBuiltin(index, args, result), 0) << name;
    if (result.IsArray()) {
      std::string text;
      for (int i = 0; i < result.GetElementCount(); ++i) {
        result.ClearSubscripts();
        result.AddSubscript(i);
        text += (i ? "," : "") + std::string(result.GetElement()->GetString());
      }
      return text;
    }
    return result.GetString();
  }

  ScriptHarness harness;
};

// A topmost window painted with known colours: columns 0-9 RGB 12 34 56, 10-19 RGB 200 100 50,
// 20-29 black; ten rows.
class PaintedWindow {
public:
  PaintedWindow(int x, int y) : x_(x), y_(y) {
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
  int x() const { return x_; }
  int y() const { return y_; }

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
  int x_, y_;
};

// Adler-32 as RFC 1950 defines it.
unsigned long Adler32(const std::vector<int>& bytes) {
  unsigned long a = 1, b = 0;
  for (int byte : bytes) {
    a = (a + static_cast<unsigned long>(byte)) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

}  // namespace

TEST_F(MouseTest, MovesSendNormalisedCoordinates) {
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  ASSERT_EQ(desktop.right, 1280);
  ASSERT_EQ(desktop.bottom, 1024);
  struct Case {
    double x, y;
    const char* events;
  } cases[] = {
      {0, 0, "mouse 8001 1 1 0, wait 2"},
      {1279, 1023, "mouse 8001 65536 65536 0, wait 2"},
      {640, 512, "mouse 8001 32794 32800 0, wait 2"},
      {-10, 0, "mouse 8001 -511 1 0, wait 2"},
  };
  for (const Case& c : cases) {
    Recorder rec;
    EXPECT_EQ(Call("MOUSEMOVE", {Arg(c.x), Arg(c.y), Arg(50)}), "1");
    EXPECT_EQ(rec.events, Seq(c.events)) << c.x << "," << c.y;
  }
}

TEST_F(MouseTest, ClicksWheelTurnsAndTheirDelays) {
  struct Case {
    const char* name;
    std::vector<CScriptValue> args;
    const char* events;
  } cases[] = {
      {"MOUSECLICK", {Arg("left")}, "mouse 2 0 0 0, wait 10, mouse 4 0 0 0, wait 10"},
      {"MOUSECLICK", {Arg("Right"), Arg(2)}, "mouse 8 0 0 0, wait 10, mouse 10 0 0 0, wait 10, "
                                             "mouse 8 0 0 0, wait 10, mouse 10 0 0 0, wait 10"},
      {"MOUSECLICK", {Arg("MIDDLE"), Arg(1), Arg(5)}, "mouse 20 0 0 0, wait 10, mouse 40 0 0 0, wait 10"},
      {"MOUSECLICK", {Arg("centre")}, "mouse 2 0 0 0, wait 10, mouse 4 0 0 0, wait 10"},
      {"MOUSECLICK", {Arg("left"), Arg(0)}, ""},
      {"MOUSECLICK", {Arg("left"), Arg(-3)}, ""},
      {"MOUSEDOUBLECLICK", {Arg("left")}, "mouse 2 0 0 0, wait 10, mouse 4 0 0 0, wait 1, "
                                          "mouse 2 0 0 0, wait 10, mouse 4 0 0 0, wait 10"},
      {"MOUSEDOWN", {Arg("right")}, "mouse 8 0 0 0"},
      {"MOUSEUP", {Arg("right")}, "mouse 10 0 0 0"},
      {"MOUSEWHEEL", {Arg("up")}, "mouse 800 0 0 120, wait 10"},
      {"MOUSEWHEEL", {Arg("UP"), Arg(2)}, "mouse 800 0 0 120, wait 10, mouse 800 0 0 120, wait 10"},
      {"MOUSEWHEEL", {Arg("sideways")}, "mouse 800 0 0 -120, wait 10"},
      {"MOUSEWHEEL", {Arg("down"), Arg(-1)}, ""},
  };
  for (Case& c : cases) {
    Recorder rec;
    EXPECT_EQ(Call(c.name, c.args), "1");
    EXPECT_EQ(rec.events, Seq(c.events)) << c.name << " " << c.args[0].GetString();
  }
  Recorder rec;
  script().MouseClickDelay = 3;
  script().MouseClickDownDelay = 7;
  Call("MOUSECLICK", {Arg("left")});
  EXPECT_EQ(rec.events, Seq("mouse 2 0 0 0, wait 7, mouse 4 0 0 0, wait 3"));
}

TEST_F(MouseTest, SteppedMovesAcrossTheScreen) {
  // From the left edge to the right edge: 1/speed of the distance left per step, at least 32
  // units, 20 ms apart.
  struct Case {
    int speed;
    size_t steps;
  } cases[] = {{1, 1}, {2, 12}, {10, 61}, {100, 402}, {-5, 61}, {101, 61}};
  for (const Case& c : cases) {
    Recorder rec;
    rec.cursor = {0, 500};
    script().MouseMoveTo(1279, 500, c.speed);
    ASSERT_EQ(rec.events.size(), 2 * c.steps) << c.speed;
    EXPECT_EQ(rec.events[rec.events.size() - 2], "mouse 8001 65536 32031 0") << c.speed;
    EXPECT_EQ(rec.events.back(), "wait 20");
  }
}

TEST_F(MouseTest, DragMovesInStepsOrJumps) {
  auto moves = [](const Recorder& rec) {
    size_t n = 0;
    for (const std::string& e : rec.events) n += e.rfind("mouse 8001 ", 0) == 0;
    return n;
  };
  {
    // No speed: both moves step at speed 10 (the recorder's cursor stays at the start point).
    Recorder rec;
    rec.cursor = {0, 0};
    Call("MOUSECLICKDRAG", {Arg("left"), Arg(0), Arg(0), Arg(1279), Arg(0)});
    EXPECT_EQ(moves(rec), 61u);
    std::vector<std::string> head(rec.events.begin(), rec.events.begin() + 2);
    EXPECT_EQ(head, Seq("mouse 2 0 0 0, wait 250"));
    std::vector<std::string> tail(rec.events.end() - 5, rec.events.end());
    EXPECT_EQ(tail, Seq("mouse 8001 65536 1 0, wait 20, wait 250, mouse 4 0 0 0, wait 10"));
  }
  {
    // Speed 0: a jump to the start, then the drag at speed 2 (the recorder's cursor stays at the
    // left edge, where the drag starts).
    Recorder rec;
    rec.cursor = {0, 0};
    Call("MOUSECLICKDRAG", {Arg("right"), Arg(0), Arg(0), Arg(1279), Arg(0), Arg(0)});
    std::vector<std::string> head(rec.events.begin(), rec.events.begin() + 4);
    EXPECT_EQ(head, Seq("mouse 8001 1 1 0, wait 2, mouse 8 0 0 0, wait 250"));
    EXPECT_EQ(moves(rec), 1u + 12u);
    std::vector<std::string> tail(rec.events.end() - 4, rec.events.end());
    EXPECT_EQ(tail, Seq("wait 20, wait 250, mouse 10 0 0 0, wait 10"));
  }
}

TEST_F(MouseTest, BackgroundRunReturnsToTheUserAndClicksThere) {
  script().SetRunParameters(1, 1279, 0);
  Recorder rec;
  rec.cursor = {1279, 0};
  const char* back = "mouse 8001 65536 1 0, sleep 1, mouse 2 0 0 0, sleep 1, mouse 4 0 0 0";
  Call("MOUSEMOVE", {Arg(0), Arg(0)});
  Call("MOUSECLICK", {Arg("right")});
  EXPECT_EQ(rec.events,
            Seq(std::string("mouse 8001 1 1 0, wait 2, mouse 8 0 0 0, wait 10, mouse 10 0 0 0, wait 10, ") + back));
  // The user moves the mouse: the next MOUSEMOVE reads the new place, the next click returns there.
  rec.Clear();
  rec.cursor = {0, 1023};
  Call("MOUSEMOVE", {Arg(1279), Arg(1023)});
  rec.cursor = {5, 5};  // the script's own move is not the user's
  Call("MOUSEMOVE", {Arg(1279), Arg(1023)});
  Call("MOUSEUP", {Arg("left")});
  EXPECT_EQ(rec.events, Seq("mouse 8001 65536 65536 0, wait 2, mouse 8001 65536 65536 0, wait 2, mouse 4 0 0 0, "
                            "mouse 8001 1 65536 0, sleep 1, mouse 2 0 0 0, sleep 1, mouse 4 0 0 0"));
  EXPECT_EQ(script().UserCursorX, 0);
  EXPECT_EQ(script().UserCursorY, 1023);
  // Not in the background: no return.
  script().SetRunParameters(0, 0, 0);
  rec.Clear();
  Call("MOUSEUP", {Arg("left")});
  EXPECT_EQ(rec.events, Seq("mouse 4 0 0 0"));
}

TEST_F(MouseTest, WindowRelativeCoordinates) {
  PaintedWindow window(200, 150);
  SetForegroundWindow(window.hwnd());
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window.hwnd(); }, 3000));
  Recorder rec;
  rec.cursor = {50, 60};
  Call("MOUSEMOVE", {Arg(260), Arg(210)});
  std::vector<std::string> screen = rec.events;
  rec.Clear();
  script().MouseCoordMode = 0;
  Call("MOUSERELATIVEMOVE", {Arg(10), Arg(0)});  // 10 pixels plus the window's left edge
  Call("MOUSEMOVE", {Arg(60), Arg(60)});
  EXPECT_EQ(rec.events, Seq(screen[0] + ", wait 20, " + screen[0] + ", wait 2"));
  EXPECT_EQ(Call("MOUSEGETPOS", {}), "-150,-90");
  script().MouseCoordMode = 1;
  EXPECT_EQ(Call("MOUSEGETPOS", {}), "50,60");
}

TEST_F(MouseTest, RunEndReleasesWhatTheScriptLeftDown) {
  struct Case {
    const char* script;
    const char* released;  // the events after the script's own
  } cases[] = {
      {"MouseDown(\"right\")", "mouse 10 0 0 0"},
      {"MouseDown(\"left\")\nMouseDown(\"middle\")", "mouse 4 0 0 0, mouse 40 0 0 0"},
      {"MouseDown(\"left\")\nMouseUp(\"left\")", ""},
      {"BlockInput(1)", "block 0"},
      {"BlockInput(1)\nBlockInput(0)", ""},
      {"Send(\"{a down}{DEL down}\")", "up 46 ext, up 65"},
      {"Send(\"{CTRLDOWN}\")", "up 17"},
      {"Send(\"{SHIFTDOWN}{b down}\")\n$x = 1 +", "up 16, up 66"},  // an error ends the run
  };
  harness.Run("$x = 1");  // whatever earlier tests left held is released here
  for (const Case& c : cases) {
    Recorder rec;
    EXPECT_EQ(harness.Run(c.script), strstr(c.script, "$x = 1 +") == nullptr) << c.script;
    size_t before = rec.events.size();
    rec.Clear();
    EXPECT_TRUE(harness.Run("$x = 1"));  // a second run has nothing to release
    EXPECT_TRUE(rec.events.empty()) << c.script;
    rec.Clear();
    harness.Run(c.script);
    ASSERT_EQ(rec.events.size(), before);
    std::vector<std::string> released = Seq(c.released);
    ASSERT_GE(rec.events.size(), released.size()) << c.script << ": " << ::testing::PrintToString(rec.events);
    std::vector<std::string> tail(rec.events.end() - static_cast<long>(released.size()), rec.events.end());
    EXPECT_EQ(tail, released) << c.script;
  }
}

TEST_F(MouseTest, PixelColours) {
  PaintedWindow window(400, 300);
  const int x = window.x(), y = window.y();
  Recorder rec;
  rec.cursor = {x + 12, y + 5};
  struct Case {
    const char* name;
    std::vector<CScriptValue> args;
    const char* result;
    int colorMode = 0;
  } cases[] = {
      {"PIXELGETCOLOR", {Arg(x + 5), Arg(y + 5)}, "1193046"},  // 0x123456
      {"PIXELGETCOLOR", {Arg(x + 5), Arg(y + 5)}, "5649426", 1},  // 0x563412
      {"PIXELGETCOLOR", {Arg(x + 25), Arg(y)}, "0"},
      {"PIXELGETCOLOR", {Arg(-5), Arg(y)}, "-1"},
      {"PIXELGETCOLOR", {Arg(5000), Arg(10)}, "-1"},
      {"CHECKCOLOR", {Arg(x + 5), Arg(y + 5), Arg(0x12), Arg(0x34), Arg(0x56), Arg(0)}, "1"},
      {"CHECKCOLOR", {Arg(x + 5), Arg(y + 5), Arg(0x12), Arg(0x34), Arg(0x57), Arg(0)}, "0"},
      {"CHECKCOLOR", {Arg(x + 5), Arg(y + 5), Arg(0x12), Arg(0x34), Arg(0x57), Arg(1)}, "1"},
      {"CHECKCOLOR", {Arg(x + 5), Arg(y + 5), Arg(0x12), Arg(0x34), Arg(0x56), Arg(1)}, "0"},
      {"CHECKCOLOR", {Arg(-1), Arg(-1), Arg(200 + 19), Arg(100 - 19), Arg(50), Arg(2)}, "1"},
      {"CHECKCOLOR", {Arg(-1), Arg(-1), Arg(200), Arg(100 + 20), Arg(50), Arg(2)}, "0"},
      {"CHECKCOLOR", {Arg(-1), Arg(-1), Arg(1), Arg(2), Arg(3), Arg(5)}, "1"},
      {"CHECKCOLOR", {Arg(-1), Arg(-1), Arg(200), Arg(100), Arg(50), Arg(0)}, "1"},
      {"CHECKCOLOR", {Arg(5000), Arg(10), Arg(255), Arg(255), Arg(255), Arg(0)}, "0"},  // off the screen
      {"PIXELSEARCH", {Arg(x), Arg(y), Arg(x + 29), Arg(y + 9), Arg(0xC86432)}, "410,300"},
      {"PIXELSEARCH", {Arg(x), Arg(y), Arg(x + 29), Arg(y + 9), Arg(0x3264C8)}, "410,300", 1},
      {"PIXELSEARCH", {Arg(x + 20), Arg(y), Arg(x + 29), Arg(y + 9), Arg(0x0A0A0A), Arg(10)}, "420,300"},
      {"PIXELSEARCH", {Arg(x + 20), Arg(y), Arg(x + 29), Arg(y + 9), Arg(0x0A0A0A), Arg(9)}, "1"},
      {"PIXELSEARCH", {Arg(x + 11), Arg(y + 1), Arg(x + 29), Arg(y + 9), Arg(0), Arg(0), Arg(4)}, "423,301"},
      {"PIXELSEARCH", {Arg(x + 29), Arg(y), Arg(x), Arg(y + 9), Arg(0)}, "1"},  // right left of left
      {"PIXELSEARCH", {Arg(-100000), Arg(y), Arg(x + 29), Arg(y), Arg(0xC86432), Arg(0), Arg(7)}, "415,300"},
      {"PIXELCHECKSUM", {Arg(x + 20), Arg(y), Arg(x + 20), Arg(y)}, "196609"},  // 0x00030001
  };
  for (Case& c : cases) {
    script().ColorMode = c.colorMode;
    script().SetError(0);
    EXPECT_EQ(Call(c.name, c.args), c.result) << c.name << " " << c.args[0].GetNumber() << "," << c.args[1].GetNumber()
                                              << " colour mode " << c.colorMode;
  }
  script().ColorMode = 0;
  // Not found: @error 1 with the result 1.
  EXPECT_EQ(Call("PIXELSEARCH", {Arg(x), Arg(y), Arg(x + 29), Arg(y + 9), Arg(0xFFFFFF)}), "1");
  EXPECT_EQ(script().GetError(), 1);
  // Column by column: the pixel left of the border, then the one right of it.
  EXPECT_EQ(Call("PIXELCHECKSUM", {Arg(x + 9), Arg(y + 9), Arg(x + 10), Arg(y + 9)}),
            std::to_string(Adler32({0x12, 0x34, 0x56, 200, 100, 50})));
  EXPECT_EQ(Call("PIXELCHECKSUM", {Arg(x + 19), Arg(y), Arg(x + 20), Arg(y + 1)}),
            std::to_string(Adler32({200, 100, 50, 200, 100, 50, 0, 0, 0, 0, 0, 0})));
  // A point off the screen reads as GetPixel's CLR_INVALID.
  EXPECT_EQ(Call("PIXELCHECKSUM", {Arg(-1), Arg(0), Arg(-1), Arg(0)}), std::to_string(Adler32({255, 255, 255})));
  EXPECT_EQ(Call("PIXELCHECKSUM", {Arg(5), Arg(0), Arg(4), Arg(0)}), "1");
  // Window-relative pixels.
  SetForegroundWindow(window.hwnd());
  ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window.hwnd(); }, 3000));
  script().PixelCoordMode = 0;
  EXPECT_EQ(Call("PIXELGETCOLOR", {Arg(15), Arg(0)}), std::to_string(0xC86432));
  EXPECT_EQ(Call("PIXELSEARCH", {Arg(0), Arg(0), Arg(29), Arg(9), Arg(0)}), "20,0");
  EXPECT_EQ(Call("PIXELCHECKSUM", {Arg(20), Arg(0), Arg(20), Arg(0)}), "196609");
}

TEST_F(MouseTest, BlockInputCallsTheSystemAndNeverFails) {
  Recorder rec;
  EXPECT_EQ(Call("BLOCKINPUT", {Arg(2)}), "1");
  EXPECT_EQ(Call("BLOCKINPUT", {Arg(0)}), "1");
  EXPECT_EQ(rec.events, Seq("block 1, block 0"));
  SetInputSeam(nullptr);
  EXPECT_EQ(Call("BLOCKINPUT", {Arg(0)}), "1");  // the real call, whatever the system answers
  SetInputSeam(&rec);
}

TEST_F(MouseTest, CursorShapeUnderThePointer) {
  PaintedWindow window(600, 600);  // its class has no cursor: the arrow shows
  SetCursorPos(605, 605);
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(Call("MOUSEGETCURSOR", {}), "2");
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  EXPECT_EQ(Call("MOUSEGETCURSOR", {}), "15");
  SetCursor(nullptr);
  EXPECT_EQ(Call("MOUSEGETCURSOR", {}), "0");
}
