#pragma once

#include <QPoint>
#include <QVector>

// The main window's outline: a closed polygon of 19 points, in pixels at 15 twips per pixel.
namespace WindowShape {

int shapePointX(int point);
int shapePointY(int point);

// The outline's points scaled and moved as the window region needs them: each coordinate
// times its scale times 15 / twips per pixel plus its offset, computed in single precision
// and rounded to the nearest whole number, halves to even.
QVector<QPoint> buildWindowRegion(float horizontalScale, float verticalScale,
                                  qint16 horizontalOffset, qint16 verticalOffset,
                                  double twipsPerPixelX, double twipsPerPixelY);

} // namespace WindowShape
