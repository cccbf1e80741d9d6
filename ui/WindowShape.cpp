#include "ui/WindowShape.h"

#include <cfenv>
#include <cmath>

namespace {

constexpr int PointCount = 19;
constexpr int Xs[PointCount] = {366, 434, 433, 433, 432, 149, 84, 78, 23, 22,
                                22,  21,  2,   1,   1,   21,  22, 22, 360};
constexpr int Ys[PointCount] = {1,   1,   2,   336, 337, 338, 338, 332, 332, 331,
                                324, 323, 323, 322, 16,  16,  15,  7,   7};

int roundHalfToEven(float value)
{
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const float rounded = std::nearbyint(value);
    std::fesetround(previous);
    return int(rounded);
}

} // namespace

namespace WindowShape {

int shapePointX(int point)
{
    return point >= 0 && point < PointCount ? Xs[point] : 0;
}

int shapePointY(int point)
{
    return point >= 0 && point < PointCount ? Ys[point] : 0;
}

QVector<QPoint> buildWindowRegion(float horizontalScale, float verticalScale,
                                  qint16 horizontalOffset, qint16 verticalOffset,
                                  double twipsPerPixelX, double twipsPerPixelY)
{
    QVector<QPoint> points;
    points.reserve(PointCount);
    const float factorX = 15.0f / float(twipsPerPixelX);
    const float factorY = 15.0f / float(twipsPerPixelY);
    for (int i = 0; i < PointCount; ++i) {
        const float x = float(shapePointX(i)) * horizontalScale * factorX + float(horizontalOffset);
        const float y = float(shapePointY(i)) * verticalScale * factorY + float(verticalOffset);
        points << QPoint(roundHalfToEven(x), roundHalfToEven(y));
    }
    return points;
}

} // namespace WindowShape
