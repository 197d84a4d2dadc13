#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// Program path input: a text box and a browse button that opens a file-open dialog.
class ExecutibleFile final : public QWidget
{
    Q_OBJECT

public:
    explicit ExecutibleFile(QWidget *Parent = nullptr);

    QString Value() const;
    // Shown as given (the file need not exist); raises no Changed.
    void SetValue(const QString &Value);

    // The title of the file dialog.
    QString Caption() const
    {
        return m_caption;
    }

    void SetCaption(const QString &Value)
    {
        m_caption = Value;
    }

    // The dialog's filter as pairs of a description and its patterns, all separated by "|":
    // "Icon (*.ico;*.exe)|*.ico;*.exe".
    QString Filter() const
    {
        return m_filter;
    }

    void SetFilter(const QString &Value)
    {
        m_filter = Value;
    }

    // The filter in the file dialog's own form, one line per pair.
    QStringList NameFilters() const;

signals:
    void Changed();

private:
    void Browse();

    QLineEdit *m_textBox;
    QToolButton *m_browseButton;
    QString m_caption = QStringLiteral("Выбор приложения");
    QString m_filter = QStringLiteral("Executable (*.exe)|*.exe");
};
