#pragma once

#include <QFrame>

#include <array>

class QKeyEvent;
class QLabel;
class QLineEdit;

// IPv4 address input: four number boxes, each 0 to 255, separated by points. The value is the
// dotted text.
class IPAddress final : public QFrame
{
    Q_OBJECT

public:
    explicit IPAddress(QWidget *Parent = nullptr);

    QString Value() const;
    // Field k of the dotted text goes into box k as its leading number (0 when none, at most 255);
    // parts after the fourth are ignored, missing ones leave their boxes, an empty text changes
    // nothing. Raises no Changed.
    void SetValue(const QString &Text);

    bool Enabled() const;
    void SetEnabled(bool Value);

    // Box 0 to 3, left to right.
    QLineEdit *Box(int Index) const
    {
        return m_ipNum.at(static_cast<size_t>(Index));
    }

signals:
    void Changed();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    static constexpr int NoBox = -1;

    void OnBoxChanged(int Index);
    void FocusNext(int Index);
    int BoxIndex(const QObject *Watched) const;
    // Space, "." and the keypad's decimal key move to the next box.
    static bool IsSeparatorKey(const QKeyEvent &Key);

    std::array<QLineEdit *, 4> m_ipNum{};
    std::array<QLabel *, 3> m_separ{};
    // The box the focus moved on to by itself after three digits, until the next key or focus change.
    int m_movedOnTo = NoBox;
};
