#pragma once

#include <QRect>

// The windows are designed in twips (1/1440 inch) and in pixels at 15 twips per pixel.
// Everything is converted through the screen's twips per pixel, kept here once per run.
namespace Twips {

double perPixelForDpi(double logicalDpi);

double current();
void setCurrent(double twipsPerPixel);

int toPixels(int twips, double twipsPerPixel = current());
QRect rect(int left, int top, int width, int height, double twipsPerPixel = current());

// A value designed in pixels at 15 twips per pixel, scaled to the screen.
int designPixels(int pixels, double twipsPerPixel = current());
QRect designRect(int x, int y, int width, int height, double twipsPerPixel = current());

} // namespace Twips
