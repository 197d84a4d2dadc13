#include "clock.h"
#include "controls/hashmodule.h"
#include "controls/password.h"
#include "core/widgets/messagebox.h"
#include "coredatabase.h"
#include "datevalue.h"
#include "desktops/desktopstree.h"
#include "desktops/frmeditdesktop.h"
#include "desktops/shortcutrecords.h"
#include "desktopsfixture.h"
#include "dialoganswer.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

// What the operator does in the desktop dialog.
struct DesktopInput
{
    QString Name;
    bool PasswordTicked = false;
    // Typed into the password box; "\b" types a character and erases it again.
    QString Password;
    bool Internet = false;
};
Q_DECLARE_METATYPE(DesktopInput)

namespace
{

void Fill(frmEditDesktop *Dialog, const DesktopInput &Input)
{
    auto *name = Dialog->findChild<QLineEdit *>(QStringLiteral("DesktopName"));
    name->setText(Input.Name);
    auto *ticked = Dialog->findChild<QCheckBox *>(QStringLiteral("chPassword"));
    if (ticked->isChecked() != Input.PasswordTicked) {
        QTest::mouseClick(ticked, Qt::LeftButton);
    }
    auto *password = Dialog->findChild<Password *>(QStringLiteral("Password"));
    if (Input.Password == QLatin1String("\b")) {
        password->TextBox()->setText(QStringLiteral("x"));
        password->TextBox()->clear();
    } else if (!Input.Password.isEmpty()) {
        password->TextBox()->setText(Input.Password);
    }
    Dialog->findChild<QCheckBox *>(QStringLiteral("chInternet"))->setChecked(Input.Internet);
}

QPushButton *Button(QDialog *Dialog, const QString &Name)
{
    return Dialog->findChild<QPushButton *>(Name);
}
} // namespace

// The desktop tree and the desktop dialog over a real database: what the operator sees in the tree
// and its menu, what the dialog stores, and deletions that are refused or done whole.
class TestDesktopsTree : public QObject, private DesktopsFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void treeAndItsRoot();
    void dialogStores_data();
    void dialogStores();
    void editingStampsTheDesktop();
    void deletion_data();
    void deletion();
    void shortcutCentresAllOrNothing_data();
    void shortcutCentresAllOrNothing();

private:
    std::unique_ptr<DesktopsTree> m_tree;
};

void TestDesktopsTree::init()
{
    QString err;
    QVERIFY2(Start(err), qPrintable(err));
    m_tree = std::make_unique<DesktopsTree>();
    m_tree->resize(300, 400);
    m_tree->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_tree.get()));
}

void TestDesktopsTree::cleanup()
{
    m_tree.reset();
    Stop();
}

void TestDesktopsTree::treeAndItsRoot()
{
    const qint32 games = AddDesktop(QStringLiteral("Игры"), 0);
    AddDesktop(QStringLiteral("Офис"), 0);
    const qint32 shooters = AddDesktop(QStringLiteral("Стрелялки"), games);
    QSignalSpy selected(m_tree.get(), &DesktopsTree::DesktopSelected);
    m_tree->FillTree(shooters);
    const QTreeWidgetItem *root = m_tree->Tree()->topLevelItem(0);
    QCOMPARE(m_tree->Tree()->topLevelItemCount(), 1);
    QCOMPARE(root->childCount(), 2);
    QCOMPARE(root->child(0)->text(0), QStringLiteral("Игры"));
    QCOMPARE(root->child(1)->text(0), QStringLiteral("Офис"));
    QCOMPARE(root->child(0)->child(0)->text(0), QStringLiteral("Стрелялки"));
    QVERIFY(root->child(0)->isExpanded());
    QCOMPARE(m_tree->Tree()->currentItem(), root->child(0)->child(0));
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.first().first().toInt(), shooters);
    m_tree->Tree()->collapseItem(root->child(0));
    QVERIFY(root->child(0)->isExpanded());
    QMenu *menu = m_tree->Menu();
    m_tree->ShowMenu(QPoint(5, 5));
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(menu->actions().at(1)->isEnabled() && menu->actions().at(2)->isEnabled());
    menu->hide();

    // With the root selected: Delete does nothing, a double click opens nothing.
    m_tree->FillTree();
    m_tree->ShowMenu(QPoint(5, 5));
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(menu->actions().at(0)->isEnabled());
    QVERIFY(!menu->actions().at(1)->isEnabled() && !menu->actions().at(2)->isEnabled());
    menu->hide();
    QTest::keyClick(m_tree->Tree(), Qt::Key_Delete);
    root = m_tree->Tree()->topLevelItem(0);
    QTest::mouseClick(m_tree->Tree()->viewport(), Qt::LeftButton, {}, m_tree->Tree()->visualItemRect(root).center());
    QTest::mouseDClick(m_tree->Tree()->viewport(), Qt::LeftButton, {}, m_tree->Tree()->visualItemRect(root).center());
    QCOMPARE(Count(QStringLiteral("Desktops")), 3);
    QVERIFY(MessageBox::TakeRecords().isEmpty());
    QVERIFY(!m_tree->Changed());
}

