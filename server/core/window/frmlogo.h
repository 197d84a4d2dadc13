#pragma once

#include <QWidget>

#include <memory>

namespace Ui
{
class frmLogo;
}

// The splash window shown from the start until the main window has loaded: its client area is
// exactly its picture button.
class frmLogo : public QWidget
{
    Q_OBJECT

public:
    explicit frmLogo(QWidget *parent = nullptr);
    ~frmLogo() override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    const std::unique_ptr<Ui::frmLogo> m_ui;
};
