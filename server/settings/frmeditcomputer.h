#pragma once

#include <QDialog>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

namespace Ui
{
class frmEditComputer;
}

// The dialog in which one computer's number, address (typed, or looked up by its network name) and
// display name are entered.
class frmEditComputer : public QDialog
{
    Q_OBJECT

public:
    // Start's modes: a computer not stored yet, or one whose number stays as it is.
    enum Mode : qint32
    {
        NewComputer = 0,
        ExistingComputer = 1,
    };

    explicit frmEditComputer(QWidget *parent = nullptr);
    ~frmEditComputer() override;

    // Shows the record's values modally; true when the operator accepted, and the input is then in
    // the record's fields ("Num" only for a new computer), which are not stored.
    bool Start(Rollstrake::DBRecord &Record, qint32 EditMode);

private:
    void EnableInputs();
    void OnOK();

    const std::unique_ptr<Ui::frmEditComputer> m_ui;
};
