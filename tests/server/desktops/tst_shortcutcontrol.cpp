#include "core/mainlog.h"
#include "datafolder.h"
#include "desktops/programicons.h"
#include "desktops/shortcutcontrol.h"
#include "desktops/shortcutplacement.h"
#include "mainlogtext.h"
#include "testicons.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using TestIcons::Image;

namespace
{
constexpr qint32 EditorIconSize = 600;

bool WriteFile(const QString &Path, const QByteArray &Bytes)
{
    QFile file(Path);
    return file.open(QIODevice::WriteOnly) && file.write(Bytes) == Bytes.size();
}
} // namespace

// The shortcut tile: placement and drag rules, the icon rule over real files, the failure's log
// line and the mouse.
class TestShortcutControl : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void keepInside_data();
    void keepInside();
    void dragOffset_data();
    void dragOffset();
    void iconRule_data();
    void iconRule();
    void missingIconIsLoggedOnce();
    void keptIconsReadNoFileAgain();
    void mouse_data();
    void mouse();
    void draggingMovesInSteps();
    void arrangement();

private:
    QString File(const QString &Name) const
    {
        return m_files.filePath(Name);
    }

    QTemporaryDir m_files;
};

void TestShortcutControl::initTestCase()
{
    DataFolder::SetDataFolder(m_files.path());
    QVERIFY(InitMainLog());
    QVERIFY(WriteFile(File(QStringLiteral("x.ICO")), TestIcons::Ico({Image{32, Qt::red, 32}})));
    QVERIFY(WriteFile(File(QStringLiteral("broken.ico")), QByteArray("not an icon")));
    QVERIFY(WriteFile(File(QStringLiteral("start.bat")), QByteArray("@echo off\r\ngame.exe\r\n")));
    QVERIFY(WriteFile(File(QStringLiteral("prog.exe")),
                      TestIcons::Executable({TestIcons::Ico({Image{32, Qt::blue, 32}})})));
    QVERIFY(
        WriteFile(File(QStringLiteral("x.Exe")), TestIcons::Executable({TestIcons::Ico({Image{32, Qt::green, 32}})})));
    QVERIFY(WriteFile(File(QStringLiteral("lib.dll")),
                      TestIcons::Executable({TestIcons::Ico({Image{32, Qt::yellow, 32}})})));
}

void TestShortcutControl::init()
{
    ProgramIcons::Reset();
}

void TestShortcutControl::keepInside_data()
{
    QTest::addColumn<QPoint>("wanted");
    QTest::addColumn<QSize>("surface");
    QTest::addColumn<QPoint>("place");
    const QSize large(20000, 20000);
    QTest::newRow("snapped to the grid") << QPoint(1000, 1000) << large << QPoint(660, 660);
    QTest::newRow("left of the centre offset") << QPoint(250, 250) << large << QPoint(180, 180);
    QTest::newRow("negative") << QPoint(-500, 10) << large << QPoint(180, 180);
    QTest::newRow("right edge") << QPoint(5900, 1000) << QSize(6000, 6000) << QPoint(5280, 660);
    QTest::newRow("bottom edge") << QPoint(1000, 5900) << QSize(6000, 6000) << QPoint(660, 5280);
    QTest::newRow("too narrow for the right-edge rule") << QPoint(1000, 1000) << QSize(400, 400) << QPoint(180, 180);
}

void TestShortcutControl::keepInside()
{
    QFETCH(QPoint, wanted);
    QFETCH(QSize, surface);
    QFETCH(QPoint, place);
    QCOMPARE(ShortcutPlacement::KeepInside(wanted, QSize(300, 300), surface), place);
}

void TestShortcutControl::dragOffset_data()
{
    QTest::addColumn<double>("moved");
    QTest::addColumn<qint32>("step");
    QTest::addColumn<qint32>("offset");
    QTest::newRow("less than a step") << 29.0 << 30 << 0;
    QTest::newRow("a step and a half") << 45.0 << 30 << 30;
    QTest::newRow("back a step and a half") << -45.0 << 30 << -30;
    QTest::newRow("editor grid") << 250.0 << 240 << 240;
    QTest::newRow("half rounds down to even") << 2.5 << 1 << 2;
    QTest::newRow("half rounds up to even") << 3.5 << 1 << 4;
    QTest::newRow("step of zero counts as one") << 7.0 << 0 << 7;
}

