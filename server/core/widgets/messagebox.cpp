#include "core/widgets/messagebox.h"

#include "core/errorbox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QQueue>

namespace
{
QQueue<QMessageBox::StandardButton> &PreparedAnswers()
{
    static QQueue<QMessageBox::StandardButton> answers;
    return answers;
}

QList<MessageBox::Record> &Records()
{
    static QList<MessageBox::Record> records;
    return records;
}
} // namespace

namespace
{
void ServeCoreBoxesAtStart()
{
    MessageBox::ServeCoreBoxes();
}
} // namespace

// Whatever links these boxes shows the core's boxes with them from the application's start.
Q_COREAPP_STARTUP_FUNCTION(ServeCoreBoxesAtStart)

QMessageBox::StandardButton
MessageBox::Critical(QWidget *parent, const QString &title, const QString &text, QMessageBox::StandardButtons buttons)
{
    return Show(QMessageBox::Critical, parent, title, text, buttons);
}

QMessageBox::StandardButton
MessageBox::Warning(QWidget *parent, const QString &title, const QString &text, QMessageBox::StandardButtons buttons)
{
    return Show(QMessageBox::Warning, parent, title, text, buttons);
}

QMessageBox::StandardButton MessageBox::Information(QWidget *parent,
                                                    const QString &title,
                                                    const QString &text,
                                                    QMessageBox::StandardButtons buttons)
{
    return Show(QMessageBox::Information, parent, title, text, buttons);
}

QMessageBox::StandardButton MessageBox::Question(QWidget *parent,
                                                 const QString &title,
                                                 const QString &text,
                                                 QMessageBox::StandardButtons buttons,
                                                 QMessageBox::StandardButton defaultButton)
{
    return Show(QMessageBox::Question, parent, title, text, buttons, defaultButton);
}

void MessageBox::ServeCoreBoxes()
{
    SetBoxPresenter([](BoxIcon Icon, const QString &Title, const QString &Text) {
        const QMessageBox::Icon icon = Icon == BoxIcon::Critical ? QMessageBox::Critical : QMessageBox::Information;
        Show(icon, QApplication::activeWindow(), Title, Text, QMessageBox::Ok);
    });
}

void MessageBox::PrepareAnswer(QMessageBox::StandardButton answer)
{
    PreparedAnswers().enqueue(answer);
}

QList<MessageBox::Record> MessageBox::TakeRecords()
{
    PreparedAnswers().clear();
    return std::exchange(Records(), {});
}

QMessageBox::StandardButton MessageBox::Show(QMessageBox::Icon icon,
                                             QWidget *parent,
                                             const QString &title,
                                             const QString &text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    Records().append({icon, title, text});
    if (!PreparedAnswers().isEmpty()) {
        return PreparedAnswers().dequeue();
    }
    QMessageBox box(icon, title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton) {
        box.setDefaultButton(defaultButton);
    }
    // Qt's Russian texts leave this one in Latin letters.
    if (QAbstractButton *ok = box.button(QMessageBox::Ok)) {
        ok->setText(QStringLiteral("ОК"));
    }
    return static_cast<QMessageBox::StandardButton>(box.exec());
}
