#include "settings/frmeditcomputer.h"

#include "ui_frmeditcomputer.h"

#include "controls/focusvalidator.h"
#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "settings/resolvehostname.h"
#include "settings/wholenumber.h"

#include <QGuiApplication>
#include <QHostAddress>
#include <QLineEdit>

namespace
{
constexpr qint32 NumDigits = 3;
constexpr qint32 MaxNum = 999;
constexpr qint32 MaxNetworkNameLength = 30;

const QString NumField = QStringLiteral("Num");
const QString IPField = QStringLiteral("IP");
const QString NameField = QStringLiteral("Name");

// An address that reaches no one client computer: the unspecified one (the server would dial itself),
// the limited broadcast and the multicast range. Loopback addresses stay allowed for local clients.
bool IsClientAddress(const QString &Text)
{
    const QHostAddress address(Text);
    return !address.isNull() && address != QHostAddress(QHostAddress::AnyIPv4) && !address.isBroadcast()
           && !address.isMulticast();
}
} // namespace

frmEditComputer::frmEditComputer(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::frmEditComputer>())
{
    m_ui->setupUi(this);
    // The form's tab order passes over the inputs' inner boxes: it is set here box by box. The
    // number leads to the address, which the operator types most; the choice of address or name
    // follows it.
    // An input that forwards its focus stands right before its inner boxes: Tab reaching it lands
    // on the first of them, where it would have gone anyway.
    const QList<QWidget *> order{m_ui->ComputerID,
                                 m_ui->ComputerID->TextBox(),
                                 m_ui->ComputerIP,
                                 m_ui->ComputerIP->Box(0),
                                 m_ui->ComputerIP->Box(1),
                                 m_ui->ComputerIP->Box(2),
                                 m_ui->ComputerIP->Box(3),
                                 m_ui->opCompIP,
                                 m_ui->opCompName,
                                 m_ui->sCompName,
                                 m_ui->sCompName->TextBox(),
                                 m_ui->chName,
                                 m_ui->sName,
                                 m_ui->sName->TextBox(),
                                 m_ui->OK,
                                 m_ui->Cancel};
    for (qsizetype i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order.at(i - 1), order.at(i));
    }
    SetUpWholeNumber(m_ui->ComputerID, NumDigits, 0, MaxNum);
    m_ui->sCompName->SetMaxLength(MaxNetworkNameLength);
    m_ui->sCompName->SetUpperCase(true);
    connect(m_ui->opCompIP, &QRadioButton::toggled, this, &frmEditComputer::EnableInputs);
    connect(m_ui->opCompName, &QRadioButton::toggled, this, &frmEditComputer::EnableInputs);
    connect(m_ui->chName, &QCheckBox::toggled, this, &frmEditComputer::EnableInputs);
    connect(m_ui->OK, &QPushButton::clicked, this, &frmEditComputer::OnOK);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmEditComputer::~frmEditComputer() = default;

bool frmEditComputer::Start(Rollstrake::DBRecord &Record, qint32 EditMode)
{
    setWindowTitle(EditMode == NewComputer ? QStringLiteral("Добавление компьютера")
                                           : QStringLiteral("Редактирование компьютера"));
    const QString name = TextValue(Record, NameField);
    {
        const QSignalBlocker blocker(m_ui->chName);
        m_ui->chName->setChecked(!name.isEmpty());
    }
    m_ui->sName->SetValue(name);
    m_ui->ComputerID->SetValue(Currency(IntValue(Record, NumField)));
    m_ui->ComputerIP->SetValue(TextValue(Record, IPField));
    m_ui->ComputerID->SetEnabled(EditMode == NewComputer);
    EnableInputs();
    if (exec() != QDialog::Accepted) {
        return false;
    }
    if (EditMode == NewComputer) {
        SetFieldValue(Record, NumField, static_cast<qint32>(m_ui->ComputerID->Value().Units() / Currency::Scale));
    }
    SetFieldValue(Record, IPField, m_ui->ComputerIP->Value());
    const QString shownName = m_ui->sName->Value().trimmed();
    SetFieldValue(Record, NameField, m_ui->chName->isChecked() ? shownName : QString());
    return true;
}

void frmEditComputer::EnableInputs()
{
    m_ui->ComputerIP->SetEnabled(m_ui->opCompIP->isChecked());
    m_ui->sCompName->SetEnabled(m_ui->opCompName->isChecked());
    m_ui->sName->SetEnabled(m_ui->chName->isChecked());
}

void frmEditComputer::OnOK()
{
    if (!FocusValidator::ValidateFocusWidget()) {
        return;
    }
    if (m_ui->ComputerID->Value() == Currency()) {
        ShowError(QStringLiteral("Не указан порядковый номер компьютера!"));
        return;
    }
    if (m_ui->opCompName->isChecked()) {
        const QString hostName = m_ui->sCompName->Value();
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const QString address = ResolveHostName().GetIPByName(hostName);
        QGuiApplication::restoreOverrideCursor();
        if (address.isEmpty()) {
            ShowError(QStringLiteral("Компьютер с именем '") + hostName + QStringLiteral("' не найден!"));
            return;
        }
        m_ui->ComputerIP->SetValue(address);
    }
    const QString address = m_ui->ComputerIP->Value();
    if (!IsClientAddress(address)) {
        ShowError(QStringLiteral("IP-адрес '") + address + QStringLiteral("' не может быть адресом компьютера!"));
        m_ui->ComputerIP->setFocus(Qt::OtherFocusReason);
        return;
    }
    accept();
}
