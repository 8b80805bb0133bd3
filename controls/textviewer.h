// CTextViewer: a read-only view of a text of any length that stays quick however long the text
// is (an edit field takes seconds per megabyte to take a text in under Wine).
//
// It indexes the line starts once when the text is set, never wraps, and paints only the lines
// in sight, in the colours a read-only edit field asks its parent for (WM_CTLCOLORSTATIC). The
// scroll bars, the mouse wheel and the keys scroll it: arrows, Page Up/Down, Home/End (left and
// right end), Ctrl+Home/End (top and bottom). Ctrl+A selects the whole text and Ctrl+C (or
// Ctrl+Insert, or WM_COPY) then copies it. Its window text is the whole text: WM_SETTEXT sets
// it (line ends "\n" or "\r\n"), WM_GETTEXT and WM_GETTEXTLENGTH give it with "\r\n" line ends
// as an edit field does; EM_GETLINECOUNT and EM_GETFIRSTVISIBLELINE answer as there too.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/window.h"

class CTextViewer : public CWnd {
public:
  BOOL Create(DWORD exStyle, DWORD style, const RECT& rect, CWnd* parent, UINT id);

protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  void SetText(const char* text);
  // Copies the text with "\r\n" line ends into the buffer (at most size - 1 characters and the
  // terminating zero); the number of characters copied.
  size_t CopyText(char* buffer, size_t size) const;
  size_t TextLength() const { return text_.size() + bareLineFeeds_; }
  int LineCount() const { return static_cast<int>(starts_.size()); }
  // The line's characters without its line end.
  const char* Line(int line, int* length) const;
  // How many characters of the line reach to pixel `right` (tabs expanded from pixel 0).
  int CharsUpTo(const char* line, int length, int right) const;
  int LineWidth(const char* line, int length) const;
  void MeasureFont();
  void MeasureWidestLine();
  int FullLinesInView() const;
  void UpdateScrollBars();
  void ScrollTo(int firstLine, int left);
  void OnScroll(int bar, int request);
  void OnKey(UINT key);
  void CopyToClipboard() const;
  void Paint();

  std::string text_;
  std::vector<size_t> starts_{0};  // where every line begins
  size_t bareLineFeeds_ = 0;       // line ends without a carriage return
  HFONT font_ = nullptr;
  int lineHeight_ = 16, charWidth_ = 8, tabWidth_ = 64;
  int widths_[256] = {};
  int widest_ = 0;  // pixels of the longest line
  int firstLine_ = 0, left_ = 0;
  int wheelRest_ = 0;
  bool allSelected_ = false;
};
