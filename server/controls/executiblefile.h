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
        return m_Caption;
    }

    void SetCaption(const QString &Value)
    {
        m_Caption = Value;
    }

    // The dialog's filter as pairs of a description and its patterns, all separated by "|":
    // "Icon (*.ico;*.exe)|*.ico;*.exe".
    QString Filter() const
    {
        return m_Filter;
    }

    void SetFilter(const QString &Value)
    {
        m_Filter = Value;
    }

    // The filter in the file dialog's own form, one line per pair.
    QStringList NameFilters() const;

signals:
    void Changed();

private:
    void Browse();

    QLineEdit *m_TextBox;
    QToolButton *m_BrowseButton;
    QString m_Caption = QStringLiteral("Выбор приложения");
    QString m_Filter = QStringLiteral("Executable (*.exe)|*.exe");
};
