#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

class QComboBox;

namespace Rollstrake
{
class DBRecord;
}

// A drop-down list of a table's records: each entry shows a record's name and carries its code as
// item data, an optional first entry carrying 0. The lists that the pages and dialogs pick records
// with (rates, service types) are made of it; they differ only in which records they list.
//
// Click tells the owner that the chosen record may have changed: after an operator's pick, and where
// a fill asks for it; never for the list's own changes while it fills or for a Value set from code.
class RecordsCombo : public QWidget
{
    Q_OBJECT

public:
    explicit RecordsCombo(QWidget *Parent = nullptr);
    ~RecordsCombo() override;

    // The code of the chosen entry, 0 when none is chosen (or the first entry is).
    qint32 Value() const;
    // Chooses the entry of that code, or none when the list has no such entry; raises no Click.
    void SetValue(qint32 Code);

    bool Enabled() const;
    void SetEnabled(bool Value);

    QComboBox *ComboBox() const
    {
        return m_combo;
    }

signals:
    void Click();
    // Every key pressed in the list first; setting KeyCode to 0 swallows the key.
    void KeyDown(qint16 &KeyCode, qint16 &Shift);

protected:
    // One record of the list.
    struct Entry
    {
        QString Text;
        qint32 Code = 0;
    };

    // The "Name" and code of every record of the table that Listed accepts (every record without
    // it), in the library's order. Records that cannot be read are written to the main log under
    // Where and give no entries.
    static QList<Entry> TableEntries(const QString &TableName,
                                     const QString &Where,
                                     const std::function<bool(const Rollstrake::DBRecord &)> &Listed = {});

    // Refills the list: FirstItemText (when not empty) with code 0, then Entries in their order.
    // Chooses the entry of SelectCode, or the first entry when none has it or SelectCode is 0. One
    // Click follows when the list is not empty, or always with ClickWhenEmpty.
    void Refill(const QList<Entry> &Entries, const QString &FirstItemText, qint32 SelectCode, bool ClickWhenEmpty);

    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    QComboBox *m_combo;
};
