#include "core/errorbox.h"
#include "core/widgets/guihelpers.h"
#include "core/widgets/messagebox.h"
#include "core/widgets/qttranslation.h"
#include "generalhelpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QMessageBox>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace
{
QTreeWidget *MakeTree(QWidget *parent, int rows)
{
    auto *tree = new QTreeWidget(parent);
    for (int row = 1; row <= rows; ++row) {
        auto *item = new QTreeWidgetItem(tree, {QStringLiteral("Компьютер %1").arg(row)});
        item->setData(0, ItemKeyRole, MakeItemKey(row));
    }
    return tree;
}

QStringList SelectedKeys(const QAbstractItemView *view)
{
    QStringList keys;
    for (const QModelIndex &index : view->selectionModel()->selectedRows()) {
        keys << index.data(ItemKeyRole).toString();
    }
    return keys;
}
} // namespace

class TestGuiHelpers : public QObject
{
    Q_OBJECT

private slots:

    void cleanup()
    {
        MessageBox::TakeRecords();
    }

    void addListItem()
    {
        QComboBox combo;
        QVERIFY(AddListItem(&combo, QStringLiteral("Дневной"), 7));
        QCOMPARE(combo.itemText(0), QStringLiteral("Дневной"));
        QCOMPARE(combo.itemData(0, Qt::UserRole).toInt(), 7);

        QListWidget list;
        QVERIFY(AddListItem(&list, QStringLiteral("notepad.exe"), -2));
        QCOMPARE(list.item(0)->data(Qt::UserRole).toInt(), -2);
        QVERIFY(MessageBox::TakeRecords().isEmpty());
    }

    void addListItemToFullCombo()
    {
        QComboBox combo;
        combo.setObjectName(QStringLiteral("cboRates"));
        combo.setMaxCount(1);
        QVERIFY(AddListItem(&combo, QStringLiteral("a"), 1));
        MessageBox::PrepareAnswer(QMessageBox::Ok);
        QVERIFY(!AddListItem(&combo, QStringLiteral("b"), 2));
        QCOMPARE(combo.count(), 1);
        const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().Title, QStringLiteral("Внимание!"));
        QVERIFY(boxes.first().Text.startsWith(QStringLiteral("Ошибка добавления строки в контрол 'cboRates': ")));
    }

    void findListIndexByData()
    {
        QComboBox combo;
        QCOMPARE(FindListIndexByData(&combo, 0), -1);
        combo.addItem(QStringLiteral("no data"));
        combo.addItem(QStringLiteral("x"), 5);
        combo.addItem(QStringLiteral("y"), 5);
        QCOMPARE(FindListIndexByData(&combo, 5), 1);
        QCOMPARE(FindListIndexByData(&combo, 0), 0);
        QCOMPARE(FindListIndexByData(&combo, 6), -1);

        QListWidget list;
        QCOMPARE(FindListIndexByData(&list, 0), -1);
        AddListItem(&list, QStringLiteral("a"), 3);
        AddListItem(&list, QStringLiteral("b"), 4);
        QCOMPARE(FindListIndexByData(&list, 4), 1);
    }

    void selectListViewItem_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("key found") << QStringLiteral("C2") << QStringLiteral("C4") << QStringLiteral("C4");
        QTest::newRow("missing key keeps") << QStringLiteral("C3") << QStringLiteral("C99") << QStringLiteral("C3");
        QTest::newRow("missing key, none selected") << QString() << QStringLiteral("C99") << QStringLiteral("C1");
        QTest::newRow("empty key selects first") << QStringLiteral("C3") << QString() << QStringLiteral("C1");
    }

    void selectListViewItem()
    {
        QFETCH(QString, before);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QWidget window;
        QTreeWidget *tree = MakeTree(&window, 5);
        if (!before.isEmpty()) {
            SelectListViewItem(tree, before);
        }
        SelectListViewItem(tree, key);
        QCOMPARE(SelectedKeys(tree), QStringList{expected});
    }

    void selectInEmptyList()
    {
        QTreeWidget tree;
        SelectListViewItem(&tree, QStringLiteral("C1"));
        QVERIFY(tree.selectionModel()->selectedRows().isEmpty());
    }

    void selectedRowIsScrolledIntoView()
    {
        QListWidget list;
        list.resize(200, 100);
        for (int row = 1; row <= 200; ++row) {
            auto *item = new QListWidgetItem(QString::number(row), &list);
            item->setData(ItemKeyRole, MakeItemKey(row));
        }
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        SelectListViewItem(&list, QStringLiteral("C180"));
        QCOMPARE(SelectedKeys(&list), QStringList{QStringLiteral("C180")});
        QVERIFY(list.viewport()->rect().intersects(list.visualItemRect(list.item(179))));
    }

    void centerForm()
    {
        QWidget form;
        form.resize(300, 200);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        CenterForm(&form);
        const QRect screen = form.screen()->geometry();
        const QRect frame = form.frameGeometry();
        QCOMPARE(frame.left() - screen.left(), (screen.width() - frame.width()) / 2);
        QCOMPARE(frame.top() - screen.top(), (screen.height() - frame.height()) / 2);
    }

    void showErrorAnsweredInAdvance()
    {
        MessageBox::PrepareAnswer(QMessageBox::Ok);
        ShowError(QStringLiteral("Тарифы отсутствуют!"));
        const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().Icon, QMessageBox::Critical);
        QCOMPARE(boxes.first().Title, QStringLiteral("Внимание!"));
        QCOMPARE(boxes.first().Text, QStringLiteral("Тарифы отсутствуют!"));
    }

    // Without a prepared answer the real modal box comes up: critical, one OK button.
    void showErrorShowsTheBox()
    {
        QString title;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            title = box->windowTitle();
            icon = box->icon();
            buttons = box->standardButtons();
            box->button(QMessageBox::Ok)->click();
        });
        ShowError(QStringLiteral("Рабочие столы отсутствуют!"));
        QCOMPARE(title, QStringLiteral("Внимание!"));
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }

    // Qt's own buttons read in Russian once the program's translation is in.
    void boxButtonsReadRussian_data()
    {
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("question") << int(QMessageBox::Yes | QMessageBox::No)
                                  << QStringList{QStringLiteral("Да"), QStringLiteral("Нет")};
        QTest::newRow("with cancel") << int(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)
                                     << QStringList{QStringLiteral("Да"),
                                                    QStringLiteral("Нет"),
                                                    QStringLiteral("Отмена")};
        QTest::newRow("ok") << int(QMessageBox::Ok) << QStringList{QStringLiteral("ОК")};
    }

    void boxButtonsReadRussian()
    {
        QFETCH(int, buttons);
        QFETCH(QStringList, texts);
        QString err;
        QVERIFY2(InstallQtTranslation(err), qPrintable(err));
        QStringList shown;
        QTimer::singleShot(0, this, [&shown] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box) {
                return;
            }
            for (QAbstractButton *button : box->buttons()) {
                shown << button->text().remove(QLatin1Char('&'));
            }
            box->reject();
        });
        MessageBox::Question(nullptr,
                             QStringLiteral("Quillmarsh"),
                             QStringLiteral("Выключить все компьютеры?"),
                             QMessageBox::StandardButtons(buttons));
        shown.sort();
        texts.sort();
        QCOMPARE(shown, texts);
    }
};

QTEST_MAIN(TestGuiHelpers)
#include "tst_guihelpers.moc"
