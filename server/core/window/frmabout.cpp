#include "core/window/frmabout.h"

#include "ui_frmabout.h"

#include "core/programinfo.h"

#include <QDesktopServices>
#include <QMouseEvent>

frmAbout::frmAbout(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::frmAbout>())
{
    m_ui->setupUi(this);
    m_ui->lblVersion->setText(VersionText());
    m_ui->lblTitle->setText(ApplicationTitle());
    m_ui->lblDescription->setText(ProgramDescription());
    m_ui->picIcon->setPixmap(windowIcon().pixmap(48, 48));
    m_ui->lbAuthor->installEventFilter(this);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

frmAbout::~frmAbout() = default;

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->lbAuthor && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        QDesktopServices::openUrl(SupportMailUrl());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
