#pragma once

#include <QDialog>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

namespace Ui
{
class frmEditDesktop;
}

// The dialog of one desktop: its name, its password (a client that sends it gets the desktop
// without a seance) and whether seances on it may use the internet.
class frmEditDesktop : public QDialog
{
    Q_OBJECT

public:
    explicit frmEditDesktop(QWidget *parent = nullptr);
    ~frmEditDesktop() override;

    // Shows the record's values modally ("Редактирование рабочего стола" when Edit, else
    // "Добавление рабочего стола"); when the operator accepts, writes the trimmed name, the
    // password digest (or "" when "Пароль:" is not ticked) and the internet switch into Record,
    // which the caller stores. True when accepted.
    bool Start(Rollstrake::DBRecord &Record, bool Edit);

private:
    void OnPasswordClicked();
    void OnOK();

    const std::unique_ptr<Ui::frmEditDesktop> m_ui;
};
