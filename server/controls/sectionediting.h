#pragma once

#include <QObject>

class QDateTimeEdit;
class QLineEdit;

// Makes a date or time picker edit part by part, as the duration box does. A click selects the part
// it lands in (the one before a separator when it lands on the separator's edge), so that digits
// typed replace it; left with a bare caret, the picker refuses digits typed into a full part. A
// separator typed just after the digit that moved on by itself is taken as that move, not as a move
// past the next part. Owned by the picker.
class SectionEditing final : public QObject
{
public:
    explicit SectionEditing(QDateTimeEdit *Picker);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    static constexpr int NoSection = -1;

    void SelectSectionAtCaret();
    // True for a key to swallow.
    bool OnKey(const QString &Text);

    QDateTimeEdit *m_picker;
    QLineEdit *m_edit;
    // The part the last key typed a digit into; NoSection when the last key typed none.
    int m_digitSection = NoSection;
};
