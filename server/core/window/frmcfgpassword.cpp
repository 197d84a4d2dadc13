#include "core/window/frmcfgpassword.h"

#include "ui_frmcfgpassword.h"

frmCfgPassword::frmCfgPassword(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::frmCfgPassword>())
{
    m_ui->setupUi(this);
    connect(m_ui->Apply, &QPushButton::clicked, this, &frmCfgPassword::ApplyClicked);
    connect(m_ui->Close, &QPushButton::clicked, this, &QDialog::reject);
}

frmCfgPassword::~frmCfgPassword() = default;

QString frmCfgPassword::Start(QWidget *Owner)
{
    frmCfgPassword dialog(Owner);
    dialog.exec();
    return dialog.m_result;
}

void frmCfgPassword::ApplyClicked()
{
    m_result = m_ui->txtPassword->Value();
    accept();
}
