// Font metrics of a window's font, and scaling of rectangles between font sizes.
#pragma once

#include <windows.h>

class CWnd;

// The window's font (WM_GETFONT): charHeight = tmHeight, avgCharWidth = the average width of
// the 52 letters, rounded. Returns charHeight << 16 | avgCharWidth.
int GetWindowFontUnits(int* avgCharWidth, int* charHeight, CWnd* window);

// Scales rect from a font of refCharWidth x refCharHeight to the window's font. Modes 1 and 5
// move only the left and top edges (size kept); 0, 2, 3, 4 and 6 scale all four edges; other
// modes, and a font that measures 0, leave the rectangle as it is.
void ScaleRectToFont(RECT* rect, int mode, int refCharWidth, int refCharHeight, CWnd* window);