void TestShortcutControl::dragOffset()
{
    QFETCH(double, moved);
    QFETCH(qint32, step);
    QFETCH(qint32, offset);
    QCOMPARE(ShortcutPlacement::DragOffset(moved, step), offset);
}

void TestShortcutControl::iconRule_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("iconPath");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("fallback");
    const QString prog = QStringLiteral("prog.exe");
    QTest::newRow("icon file") << prog << QStringLiteral("x.ICO") << true << QStringLiteral("x.ICO") << QString();
    QTest::newRow("broken icon file") << prog << QStringLiteral("broken.ico") << true << prog << QString();
    QTest::newRow("icon of another program")
        << prog << QStringLiteral("x.Exe") << true << QStringLiteral("x.Exe") << QString();
    QTest::newRow("library") << prog << QStringLiteral("lib.dll") << true << prog << QString();
    QTest::newRow("no icon path") << prog << QString() << false << prog << QString();
    QTest::newRow("missing, enabled") << QStringLiteral("missing.exe") << QString() << true << QString()
                                      << QStringLiteral("QuestionActive");
    QTest::newRow("missing, disabled") << QStringLiteral("missing.exe") << QString() << false << QString()
                                       << QStringLiteral("QuestionPassive");
    QTest::newRow("a batch file") << QStringLiteral("start.bat") << QString() << true << QString()
                                  << QStringLiteral("QuestionActive");
}

void TestShortcutControl::iconRule()
{
    QFETCH(QString, path);
    QFETCH(QString, iconPath);
    QFETCH(bool, enabled);
    QFETCH(QString, source);
    QFETCH(QString, fallback);
    ShortcutControl tile;
    tile.SetIconSize(EditorIconSize);
    tile.SetPath(File(path));
    tile.SetIconPath(iconPath.isEmpty() ? QString() : File(iconPath));
    tile.SetEnabled(enabled);
    QCOMPARE(tile.Icon().Source, source.isEmpty() ? QString() : File(source));
    QCOMPARE(tile.Icon().Fallback, fallback);
    QCOMPARE(tile.Icon().Image.size(), QSize(40, 40));
    if (fallback.isEmpty()) {
        const QColor middle = tile.Icon().Image.pixelColor(20, 20);
        QCOMPARE(middle.red() == middle.green() && middle.green() == middle.blue(), !enabled);
    }
}

void TestShortcutControl::missingIconIsLoggedOnce()
{
    const QString missing = QStringLiteral("C:\\nope\\missing.exe");
    const QString line = QStringLiteral("! Ошибка загрузки иконки из файла '") + missing + QStringLiteral("'!");
    ShortcutControl tile;
    tile.SetPath(missing);
    tile.LoadIcon();
    tile.SetEnabled(true);
    tile.SetSelected(true);
    tile.SetEnabled(false);
    ShortcutControl other;
    other.SetPath(missing);
    other.LoadIcon();
    QCOMPARE(MainLogEntries().count(line), 1);
    QCOMPARE(tile.Icon().ErrText, line.mid(2));
}

void TestShortcutControl::keptIconsReadNoFileAgain()
{
    const QString path = File(QStringLiteral("kept.exe"));
    const QByteArray exe = TestIcons::Executable({TestIcons::Ico({Image{32, Qt::blue, 32}})});
    QVERIFY(WriteFile(path, exe));
    const QDateTime stamp = QFileInfo(path).lastModified();
    const ProgramIcon first = ProgramIcons::Load(path, QString(), 40, false);
    QCOMPARE(first.Source, path);
    // The same name, size and time with other bytes: a kept picture is shown without reading.
    QVERIFY(WriteFile(path, QByteArray(exe.size(), 'x')));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(ProgramIcons::Load(path, QString(), 40, false).Source, path);
    // A changed file is read again.
    QVERIFY(WriteFile(path, QByteArray(exe.size() + 1, 'x')));
    QCOMPARE(ProgramIcons::Load(path, QString(), 40, false).Fallback, QStringLiteral("QuestionActive"));
}

