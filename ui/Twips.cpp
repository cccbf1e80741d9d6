#include "ui/Twips.h"

#include <cmath>

namespace {
double g_twipsPerPixel = 15.0;
}

namespace Twips {

double perPixelForDpi(double logicalDpi)
{
    return logicalDpi > 0 ? 1440.0 / logicalDpi : 15.0;
}

double current()
{
    return g_twipsPerPixel;
}

void setCurrent(double twipsPerPixel)
{
    if (twipsPerPixel > 0)
        g_twipsPerPixel = twipsPerPixel;
}

int toPixels(int twips, double twipsPerPixel)
{
    return int(std::lround(twips / twipsPerPixel));
}

QRect rect(int left, int top, int width, int height, double twipsPerPixel)
{
    return QRect(toPixels(left, twipsPerPixel), toPixels(top, twipsPerPixel),
                 toPixels(width, twipsPerPixel), toPixels(height, twipsPerPixel));
}

int designPixels(int pixels, double twipsPerPixel)
{
    return toPixels(pixels * 15, twipsPerPixel);
}

QRect designRect(int x, int y, int width, int height, double twipsPerPixel)
{
    return QRect(designPixels(x, twipsPerPixel), designPixels(y, twipsPerPixel),
                 designPixels(width, twipsPerPixel), designPixels(height, twipsPerPixel));
}

} // namespace Twips
