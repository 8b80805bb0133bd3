// The read-only text view for long texts.
#include "controls/textviewer.h"

#include <algorithm>
#include <cstring>

namespace {
// Pixels between the border and the text, as an edit field leaves them.
constexpr int kMargin = 4, kTopMargin = 1;
}  // namespace

BOOL CTextViewer::Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
  const char* cls = RegisterWndClass(CS_DBLCLKS, ::LoadCursor(nullptr, IDC_ARROW));
  if (!CreateEx(exStyle, cls, "", style | WS_CHILD | WS_VSCROLL | WS_HSCROLL, rect, parent, id)) return FALSE;
  MeasureFont();
  UpdateScrollBars();
  return TRUE;
}

void CTextViewer::SetText(const char* text) {
  // New storage, not the old one's: a long text's memory goes when a short one follows.
  std::string(text ? text : "").swap(text_);
  bareLineFeeds_ = 0;
  const char* begin = text_.data();
  const char* end = begin + text_.size();
  size_t lines = 1;
  for (const char* p = begin; (p = static_cast<const char*>(memchr(p, '\n', end - p))) != nullptr; ++p) ++lines;
  std::vector<size_t>().swap(starts_);
  starts_.reserve(lines);  // counted first: growing by doubling copies the index over and over
  starts_.push_back(0);
  for (const char* p = begin; (p = static_cast<const char*>(memchr(p, '\n', end - p))) != nullptr; ++p) {
    if (p == begin || p[-1] != '\r') ++bareLineFeeds_;
    starts_.push_back(static_cast<size_t>(p + 1 - begin));
  }
  firstLine_ = left_ = 0;
  allSelected_ = false;
  MeasureWidestLine();
  UpdateScrollBars();
  Invalidate(FALSE);
}

size_t CTextViewer::CopyText(char* buffer, size_t size) const {
  if (size == 0) return 0;
  size_t out = 0, room = size - 1;
  const char* p = text_.data();
  const char* end = p + text_.size();
  while (p < end && out < room) {
    const char* feed = static_cast<const char*>(memchr(p, '\n', end - p));
    const char* stop = feed ? feed : end;
    size_t n = std::min(static_cast<size_t>(stop - p), room - out);
    memcpy(buffer + out, p, n);
    out += n;
    p += n;
    if (p != feed || out == room) continue;  // cut short, or the end of the text
    if (p == text_.data() || p[-1] != '\r') buffer[out++] = '\r';
    if (out < room) buffer[out++] = '\n';
    ++p;
  }
  buffer[out] = '\0';
  return out;
}

const char* CTextViewer::Line(int line, int* length) const {
  size_t begin = starts_[line];
  size_t end = line + 1 < LineCount() ? starts_[line + 1] - 1 : text_.size();
  if (end > begin && text_[end - 1] == '\r') --end;
  *length = static_cast<int>(end - begin);
  return text_.data() + begin;
}

int CTextViewer::CharsUpTo(const char* line, int length, int right) const {
  int x = 0, i = 0;
  for (; i < length && x <= right; ++i) {
    unsigned char ch = static_cast<unsigned char>(line[i]);
    x = ch == '\t' ? (x / tabWidth_ + 1) * tabWidth_ : x + widths_[ch];
  }
  return i;
}

int CTextViewer::LineWidth(const char* line, int length) const {
  int x = 0;
  for (int i = 0; i < length; ++i) {
    unsigned char ch = static_cast<unsigned char>(line[i]);
    x = ch == '\t' ? (x / tabWidth_ + 1) * tabWidth_ : x + widths_[ch];
  }
  return x;
}

void CTextViewer::MeasureFont() {
  HDC dc = ::GetDC(m_hWnd);
  HGDIOBJ old = ::SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : ::GetStockObject(SYSTEM_FONT));
  TEXTMETRICA metrics = {};
  ::GetTextMetricsA(dc, &metrics);
  lineHeight_ = std::max<int>(metrics.tmHeight, 1);
  charWidth_ = std::max<int>(metrics.tmAveCharWidth, 1);
  tabWidth_ = 8 * charWidth_;  // the tab stops TabbedTextOut uses by default
  if (!::GetCharWidth32A(dc, 0, 255, widths_)) std::fill(std::begin(widths_), std::end(widths_), charWidth_);
  ::SelectObject(dc, old);
  ::ReleaseDC(m_hWnd, dc);
}

void CTextViewer::MeasureWidestLine() {
  widest_ = 0;
  for (int line = 0; line < LineCount(); ++line) {
    int length = 0;
    const char* text = Line(line, &length);
    widest_ = std::max(widest_, LineWidth(text, length));
  }
}

