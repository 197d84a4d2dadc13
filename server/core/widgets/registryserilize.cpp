#include "core/widgets/registryserilize.h"

#include "core/widgets/twips.h"
#include "leadingnumber.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QSettings>
#include <QTreeView>
#include <QWidget>

#include <memory>

namespace
{
// Software\<AppName>\<first name of Section> is one settings store (organization, application);
// the rest of Section is a group inside it.
class RegistryKey
{
public:
    RegistryKey(const QString &AppName, const QString &Section)
    {
        QStringList parts = Section.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        const QString application = parts.isEmpty() ? QString() : parts.takeFirst();
        m_settings = std::make_unique<QSettings>(AppName, application);
        if (!parts.isEmpty()) {
            m_settings->beginGroup(parts.join(QLatin1Char('/')));
        }
    }

    QSettings &Settings()
    {
        return *m_settings;
    }

private:
    std::unique_ptr<QSettings> m_settings;
};

QString ControlName(const QWidget *Control, const QString &Name)
{
    if (!Name.isEmpty()) {
        return Name;
    }
    if (Control->objectName().isEmpty() && Control->parentWidget()) {
        return Control->parentWidget()->objectName();
    }
    return Control->objectName();
}

QString FormSection(const QWidget *Form, const QString &Name)
{
    return RegistrySerilize::GetControlKey(ControlName(Form, Name)) + QStringLiteral("\\Form");
}

QString ListViewSection(const QWidget *ListView, const QString &Name)
{
    return RegistrySerilize::GetControlKey(ControlName(ListView, Name)) + QStringLiteral("\\ListView");
}

qint32 ReadWhole(const QString &Section, const QString &Key)
{
    return LeadingInteger(RegistrySerilize::GetRegistryValue(RegistrySerilize::GetCompanyName(), Section, Key));
}

void WriteWhole(const QString &Section, const QString &Key, qint32 Value)
{
    RegistrySerilize::SaveRegistryValue(RegistrySerilize::GetCompanyName(), Section, Key, QString::number(Value));
}

qint32 WindowStateNumber(const QWidget *Form)
{
    if (Form->isMinimized()) {
        return 1;
    }
    return Form->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen) ? 2 : 0;
}
} // namespace

namespace RegistrySerilize
{
void SaveRegistryValue(const QString &AppName, const QString &Section, const QString &Key, const QString &Value)
{
    RegistryKey key(AppName, Section);
    key.Settings().setValue(Key, Value);
}

QString GetRegistryValue(const QString &AppName, const QString &Section, const QString &Key)
{
    RegistryKey key(AppName, Section);
    const QVariant stored = key.Settings().value(Key);
    QString text = stored.typeId() == QMetaType::QStringList ? stored.toStringList().join(QStringLiteral(", "))
                                                             : stored.toString();
    if (text.endsWith(QChar(0))) {
        text.chop(1);
    }
    return text.trimmed();
}

void DeleteRegistryKeyTree(const QString &AppName, const QString &Section)
{
    RegistryKey key(AppName, Section);
    key.Settings().remove(QString());
}

void SaveFormLayout(QWidget *Form, const QString &Name, bool SavePos, bool SaveWhenMinimized)
{
    if (Form->isMinimized() && !SaveWhenMinimized) {
        return;
    }
    const QString section = FormSection(Form, Name);
    DeleteRegistryKeyTree(GetCompanyName(), section);
    const qint32 state = WindowStateNumber(Form);
    WriteWhole(section, QStringLiteral("WindowState"), state);
    if (state != 0) {
        return;
    }
    WriteWhole(section, QStringLiteral("Width"), Twips::FromPixels(Form->width()));
    WriteWhole(section, QStringLiteral("Height"), Twips::FromPixels(Form->height()));
    if (SavePos) {
        WriteWhole(section, QStringLiteral("Left"), Twips::FromPixels(Form->x()));
        WriteWhole(section, QStringLiteral("Top"), Twips::FromPixels(Form->y()));
    }
}

void LoadFormLayout(QWidget *Form, const QString &Name, bool LoadPos)
{
    const QString section = FormSection(Form, Name);
    const qint32 width = ReadWhole(section, QStringLiteral("Width"));
    const qint32 height = ReadWhole(section, QStringLiteral("Height"));
    Form->resize(width != 0 ? Twips::ToPixels(width) : Form->width(),
                 height != 0 ? Twips::ToPixels(height) : Form->height());
    if (LoadPos) {
        const qint32 left = ReadWhole(section, QStringLiteral("Left"));
        const qint32 top = ReadWhole(section, QStringLiteral("Top"));
        Form->move(left != 0 ? Twips::ToPixels(left) : Form->x(), top != 0 ? Twips::ToPixels(top) : Form->y());
    }
    const Qt::WindowStates others =
        Form->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen);
    switch (ReadWhole(section, QStringLiteral("WindowState"))) {
    case 1:
        Form->setWindowState(others | Qt::WindowMinimized);
        break;
    case 2:
        Form->setWindowState(others | Qt::WindowMaximized);
        break;
    default:
        Form->setWindowState(others);
        break;
    }
}

bool HasFormLayout(const QWidget *Form, const QString &Name)
{
    return !GetRegistryValue(GetCompanyName(), FormSection(Form, Name), QStringLiteral("WindowState")).isEmpty();
}

void SaveListViewLayout(QTreeView *ListView, const QString &Name)
{
    const QString section = ListViewSection(ListView, Name);
    DeleteRegistryKeyTree(GetCompanyName(), section);
    const QHeaderView *header = ListView->header();
    for (qint32 i = 1; i <= header->count(); ++i) {
        WriteWhole(section,
                   QStringLiteral("ColumnHeaderWidth") + QString::number(i),
                   Twips::FromPixels(header->sectionSize(i - 1)));
        WriteWhole(section, QStringLiteral("ColumnHeaderOrder") + QString::number(i), header->visualIndex(i - 1) + 1);
    }
}

void LoadListViewLayout(QTreeView *ListView, const QString &Name)
{
    const QString section = ListViewSection(ListView, Name);
    QHeaderView *header = ListView->header();
    const qint32 count = header->count();
    for (qint32 i = 1; i <= count; ++i) {
        const qint32 width = ReadWhole(section, QStringLiteral("ColumnHeaderWidth") + QString::number(i));
        if (width > 0) {
            header->resizeSection(i - 1, Twips::ToPixels(width));
        }
        const qint32 order = ReadWhole(section, QStringLiteral("ColumnHeaderOrder") + QString::number(i));
        if (order > 0) {
            header->moveSection(header->visualIndex(i - 1), qMin(order, count) - 1);
        }
    }
}

void SaveContainerValue(const QString &Key, const QString &Value)
{
    SaveRegistryValue(GetCompanyName(), GetProductName(), Key, Value);
}

QString GetContainerValue(const QString &Key)
{
    return GetRegistryValue(GetCompanyName(), GetProductName(), Key);
}

QString GetCompanyName()
{
    const QString company = QCoreApplication::organizationName();
    return company.isEmpty() ? QStringLiteral("Unknown company") : company;
}

QString GetProductName()
{
    const QString product = QCoreApplication::applicationName();
    return product.isEmpty() ? QGuiApplication::applicationDisplayName() : product;
}

QString GetControlKey(const QString &Name)
{
    return GetProductName() + QStringLiteral("\\Controls\\") + Name;
}
} // namespace RegistrySerilize
