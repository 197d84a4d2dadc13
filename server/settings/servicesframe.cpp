#include "settings/servicesframe.h"

#include "ui_servicesframe.h"

#include "core/widgets/messagebox.h"
#include "seances/dialogsupport.h"
#include "settings/servicesales.h"
#include "settings/wholenumber.h"

#include <QSignalBlocker>

namespace
{
constexpr qint32 AmountDigits = 6;
constexpr qint32 MaxAmount = 999999;
constexpr qint32 CommentLength = 255;
// The entry that stands for no service type.
const QString NoType = QStringLiteral(" ");
const QString Title = QStringLiteral("Внимание!");
} // namespace

ServicesFrame::ServicesFrame(QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::ServicesFrame>())
{
    m_ui->setupUi(this);
    // The list's own name; its member cannot carry its class's name.
    m_ui->Services->setObjectName(QStringLiteral("ServicesList"));
    SetUpWholeNumber(m_ui->sAmount, AmountDigits, 0, MaxAmount);
    m_ui->sComment->SetMaxLength(CommentLength);
    connect(m_ui->Services, &ServicesList::Click, this, &ServicesFrame::UpdateButtons);
    connect(m_ui->sAmount, &Numeric::Changed, this, &ServicesFrame::UpdateButtons);
    connect(m_ui->sComment, &String::Changed, this, &ServicesFrame::UpdateButtons);
    connect(m_ui->btnAdd, &QPushButton::clicked, this, &ServicesFrame::AddService);
    connect(m_ui->btnClear, &QPushButton::clicked, this, &ServicesFrame::Clear);
    UpdateButtons();
}

ServicesFrame::~ServicesFrame() = default;

bool ServicesFrame::Changed()
{
    return false;
}

void ServicesFrame::LoadSettings()
{
    m_ui->Services->FillServicesList(m_ui->Services->Value(), NoType);
    UpdateButtons();
}

bool ServicesFrame::ValidateAndSave()
{
    return true;
}

QWidget *ServicesFrame::Widget()
{
    return this;
}

void ServicesFrame::AddService()
{
    if (MessageBox::Question(this, Title, QStringLiteral("Добавить услугу?")) != QMessageBox::Yes) {
        return;
    }
    QString err;
    if (AddServiceSale(m_ui->Services->Value(),
                       SeanceDialogs::WholeValue(m_ui->sAmount),
                       m_ui->sComment->Value(),
                       err)) {
        Clear();
        return;
    }
    MessageBox::Critical(this, Title, err);
}

void ServicesFrame::Clear()
{
    m_ui->Services->SetValue(0);
    m_ui->sAmount->SetValue(Currency());
    {
        const QSignalBlocker blocker(m_ui->sComment);
        m_ui->sComment->SetValue(QString());
    }
    UpdateButtons();
    m_ui->Services->setFocus();
}

void ServicesFrame::UpdateButtons()
{
    const bool typeChosen = m_ui->Services->Value() != 0;
    const bool amount = m_ui->sAmount->Value() != Currency();
    m_ui->btnAdd->setEnabled(typeChosen && amount);
    m_ui->btnClear->setEnabled(typeChosen || amount || !m_ui->sComment->Value().isEmpty());
}
