#include "controls/executiblefile.h"

#include "core/widgets/twips.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QToolButton>

ExecutibleFile::ExecutibleFile(QWidget *Parent)
    : QWidget(Parent)
    , m_TextBox(new QLineEdit(this))
    , m_BrowseButton(new QToolButton(this))
{
    m_TextBox->setObjectName(QStringLiteral("TextBox"));
    m_BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    m_BrowseButton->setText(QStringLiteral("..."));
    setFocusProxy(m_TextBox);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_TextBox);
    layout->addWidget(m_BrowseButton);
    setMinimumWidth(Twips::ToPixels(500));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_BrowseButton, &QToolButton::clicked, this, &ExecutibleFile::Browse);
    connect(m_TextBox, &QLineEdit::textChanged, this, &ExecutibleFile::Changed);
}

QString ExecutibleFile::Value() const
{
    return m_TextBox->text();
}

void ExecutibleFile::SetValue(const QString &Value)
{
    const QSignalBlocker blocker(m_TextBox);
    m_TextBox->setText(Value);
}

QStringList ExecutibleFile::NameFilters() const
{
    static const QRegularExpression ownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = m_Filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i);
        description.remove(ownPatterns);
        const QString patterns = parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

void ExecutibleFile::Browse()
{
    QFileDialog dialog(this, m_Caption, QFileInfo(m_TextBox->text()).absolutePath());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFilters());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    m_TextBox->setText(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}
