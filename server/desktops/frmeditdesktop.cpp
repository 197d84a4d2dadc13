#include "desktops/frmeditdesktop.h"

#include "ui_frmeditdesktop.h"

#include "controls/hashmodule.h"
#include "core/dbvalues.h"
#include "core/widgets/messagebox.h"
#include "desktops/desktoprecords.h"

#include <QSignalBlocker>

frmEditDesktop::frmEditDesktop(QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::frmEditDesktop)
{
    m_ui->setupUi(this);
    // The input's own name; its member cannot carry the class's name.
    m_ui->PasswordInput->setObjectName(QStringLiteral("Password"));
    connect(m_ui->chPassword, &QCheckBox::clicked, this, &frmEditDesktop::OnPasswordClicked);
    connect(m_ui->OK, &QPushButton::clicked, this, &frmEditDesktop::OnOK);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmEditDesktop::~frmEditDesktop() = default;

bool frmEditDesktop::Start(Rollstrake::DBRecord &Record, bool Edit)
{
    setWindowTitle(Edit ? QStringLiteral("Редактирование рабочего стола")
                        : QStringLiteral("Добавление рабочего стола"));
    m_ui->DesktopName->setMaxLength(ColumnLength(Record, QStringLiteral("Name")));
    m_ui->DesktopName->setText(TextValue(Record, QStringLiteral("Name")));
    const QString password = TextValue(Record, QStringLiteral("Password"));
    m_ui->PasswordInput->SetValue(password);
    {
        const QSignalBlocker passwordBlocker(m_ui->chPassword);
        const QSignalBlocker internetBlocker(m_ui->chInternet);
        m_ui->chPassword->setChecked(!password.isEmpty());
        m_ui->chInternet->setChecked(IntValue(Record, QStringLiteral("IsInternet")) != 0);
    }
    OnPasswordClicked();
    if (exec() != QDialog::Accepted) {
        return false;
    }
    SetFieldValue(Record, QStringLiteral("Name"), m_ui->DesktopName->text().trimmed());
    SetFieldValue(Record,
                  QStringLiteral("Password"),
                  m_ui->chPassword->isChecked() ? m_ui->PasswordInput->Value() : QString());
    SetFieldValue(Record, QStringLiteral("IsInternet"), m_ui->chInternet->isChecked() ? 1 : 0);
    return true;
}

void frmEditDesktop::OnPasswordClicked()
{
    m_ui->PasswordInput->SetEnabled(m_ui->chPassword->isChecked());
}

void frmEditDesktop::OnOK()
{
    if (m_ui->DesktopName->text().trimmed().isEmpty()) {
        MessageBox::Critical(this,
                             QStringLiteral("Внимание!"),
                             QStringLiteral("Не указано наименование рабочего стола!"));
        return;
    }
    // An empty box, or one typed into and emptied, is no password: a client sending the digest of
    // the empty text would get the desktop.
    const QString password = m_ui->PasswordInput->Value();
    if (m_ui->chPassword->isChecked() && (password.isEmpty() || password == HashModule::Md5Hex(QString()))) {
        MessageBox::Critical(this, QStringLiteral("Внимание!"), QStringLiteral("Не указан пароль рабочего стола!"));
        return;
    }
    accept();
}
