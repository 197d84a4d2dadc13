#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

// Every message box of the program goes through here, so that tests can answer boxes in advance:
// while a prepared answer is queued, the next box is not shown and returns that answer.
// Every box asked for is recorded (shown or not) for tests to check.
class MessageBox final
{
public:
    // One box as it was asked for.
    struct Record
    {
        QMessageBox::Icon Icon = QMessageBox::NoIcon;
        QString Title;
        QString Text;
    };

    static QMessageBox::StandardButton Critical(QWidget *parent,
                                                const QString &title,
                                                const QString &text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    static QMessageBox::StandardButton Warning(QWidget *parent,
                                               const QString &title,
                                               const QString &text,
                                               QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    static QMessageBox::StandardButton Information(QWidget *parent,
                                                   const QString &title,
                                                   const QString &text,
                                                   QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // Without defaultButton the box chooses its own default (with Yes and No: Yes); a question whose
    // Yes deletes money records names No, so that a stray Return keeps them.
    static QMessageBox::StandardButton Question(QWidget *parent,
                                                const QString &title,
                                                const QString &text,
                                                QMessageBox::StandardButtons buttons = QMessageBox::Yes
                                                                                       | QMessageBox::No,
                                                QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

    // Shows the widget-free core's boxes (ShowBox, ShowError) through this helper, over the active
    // window. Done as the application object is made in every program that has these boxes.
    static void ServeCoreBoxes();

    // Tests: the answer of the next box that is asked for (first in, first out).
    static void PrepareAnswer(QMessageBox::StandardButton answer);
    // Tests: the boxes asked for since the last call, oldest first; forgets them and any unused answers.
    static QList<Record> TakeRecords();

private:
    static QMessageBox::StandardButton Show(QMessageBox::Icon icon,
                                            QWidget *parent,
                                            const QString &title,
                                            const QString &text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);
};
