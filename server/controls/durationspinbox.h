#pragma once

#include <QSpinBox>

// A count of whole minutes shown and typed as hours:minutes, the hours growing past 23
// ("25:00" is 1500), at most 999:59. It edits like a time field: a click or an arrow key selects the
// hours or the minutes, digits typed replace the section (up to three hour digits, or two after a
// leading 0, then the minutes; two minute digits, those past 59 carrying into the hours), and the
// arrows step the section under the caret.
// What is shown is always the value.
class DurationSpinBox final : public QSpinBox
{
    Q_OBJECT

public:
    static constexpr int MaxMinutes = 59999;

    explicit DurationSpinBox(QWidget *Parent = nullptr);

    void stepBy(int Steps) override;

protected:
    QString textFromValue(int Value) const override;
    int valueFromText(const QString &Text) const override;
    QValidator::State validate(QString &Input, int &Pos) const override;
    void fixup(QString &Input) const override;
    void keyPressEvent(QKeyEvent *Event) override;
    void focusInEvent(QFocusEvent *Event) override;

private:
    enum class Section
    {
        Hours,
        Minutes
    };

    Section SectionAtCaret() const;
    void SelectSection(Section Which);
    void TypeDigit(int Digit);
    void ClearSection();

    Section m_section = Section::Hours;
    // The digits typed into the section so far; empty when the next digit starts it anew.
    QString m_typed;
};
