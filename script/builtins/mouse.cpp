// The mouse and pixel built-ins: moves, clicks, drags and wheel turns through the input seam,
// the pointer's position and shape, colour tests and searches on the screen, and BLOCKINPUT.
#include <cstdlib>
#include <vector>

#include "script/builtins/heldinput.h"
#include "script/builtins/inputseam.h"
#include "script/builtins/runstop.h"
#include "script/interpreter.h"
#include "script/sysutil/sysutil.h"

namespace {

constexpr DWORD kAbsoluteMove = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;

RECT DesktopRect() {
  RECT desktop = {0, 0, 0, 0};
  GetWindowRect(GetDesktopWindow(), &desktop);
  return desktop;
}

// One normalised coordinate, kept within a screen's width past either edge: the system scales
// it by the screen's size in 32 bits, and a point far off the screen would wrap round to some
// place on it instead of stopping at the edge.
LONG Normalised(int value, long long size) {
  long long n = value * 65535LL / size + 1;
  return static_cast<LONG>(n > 65536 ? 65536 : n < -65536 ? -65536 : n);
}

// A screen point in the normalised coordinates of an absolute move.
POINT ToAbsolute(int x, int y) {
  RECT desktop = DesktopRect();
  long long width = desktop.right - 1 > 0 ? desktop.right - 1 : 1;
  long long height = desktop.bottom - 1 > 0 ? desktop.bottom - 1 : 1;
  return {Normalised(x, width), Normalised(y, height)};
}

// The top-left corner of the foreground window; false when there is none to read.
bool ForegroundOrigin(POINT& origin) {
  RECT rect;
  HWND foreground = GetForegroundWindow();
  if (!foreground || !GetWindowRect(foreground, &rect)) return false;
  origin = {rect.left, rect.top};
  return true;
}

// The offset that a coordinate option of 0 adds: the foreground window's corner, else nothing.
POINT CoordOffset(int coordMode) {
  POINT origin = {0, 0};
  if (coordMode == 0 && !ForegroundOrigin(origin)) origin = {0, 0};
  return origin;
}

// One step of a stepped move along one axis: 1/speed of the distance left, at least 32 units,
// never past the target.
LONG StepToward(LONG position, LONG target, int speed) {
  long long distance = static_cast<long long>(target) - position;
  if (distance == 0) return position;
  long long size = std::llabs(distance) / speed;
  if (size < 32) size = 32;
  if (size >= std::llabs(distance)) return target;
  return static_cast<LONG>(position + (distance > 0 ? size : -size));
}

// Moves in steps from the pointer's position to an absolute target, 20 ms apart.
void SteppedMove(POINT target, int speed) {
  if (speed < 0 || speed > 100) speed = 10;
  CInputSeam& in = Input();
  POINT cursor = {0, 0};
  in.GetCursorPos(cursor);
  POINT position = ToAbsolute(cursor.x, cursor.y);
  while ((position.x != target.x || position.y != target.y) && !RunStopRequested()) {
    position.x = StepToward(position.x, target.x, speed);
    position.y = StepToward(position.y, target.y, speed);
    in.MouseEvent(kAbsoluteMove, static_cast<DWORD>(position.x), static_cast<DWORD>(position.y), 0);
    in.Delay(20);
  }
}

const char* ButtonName(const CValueList& args) { return args.GetAt(0).GetString(); }

// The screen's pixels over a rectangle, read at once; points off the screen read as CLR_INVALID,
// as GetPixel gives them.
class CScreenPixels {
public:
  bool Read(long long left, long long top, long long right, long long bottom) {
    RECT screen = DesktopRect();
    left_ = left < screen.left ? screen.left : static_cast<LONG>(left);
    top_ = top < screen.top ? screen.top : static_cast<LONG>(top);
    LONG r = right >= screen.right ? screen.right - 1 : static_cast<LONG>(right);
    LONG b = bottom >= screen.bottom ? screen.bottom - 1 : static_cast<LONG>(bottom);
    width_ = r >= left_ ? r - left_ + 1 : 0;
    height_ = b >= top_ ? b - top_ + 1 : 0;
    if (width_ == 0 || height_ == 0) return true;
    HDC screenDc = GetDC(nullptr);
    if (!screenDc) return false;
    bool done = false;
    HDC memoryDc = CreateCompatibleDC(screenDc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = memoryDc ? CreateDIBSection(memoryDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (bitmap) {
      HGDIOBJ old = SelectObject(memoryDc, bitmap);
      if (BitBlt(memoryDc, 0, 0, width_, height_, screenDc, left_, top_, SRCCOPY)) {
        GdiFlush();
        const DWORD* pixels = static_cast<const DWORD*>(bits);
        pixels_.assign(pixels, pixels + static_cast<size_t>(width_) * height_);
        done = true;
      }
      SelectObject(memoryDc, old);
      DeleteObject(bitmap);
    }
    if (memoryDc) DeleteDC(memoryDc);
    ReleaseDC(nullptr, screenDc);
    return done;
  }

  // The pixel as a COLORREF (0x00BBGGRR).
  COLORREF At(long long x, long long y) const {
    if (x < left_ || y < top_ || x >= left_ + width_ || y >= top_ + height_ || pixels_.empty()) return CLR_INVALID;
    DWORD bgra = pixels_[static_cast<size_t>(y - top_) * width_ + static_cast<size_t>(x - left_)];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
  }

private:
  LONG left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::vector<DWORD> pixels_;
};

}  // namespace

// ---- moves -------------------------------------------------------------------------------------

void CQuorvex_Script::MouseMoveTo(int x, int y, int speed) {
  POINT offset = CoordOffset(MouseCoordMode);
  POINT target = ToAbsolute(x + offset.x, y + offset.y);
  if (speed == 0) {
    Input().MouseEvent(kAbsoluteMove, static_cast<DWORD>(target.x), static_cast<DWORD>(target.y), 0);
    Input().Delay(2);
    return;
  }
  SteppedMove(target, speed);
}

void CQuorvex_Script::MouseMoveBy(int dx, int dy, int speed) {
  POINT cursor = {0, 0};
  Input().GetCursorPos(cursor);
  POINT offset = CoordOffset(MouseCoordMode);
  POINT target = ToAbsolute(cursor.x + dx + offset.x, cursor.y + dy + offset.y);
  if (speed == 0) {
    Input().MouseEvent(kAbsoluteMove, static_cast<DWORD>(target.x), static_cast<DWORD>(target.y), 0);
    Input().Delay(20);
    return;
  }
  SteppedMove(target, speed);
}

void CQuorvex_Script::ReturnAfterClick() {
  if (!RunAtBackground) return;
  MouseClickAt(UserCursorX, UserCursorY);
  ReReadUserCursor = 1;
}

// MOUSEMOVE(x, y [, speed]): the pointer jumps; the speed is not used.
int CQuorvex_Script::F_MouseMove(CValueList& args, CScriptValue&) {
  if (RunAtBackground && ReReadUserCursor) {
    // The user may have moved the mouse since the last click: that is where it goes back to.
    ReReadUserCursor = 0;
    POINT cursor = {UserCursorX, UserCursorY};
    if (Input().GetCursorPos(cursor)) {
      UserCursorX = cursor.x;
      UserCursorY = cursor.y;
    }
  }
  MouseMoveTo(args.GetAt(0).GetInt(), args.GetAt(1).GetInt(), 0);
  return 0;
}

// MOUSERELATIVEMOVE(dx, dy [, speed]).
int CQuorvex_Script::F_MouseRelativeMove(CValueList& args, CScriptValue&) {
  MouseMoveBy(args.GetAt(0).GetInt(), args.GetAt(1).GetInt(), 0);
  return 0;
}

// ---- buttons and the wheel -----------------------------------------------------------------------

namespace {
// One press and release of a button, with the wait after each half.
void PressAndRelease(const char* button, int downDelay, int upDelay) {
  MouseButtonDown(button);
  Input().Delay(downDelay);
  MouseButtonUp(button);
  Input().Delay(upDelay);
}
}  // namespace

// MOUSECLICK(button [, count [, speed]]): clicks where the pointer is.
int CQuorvex_Script::F_MouseClick(CValueList& args, CScriptValue&) {
  int count = args.GetCount() > 1 ? args.GetAt(1).GetInt() : 1;
  const char* button = ButtonName(args);
  for (int i = 0; i < count && !RunStopRequested(); ++i) {
    PressAndRelease(button, MouseClickDownDelay, MouseClickDelay);
    ReturnAfterClick();
  }
  return 0;
}

// MOUSEDOUBLECLICK(button [, count [, speed]]).
int CQuorvex_Script::F_MouseDoubleClick(CValueList& args, CScriptValue&) {
  int count = args.GetCount() > 1 ? args.GetAt(1).GetInt() : 1;
  const char* button = ButtonName(args);
  for (int i = 0; i < count && !RunStopRequested(); ++i) {
    PressAndRelease(button, MouseClickDownDelay, 1);
    PressAndRelease(button, MouseClickDownDelay, MouseClickDelay);
    ReturnAfterClick();
  }
  return 0;
}

// MOUSECLICKDRAG(button, x1, y1, x2, y2 [, speed]): without a speed both moves step at speed
// 10; the drag itself moves at speed 2 or more.
int CQuorvex_Script::F_MouseClickDrag(CValueList& args, CScriptValue&) {
  int speed = args.GetCount() > 5 ? args.GetAt(5).GetInt() : -1;
  const char* button = ButtonName(args);
  MouseMoveTo(args.GetAt(1).GetInt(), args.GetAt(2).GetInt(), speed);
  if (speed < 2 && speed != -1) speed = 2;
  MouseButtonDown(button);
  Input().Delay(MouseClickDragDelay);
  MouseMoveTo(args.GetAt(3).GetInt(), args.GetAt(4).GetInt(), speed);
  Input().Delay(MouseClickDragDelay);
  MouseButtonUp(button);
  Input().Delay(MouseClickDelay);
  ReturnAfterClick();
  return 0;
}

// MOUSEDOWN(button): the button stays down (until MOUSEUP or the end of the run).
int CQuorvex_Script::F_MouseDown(CValueList& args, CScriptValue&) {
  MouseButtonDown(ButtonName(args));
  return 0;
}

// MOUSEUP(button).
int CQuorvex_Script::F_MouseUp(CValueList& args, CScriptValue&) {
  MouseButtonUp(ButtonName(args));
  ReturnAfterClick();
  return 0;
}

// MOUSEWHEEL(direction [, turns]): "up" turns away from the user, anything else towards.
int CQuorvex_Script::F_MouseWheel(CValueList& args, CScriptValue&) {
  int turns = args.GetCount() > 1 ? args.GetAt(1).GetInt() : 1;
  const char* direction = args.GetAt(0).GetString();
  for (int i = 0; i < turns && !RunStopRequested(); ++i) {
    MouseWheelTurn(direction);
    Input().Delay(MouseClickDelay);
  }
  return 0;
}

// ---- the pointer ---------------------------------------------------------------------------------

// MOUSEGETPOS(): array [x, y].
int CQuorvex_Script::F_MouseGetPos(CValueList&, CScriptValue& result) {
  POINT cursor = {0, 0};
  Input().GetCursorPos(cursor);
  POINT offset = CoordOffset(MouseCoordMode);
  if (!CreateArray1D(result, 2)) return 0;
  GetArrayElement1D(result, 0)->SetInt(cursor.x - offset.x);
  GetArrayElement1D(result, 1)->SetInt(cursor.y - offset.y);
  return 0;
}

// MOUSEGETCURSOR(): the number of the system cursor shown under the pointer, 0 for any other.
int CQuorvex_Script::F_MouseGetCursor(CValueList&, CScriptValue& result) {
  static const LPCSTR kCursors[] = {IDC_APPSTARTING, IDC_ARROW,    IDC_CROSS,    IDC_HELP,   IDC_IBEAM,
                                    IDC_ICON,        IDC_NO,       IDC_SIZE,     IDC_SIZEALL, IDC_SIZENESW,
                                    IDC_SIZENS,      IDC_SIZENWSE, IDC_SIZEWE,   IDC_UPARROW, IDC_WAIT};
  POINT cursor = {0, 0};
  Input().GetCursorPos(cursor);
  HWND window = WindowFromPoint(cursor);
  // The cursor is per input queue: attach to the window's thread to read it.
  DWORD self = GetCurrentThreadId();
  DWORD owner = window ? GetWindowThreadProcessId(window, nullptr) : 0;
  bool attached = owner && owner != self && AttachThreadInput(self, owner, TRUE);
  HCURSOR shown = GetCursor();
  if (attached) AttachThreadInput(self, owner, FALSE);
  result.SetInt(0);
  if (!shown) return 0;
  for (int i = 0; i < 15; ++i) {
    if (LoadCursorA(nullptr, kCursors[i]) == shown) {
      result.SetInt(i + 1);
      break;
    }
  }
  return 0;
}

// ---- pixels --------------------------------------------------------------------------------------

// CHECKCOLOR(x, y, red, green, blue, mode): screen coordinates, (-1, -1) the pointer's position;
// mode 0 equal, 1 unequal, 2 each channel within 19; other modes always 1. A point off the
// screen has no colour: it is equal to none.
int CQuorvex_Script::F_CheckColor(CValueList& args, CScriptValue& result) {
  POINT point = {args.GetAt(0).GetInt(), args.GetAt(1).GetInt()};
  if (point.x == -1 && point.y == -1) Input().GetCursorPos(point);
  int mode = args.GetAt(5).GetInt();
  if (mode < 0 || mode > 2) return 0;
  HDC screen = GetDC(nullptr);
  if (!screen) return 0;
  COLORREF pixel = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  int wanted[3] = {args.GetAt(2).GetInt(), args.GetAt(3).GetInt(), args.GetAt(4).GetInt()};
  int actual[3] = {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)};
  bool equal = pixel != CLR_INVALID, within = pixel != CLR_INVALID;
  for (int i = 0; i < 3; ++i) {
    equal = equal && actual[i] == wanted[i];
    within = within && wanted[i] - 20 < actual[i] && actual[i] < wanted[i] + 20;
  }
  result.SetInt(mode == 0 ? equal : mode == 1 ? !equal : within);
  return 0;
}

// PIXELGETCOLOR(x, y): the colour, -1 for a point off the screen.
int CQuorvex_Script::F_PixelGetColor(CValueList& args, CScriptValue& result) {
  POINT offset = CoordOffset(PixelCoordMode);
  HDC screen = GetDC(nullptr);
  if (!screen) {
    SetError(1);
    return 0;
  }
  COLORREF pixel = GetPixel(screen, args.GetAt(0).GetInt() + offset.x, args.GetAt(1).GetInt() + offset.y);
  ReleaseDC(nullptr, screen);
  if (pixel == CLR_INVALID) {
    result.SetInt(-1);
    return 0;
  }
  DWORD colour = pixel;
  if (ColorMode == 0) SwapRedBlue(colour);
  result.SetInt(static_cast<int>(colour));
  return 0;
}

namespace {
// The first four arguments as a screen rectangle, in 64 bits so that the offset never overflows.
void ScreenRectArgs(CValueList& args, POINT offset, long long& left, long long& top, long long& right,
                    long long& bottom) {
  left = static_cast<long long>(args.GetAt(0).GetInt()) + offset.x;
  top = static_cast<long long>(args.GetAt(1).GetInt()) + offset.y;
  right = static_cast<long long>(args.GetAt(2).GetInt()) + offset.x;
  bottom = static_cast<long long>(args.GetAt(3).GetInt()) + offset.y;
}
}  // namespace

// PIXELSEARCH(left, top, right, bottom, colour [, shade variation [, step]]): array [x, y] of the
// first pixel, column by column, whose channels all lie within the shade of the colour's.
int CQuorvex_Script::F_PixelSearch(CValueList& args, CScriptValue& result) {
  POINT offset = CoordOffset(PixelCoordMode);
  long long left, top, right, bottom;
  ScreenRectArgs(args, offset, left, top, right, bottom);
  DWORD colour = static_cast<DWORD>(args.GetAt(4).GetInt());
  if (ColorMode == 0) SwapRedBlue(colour);
  int shade = args.GetCount() > 5 ? args.GetAt(5).GetInt() : 0;
  if (shade < 0) shade = 0;
  if (shade > 255) shade = 255;
  int step = args.GetCount() > 6 ? args.GetAt(6).GetInt() : 1;
  if (step < 2) step = 1;

  int low[3], high[3];
  const int channels[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
  for (int i = 0; i < 3; ++i) {
    low[i] = channels[i] - shade < 0 ? 0 : channels[i] - shade;
    high[i] = channels[i] + shade > 255 ? 255 : channels[i] + shade;
  }
  // Points off the screen never match: the scan keeps to the screen, on the same grid.
  RECT desktop = DesktopRect();
  auto firstOnGrid = [step](long long start, long long edge) {
    return start >= edge ? start : start + (edge - start + step - 1) / step * step;
  };
  long long firstX = firstOnGrid(left, desktop.left), lastX = right < desktop.right - 1 ? right : desktop.right - 1;
  long long firstY = firstOnGrid(top, desktop.top), lastY = bottom < desktop.bottom - 1 ? bottom : desktop.bottom - 1;
  CScreenPixels screen;
  if (lastX >= firstX && lastY >= firstY) screen.Read(firstX, firstY, lastX, lastY);
  for (long long x = firstX; x <= lastX && !RunStopRequested(); x += step) {
    for (long long y = firstY; y <= lastY; y += step) {
      COLORREF pixel = screen.At(x, y);
      if (pixel == CLR_INVALID) continue;
      const int p[3] = {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)};
      if (p[0] < low[0] || p[0] > high[0] || p[1] < low[1] || p[1] > high[1] || p[2] < low[2] || p[2] > high[2])
        continue;
      if (CreateArray1D(result, 2)) {
        GetArrayElement1D(result, 0)->SetInt(static_cast<int>(x - offset.x));
        GetArrayElement1D(result, 1)->SetInt(static_cast<int>(y - offset.y));
      }
      return 0;
    }
  }
  SetError(1);
  return 0;
}

namespace {

constexpr DWORD kAdlerModulus = 65521;
constexpr unsigned long long kHalfModulo = (kAdlerModulus + 1) / 2;  // the inverse of 2, modulo the modulus

// Adds `pixels` pixels off the screen to an Adler-32 sum at once: each reads as CLR_INVALID,
// three bytes of 255. After k bytes of v, a has grown by k * v and b by k * a + v * k(k + 1) / 2.
void AddBlankPixels(DWORD& a, DWORD& b, unsigned long long pixels) {
  if (pixels == 0) return;
  const unsigned long long k = pixels % kAdlerModulus * 3 % kAdlerModulus, v = 255;
  const unsigned long long triangle = k * ((k + 1) % kAdlerModulus) % kAdlerModulus * kHalfModulo % kAdlerModulus;
  b = static_cast<DWORD>((b + k * a + v * triangle) % kAdlerModulus);
  a = static_cast<DWORD>((a + k * v) % kAdlerModulus);
}

}  // namespace

// PIXELCHECKSUM(left, top, right, bottom): Adler-32 of the red, green and blue bytes of every
// pixel, column by column. Only the part on the screen is read pixel by pixel; the rest is added
// in closed form, so a huge rectangle takes no longer than the screen.
int CQuorvex_Script::F_PixelChecksum(CValueList& args, CScriptValue& result) {
  POINT offset = CoordOffset(PixelCoordMode);
  long long left, top, right, bottom;
  ScreenRectArgs(args, offset, left, top, right, bottom);
  DWORD a = 1, b = 0;
  if (right >= left && bottom >= top) {
    const RECT desktop = DesktopRect();
    const unsigned long long height = static_cast<unsigned long long>(bottom - top + 1);
    const long long firstX = left > desktop.left ? left : desktop.left;
    const long long lastX = right < desktop.right - 1 ? right : desktop.right - 1;
    const long long firstY = top > desktop.top ? top : desktop.top;
    const long long lastY = bottom < desktop.bottom - 1 ? bottom : desktop.bottom - 1;
    if (firstX > lastX || firstY > lastY) {
      AddBlankPixels(a, b, static_cast<unsigned long long>(right - left + 1) * height);
    } else {
      CScreenPixels screen;
      screen.Read(firstX, firstY, lastX, lastY);
      AddBlankPixels(a, b, static_cast<unsigned long long>(firstX - left) * height);
      for (long long x = firstX; x <= lastX && !RunStopRequested(); ++x) {
        AddBlankPixels(a, b, static_cast<unsigned long long>(firstY - top));
        for (long long y = firstY; y <= lastY; ++y) {
          COLORREF pixel = screen.At(x, y);
          for (DWORD byte : {static_cast<DWORD>(GetRValue(pixel)), static_cast<DWORD>(GetGValue(pixel)),
                             static_cast<DWORD>(GetBValue(pixel))}) {
            a = (a + byte) % kAdlerModulus;
            b = (b + a) % kAdlerModulus;
          }
        }
        AddBlankPixels(a, b, static_cast<unsigned long long>(bottom - lastY));
      }
      AddBlankPixels(a, b, static_cast<unsigned long long>(right - lastX) * height);
    }
  }
  result.SetNumber(static_cast<double>((b << 16) | a));
  return 0;
}

// BLOCKINPUT(flag): blocks (non-zero) or unblocks the user's keyboard and mouse where the system
// can; a run that ends unblocks them.
int CQuorvex_Script::F_BlockInput(CValueList& args, CScriptValue&) {
  bool block = args.GetAt(0).GetNumber() != 0;
  Input().BlockInput(block ? TRUE : FALSE);
  NoteBlockInput(block);
  return 0;
}