void TestDesktopsTree::dialogStores_data()
{
    QTest::addColumn<DesktopInput>("input");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<qint32>("internet");
    const QString secret = HashModule::Md5Hex(QStringLiteral("secret"));
    QTest::newRow("trimmed, no password")
        << DesktopInput{QStringLiteral("  Игры  "), false, QStringLiteral("secret"), true} << QString()
        << QStringLiteral("Игры") << QString() << 1;
    QTest::newRow("with a password") << DesktopInput{QStringLiteral("Офис"), true, QStringLiteral("secret"), false}
                                     << QString() << QStringLiteral("Офис") << secret << 0;
    QTest::newRow("name of blanks") << DesktopInput{QStringLiteral("   "), false, QString(), false}
                                    << QStringLiteral("Не указано наименование рабочего стола!") << QString()
                                    << QString() << 0;
    QTest::newRow("password ticked, none typed")
        << DesktopInput{QStringLiteral("Офис"), true, QString(), false}
        << QStringLiteral("Не указан пароль рабочего стола!") << QString() << QString() << 0;
    QTest::newRow("password typed and erased")
        << DesktopInput{QStringLiteral("Офис"), true, QStringLiteral("\b"), false}
        << QStringLiteral("Не указан пароль рабочего стола!") << QString() << QString() << 0;
}

// Insert with the root selected adds a top-level desktop through the dialog.
void TestDesktopsTree::dialogStores()
{
    QFETCH(DesktopInput, input);
    QFETCH(QString, refusal);
    m_tree->FillTree();
    QSignalSpy modified(m_tree.get(), &DesktopsTree::Modified);
    AnswerDialog<frmEditDesktop>([&](frmEditDesktop *Dialog) {
        Fill(Dialog, input);
        if (!refusal.isEmpty()) {
            MessageBox::PrepareAnswer(QMessageBox::Ok);
            QTest::mouseClick(Button(Dialog, QStringLiteral("OK")), Qt::LeftButton);
            QVERIFY(Dialog->isVisible());
            QTest::mouseClick(Button(Dialog, QStringLiteral("Cancel")), Qt::LeftButton);
            return;
        }
        QTest::mouseClick(Button(Dialog, QStringLiteral("OK")), Qt::LeftButton);
    });
    QTest::keyClick(m_tree->Tree(), Qt::Key_Insert);
    const auto records = m_db->All(QStringLiteral("Desktops"));
    const auto boxes = MessageBox::TakeRecords();
    if (!refusal.isEmpty()) {
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().Text, refusal);
        QCOMPARE(records->Count(), 0);
        QCOMPARE(modified.size(), 0);
        QVERIFY(!m_tree->Changed());
        return;
    }
    QVERIFY(boxes.isEmpty());
    QCOMPARE(records->Count(), 1);
    const auto &record = *records->GetByIndex(1);
    QTEST(TextValue(record, QStringLiteral("Name")), "name");
    QTEST(TextValue(record, QStringLiteral("Password")), "password");
    QTEST(IntValue(record, QStringLiteral("IsInternet")), "internet");
    QCOMPARE(IntValue(record, QStringLiteral("Parent")), 0);
    // A new desktop gets no change stamp.
    QVERIFY(Stamp(record.Code()).isNull());
    QCOMPARE(m_tree->SelectedCode(), record.Code());
    QCOMPARE(modified.size(), 1);
    QVERIFY(m_tree->Changed());
    QVERIFY(m_tree->ValidateAndSave());
    QVERIFY(!m_tree->Changed());
}

