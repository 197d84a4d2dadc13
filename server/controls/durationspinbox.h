#pragma once

#include <QSpinBox>

// A count of whole minutes shown and typed as hours:minutes, the hours growing past 23
// ("25:00" is 1500). The arrows step the hours when the caret stands in them, else the minutes.
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
};
