#include "core/compbuttons.h"
#include "core/widgets/messagebox.h"
#include "seances/computersbuttons.h"
#include "seances/frmselectcomputers.h"
#include "seances/gridlayout.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace
{
std::shared_ptr<CompButtons> Entries(std::initializer_list<qint32> nums)
{
    auto buttons = std::make_shared<CompButtons>();
    for (qint32 num : nums) {
        buttons->Add(num, true, false);
    }
    return buttons;
}
} // namespace

class TestComputersButtons : public QObject
{
    Q_OBJECT

private slots:

    void buttonsShowTheCallersEntries()
    {
        auto entries = Entries({3, 7, 12});
        ComputersButtons grid;
        grid.SetButtons(entries);
        QCOMPARE(grid.Button(2)->text(), QStringLiteral("7"));
        QCOMPARE(grid.ButtonComputerNum(3), 12);
        QCOMPARE(grid.Value(), 0);
        grid.SetButtonSelected(2, true);
        QVERIFY(entries->Item(2)->Selected());
        QCOMPARE(grid.Value(), 7);
        QCOMPARE(grid.Buttons(), entries);
    }

    void withoutEntriesReadsEmpty()
    {
        ComputersButtons grid;
        QCOMPARE(grid.Buttons()->Count(), 0);
        QCOMPARE(grid.GetSelectedCount(), 0);
        QCOMPARE(grid.Value(), 0);
    }

    void singleSelectClearsTheOthers()
    {
        auto entries = Entries({1, 2, 3});
        ComputersButtons grid;
        grid.SetButtons(entries);
        grid.SetButtonSelected(1, true);
        grid.SetButtonSelected(3, true);
        QCOMPARE(grid.GetSelectedCount(), 2);
        grid.SetSingleSelect(true);
        grid.SetButtonSelected(2, true);
        QCOMPARE(grid.GetSelectedCount(), 1);
        QVERIFY(grid.ButtonSelected(2));
        grid.SetButtonSelected(2, false);
        QCOMPARE(grid.GetSelectedCount(), 0);
    }

    void disablingDeselectsAndGreys()
    {
        auto entries = Entries({1, 2});
        ComputersButtons grid;
        grid.SetButtons(entries);
        grid.SetButtonSelected(1, true);
        grid.SetButtonEnable(1, false);
        QVERIFY(!entries->Item(1)->Selected());
        QCOMPARE(grid.Button(1)->palette().color(QPalette::WindowText),
                 grid.palette().color(QPalette::Disabled, QPalette::WindowText));
        grid.SetButtonSelected(1, true);
        QVERIFY(!grid.ButtonSelected(1));
    }

    void entriesDisabledBeforeShowingAreNotSelected()
    {
        auto entries = std::make_shared<CompButtons>();
        entries->Add(1, false, true);
        entries->Add(2, true, true);
        ComputersButtons grid;
        grid.SetButtons(entries);
        QCOMPARE(grid.GetSelectedCount(), 1);
        QCOMPARE(grid.Value(), 2);
    }

    void valueIsAnEnabledChoiceOnly()
    {
        auto entries = Entries({3, 7});
        ComputersButtons grid;
        grid.SetButtons(entries);
        grid.SetButtonSelected(1, true);
        grid.SetButtonSelected(2, true);
        // Marked as the selection rules do, before any redraw.
        entries->Item(1)->SetEnabled(false);
        QCOMPARE(grid.Value(), 7);
        entries->Item(2)->SetEnabled(false);
        QCOMPARE(grid.Value(), 0);
    }

