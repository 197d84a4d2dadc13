#include "core/widgets/registryserilize.h"

#include <QApplication>
#include <QHeaderView>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace RegistrySerilize;

class TestRegistrySerilize : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;

    static QVariant Stored(const QString &Key)
    {
        return QSettings(QStringLiteral("QuillmarshTest"), QStringLiteral("Layouts")).value(Key);
    }

    static std::unique_ptr<QTreeWidget> MakeList(int Columns)
    {
        auto list = std::make_unique<QTreeWidget>();
        list->setObjectName(QStringLiteral("CardsList"));
        list->setColumnCount(Columns);
        for (int i = 0; i < Columns; ++i) {
            list->header()->resizeSection(i, 40 + 10 * i);
        }
        return list;
    }

private slots:

    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_folder.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_folder.path());
        QCoreApplication::setOrganizationName(QStringLiteral("QuillmarshTest"));
        QCoreApplication::setApplicationName(QStringLiteral("Layouts"));
    }

    void init()
    {
        QSettings(QStringLiteral("QuillmarshTest"), QStringLiteral("Layouts")).clear();
    }

    void namesOfTheStore()
    {
        QCOMPARE(GetCompanyName(), QStringLiteral("QuillmarshTest"));
        QCOMPARE(GetProductName(), QStringLiteral("Layouts"));
        QCOMPARE(GetControlKey(QStringLiteral("frmMain")), QStringLiteral("Layouts\\Controls\\frmMain"));
        QCoreApplication::setOrganizationName(QString());
        QCOMPARE(GetCompanyName(), QStringLiteral("Unknown company"));
        QCoreApplication::setOrganizationName(QStringLiteral("QuillmarshTest"));
    }

    void valueRoundTrip_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("read");
        QTest::newRow("number") << QStringLiteral("2940") << QStringLiteral("2940");
        QTest::newRow("trailing NUL") << QStringLiteral("2940") + QChar(0) << QStringLiteral("2940");
        QTest::newRow("blanks") << QStringLiteral("  17 ") << QStringLiteral("17");
        QTest::newRow("commas") << QStringLiteral("a, b,c") << QStringLiteral("a, b,c");
        QTest::newRow("russian") << QStringLiteral("Настройки") << QStringLiteral("Настройки");
        QTest::newRow("at sign") << QStringLiteral("@Variant(x)") << QStringLiteral("@Variant(x)");
    }

    void valueRoundTrip()
    {
        QFETCH(QString, written);
        QFETCH(QString, read);
        SaveRegistryValue(GetCompanyName(), QStringLiteral("Layouts\\Controls\\x"), QStringLiteral("Value"), written);
        QCOMPARE(GetRegistryValue(GetCompanyName(), QStringLiteral("Layouts\\Controls\\x"), QStringLiteral("Value")),
                 read);
    }

    void missingValueReadsEmpty()
    {
        QCOMPARE(GetRegistryValue(GetCompanyName(), QStringLiteral("Layouts\\Nowhere"), QStringLiteral("Width")),
                 QString());
        QCOMPARE(GetContainerValue(QStringLiteral("SettingsSeparator")), QString());
    }

    void deleteKeyTreeTakesSubkeys()
    {
        SaveRegistryValue(GetCompanyName(),
                          QStringLiteral("Layouts\\Controls\\a"),
                          QStringLiteral("v"),
                          QStringLiteral("1"));
        SaveRegistryValue(GetCompanyName(),
                          QStringLiteral("Layouts\\Controls\\a\\b\\c"),
                          QStringLiteral("v"),
                          QStringLiteral("2"));
        SaveRegistryValue(GetCompanyName(),
                          QStringLiteral("Layouts\\Controls\\ab"),
                          QStringLiteral("v"),
                          QStringLiteral("3"));
        DeleteRegistryKeyTree(GetCompanyName(), QStringLiteral("Layouts\\Controls\\a"));
        QCOMPARE(GetRegistryValue(GetCompanyName(), QStringLiteral("Layouts\\Controls\\a"), QStringLiteral("v")),
                 QString());
        QCOMPARE(GetRegistryValue(GetCompanyName(), QStringLiteral("Layouts\\Controls\\a\\b\\c"), QStringLiteral("v")),
                 QString());
        QCOMPARE(GetRegistryValue(GetCompanyName(), QStringLiteral("Layouts\\Controls\\ab"), QStringLiteral("v")),
                 QStringLiteral("3"));
    }

    void containerValue()
    {
        SaveContainerValue(QStringLiteral("SettingsSeparator"), QStringLiteral("2940"));
        QCOMPARE(GetContainerValue(QStringLiteral("SettingsSeparator")), QStringLiteral("2940"));
        QCOMPARE(Stored(QStringLiteral("SettingsSeparator")).toString(), QStringLiteral("2940"));
    }

    void normalFormKeepsSizeInTwips()
    {
        QWidget form;
        form.setObjectName(QStringLiteral("frmMain"));
        form.setGeometry(30, 40, 640, 400);
        SaveFormLayout(&form, QString(), true, false);
        QCOMPARE(Stored(QStringLiteral("Controls/frmMain/Form/WindowState")).toString(), QStringLiteral("0"));
        QCOMPARE(Stored(QStringLiteral("Controls/frmMain/Form/Width")).toString(), QStringLiteral("9600"));
        QCOMPARE(Stored(QStringLiteral("Controls/frmMain/Form/Height")).toString(), QStringLiteral("6000"));
        QCOMPARE(Stored(QStringLiteral("Controls/frmMain/Form/Left")).toString(), QStringLiteral("450"));
        QCOMPARE(Stored(QStringLiteral("Controls/frmMain/Form/Top")).toString(), QStringLiteral("600"));

        QWidget again;
        again.setObjectName(QStringLiteral("frmMain"));
        again.setGeometry(0, 0, 300, 200);
        LoadFormLayout(&again, QString(), true);
        QCOMPARE(again.geometry(), QRect(30, 40, 640, 400));
    }

    void positionOnlyWhenAsked()
    {
        QWidget form;
        form.setGeometry(30, 40, 640, 400);
        SaveFormLayout(&form, QStringLiteral("Named"), false, false);
        QVERIFY(!Stored(QStringLiteral("Controls/Named/Form/Left")).isValid());
        form.setGeometry(5, 6, 300, 200);
        LoadFormLayout(&form, QStringLiteral("Named"), true);
        QCOMPARE(form.geometry(), QRect(5, 6, 640, 400));
    }

    void maximizedFormStoresOnlyItsState()
    {
        QWidget form;
        form.setObjectName(QStringLiteral("frmMain"));
        form.resize(640, 400);
        SaveFormLayout(&form, QString(), false, false);
        form.setWindowState(Qt::WindowMaximized);
        SaveFormLayout(&form, QString(), false, false);
        QCOMPARE(Stored(QStringLiteral("Controls/frmMain/Form/WindowState")).toString(), QStringLiteral("2"));
        QVERIFY(!Stored(QStringLiteral("Controls/frmMain/Form/Width")).isValid());
        QVERIFY(!Stored(QStringLiteral("Controls/frmMain/Form/Height")).isValid());

        QWidget next;
        next.setObjectName(QStringLiteral("frmMain"));
        next.resize(500, 300);
        LoadFormLayout(&next, QString(), false);
        QVERIFY(next.windowState() & Qt::WindowMaximized);
    }

    void minimizedFormIsNotSavedUnlessAsked()
    {
        QWidget form;
        form.setObjectName(QStringLiteral("frmMain"));
        form.setWindowState(Qt::WindowMinimized);
        SaveFormLayout(&form, QString(), false, false);
        QVERIFY(!Stored(QStringLiteral("Controls/frmMain/Form/WindowState")).isValid());
        SaveFormLayout(&form, QString(), false, true);
        QCOMPARE(Stored(QStringLiteral("Controls/frmMain/Form/WindowState")).toString(), QStringLiteral("1"));
    }

    void neverSavedLayoutOnlyMakesTheStateNormal()
    {
        QWidget form;
        form.setObjectName(QStringLiteral("frmNew"));
        form.setGeometry(10, 20, 333, 222);
        form.setWindowState(Qt::WindowMaximized);
        LoadFormLayout(&form, QString(), true);
        QCOMPARE(form.windowState() & Qt::WindowMaximized, Qt::WindowStates());
        QCOMPARE(form.size(), QSize(333, 222));
    }

    void listSavedWithFiveLoadedWithThree()
    {
        const auto five = MakeList(5);
        five->header()->resizeSection(0, 100);
        five->header()->resizeSection(2, 120);
        five->header()->moveSection(1, 0);
        SaveListViewLayout(five.get(), QString());
        QCOMPARE(Stored(QStringLiteral("Controls/CardsList/ListView/ColumnHeaderWidth1")).toString(),
                 QStringLiteral("1500"));
        QCOMPARE(Stored(QStringLiteral("Controls/CardsList/ListView/ColumnHeaderOrder1")).toString(),
                 QStringLiteral("2"));
        QCOMPARE(Stored(QStringLiteral("Controls/CardsList/ListView/ColumnHeaderOrder2")).toString(),
                 QStringLiteral("1"));
        QCOMPARE(Stored(QStringLiteral("Controls/CardsList/ListView/ColumnHeaderWidth5")).toString(),
                 QStringLiteral("1200"));

        const auto three = MakeList(3);
        LoadListViewLayout(three.get(), QString());
        QCOMPARE(three->header()->sectionSize(0), 100);
        QCOMPARE(three->header()->sectionSize(1), 50);
        QCOMPARE(three->header()->sectionSize(2), 120);
        QCOMPARE(three->header()->visualIndex(0), 1);
        QCOMPARE(three->header()->visualIndex(1), 0);
        QCOMPARE(three->header()->visualIndex(2), 2);

        SaveListViewLayout(three.get(), QString());
        QVERIFY(!Stored(QStringLiteral("Controls/CardsList/ListView/ColumnHeaderWidth4")).isValid());
    }

    void badWidthKeepsDesignedWidth_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("zero") << QStringLiteral("0");
        QTest::newRow("letters") << QStringLiteral("abc");
        QTest::newRow("negative") << QStringLiteral("-300");
    }

    void badWidthKeepsDesignedWidth()
    {
        QFETCH(QString, stored);
        SaveRegistryValue(GetCompanyName(),
                          GetControlKey(QStringLiteral("CardsList")) + QStringLiteral("\\ListView"),
                          QStringLiteral("ColumnHeaderWidth2"),
                          stored);
        const auto list = MakeList(3);
        LoadListViewLayout(list.get(), QString());
        QCOMPARE(list->header()->sectionSize(1), 50);
    }

    void unnamedListTakesTheNameOfItsHolder()
    {
        QWidget holder;
        holder.setObjectName(QStringLiteral("SeancesListView"));
        auto *list = new QTreeWidget(&holder);
        list->setColumnCount(2);
        list->header()->resizeSection(0, 90);
        SaveListViewLayout(list, QString());
        QCOMPARE(Stored(QStringLiteral("Controls/SeancesListView/ListView/ColumnHeaderWidth1")).toString(),
                 QStringLiteral("1350"));
    }
};

QTEST_MAIN(TestRegistrySerilize)
#include "tst_registryserilize.moc"
