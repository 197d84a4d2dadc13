#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class frmAbout;
}

// The about box: version, title and description of the program, and the support mail link.
class frmAbout : public QDialog
{
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const std::unique_ptr<Ui::frmAbout> m_ui;
};
