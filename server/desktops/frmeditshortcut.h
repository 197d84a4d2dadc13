#pragma once

#include <QDialog>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

namespace Ui
{
class frmEditShortcut;
}

// The dialog of one program shortcut: its caption, the program's path, the icon's path and the
// tool tip, on the desktop it belongs to (shown, not edited).
class frmEditShortcut : public QDialog
{
    Q_OBJECT

public:
    // The file filters of the two path inputs; upper-case names are other files on Linux.
    static const QString ProgramFilter;
    static const QString IconFilter;

    explicit frmEditShortcut(QWidget *parent = nullptr);
    ~frmEditShortcut() override;

    // Shows the record's values modally ("Редактирование ярлыка" when Edit, else "Добавление
    // ярлыка"); a record without a desktop is not shown. When the operator accepts, writes the four
    // texts trimmed and without "|" into Record, which the caller stores. True when accepted.
    bool Start(Rollstrake::DBRecord &Record, bool Edit);

private:
    void OnOK();

    const std::unique_ptr<Ui::frmEditShortcut> m_ui;
};
