// Font metrics of a window's font.
#include "controls/fontunits.h"

#include "framework/dc.h"
#include "framework/window.h"

int GetWindowFontUnits(int* avgCharWidth, int* charHeight, CWnd* window) {
  CClientDC dc(window);
  HFONT font = window ? window->GetFont() : nullptr;
  HGDIOBJ old = font ? dc.SelectObject(font) : nullptr;
  TEXTMETRICA tm = {};
  dc.GetTextMetrics(&tm);
  CSize size = dc.GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52);
  if (old) dc.SelectObject(old);
  *charHeight = tm.tmHeight;
  *avgCharWidth = (size.cx / 26 + 1) / 2;
  return (*charHeight << 16) | (*avgCharWidth & 0xFFFF);
}

void ScaleRectToFont(RECT* rect, int mode, int refCharWidth, int refCharHeight, CWnd* window) {
  if (mode < 0 || mode > 6) return;
  int w = 0, h = 0;
  GetWindowFontUnits(&w, &h, window);
  if (w <= 0 || h <= 0) return;
  if (mode == 1 || mode == 5) {
    int width = rect->right - rect->left, height = rect->bottom - rect->top;
    rect->left = MulDiv(refCharWidth, rect->left, w);
    rect->top = MulDiv(refCharHeight, rect->top, h);
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return;
  }
  rect->left = MulDiv(refCharWidth, rect->left, w);
  rect->right = MulDiv(refCharWidth, rect->right, w);
  rect->top = MulDiv(refCharHeight, rect->top, h);
  rect->bottom = MulDiv(refCharHeight, rect->bottom, h);
}
