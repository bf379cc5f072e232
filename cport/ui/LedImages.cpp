#include "cport/ui/LedImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace
{
constexpr int Side = 15;

struct TLampColours {
    QColor On;
    QColor Off;
};

// Red, green, blue, yellow, purple, bulb.
const TLampColours Colours[] = {
    {QColor(255, 40, 40), QColor(100, 0, 0)},   {QColor(40, 240, 40), QColor(0, 90, 0)},
    {QColor(60, 120, 255), QColor(0, 0, 110)},  {QColor(255, 235, 40), QColor(110, 100, 0)},
    {QColor(220, 60, 255), QColor(80, 0, 100)}, {QColor(255, 250, 200), QColor(130, 130, 120)}};

QImage Blank()
{
    QImage Image(Side, Side, QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::transparent);
    return Image;
}

// A round lamp with a rim and a highlight towards the upper left.
void PaintLamp(QPainter& P, const QColor& Body)
{
    QRadialGradient Glow(QPointF(6, 6), 7.5);
    Glow.setColorAt(0.0, Body.lighter(170));
    Glow.setColorAt(0.35, Body);
    Glow.setColorAt(1.0, Body.darker(160));
    P.setPen(QPen(QColor(40, 40, 40), 1));
    P.setBrush(Glow);
    P.drawEllipse(QRectF(1, 1, 13, 13));
}

// A small light bulb: the glass on top, the screw base below.
void PaintBulb(QPainter& P, const QColor& Glass)
{
    QPainterPath Shape;
    Shape.addEllipse(QRectF(2, 0.5, 11, 10));
    Shape.addRect(QRectF(5, 8, 5, 3));
    P.setPen(QPen(QColor(60, 60, 60), 1));
    P.setBrush(Glass);
    P.drawPath(Shape.simplified());
    P.setBrush(QColor(150, 150, 150));
    P.drawRect(QRectF(5, 11, 5, 3));
}
} // namespace

QImage LedImage(int Kind, bool Lit)
{
    if (Kind < 0 || Kind >= int(std::size(Colours)))
        return {};
    QImage Image = Blank();
    QPainter P(&Image);
    P.setRenderHint(QPainter::Antialiasing);
    const QColor& Body = Lit ? Colours[Kind].On : Colours[Kind].Off;
    if (Kind == 5)
        PaintBulb(P, Body);
    else
        PaintLamp(P, Body);
    return Image;
}

QImage AutoTransparent(const QImage& Picture)
{
    if (Picture.isNull() || Picture.hasAlphaChannel())
        return Picture;
    QImage Image = Picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb Key = Image.pixel(0, Image.height() - 1);
    for (int y = 0; y < Image.height(); ++y) {
        QRgb* Line = reinterpret_cast<QRgb*>(Image.scanLine(y));
        for (int x = 0; x < Image.width(); ++x)
            if (Line[x] == Key)
                Line[x] = qRgba(0, 0, 0, 0);
    }
    return Image;
}
