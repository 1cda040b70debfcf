// Pictures of the pan and zoom buttons, painted with antialiasing on a transparent ground so
// they sit on any button face.

#include "GraphicsButtons.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

namespace {

const QColor kInk(0x20, 0x20, 0x20);
const QColor kGlass(0xd8, 0xec, 0xff);
const QColor kArrowFill(0x1f, 0x5f, 0xbf);

QPixmap transparentPixmap(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// An arrow pointing up inside a box of width x height: a triangular head over a shaft.
QPainterPath upArrow(qreal width, qreal height)
{
    const qreal headHeight = height * 0.45;
    const qreal shaftHalf = width * 0.18;
    const qreal mid = width / 2;
    QPainterPath path;
    path.moveTo(mid, 1);
    path.lineTo(width - 1, headHeight);
    path.lineTo(mid + shaftHalf, headHeight);
    path.lineTo(mid + shaftHalf, height - 1);
    path.lineTo(mid - shaftHalf, height - 1);
    path.lineTo(mid - shaftHalf, headHeight);
    path.lineTo(1, headHeight);
    path.closeSubpath();
    return path;
}

} // namespace

namespace GraphicsButtons {

QPixmap zoomPicture(bool plus)
{
    constexpr int kWidth = 48;
    constexpr int kHeight = 22;
    QPixmap pixmap = transparentPixmap(kWidth, kHeight);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // The lens on the left, its handle running down to the right; centred in the picture.
    const QPointF centre(kWidth / 2.0 - 4, 9);
    constexpr qreal kRadius = 7;
    p.setPen(QPen(kInk, 2));
    p.setBrush(kGlass);
    p.drawEllipse(centre, kRadius, kRadius);
    p.setPen(QPen(kInk, 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(centre + QPointF(5.5, 5.5), centre + QPointF(11, 11));

    // The sign inside the lens.
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(centre - QPointF(4, 0), centre + QPointF(4, 0));
    if (plus)
        p.drawLine(centre - QPointF(0, 4), centre + QPointF(0, 4));
    return pixmap;
}

QPixmap arrowPicture(Qt::ArrowType arrow)
{
    const bool vertical = arrow == Qt::UpArrow || arrow == Qt::DownArrow;
    const int width = vertical ? 23 : 34;
    const int height = vertical ? 34 : 23;
    QPixmap pixmap = transparentPixmap(width, height);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);

    // Every arrow is the upward one, turned about the picture's centre.
    qreal angle = 0;
    switch (arrow) {
    case Qt::DownArrow:
        angle = 180;
        break;
    case Qt::LeftArrow:
        angle = -90;
        break;
    case Qt::RightArrow:
        angle = 90;
        break;
    default:
        break;
    }
    QTransform turn;
    turn.translate(width / 2.0, height / 2.0);
    turn.rotate(angle);
    turn.translate(-23 / 2.0, -34 / 2.0);
    p.setTransform(turn);
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kArrowFill);
    p.drawPath(upArrow(23, 34));
    return pixmap;
}

} // namespace GraphicsButtons
