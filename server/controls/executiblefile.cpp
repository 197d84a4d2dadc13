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
    , m_textBox(new QLineEdit(this))
    , m_browseButton(new QToolButton(this))
{
    m_textBox->setObjectName(QStringLiteral("TextBox"));
    m_browseButton->setObjectName(QStringLiteral("BrowseButton"));
    m_browseButton->setText(QStringLiteral("..."));
    setFocusProxy(m_textBox);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_textBox);
    layout->addWidget(m_browseButton);
    setMinimumWidth(Twips::ToPixels(500));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_browseButton, &QToolButton::clicked, this, &ExecutibleFile::Browse);
    connect(m_textBox, &QLineEdit::textChanged, this, &ExecutibleFile::Changed);
}

QString ExecutibleFile::Value() const
{
    return m_textBox->text();
}

void ExecutibleFile::SetValue(const QString &Value)
{
    const QSignalBlocker blocker(m_textBox);
    m_textBox->setText(Value);
}

QStringList ExecutibleFile::NameFilters() const
{
    static const QRegularExpression ownPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = m_filter.split(QLatin1Char('|'));
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
    QFileDialog dialog(this, m_caption, QFileInfo(m_textBox->text()).absolutePath());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFilters());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return;
    }
    m_textBox->setText(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}
