#include "settings/settingstreeimages.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace
{
// Drawn on a 32 × 32 grid and shown at the tree's icon size.
constexpr int Side = 32;

using Drawing = std::function<void(QPainter &)>;

void Server(QPainter &p)
{
    p.setBrush(QColor(0x70, 0x78, 0x84));
    p.drawRoundedRect(QRectF(8, 2, 16, 28), 2, 2);
    p.setBrush(QColor(0x2b, 0x2f, 0x36));
    p.drawRect(QRectF(11, 7, 10, 2));
    p.drawRect(QRectF(11, 12, 10, 2));
    p.setBrush(QColor(0x3c, 0xc8, 0x50));
    p.drawEllipse(QRectF(14, 22, 4, 4));
}

void Monitor(QPainter &p, const QColor &Screen)
{
    p.setBrush(QColor(0x40, 0x44, 0x4c));
    p.drawRoundedRect(QRectF(2, 4, 28, 20), 2, 2);
    p.setBrush(Screen);
    p.drawRect(QRectF(5, 7, 22, 14));
    p.setBrush(QColor(0x40, 0x44, 0x4c));
    p.drawRect(QRectF(13, 24, 6, 3));
    p.drawRect(QRectF(9, 27, 14, 2));
}

void Night(QPainter &p)
{
    QPainterPath moon;
    moon.addEllipse(QRectF(4, 4, 24, 24));
    QPainterPath shade;
    shade.addEllipse(QRectF(11, 1, 22, 22));
    p.setBrush(QColor(0xf2, 0xc9, 0x3a));
    p.drawPath(moon.subtracted(shade));
}

void Internet(QPainter &p)
{
    p.setBrush(QColor(0x3a, 0x86, 0xd8));
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xe8, 0xf2, 0xfc), 1.6));
    p.drawEllipse(QRectF(10, 3, 12, 26));
    p.drawLine(QPointF(3, 16), QPointF(29, 16));
    p.drawLine(QPointF(16, 3), QPointF(16, 29));
}

void Cards(QPainter &p)
{
    p.setBrush(QColor(0x2e, 0x9e, 0x6a));
    p.drawRoundedRect(QRectF(2, 7, 28, 19), 3, 3);
    p.setBrush(QColor(0x1d, 0x3b, 0x2c));
    p.drawRect(QRectF(2, 11, 28, 4));
    p.setBrush(QColor(0xe8, 0xd3, 0x6a));
    p.drawRect(QRectF(6, 19, 7, 4));
}

void Rates(QPainter &p)
{
    p.setBrush(QColor(0xfa, 0xfa, 0xf5));
    p.setPen(QPen(QColor(0x8a, 0x5a, 0x20), 2));
    p.drawEllipse(QRectF(3, 3, 26, 26));
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(16, 8));
    p.drawLine(QPointF(16, 16), QPointF(22, 19));
}

void Services(QPainter &p)
{
    p.setBrush(QColor(0xb0, 0x6a, 0x3a));
    p.drawRoundedRect(QRectF(5, 10, 17, 17), 3, 3);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xb0, 0x6a, 0x3a), 2.5));
    p.drawEllipse(QRectF(19, 13, 8, 9));
    p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1.5));
    p.drawLine(QPointF(10, 3), QPointF(10, 8));
    p.drawLine(QPointF(16, 3), QPointF(16, 8));
}

void Clients(QPainter &p)
{
    Monitor(p, QColor(0x9c, 0xcc, 0xf4));
    p.setBrush(QColor(0xe0, 0x7b, 0x2a));
    p.drawEllipse(QRectF(13, 8, 6, 6));
    p.drawChord(QRectF(10, 14, 12, 12), 0, 180 * 16);
}

QPixmap Draw(const Drawing &Picture)
{
    QPixmap pixmap(Side, Side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    Picture(painter);
    return pixmap;
}
} // namespace

QIcon SettingsTreeImage(const QString &ImageKey)
{
    static const QHash<QString, Drawing> pictures = {
        {QStringLiteral("ServerSettings"), Server},
        {QStringLiteral("ComputersSettings"),
         [](QPainter &p) {
             Monitor(p, QColor(0x5a, 0xa6, 0xe8));
         }},
        {QStringLiteral("NightSettings"), Night},
        {QStringLiteral("InternetSettings"), Internet},
        {QStringLiteral("CardsSettings"), Cards},
        {QStringLiteral("RateSettings"), Rates},
        {QStringLiteral("ServiceSettings"), Services},
        {QStringLiteral("ClientsSettings"), Clients},
    };
    const auto found = pictures.constFind(ImageKey);
    return found == pictures.constEnd() ? QIcon() : QIcon(Draw(*found));
}
