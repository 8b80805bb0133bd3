// CHtmlReadOnlyView: the view used where the system has no browser engine: a note, the
// "Open in Browser" button and the page as plain text.
#include "controls/htmlreadonly.h"

#include <shellapi.h>

#include <string>

#include "controls/fontunits.h"
#include "framework/stdiofile.h"

namespace {

constexpr UINT kOpenButtonId = 1;
// In pixels for a font 13 pixels high (the dialog font at 96 DPI), in proportion for others.
constexpr int kNoteHeight = 44, kButtonWidth = 130, kButtonHeight = 26, kGap = 8, kFontHeight = 13;
// Longer texts go to the long-text view: Wine's edit field takes a long text in slowly.
constexpr int kLongText = 64 * 1024;
const char kReadOnlyNote[] =
    "No web browser engine is installed on this system, so the page is shown here as plain text and cannot "
    "be sent from this window. Press \"Open in Browser\" to open it in your web browser.";

void DefaultOpener(const char* path) { ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL); }
HtmlPageOpener& Opener() {
  static HtmlPageOpener opener = DefaultOpener;
  return opener;
}

// The local file of an address: a plain path, or a "file:" address.
CString LocalPathOf(const char* url) {
  CString path = url ? url : "";
  if (path.Left(5).CompareNoCase("file:") == 0) {
    path = path.Mid(5);
    while (path.Left(1) == "/") path = path.Mid(1);
    path.Replace('/', '\\');
    path.Replace("%20", " ");
  }
  bool drivePath = path.GetLength() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
  bool uncPath = path.Left(2) == "\\\\";
  return drivePath || uncPath ? path : CString();
}

}  // namespace

HtmlPageOpener SetHtmlPageOpener(HtmlPageOpener opener) {
  HtmlPageOpener previous = Opener();
  Opener() = opener ? std::move(opener) : HtmlPageOpener(DefaultOpener);
  return previous;
}

BEGIN_MESSAGE_MAP(CHtmlReadOnlyView, CHtmlView)
  ON_WM_SIZE()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CHtmlReadOnlyView::~CHtmlReadOnlyView() {
  if (m_hWnd) DestroyWindow();
}

BOOL CHtmlReadOnlyView::Create(const char* className, const char* title, DWORD style, const RECT& rect,
                               CWnd* parent, UINT id) {
  if (!CHtmlView::Create(className, title, style, rect, parent, id)) return FALSE;
  if (!HasBrowser()) ShowReadOnlyView();
  return TRUE;
}

void CHtmlReadOnlyView::Navigate2(const char* url, DWORD flags, const char* targetFrame, const char* headers,
                                  const void* postData, DWORD postLength) {
  if (HasBrowser()) {
    CHtmlView::Navigate2(url, flags, targetFrame, headers, postData, postLength);
    if (HasBrowser()) return;
    ShowReadOnlyView();  // the browser could not show it
  }
  ReadOnlyNavigate(url, true);
}

void CHtmlReadOnlyView::GoBack() {
  if (HasBrowser()) {
    CHtmlView::GoBack();
    return;
  }
  if (history_.size() < 2) return;
  history_.pop_back();
  ReadOnlyNavigate(history_.back(), false);
}

CString CHtmlReadOnlyView::GetLocationURL() const {
  if (HasBrowser()) return CHtmlView::GetLocationURL();
  return history_.empty() ? CString() : history_.back();
}

void CHtmlReadOnlyView::OnSize(UINT type, int cx, int cy) {
  CHtmlView::OnSize(type, cx, cy);
  if (type != SIZE_MINIMIZED) LayoutReadOnlyView(cx, cy);
}

void CHtmlReadOnlyView::OnDestroy() {
  CHtmlView::OnDestroy();
  // The children go with the window; a later Create starts afresh.
  note_ = openButton_ = text_ = nullptr;
  readOnlyText_.Empty();
  history_.clear();
}

void CHtmlReadOnlyView::ShowReadOnlyView() {
  if (text_) return;
  HINSTANCE instance = reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(m_hWnd, GWLP_HINSTANCE));
  note_ = ::CreateWindowExA(0, "STATIC", kReadOnlyNote, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, m_hWnd, nullptr,
                            instance, nullptr);
  openButton_ = ::CreateWindowExA(0, "BUTTON", "Open in Browser", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                  0, 0, 0, 0, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kOpenButtonId)),
                                  instance, nullptr);
  text_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY |
                                ES_AUTOVSCROLL,
                            0, 0, 0, 0, m_hWnd, nullptr, instance, nullptr);
  longText_.Create(WS_EX_CLIENTEDGE, WS_TABSTOP, CRect(), this, 0);
  // The dialog's own font, borrowed: the parent keeps it alive.
  HWND parent = ::GetParent(m_hWnd);
  WPARAM font = parent ? static_cast<WPARAM>(::SendMessageA(parent, WM_GETFONT, 0, 0)) : 0;
  if (!font) font = reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT));
  for (HWND child : {note_, openButton_, text_, longText_.m_hWnd}) ::SendMessageA(child, WM_SETFONT, font, FALSE);
  ::EnableWindow(openButton_, FALSE);
  int charWidth = 0;
  GetWindowFontUnits(&charWidth, &fontHeight_, CWnd::FromHandle(note_));
  CRect client;
  GetClientRect(&client);
  LayoutReadOnlyView(client.Width(), client.Height());
}

