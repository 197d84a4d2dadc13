#include "seances/frmselectcomputers.h"

#include "ui_frmselectcomputers.h"

#include "core/widgets/messagebox.h"

frmSelectComputers::frmSelectComputers(QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::frmSelectComputers)
{
    m_ui->setupUi(this);
    // The grid's own name; its member cannot carry the class's name.
    m_ui->ComputersGrid->setObjectName(QStringLiteral("ComputersButtons"));
    connect(m_ui->Apply, &QPushButton::clicked, this, &frmSelectComputers::OnApply);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmSelectComputers::~frmSelectComputers() = default;

bool frmSelectComputers::Start(const QString &Caption, const std::shared_ptr<CompButtons> &Buttons)
{
    setWindowTitle(Caption);
    m_ui->ComputersGrid->SetButtons(Buttons);
    return exec() == QDialog::Accepted;
}

void frmSelectComputers::OnApply()
{
    if (m_ui->ComputersGrid->GetSelectedCount() == 0) {
        MessageBox::Critical(this, QStringLiteral("Внимание!"), QStringLiteral("Не выбран ни один компьютер!"));
        return;
    }
    accept();
}
