#pragma once

#include <QList>
#include <QWidget>

#include <memory>

class CompButtons;
class QLabel;

// The grid of small toggle buttons, one per selection entry, captioned with the computer number.
// It works on the caller's own entries: every toggle is at once visible in the caller's collection.
// A disabled entry is never selected.
class ComputersButtons : public QWidget
{
    Q_OBJECT

public:
    explicit ComputersButtons(QWidget *parent = nullptr);
    ~ComputersButtons() override;

    // At most one entry selected.
    bool SingleSelect() const
    {
        return m_singleSelect;
    }

    void SetSingleSelect(bool SingleSelect)
    {
        m_singleSelect = SingleSelect;
    }

    // The collection shown; a new empty one when none was given.
    std::shared_ptr<CompButtons> Buttons() const;
    // Shows the collection: rebuilds the buttons and lays them out.
    void SetButtons(std::shared_ptr<CompButtons> Buttons);

    // Entries by 1-based position.
    bool ButtonSelected(qsizetype Index) const;
    // Selecting with SingleSelect clears every other entry; clearing touches no other entry.
    void SetButtonSelected(qsizetype Index, bool Selected);
    bool ButtonEnable(qsizetype Index) const;
    // Disabling also deselects.
    void SetButtonEnable(qsizetype Index, bool Enabled);
    qint32 ButtonComputerNum(qsizetype Index) const;
    qsizetype GetSelectedCount() const;
    // The number of the first selected and enabled computer in collection order, 0 when none.
    qint32 Value() const;
    // Selects the entry at that position of the collection.
    void SetValue(qint32 Position);
    // Redraws every button from its entry.
    void Refresh();

    // The button of entry i (from 1), for tests and layout checks.
    QLabel *Button(qsizetype Index) const;

signals:
    // The operator toggled a button.
    void ButtonClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void RefreshButton(qsizetype Index);
    void ArrangeButtons();

    std::shared_ptr<CompButtons> m_buttons;
    QList<QLabel *> m_labels;
    bool m_singleSelect = false;
};