void CHtmlReadOnlyView::LayoutReadOnlyView(int cx, int cy) {
  if (!text_) return;
  const int font = fontHeight_ > kFontHeight ? fontHeight_ : kFontHeight;
  const int noteHeight = MulDiv(kNoteHeight, font, kFontHeight), buttonWidth = MulDiv(kButtonWidth, font, kFontHeight);
  const int buttonHeight = MulDiv(kButtonHeight, font, kFontHeight);
  int noteWidth = cx - buttonWidth - 3 * kGap;
  ::MoveWindow(note_, kGap, kGap, noteWidth > 0 ? noteWidth : 0, noteHeight - kGap, TRUE);
  ::MoveWindow(openButton_, cx - buttonWidth - kGap, kGap, buttonWidth, buttonHeight, TRUE);
  int textHeight = cy - noteHeight - 2 * kGap;
  for (HWND text : {text_, longText_.m_hWnd}) {
    ::MoveWindow(text, kGap, noteHeight + kGap, cx > 2 * kGap ? cx - 2 * kGap : 0, textHeight > 0 ? textHeight : 0,
                 TRUE);
  }
}

CString CHtmlReadOnlyView::GetReadOnlyText() const { return text_ ? readOnlyText_ : CString(); }

// The read-only view goes through the same events as the browser, so that the rules a view
// sets for its links hold here too.
void CHtmlReadOnlyView::ReadOnlyNavigate(const char* url, bool addToHistory) {
  CString address = url ? url : "";
  if (addToHistory) {
    BOOL cancel = FALSE;
    OnBeforeNavigate2(address, 0, "", std::string(), "", &cancel);
    if (cancel) return;
  }
  CString path = LocalPathOf(address);
  CStdioFile file;
  if (!path.IsEmpty() && file.Open(path, CStdioFile::modeRead | CStdioFile::typeText)) {
    // In one piece: line by line takes seconds for a page of many megabytes. Text mode reads no
    // more than the size on disk, and stops short only at the end; a file that grew goes on.
    std::string contents(static_cast<size_t>(file.GetLength()) + 1, '\0');
    size_t have = 0;
    while (UINT got = file.Read(contents.data() + have, static_cast<UINT>(contents.size() - have))) {
      have += got;
      if (have < contents.size()) break;
      contents.resize(contents.size() + 65536);
    }
    contents.resize(have);
    file.Close();
    if (!contents.empty() && contents.back() != '\n') contents += '\n';  // as every line read ended
    readOnlyText_ = HtmlToReadableText(contents.c_str());
  } else {
    readOnlyText_ = "This page can only be shown by a web browser:\n" + address;
  }
  ::EnableWindow(openButton_, !path.IsEmpty());
  if (text_) {
    bool isLong = readOnlyText_.GetLength() > kLongText;
    if (isLong) {
      ::SetWindowTextA(text_, "");
      longText_.SetWindowText(readOnlyText_);
    } else {
      CString shown = readOnlyText_;
      shown.Replace("\n", "\r\n");
      ::SetWindowTextA(text_, shown);
      longText_.SetWindowText("");
    }
    ::ShowWindow(text_, isLong ? SW_HIDE : SW_SHOW);
    longText_.ShowWindow(isLong ? SW_SHOW : SW_HIDE);
  }
  if (addToHistory) {
    history_.push_back(address);
    OnNavigateComplete2(address);
    OnDocumentComplete(address);
  }
}

BOOL CHtmlReadOnlyView::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  // The open button of the read-only view is the view's own, whatever its owner does with commands.
  if (message == WM_COMMAND && openButton_ && reinterpret_cast<HWND>(lParam) == openButton_ &&
      HIWORD(wParam) == BN_CLICKED) {
    CString path = LocalPathOf(GetLocationURL());
    if (!path.IsEmpty()) Opener()(path);
    *result = 0;
    return TRUE;
  }
  return CHtmlView::OnWndMsg(message, wParam, lParam, result);
}
