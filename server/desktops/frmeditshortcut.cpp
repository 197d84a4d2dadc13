#include "desktops/frmeditshortcut.h"

#include "ui_frmeditshortcut.h"

#include "core/clientmessages.h"
#include "core/dbvalues.h"
#include "core/widgets/messagebox.h"
#include "desktops/desktoprecords.h"
#include "entitylib.h"

#include <QLineEdit>

#include <limits>

const QString frmEditShortcut::ProgramFilter =
    QStringLiteral("Executable (*.exe;*.bat;*.com)|*.exe;*.bat;*.com;*.EXE;*.BAT;*.COM");
const QString frmEditShortcut::IconFilter = QStringLiteral("Icon (*.ico;*.exe)|*.ico;*.exe;*.ICO;*.EXE");

namespace
{
// The text as the clients receive it: trimmed, without the message separator.
QString StoredText(const QString &Text)
{
    return RemoveSeparators(Text.trimmed());
}

void LimitPath(ExecutibleFile *Input, qint32 Length)
{
    if (auto *box = Input->findChild<QLineEdit *>(QStringLiteral("TextBox"))) {
        box->setMaxLength(Length > 0 ? Length : std::numeric_limits<int>::max());
    }
}
} // namespace

frmEditShortcut::frmEditShortcut(QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::frmEditShortcut)
{
    m_ui->setupUi(this);
    m_ui->ShortcutPath->SetFilter(ProgramFilter);
    m_ui->IconPath->SetFilter(IconFilter);
    m_ui->IconPath->SetCaption(QStringLiteral("Выбор иконки"));
    connect(m_ui->OK, &QPushButton::clicked, this, &frmEditShortcut::OnOK);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmEditShortcut::~frmEditShortcut() = default;

bool frmEditShortcut::Start(Rollstrake::DBRecord &Record, bool Edit)
{
    setWindowTitle(Edit ? QStringLiteral("Редактирование ярлыка") : QStringLiteral("Добавление ярлыка"));
    const auto desktop = Record.DBFields()->Item(QStringLiteral("Desktop"));
    if (!desktop || desktop->IsEmpty()) {
        return false;
    }
    QString err;
    m_ui->DesktopName->setText(desktop->GetStringValue(err));
    LogDbError(QStringLiteral("frmEditShortcut"), err);
    m_ui->ShortcutName->setMaxLength(ColumnLength(Record, QStringLiteral("Caption")));
    m_ui->ShortcutTooltip->setMaxLength(ColumnLength(Record, QStringLiteral("ToolTipText")));
    LimitPath(m_ui->ShortcutPath, ColumnLength(Record, QStringLiteral("Path")));
    LimitPath(m_ui->IconPath, ColumnLength(Record, QStringLiteral("IconPath")));
    m_ui->ShortcutName->setText(TextValue(Record, QStringLiteral("Caption")));
    m_ui->ShortcutPath->SetValue(TextValue(Record, QStringLiteral("Path")));
    m_ui->IconPath->SetValue(TextValue(Record, QStringLiteral("IconPath")));
    m_ui->ShortcutTooltip->setText(TextValue(Record, QStringLiteral("ToolTipText")));
    if (exec() != QDialog::Accepted) {
        return false;
    }
    SetFieldValue(Record, QStringLiteral("Caption"), StoredText(m_ui->ShortcutName->text()));
    SetFieldValue(Record, QStringLiteral("Path"), StoredText(m_ui->ShortcutPath->Value()));
    SetFieldValue(Record, QStringLiteral("IconPath"), StoredText(m_ui->IconPath->Value()));
    SetFieldValue(Record, QStringLiteral("ToolTipText"), StoredText(m_ui->ShortcutTooltip->text()));
    return true;
}

void frmEditShortcut::OnOK()
{
    if (m_ui->ShortcutName->text().trimmed().isEmpty()) {
        MessageBox::Critical(this, QStringLiteral("Внимание!"), QStringLiteral("Не указано наименование ярлыка!"));
        return;
    }
    if (m_ui->ShortcutPath->Value().trimmed().isEmpty()) {
        MessageBox::Critical(this, QStringLiteral("Внимание!"), QStringLiteral("Не указан путь к файлу приложения!"));
        return;
    }
    accept();
}
