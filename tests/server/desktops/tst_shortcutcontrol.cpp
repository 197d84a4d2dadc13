#include "core/mainlog.h"
#include "datafolder.h"
#include "desktops/programicons.h"
#include "desktops/shortcutcontrol.h"
#include "desktops/shortcutplacement.h"
#include "mainlogtext.h"
#include "testicons.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using TestIcons::Image;

namespace
{
constexpr qint32 EditorIconSize = 600;

QByteArray ExecutableOf(Qt::GlobalColor Colour)
{
    return TestIcons::Executable({TestIcons::Ico({Image{32, Colour, 32}})});
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
    const QList<std::pair<QString, QByteArray>> files{
        {QStringLiteral("x.ICO"), TestIcons::Ico({Image{32, Qt::red, 32}})},
        {QStringLiteral("broken.ico"), QByteArray("not an icon")},
        {QStringLiteral("start.bat"), QByteArray("@echo off\r\ngame.exe\r\n")},
        {QStringLiteral("prog.exe"), ExecutableOf(Qt::blue)},
        {QStringLiteral("x.Exe"), ExecutableOf(Qt::green)},
        {QStringLiteral("lib.dll"), ExecutableOf(Qt::yellow)}};
    for (const auto &[name, bytes] : files) {
        QVERIFY(TestIcons::WriteFile(File(name), bytes));
    }
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
    const QByteArray exe = ExecutableOf(Qt::blue);
    QVERIFY(TestIcons::WriteFile(path, exe));
    const QDateTime stamp = QFileInfo(path).lastModified();
    const ProgramIcon first = ProgramIcons::Load(path, QString(), 40, false);
    QCOMPARE(first.Source, path);
    // The same name, size and time with other bytes: a kept picture is shown without reading.
    QVERIFY(TestIcons::WriteFile(path, QByteArray(exe.size(), 'x')));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(ProgramIcons::Load(path, QString(), 40, false).Source, path);
    // A changed file is read again.
    QVERIFY(TestIcons::WriteFile(path, QByteArray(exe.size() + 1, 'x')));
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
    QTest::addColumn<QList<QPoint>>("drags");
    // 3 pixels are 45 twips: one step of 30.
    const QList<QPoint> oneStep{QPoint(30, -30)};
    QTest::newRow("click") << true << true << QStringLiteral("click") << 2 << 0 << 0 << QList<QPoint>();
    QTest::newRow("double click") << true << true << QStringLiteral("double") << 2 << 1 << 0 << QList<QPoint>();
    QTest::newRow("right click") << true << true << QStringLiteral("right") << 1 << 0 << 1 << QList<QPoint>();
    QTest::newRow("drag of a fixed tile") << true << true << QStringLiteral("drag") << 2 << 0 << 0 << QList<QPoint>();
    QTest::newRow("drag") << true << false << QStringLiteral("drag") << 2 << 0 << 0 << oneStep;
    QTest::newRow("disabled click") << false << false << QStringLiteral("click") << 0 << 0 << 0 << QList<QPoint>();
    QTest::newRow("disabled double click")
        << false << false << QStringLiteral("double") << 0 << 0 << 0 << QList<QPoint>();
    QTest::newRow("disabled right click")
        << false << false << QStringLiteral("right") << 0 << 0 << 0 << QList<QPoint>();
    QTest::newRow("disabled drag") << false << false << QStringLiteral("drag") << 0 << 0 << 0 << QList<QPoint>();
}

void TestShortcutControl::mouse()
{
    QFETCH(bool, enabled);
    QFETCH(bool, fixed);
    QFETCH(QString, action);
    QFETCH(QList<QPoint>, drags);
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
        QTest::mouseMove(&tile, point + QPoint(3, -3));
        // Back at the press point: nothing; after the release the pointer drags nothing.
        QTest::mouseMove(&tile, point);
        QTest::mouseRelease(&tile, Qt::LeftButton, {}, point);
        QTest::mouseMove(&tile, point + QPoint(5, 5));
    }
    QTEST(int(selecting.size()), "selecting");
    QTEST(int(launch.size()), "launch");
    QTEST(int(rightClick.size()), "rightClick");
    QList<QPoint> dragged;
    for (const QList<QVariant> &offset : std::as_const(dragging)) {
        dragged.append(QPoint(offset.at(0).toInt(), offset.at(1).toInt()));
    }
    QCOMPARE(dragged, drags);
}

void TestShortcutControl::arrangement()
{
    ShortcutControl tile;
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