int CTextViewer::FullLinesInView() const {
  CRect client;
  ::GetClientRect(m_hWnd, &client);
  return std::max(1, static_cast<int>(client.Height() - kTopMargin) / lineHeight_);
}

void CTextViewer::UpdateScrollBars() {
  if (!m_hWnd) return;
  // Showing one bar shrinks the client area, which may call for the other: WM_SIZE comes back here.
  CRect client;
  ::GetClientRect(m_hWnd, &client);
  int page = FullLinesInView();
  firstLine_ = std::clamp(firstLine_, 0, std::max(0, LineCount() - page));
  SCROLLINFO vertical = {static_cast<UINT>(sizeof vertical),
                         SIF_ALL | SIF_DISABLENOSCROLL,
                         0,
                         LineCount() - 1,
                         static_cast<UINT>(page),
                         firstLine_,
                         0};
  ::SetScrollInfo(m_hWnd, SB_VERT, &vertical, TRUE);
  int width = std::max(1, static_cast<int>(client.Width()));
  left_ = std::clamp(left_, 0, std::max(0, widest_ + 2 * kMargin - width));
  SCROLLINFO horizontal = {
      static_cast<UINT>(sizeof horizontal), SIF_ALL, 0, widest_ + 2 * kMargin - 1, static_cast<UINT>(width), left_, 0};
  ::SetScrollInfo(m_hWnd, SB_HORZ, &horizontal, TRUE);
}

void CTextViewer::ScrollTo(int firstLine, int left) {
  CRect client;
  ::GetClientRect(m_hWnd, &client);
  firstLine = std::clamp(firstLine, 0, std::max(0, LineCount() - FullLinesInView()));
  left = std::clamp(left, 0, std::max(0, widest_ + 2 * kMargin - static_cast<int>(client.Width())));
  if (firstLine == firstLine_ && left == left_) return;
  firstLine_ = firstLine;
  left_ = left;
  ::SetScrollPos(m_hWnd, SB_VERT, firstLine_, TRUE);
  ::SetScrollPos(m_hWnd, SB_HORZ, left_, TRUE);
  Invalidate(FALSE);
}

void CTextViewer::OnScroll(int bar, int request) {
  SCROLLINFO info = {static_cast<UINT>(sizeof info), SIF_ALL, 0, 0, 0, 0, 0};
  ::GetScrollInfo(m_hWnd, bar, &info);
  int step = bar == SB_VERT ? 1 : charWidth_;
  int page = std::max<int>(static_cast<int>(info.nPage) - (bar == SB_VERT ? 1 : charWidth_), step);
  int pos = info.nPos;
  switch (request) {
    case SB_LINEUP:
      pos -= step;
      break;
    case SB_LINEDOWN:
      pos += step;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = info.nMax;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = info.nTrackPos;
      break;  // all 32 bits, unlike the message's
    default:
      return;
  }
  if (bar == SB_VERT) {
    ScrollTo(pos, left_);
  } else {
    ScrollTo(firstLine_, pos);
  }
}

void CTextViewer::OnKey(UINT key) {
  bool control = ::GetKeyState(VK_CONTROL) < 0;
  switch (key) {
    case VK_UP:
      OnScroll(SB_VERT, SB_LINEUP);
      break;
    case VK_DOWN:
      OnScroll(SB_VERT, SB_LINEDOWN);
      break;
    case VK_PRIOR:
      OnScroll(SB_VERT, SB_PAGEUP);
      break;
    case VK_NEXT:
      OnScroll(SB_VERT, SB_PAGEDOWN);
      break;
    case VK_LEFT:
      OnScroll(SB_HORZ, SB_LINEUP);
      break;
    case VK_RIGHT:
      OnScroll(SB_HORZ, SB_LINEDOWN);
      break;
    case VK_HOME:
      OnScroll(control ? SB_VERT : SB_HORZ, SB_TOP);
      break;
    case VK_END:
      OnScroll(control ? SB_VERT : SB_HORZ, SB_BOTTOM);
      break;
    case 'A':
      if (control && !allSelected_) {
        allSelected_ = true;
        Invalidate(FALSE);
      }
      break;
    case 'C':
    case VK_INSERT:
      if (control && allSelected_) CopyToClipboard();
      break;
    default:
      break;
  }
}

void CTextViewer::CopyToClipboard() const {
  if (!::OpenClipboard(m_hWnd)) return;
  ::EmptyClipboard();
  size_t size = TextLength() + 1;
  if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size)) {
    if (char* buffer = static_cast<char*>(::GlobalLock(memory))) {
      CopyText(buffer, size);
      ::GlobalUnlock(memory);
      if (!::SetClipboardData(CF_TEXT, memory)) ::GlobalFree(memory);
    } else {
      ::GlobalFree(memory);
    }
  }
  ::CloseClipboard();
}

