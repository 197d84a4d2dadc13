#include "controls/executiblefile.h"
#include "rendercheck.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace
{
// Answers the file dialog that the next click opens.
void AnswerDialog(const std::function<void(QFileDialog *)> &Answer)
{
    QTimer::singleShot(0, qApp, [Answer] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        Answer(dialog);
    });
}
} // namespace

class TestExecutibleFile : public QObject
{
    Q_OBJECT

private slots:

    void typingRaisesChangedButValueLetDoesNot()
    {
        ExecutibleFile input;
        input.show();
        QSignalSpy changed(&input, &ExecutibleFile::Changed);
        input.SetValue(QStringLiteral("\\\\server\\admin\\tool.exe"));
        QCOMPARE(changed.count(), 0);
        auto *box = input.findChild<QLineEdit *>(QStringLiteral("TextBox"));
        box->setFocus();
        box->end(false);
        QTest::keyClicks(box, QStringLiteral("ab"));
        QCOMPARE(changed.count(), 2);
        QCOMPARE(input.Value(), QStringLiteral("\\\\server\\admin\\tool.exeab"));
    }

    void nameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("nameFilters");
        QTest::newRow("default") << QStringLiteral("Executable (*.exe)|*.exe")
                                 << QStringList({QStringLiteral("Executable (*.exe)")});
        QTest::newRow("icons") << QStringLiteral("Icon (*.ico;*.exe)|*.ico;*.exe")
                               << QStringList({QStringLiteral("Icon (*.ico *.exe)")});
        QTest::newRow("two pairs") << QStringLiteral("Программы|*.exe|Все файлы (*.*)|*.*")
                                   << QStringList(
                                          {QStringLiteral("Программы (*.exe)"), QStringLiteral("Все файлы (*.*)")});
    }

    void nameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, nameFilters);
        ExecutibleFile input;
        input.SetFilter(filter);
        QCOMPARE(input.NameFilters(), nameFilters);
    }

    void defaults()
    {
        ExecutibleFile input;
        QCOMPARE(input.Caption(), QStringLiteral("Выбор приложения"));
        QCOMPARE(input.Filter(), QStringLiteral("Executable (*.exe)|*.exe"));
        input.resize(10, input.height());
        QVERIFY(input.width() >= 500 / 15);
    }

    void cancelledDialogChangesNothing()
    {
        ExecutibleFile input;
        input.SetValue(QStringLiteral("C:\\Games\\game.exe"));
        input.show();
        QSignalSpy changed(&input, &ExecutibleFile::Changed);
        QString title;
        AnswerDialog([&title](QFileDialog *Dialog) {
            title = Dialog->windowTitle();
            Dialog->reject();
        });
        QTest::mouseClick(input.findChild<QToolButton *>(QStringLiteral("BrowseButton")), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("Выбор приложения"));
        QCOMPARE(input.Value(), QStringLiteral("C:\\Games\\game.exe"));
        QCOMPARE(changed.count(), 0);
    }

    void chosenFileIsTaken()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("игра.exe"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        ExecutibleFile input;
        input.SetValue(folder.filePath(QStringLiteral("старая.exe")));
        input.show();
        QSignalSpy changed(&input, &ExecutibleFile::Changed);
        QStringList filters;
        AnswerDialog([&](QFileDialog *Dialog) {
            filters = Dialog->nameFilters();
            Dialog->selectFile(path);
            static_cast<QDialog *>(Dialog)->accept();
        });
        QTest::mouseClick(input.findChild<QToolButton *>(QStringLiteral("BrowseButton")), Qt::LeftButton);
        QCOMPARE(filters, QStringList({QStringLiteral("Executable (*.exe)")}));
        QCOMPARE(input.Value(), path);
        QCOMPARE(changed.count(), 1);
    }

    void render()
    {
        ExecutibleFile input;
        input.SetValue(QStringLiteral("\\\\СЕРВЕР\\Утилиты\\admin.exe"));
        input.resize(260, input.sizeHint().height());
        input.show();
        QVERIFY(RenderControl(&input, QStringLiteral("executiblefile")));
    }
};

QTEST_MAIN(TestExecutibleFile)
#include "tst_executiblefile.moc"