void TestShortcutControl::mouse_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("fixed");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("selecting");
    QTest::addColumn<int>("launch");
    QTest::addColumn<int>("rightClick");
    QTest::addColumn<int>("dragging");
    QTest::newRow("click") << true << true << QStringLiteral("click") << 2 << 0 << 0 << 0;
    QTest::newRow("double click") << true << true << QStringLiteral("double") << 2 << 1 << 0 << 0;
    QTest::newRow("right click") << true << true << QStringLiteral("right") << 1 << 0 << 1 << 0;
    QTest::newRow("drag of a fixed tile") << true << true << QStringLiteral("drag") << 1 << 0 << 0 << 0;
    QTest::newRow("drag") << true << false << QStringLiteral("drag") << 1 << 0 << 0 << 1;
    QTest::newRow("disabled click") << false << false << QStringLiteral("click") << 0 << 0 << 0 << 0;
    QTest::newRow("disabled double click") << false << false << QStringLiteral("double") << 0 << 0 << 0 << 0;
    QTest::newRow("disabled right click") << false << false << QStringLiteral("right") << 0 << 0 << 0 << 0;
    QTest::newRow("disabled drag") << false << false << QStringLiteral("drag") << 0 << 0 << 0 << 0;
}

void TestShortcutControl::mouse()
{
    QFETCH(bool, enabled);
    QFETCH(bool, fixed);
    QFETCH(QString, action);
    ShortcutControl tile;
    tile.SetIconSize(EditorIconSize);
    tile.SetEnabled(enabled);
    tile.SetFixed(fixed);
    tile.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tile));
    QSignalSpy selecting(&tile, &ShortcutControl::Selecting);
    QSignalSpy launch(&tile, &ShortcutControl::Launch);
    QSignalSpy rightClick(&tile, &ShortcutControl::RightClick);
    QSignalSpy dragging(&tile, &ShortcutControl::Dragging);
    const QPoint point(10, 10);
    if (action == QLatin1String("click")) {
        QTest::mouseClick(&tile, Qt::LeftButton, {}, point);
    } else if (action == QLatin1String("double")) {
        // As the window system delivers one: a click, then the second press as a double click.
        QTest::mouseClick(&tile, Qt::LeftButton, {}, point);
        QTest::mouseDClick(&tile, Qt::LeftButton, {}, point);
    } else if (action == QLatin1String("right")) {
        QTest::mouseClick(&tile, Qt::RightButton, {}, point);
    } else {
        QTest::mousePress(&tile, Qt::LeftButton, {}, point);
        QTest::mouseMove(&tile, point + QPoint(3, 0));
    }
    QTEST(int(selecting.size()), "selecting");
    QTEST(int(launch.size()), "launch");
    QTEST(int(rightClick.size()), "rightClick");
    QTEST(int(dragging.size()), "dragging");
}

void TestShortcutControl::draggingMovesInSteps()
{
    ShortcutControl tile;
    tile.SetEnabled(true);
    tile.SetFixed(false);
    tile.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tile));
    QSignalSpy dragging(&tile, &ShortcutControl::Dragging);
    const QPoint press(10, 10);
    QTest::mousePress(&tile, Qt::LeftButton, {}, press);
    // 3 pixels are 45 twips: one step of 30.
    QTest::mouseMove(&tile, press + QPoint(3, -3));
    // Back at the press point: nothing.
    QTest::mouseMove(&tile, press);
    QTest::mouseRelease(&tile, Qt::LeftButton, {}, press);
    // After the release the pointer drags nothing.
    QTest::mouseMove(&tile, press + QPoint(5, 5));
    QCOMPARE(dragging.size(), 1);
    QCOMPARE(dragging.first(), (QList<QVariant>{30, -30}));
}

void TestShortcutControl::arrangement()
{
    ShortcutControl tile;
    QCOMPARE(tile.IconSize(), 1000);
    QCOMPARE(tile.DraggingStep(), 30);
    QVERIFY(tile.Fixed());
    QVERIFY(!tile.Enabled());
    tile.SetIconSize(EditorIconSize);
    tile.SetCaption(QStringLiteral("Очень длинное название программы"));
    QVERIFY(tile.WidthTwips() > EditorIconSize);
    QCOMPARE(tile.CenterX(), tile.WidthTwips() / 2);
    QCOMPARE(tile.CenterY(), 300);
    QCOMPARE(tile.width(), tile.WidthTwips() / 15);
    tile.SetCaption(QStringLiteral("Я"));
    QCOMPARE(tile.WidthTwips(), EditorIconSize);
    QCOMPARE(tile.CenterX(), 300);
    tile.SetDraggingStep(0);
    QCOMPARE(tile.DraggingStep(), 1);
}

QTEST_MAIN(TestShortcutControl)
#include "tst_shortcutcontrol.moc"
