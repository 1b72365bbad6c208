#pragma once

// Sizes and positions of windows, columns and rows are given in twips (1440 an inch); the screen works in
// pixels at its logical DPI. These are the one conversion between the two.

int TwipsToPixels(double twips);
double PixelsToTwips(int pixels);
// The screen's logical DPI (96 when no screen is there, as offscreen).
double LogicalDpi();
