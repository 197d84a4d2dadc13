#pragma once

#include <QList>
#include <QWidget>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

// The editor of one record of a settings page (a rate, a night rate, a service type): bound to a
// record or to none, it shows the record, counts the operator's edits and writes them back when it
// is saved. Without a record it is empty and disabled.
class RecordEditor : public QWidget
{
    Q_OBJECT

public:
    ~RecordEditor() override;

    // The operator edited something since the editor was last filled.
    bool Changed() const
    {
        return m_changed;
    }

    void SetChanged(bool Value)
    {
        m_changed = Value;
    }

    // Binds the editor to Record, or to none, and shows it; the record already bound changes nothing.
    void SetRecord(const std::shared_ptr<Rollstrake::DBRecord> &Record);

    const std::shared_ptr<Rollstrake::DBRecord> &Record() const
    {
        return m_record;
    }

    // Every input, option and label of the editor.
    bool Enabled() const;
    void SetEnabled(bool Value);

    // Unchanged: true, nothing written. Changed: the editor's checks, then its input written into
    // the bound record and saved; false after the message box that says why, the record then as
    // the database holds it. Changed stays set until the editor is filled again.
    bool ValidateAndSave();

signals:
    // The operator edited the record (Changed is then true).
    void Edited();

protected:
    explicit RecordEditor(QWidget *Parent);

    // Set while the editor fills its own inputs.
    bool Loading() const
    {
        return m_loading;
    }

    // An edit of an input: Edited and Changed, unless the editor fills itself.
    void InputEdited();
    // Shows the record bound (or the empty editor) with the inputs' signals blocked; Changed is
    // false afterwards. A subclass runs it once its inputs are set up.
    void FillControls();

    // The inputs whose change events are edits; their signals are blocked while the editor fills them.
    virtual QList<QObject *> Inputs() const = 0;
    // Shows Record, or the empty editor for none.
    virtual void ShowRecord(const Rollstrake::DBRecord *Record) = 0;
    // The editor's own checks; false after the message box.
    virtual bool CheckInput() const;
    virtual void WriteRecord(Rollstrake::DBRecord &Record) const = 0;

private:
    std::shared_ptr<Rollstrake::DBRecord> m_record;
    bool m_changed = false;
    bool m_loading = false;
};