void TestDesktopsTree::editingStampsTheDesktop()
{
    const qint32 games = m_db->Add(QStringLiteral("Desktops"),
                                   {{QStringLiteral("Name"), QStringLiteral("Игры")},
                                    {QStringLiteral("Password"), HashModule::Md5Hex(QStringLiteral("old"))}});
    m_tree->FillTree(games);
    bool passwordShown = false;
    AnswerDialog<frmEditDesktop>([&](frmEditDesktop *Dialog) {
        passwordShown = Dialog->findChild<QCheckBox *>(QStringLiteral("chPassword"))->isChecked()
                        && Dialog->findChild<Password *>(QStringLiteral("Password"))->Enabled();
        Fill(Dialog, {QStringLiteral("Игры и кино"), true, QString(), false});
        QTest::mouseClick(Button(Dialog, QStringLiteral("OK")), Qt::LeftButton);
    });
    const QTreeWidgetItem *node = m_tree->Tree()->currentItem();
    const QPoint point = m_tree->Tree()->visualItemRect(node).center();
    QTest::mouseClick(m_tree->Tree()->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(m_tree->Tree()->viewport(), Qt::LeftButton, {}, point);
    QVERIFY(passwordShown);
    const auto record = m_db->Record(QStringLiteral("Desktops"), games);
    QCOMPARE(TextValue(*record, QStringLiteral("Name")), QStringLiteral("Игры и кино"));
    // The stored digest is kept while the box is not typed into.
    QCOMPARE(TextValue(*record, QStringLiteral("Password")), HashModule::Md5Hex(QStringLiteral("old")));
    QCOMPARE(Stamp(games), Clock::Now());
    QCOMPARE(m_tree->Tree()->currentItem()->text(0), QStringLiteral("Игры и кино"));
}

void TestDesktopsTree::deletion_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("unused subtree") << QString() << QString();
    QTest::newRow("grandchild with a seance")
        << QStringLiteral("seance")
        << QStringLiteral("По рабочему столу 'Стрелялки' есть сеансы! Удаление невозможно!");
    QTest::newRow("child with a night reserve")
        << QStringLiteral("reserve")
        << QStringLiteral("По рабочему столу 'Игры' есть ночные резервы! Удаление невозможно!");
    QTest::newRow("removal refused half-way")
        << QStringLiteral("refusal") << QStringLiteral("Ошибка удаления рабочего стола 'Клуб'!");
}

