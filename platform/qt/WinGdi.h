#pragma once
// The platform's regions, as the skinned window uses them: polygons made into regions, hit
// tests, and a window cut to a region's shape.
#include "WinUser.h"

using HRGN = struct HRGN__*;

// How a polygon's inside is decided: ALTERNATE counts crossings (even-odd), WINDING counts
// turns.
enum : int { ALTERNATE = 1, WINDING = 2 };

// Null when fewer than three points are given.
HRGN CreatePolygonRgn(const TPoint* points, int count, int fillMode);
HRGN CreateRectRgn(int left, int top, int right, int bottom);  // right and bottom excluded
bool PtInRegion(HRGN region, int x, int y);
// Frees a region the program owns; false for null.
bool DeleteObject(HRGN region);
// Cuts the window to `region`: only its inside shows and takes the mouse. The window owns
// the region from then on (the program must not free it) and frees it when replaced or when
// the window goes; null gives the window its whole rectangle back. 0 when the window does
// not exist.
int SetWindowRgn(HWND window, HRGN region, bool redraw);
