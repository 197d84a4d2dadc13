#pragma once

#include "controls/hashmodule.h"
#include "core/widgets/messagebox.h"
#include "coredatabase.h"
#include "operatorkeys.h"
#include "rendercheck.h"

#include <QApplication>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

// What the settings suites share: the database as the program has it, a layout store of their own,
// the operator's answers to the modal dialogs, and the boxes shown.
class SettingsFixture
{
public:
    SettingsFixture()
    {
        qputenv("XDG_CONFIG_HOME", m_layout.path().toUtf8());
    }

    ~SettingsFixture()
    {
        MessageBox::TakeRecords();
    }

    bool Start()
    {
        QString err;
        if (!m_db.StartAsProgram(err)) {
            qWarning("%s", qPrintable(err));
            return false;
        }
        return true;
    }

    CoreDatabase &Db()
    {
        return m_db;
    }

    // Runs Act on the modal dialog that opens next, unless Context is gone by then.
    static void AnswerDialog(QObject *Context, std::function<void(QWidget *Dialog)> Act)
    {
        QTimer::singleShot(0, Context, [Act = std::move(Act)] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            Act(dialog);
        });
    }

    // Cancels the dialog as the scope ends if it is still open, also when a check failed on the way.
    [[nodiscard]] static auto CancelOnExit(QWidget *Dialog)
    {
        return qScopeGuard([Dialog] {
            if (Dialog->isVisible()) {
                Dialog->findChild<QPushButton *>(QStringLiteral("Cancel"))->click();
            }
        });
    }

    // The texts of the message boxes asked for since the last call.
    static QStringList BoxTexts()
    {
        QStringList texts;
        for (const MessageBox::Record &box : MessageBox::TakeRecords()) {
            texts.append(box.Text);
        }
        return texts;
    }

    static QString Md5(const QString &Text)
    {
        return HashModule::Md5Hex(Text);
    }

    // The child of that type and name; a test failure when there is none.
    template <typename T>
    static T *Child(QWidget *Parent, const QString &Name)
    {
        T *child = Parent->findChild<T *>(Name);
        [&] {
            QVERIFY2(child, qPrintable(Name));
        }();
        return child;
    }

    // Replaces the text of a box (a numeric, text or address part) as the operator types: select-all,
    // then Keys as PressKeys presses them (E End then erases from what was shown).
    static void Retype(QWidget *Box, const QString &Keys)
    {
        Box->setFocus();
        QTest::keyClick(Box, Qt::Key_A, Qt::ControlModifier);
        PressKeys(Box, Keys);
    }

private:
    QTemporaryDir m_layout;
    CoreDatabase m_db;
};
