#include "core/window/modetabbar.h"

#include <QMouseEvent>

ModeTabBar::ModeTabBar(QWidget *parent)
    : QTabBar(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setExpanding(false);
}

bool ModeTabBar::SelectTab(int Index)
{
    if (Index < 0 || Index >= count()) {
        return false;
    }
    bool cancel = false;
    emit AboutToChange(Index, cancel);
    if (cancel) {
        return false;
    }
    setCurrentIndex(Index);
    emit TabClicked(Index);
    return true;
}

void ModeTabBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        const int index = tabAt(event->position().toPoint());
        if (index >= 0) {
            SelectTab(index);
        }
        event->accept();
        return;
    }
    QTabBar::mousePressEvent(event);
}

void ModeTabBar::wheelEvent(QWheelEvent *event)
{
    event->ignore();
}

void ModeTabBar::keyPressEvent(QKeyEvent *event)
{
    event->ignore();
}
