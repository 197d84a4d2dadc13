#pragma once

#include <QTest>

// Presses Keys on Receiver as a keyboard sends them: A select-all (Ctrl+A), E End, H Home, B BackSpace,
// X Delete, U and D the arrows up and down, ":" with Shift; any other character is typed as itself.
inline void PressKeys(QWidget *Receiver, const QString &Keys)
{
    static const QString named = QStringLiteral("AEHBXUD");
    static const Qt::Key codes[] =
        {Qt::Key_A, Qt::Key_End, Qt::Key_Home, Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Up, Qt::Key_Down};
    for (const QChar key : Keys) {
        const qsizetype i = named.indexOf(key);
        if (i >= 0) {
            QTest::keyClick(Receiver, codes[i], i == 0 ? Qt::ControlModifier : Qt::NoModifier);
        } else if (key == QLatin1Char(':')) {
            QTest::keyClick(Receiver, Qt::Key_Colon, Qt::ShiftModifier);
        } else {
            QTest::keyClicks(Receiver, QString(key));
        }
    }
}
