#pragma once

#include <QDialog>

#include <memory>

class CompButtons;

namespace Ui
{
class frmSelectComputers;
}

// The plain dialog that only asks the operator to pick computers on a selection grid.
class frmSelectComputers : public QDialog
{
    Q_OBJECT

public:
    explicit frmSelectComputers(QWidget *parent = nullptr);
    ~frmSelectComputers() override;

    // Shows the entries under the caption, modally; true when the operator confirmed. The choice
    // stays in the entries' Selected either way.
    bool Start(const QString &Caption, const std::shared_ptr<CompButtons> &Buttons);

private:
    void OnApply();

    const std::unique_ptr<Ui::frmSelectComputers> m_ui;
};
