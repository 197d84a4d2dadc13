#pragma once

#include <QTabBar>

// A tab bar whose change of tab can be refused before it happens: every change, by a click or by
// SelectTab, first asks AboutToChange, and a handler that sets Cancel keeps the current tab.
// Keyboard and wheel changes of the bar itself are off; the window's function keys select tabs.
class ModeTabBar : public QTabBar
{
    Q_OBJECT

public:
    explicit ModeTabBar(QWidget *parent = nullptr);

    // Selects the tab unless the change is refused; true when the tab is now selected.
    bool SelectTab(int Index);

signals:
    void AboutToChange(int Index, bool &Cancel);
    // Raised for every accepted selection, also of the tab already selected.
    void TabClicked(int Index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};