void CTextViewer::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(m_hWnd, &ps);
  // The colours of a read-only edit field: its parent's answer to WM_CTLCOLORSTATIC.
  HWND parent = ::GetParent(m_hWnd);
  auto brush = reinterpret_cast<HBRUSH>(::SendMessageA(parent ? parent : m_hWnd, WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_hWnd)));
  if (!brush) brush = ::GetSysColorBrush(COLOR_3DFACE);
  if (allSelected_ && ::GetFocus() == m_hWnd) {
    ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, ::GetSysColor(COLOR_HIGHLIGHT));
    ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else {
    ::SetBkMode(dc, TRANSPARENT);
  }
  HGDIOBJ oldFont = ::SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : ::GetStockObject(SYSTEM_FONT));
  CRect client;
  ::GetClientRect(m_hWnd, &client);
  int first = firstLine_ + std::max(0, static_cast<int>(ps.rcPaint.top) - kTopMargin) / lineHeight_;
  int last = std::min(LineCount() - 1,
                      firstLine_ + std::max(0, static_cast<int>(ps.rcPaint.bottom - 1) - kTopMargin) / lineHeight_);
  int origin = kMargin - left_;
  RECT above = {ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, std::min<LONG>(ps.rcPaint.bottom, kTopMargin)};
  if (above.top < above.bottom) ::FillRect(dc, &above, brush);
  for (int line = first; line <= last; ++line) {
    int top = kTopMargin + (line - firstLine_) * lineHeight_;
    RECT row = {ps.rcPaint.left, top, ps.rcPaint.right, top + lineHeight_};
    ::FillRect(dc, &row, brush);
    int length = 0;
    const char* text = Line(line, &length);
    // Only the characters that reach into sight: a line may be megabytes long.
    length = CharsUpTo(text, length, client.Width() - origin);
    if (length > 0) ::TabbedTextOutA(dc, origin, top, text, length, 0, nullptr, origin);
  }
  RECT below = ps.rcPaint;
  below.top = std::max<LONG>(below.top, kTopMargin + (last + 1 - firstLine_) * lineHeight_);
  if (below.top < below.bottom) ::FillRect(dc, &below, brush);
  ::SelectObject(dc, oldFont);
  ::EndPaint(m_hWnd, &ps);
}

LRESULT CTextViewer::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
      SetText(reinterpret_cast<const char*>(lParam));
      return TRUE;
    case WM_GETTEXT:
      return static_cast<LRESULT>(CopyText(reinterpret_cast<char*>(lParam), wParam));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(TextLength());
    case EM_GETLINECOUNT:
      return LineCount();
    case EM_GETFIRSTVISIBLELINE:
      return firstLine_;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      MeasureFont();
      MeasureWidestLine();
      UpdateScrollBars();
      if (LOWORD(lParam)) Invalidate(FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SIZE:
      UpdateScrollBars();
      Invalidate(FALSE);
      return 0;
    case WM_ERASEBKGND:
      return TRUE;  // the painting fills every pixel
    case WM_PAINT:
      Paint();
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
      OnScroll(message == WM_VSCROLL ? SB_VERT : SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL: {
      UINT lines = 3;
      ::SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      wheelRest_ += GET_WHEEL_DELTA_WPARAM(wParam);
      int notches = wheelRest_ / WHEEL_DELTA;
      wheelRest_ -= notches * WHEEL_DELTA;
      int step = lines == WHEEL_PAGESCROLL ? FullLinesInView() : static_cast<int>(lines);
      ScrollTo(firstLine_ - notches * step, left_);
      return 0;
    }
    case WM_KEYDOWN:
      OnKey(static_cast<UINT>(wParam));
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_COPY:
      if (allSelected_) CopyToClipboard();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      ::SetFocus(m_hWnd);
      if (allSelected_) {
        allSelected_ = false;
        Invalidate(FALSE);
      }
      return 0;
    case WM_DESTROY:
      std::string().swap(text_);  // a long text goes with the window, not with the object
      starts_.assign(1, 0);
      starts_.shrink_to_fit();
      bareLineFeeds_ = 0;
      firstLine_ = left_ = widest_ = 0;
      allSelected_ = false;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (allSelected_) Invalidate(FALSE);  // the selection shows only while the view has the focus
      break;
    default:
      break;
  }
  return CWnd::WindowProc(message, wParam, lParam);
}
