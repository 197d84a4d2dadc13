#pragma once

#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>

// Where a click lands to put the caret of Edit at Position: the middle of the caret's rectangle there.
// Edit's caret and selection are left as they were.
inline QPoint CaretPoint(QLineEdit *Edit, int Position)
{
    const int start = Edit->selectionStart();
    const int length = static_cast<int>(Edit->selectedText().size());
    const int caret = Edit->cursorPosition();
    Edit->setCursorPosition(Position);
    const QPoint point = Edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    if (start >= 0) {
        Edit->setSelection(start, length);
    } else {
        Edit->setCursorPosition(caret);
    }
    return point;
}

// Clicks Edit at each caret place of Positions in turn, as the mouse would, giving the events each
// click posts their turn before the next, as the pause between an operator's clicks does.
inline void ClickAt(QLineEdit *Edit, const QList<int> &Positions)
{
    for (const int position : Positions) {
        QTest::mouseClick(Edit, Qt::LeftButton, {}, CaretPoint(Edit, position));
        QCoreApplication::processEvents();
    }
}
