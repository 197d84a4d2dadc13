#include "core/window/frmlogo.h"

#include "ui_frmlogo.h"

#include "core/programinfo.h"

frmLogo::frmLogo(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_ui(std::make_unique<Ui::frmLogo>())
{
    m_ui->setupUi(this);
    m_ui->lblVersion->setText(VersionText());
    m_ui->lblTitle->setText(ApplicationTitle());
    m_ui->lblDescription->setText(ProgramDescription());
    setAttribute(Qt::WA_DeleteOnClose);
}

frmLogo::~frmLogo() = default;

void frmLogo::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (size() != m_ui->Button->size()) {
        resize(m_ui->Button->size());
    }
}
