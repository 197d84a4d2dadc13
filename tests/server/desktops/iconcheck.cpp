#include "iconcheck.h"

#include "desktops/iconimage.h"

namespace
{
// A tile's side in the editor, and one that asks for scaling up.
constexpr int Sides[] = {40, 300};

bool CheckDecoded(const QImage &Image, const QString &Reason, int Side, const QString &Step, QString &Failure)
{
    if (Image.isNull()) {
        if (Reason.isEmpty()) {
            Failure = Step + QStringLiteral(": no picture and no reason");
            return false;
        }
        return true;
    }
    if (Image.size() != QSize(Side, Side)) {
        Failure = Step + QStringLiteral(": picture of %1 × %2 for %3").arg(Image.width()).arg(Image.height()).arg(Side);
        return false;
    }
    if (IconImage::GreyCopy(Image).size() != Image.size()) {
        Failure = Step + QStringLiteral(": grey copy of another size");
        return false;
    }
    return true;
}
} // namespace

bool CheckIconBytes(const QByteArray &Input, QString &Failure)
{
    for (const int side : Sides) {
        QString reason;
        const QImage file = IconImage::DecodeIconFile(Input, side, reason);
        if (!CheckDecoded(file, reason, side, QStringLiteral("file"), Failure)) {
            return false;
        }
        reason.clear();
        const QImage ico = IconImage::DecodeIco(Input, side, reason);
        if (!CheckDecoded(ico, reason, side, QStringLiteral("icon file"), Failure)) {
            return false;
        }
    }
    return true;
}
