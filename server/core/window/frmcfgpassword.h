#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class frmCfgPassword;
}

// The prompt for the settings view's password.
class frmCfgPassword : public QDialog
{
    Q_OBJECT

public:
    explicit frmCfgPassword(QWidget *parent = nullptr);
    ~frmCfgPassword() override;

    // Shows the prompt modally over Owner; the password's digest, or empty text when the operator
    // closed the prompt.
    static QString Start(QWidget *Owner);

private:
    void ApplyClicked();

    const std::unique_ptr<Ui::frmCfgPassword> m_ui;
    QString m_result;
};