void TestDesktopsTree::deletion()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, refusal);
    const qint32 club = AddDesktop(QStringLiteral("Клуб"), 0);
    const qint32 games = AddDesktop(QStringLiteral("Игры"), club);
    const qint32 shooters = AddDesktop(QStringLiteral("Стрелялки"), games);
    const qint32 office = AddDesktop(QStringLiteral("Офис"), 0);
    for (const qint32 desktop : {club, games, shooters, office}) {
        AddShortcut(desktop, QStringLiteral("Программа"));
    }
    const qint32 computer = m_db->AddComputer(1);
    const qint32 rate = m_db->AddRate(QStringLiteral("День"), 0, 60);
    if (obstacle == QLatin1String("seance")) {
        m_db->AddSeance(computer, shooters, rate, Clock::Now(), Clock::Now().addSecs(3600));
    } else if (obstacle == QLatin1String("reserve")) {
        m_db->AddReserve(computer, games, rate, Clock::Now(), true);
    } else if (obstacle == QLatin1String("refusal")) {
        QVERIFY(m_db->AddRefusal(QStringLiteral("Desktops"),
                                 QStringLiteral("DELETE"),
                                 QStringLiteral("OLD.Code = %1").arg(club)));
    }
    m_tree->FillTree(club);
    QSignalSpy deleted(m_tree.get(), &DesktopsTree::DesktopDeleted);
    MessageBox::PrepareAnswer(QMessageBox::Ok);
    QTest::keyClick(m_tree->Tree(), Qt::Key_Delete);
    const auto boxes = MessageBox::TakeRecords();
    if (refusal.isEmpty()) {
        QVERIFY(boxes.isEmpty());
        QCOMPARE(Count(QStringLiteral("Desktops")), 1);
        QCOMPARE(Count(QStringLiteral("Shortcuts")), 1);
        QCOMPARE(deleted.size(), 3);
        QCOMPARE(deleted.at(0).first().toInt(), shooters);
        QCOMPARE(deleted.at(2).first().toInt(), club);
        QCOMPARE(m_tree->SelectedCode(), 0);
        QVERIFY(m_tree->Changed());
        return;
    }
    QCOMPARE(boxes.size(), 1);
    QCOMPARE(boxes.first().Text, refusal);
    QCOMPARE(Count(QStringLiteral("Desktops")), 4);
    QCOMPARE(Count(QStringLiteral("Shortcuts")), 4);
    QCOMPARE(deleted.size(), 0);
    QCOMPARE(m_tree->SelectedCode(), club);
    QVERIFY(!m_tree->Changed());
}

void TestDesktopsTree::shortcutCentresAllOrNothing_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("all stored") << QString() << QString();
    QTest::newRow("second shortcut refused") << QStringLiteral("refusal") << QString();
    QTest::newRow("second shortcut gone") << QStringLiteral("gone") << QStringLiteral("Ярлык не найден!");
}

// A position save is one transaction: a shortcut that cannot be stored leaves the others and the
// desktop's stamp as they were.
void TestDesktopsTree::shortcutCentresAllOrNothing()
{
    QFETCH(QString, obstacle);
    QFETCH(QString, refusal);
    const qint32 games = AddDesktop(QStringLiteral("Игры"));
    const qint32 first = AddShortcut(games, QStringLiteral("Первая"), QPoint(600, 600));
    qint32 second = AddShortcut(games, QStringLiteral("Вторая"), QPoint(1200, 600));
    if (obstacle == QLatin1String("refusal")) {
        QVERIFY(m_db->AddRefusal(QStringLiteral("Shortcuts"),
                                 QStringLiteral("UPDATE"),
                                 QStringLiteral("OLD.Code = %1").arg(second)));
    } else if (obstacle == QLatin1String("gone")) {
        second += 1000;
    }
    QString err;
    const bool stored = StoreShortcutCentres(games, {{first, QPoint(1930, 2170)}, {second, QPoint(70, 100)}}, err);
    QCOMPARE(stored, obstacle.isEmpty());
    QCOMPARE(err.isEmpty(), obstacle.isEmpty());
    if (!refusal.isEmpty()) {
        QCOMPARE(err, refusal);
    }
    const auto record = m_db->Record(QStringLiteral("Shortcuts"), first);
    QCOMPARE(IntValue(*record, QStringLiteral("ShortcutLeft")), stored ? 1930 : 600);
    QCOMPARE(IntValue(*record, QStringLiteral("ShortcutTop")), stored ? 2170 : 600);
    QCOMPARE(Stamp(games), stored ? Clock::Now() : QDateTime());
}

QTEST_MAIN(TestDesktopsTree)
#include "tst_desktopstree.moc"