    void clicksToggleEnabledButtons()
    {
        auto entries = Entries({1, 2});
        entries->Item(2)->SetEnabled(false);
        ComputersButtons grid;
        grid.resize(200, 60);
        grid.SetButtons(entries);
        grid.show();
        QSignalSpy clicks(&grid, &ComputersButtons::ButtonClick);
        QTest::mouseClick(grid.Button(1), Qt::LeftButton);
        QVERIFY(grid.ButtonSelected(1));
        QCOMPARE(grid.Button(1)->palette().color(QPalette::Window), QColor(0xFF, 0x80, 0x80));
        QTest::mouseClick(grid.Button(2), Qt::LeftButton);
        QVERIFY(!grid.ButtonSelected(2));
        QTest::mouseClick(grid.Button(1), Qt::LeftButton);
        QVERIFY(!grid.ButtonSelected(1));
        QCOMPARE(clicks.count(), 2);
    }

    void valueSelectsByPosition()
    {
        auto entries = Entries({4, 5, 6});
        ComputersButtons grid;
        grid.SetButtons(entries);
        grid.SetValue(2);
        QCOMPARE(grid.Value(), 5);
    }

    void buttonsAreLaidOutInTwips()
    {
        auto entries = std::make_shared<CompButtons>();
        for (qint32 num = 1; num <= 12; ++num) {
            entries->Add(num, true, false);
        }
        ComputersButtons grid;
        grid.resize(200, 80);
        grid.SetButtons(entries);
        const QList<QPoint> places = GridLayout::Arrange(3000, 1200, 12);
        for (qsizetype i = 1; i <= 12; ++i) {
            const QPoint twips = places[i - 1];
            QCOMPARE(grid.Button(i)->pos(), QPoint(qRound(twips.x() / 15.0), qRound(twips.y() / 15.0)));
        }
        QCOMPARE(grid.Button(10)->pos(), QPoint(1, 22));
    }

    void replacingTheEntriesRebuilds()
    {
        ComputersButtons grid;
        grid.SetButtons(Entries({1, 2, 3}));
        grid.SetButtons(Entries({9}));
        QCOMPARE(grid.findChildren<QLabel *>().size(), 1);
        QCOMPARE(grid.Button(1)->text(), QStringLiteral("9"));
    }

    void dialogRefusesEmptySelection()
    {
        auto entries = Entries({1, 2});
        frmSelectComputers dialog;
        MessageBox::TakeRecords();
        MessageBox::PrepareAnswer(QMessageBox::Ok);
        QTimer::singleShot(0, &dialog, [&] {
            dialog.findChild<QPushButton *>(QStringLiteral("Apply"))->click();
            QVERIFY(dialog.isVisible());
            auto *grid = dialog.findChild<ComputersButtons *>(QStringLiteral("ComputersButtons"));
            QTest::mouseClick(grid->Button(2), Qt::LeftButton);
            dialog.findChild<QPushButton *>(QStringLiteral("Apply"))->click();
        });
        QVERIFY(dialog.Start(QStringLiteral("Завершить сеансы"), entries));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Завершить сеансы"));
        const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].Text, QStringLiteral("Не выбран ни один компьютер!"));
        QCOMPARE(boxes[0].Title, QStringLiteral("Внимание!"));
        QCOMPARE(boxes[0].Icon, QMessageBox::Critical);
        QVERIFY(entries->Item(2)->Selected());
    }

    void dialogCancelKeepsSelection()
    {
        auto entries = Entries({1, 2});
        entries->Item(1)->SetSelected(true);
        frmSelectComputers dialog;
        QTimer::singleShot(0, &dialog, [&] {
            auto *grid = dialog.findChild<ComputersButtons *>(QStringLiteral("ComputersButtons"));
            QTest::mouseClick(grid->Button(2), Qt::LeftButton);
            dialog.findChild<QPushButton *>(QStringLiteral("Cancel"))->click();
        });
        QVERIFY(!dialog.Start(QStringLiteral("Отменить сеансы"), entries));
        QVERIFY(entries->Item(1)->Selected());
        QVERIFY(entries->Item(2)->Selected());
    }
};

QTEST_MAIN(TestComputersButtons)
#include "tst_computersbuttons.moc"
