#include "corpusreplay.h"
#include "desktops/iconimage.h"
#include "desktops/memorybytes.h"
#include "desktops/pagedfile.h"
#include "desktops/peiconreader.h"
#include "iconcheck.h"
#include "testicons.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using TestIcons::Image;

namespace
{
constexpr int TileSide = 40;

QColor Middle(const QImage &Picture)
{
    return Picture.pixelColor(Picture.width() / 2, Picture.height() / 2);
}

void Put32(QByteArray &Bytes, qsizetype At, quint32 Value)
{
    qToLittleEndian(Value, Bytes.data() + At);
}

// The executable of one small icon that the damage rows start from.
QByteArray SmallExecutable()
{
    return TestIcons::Executable({TestIcons::Ico({Image{16, Qt::red, 32}})});
}

// Offsets inside SmallExecutable's resources: the root's entries, the first language directory's
// entry and the first data entry (one icon, one group).
constexpr qsizetype RootGroupEntry = TestIcons::ResourceOffset + 16 + 8;
constexpr qsizetype IconTypeDirectory = TestIcons::ResourceOffset + 32;
constexpr qsizetype FirstDataEntry = TestIcons::ResourceOffset + 32 + 24 + 24 + 2 * 24;
} // namespace

// The icon reading of the shortcut tiles: icon files and executables built byte by byte, intact
// and damaged in the ways real files are.
class TestIconImage : public QObject
{
    Q_OBJECT

private slots:
    void icoChoosesTheClosestImage_data();
    void icoChoosesTheClosestImage();
    void executableShowsItsFirstGroup_data();
    void executableShowsItsFirstGroup();
    void damagedFilesFailCleanly_data();
    void damagedFilesFailCleanly();
    void everyTruncationAndDamagedByte();
    void slowShapesReadInOnePass_data();
    void slowShapesReadInOnePass();
    void fileShrinkingUnderTheReaderFails_data();
    void fileShrinkingUnderTheReaderFails();
    void greyCopyKeepsTransparency();
    void corpusReplays();
};

void TestIconImage::icoChoosesTheClosestImage_data()
{
    QTest::addColumn<QList<Image>>("images");
    QTest::addColumn<QColor>("shown");
    QTest::newRow("one bitmap") << QList<Image>{{32, Qt::green, 32}} << QColor(Qt::green);
    QTest::newRow("closest side") << QList<Image>{{16, Qt::red, 32}, {48, Qt::blue, 32}, {128, Qt::green, 32}}
                                  << QColor(Qt::blue);
    QTest::newRow("deeper colour on a tie")
        << QList<Image>{{32, Qt::red, 8}, {32, Qt::green, 32}, {32, Qt::blue, 8}} << QColor(Qt::green);
    QTest::newRow("larger on an equal tie") << QList<Image>{{32, Qt::red, 32}, {48, Qt::blue, 32}} << QColor(Qt::blue);
    QTest::newRow("png images") << QList<Image>{{256, Qt::red, 0}, {40, Qt::blue, 0}} << QColor(Qt::blue);
    QTest::newRow("palette bitmap") << QList<Image>{{32, Qt::yellow, 8}} << QColor(Qt::yellow);
}

void TestIconImage::icoChoosesTheClosestImage()
{
    QFETCH(QList<Image>, images);
    QFETCH(QColor, shown);
    QString reason;
    const QImage picture = IconImage::DecodeIco(TestIcons::Ico(images), TileSide, reason);
    QVERIFY2(!picture.isNull(), qPrintable(reason));
    QCOMPARE(picture.size(), QSize(TileSide, TileSide));
    QCOMPARE(Middle(picture), shown);
}

void TestIconImage::executableShowsItsFirstGroup_data()
{
    QTest::addColumn<bool>("wide");
    QTest::newRow("PE32") << false;
    QTest::newRow("PE32+") << true;
}

void TestIconImage::executableShowsItsFirstGroup()
{
    QFETCH(bool, wide);
    const QByteArray exe = TestIcons::Executable(
        {TestIcons::Ico({Image{16, Qt::red, 32}, Image{32, Qt::green, 32}}), TestIcons::Ico({Image{32, Qt::blue, 32}})},
        wide);
    QByteArray ico;
    QString reason;
    MemoryBytes bytes(exe);
    QVERIFY2(PeIconReader::ReadFirstIconGroup(bytes, ico, reason), qPrintable(reason));
    QList<IconImage::IcoEntry> entries;
    QVERIFY2(IconImage::ReadIcoDirectory(ico, entries, reason), qPrintable(reason));
    QCOMPARE(entries.size(), 2);
    const QImage picture = IconImage::DecodeIconFile(exe, TileSide, reason);
    QVERIFY2(!picture.isNull(), qPrintable(reason));
    QCOMPARE(Middle(picture), QColor(Qt::green));
}

void TestIconImage::damagedFilesFailCleanly_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray exe = SmallExecutable();
    const QByteArray ico = TestIcons::Ico({Image{16, Qt::red, 32}});

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("only MZ") << QByteArray("MZ");
    QByteArray sixteenBit = exe;
    sixteenBit.replace(0x40, 4, QByteArray("NE\0\0", 4));
    QTest::newRow("16-bit program") << sixteenBit;
    QByteArray farHeader = exe;
    Put32(farHeader, 0x3C, 0xFFFFFFF0u);
    QTest::newRow("PE header past the end") << farHeader;
    QByteArray selfPointing = exe;
    Put32(selfPointing, RootGroupEntry + 4, 0x80000000u);
    QTest::newRow("directory pointing back at itself") << selfPointing;
    QByteArray manyEntries = exe;
    qToLittleEndian<quint16>(0xFFFF, manyEntries.data() + IconTypeDirectory + 12);
    qToLittleEndian<quint16>(0xFFFF, manyEntries.data() + IconTypeDirectory + 14);
    QTest::newRow("directory claiming 131070 entries") << manyEntries;
    QByteArray hugeResource = exe;
    Put32(hugeResource, FirstDataEntry + 4, 5 * 1024 * 1024);
    QTest::newRow("resource above 4 MiB") << hugeResource;
    QByteArray wrongAddress = exe;
    Put32(wrongAddress, FirstDataEntry, 0x7FFFFFF0u);
    QTest::newRow("resource outside every section") << wrongAddress;
    QTest::newRow("no icon resources") << TestIcons::Executable({});

    QByteArray noImages = ico.first(6);
    qToLittleEndian<quint16>(0, noImages.data() + 4);
    QTest::newRow("ico with no images") << noImages;
    QByteArray wrongOffset = ico;
    Put32(wrongOffset, 6 + 12, quint32(ico.size()));
    QTest::newRow("ico image offset past the end") << wrongOffset;
    QByteArray longImage = ico;
    Put32(longImage, 6 + 8, 0xFFFFFFFFu);
    QTest::newRow("ico image longer than the file") << longImage;
    QByteArray compressed = ico;
    Put32(compressed, 22 + 16, 1);
    QTest::newRow("compressed bitmap") << compressed;
    QByteArray wide = ico;
    Put32(wide, 22 + 4, 300);
    QTest::newRow("bitmap wider than 256") << wide;
    QTest::newRow("png above 256") << TestIcons::Ico({Image{300, Qt::red, 0}});
    QTest::newRow("truncated ico") << ico.first(ico.size() - 1);
}

void TestIconImage::damagedFilesFailCleanly()
{
    QFETCH(QByteArray, bytes);
    QString reason;
    QVERIFY(IconImage::DecodeIconFile(bytes, TileSide, reason).isNull());
    QVERIFY(!reason.isEmpty());
    QString failure;
    QVERIFY2(CheckIconBytes(bytes, failure), qPrintable(failure));
}

// Each shorter copy fails with a reason; each copy with one byte inverted holds the checks.
void TestIconImage::everyTruncationAndDamagedByte()
{
    const QByteArray exe = SmallExecutable();
    for (qsizetype at = 0; at < exe.size(); ++at) {
        QString reason;
        const QImage picture = IconImage::DecodeIconFile(exe.first(at), TileSide, reason);
        QVERIFY2(picture.isNull() && !reason.isEmpty(), qPrintable(QString::number(at)));
        QByteArray damaged = exe;
        damaged[at] = char(~damaged.at(at));
        QVERIFY2(CheckIconBytes(damaged, reason), qPrintable(QString::number(at) + QStringLiteral(": ") + reason));
    }
    QString reason;
    QVERIFY2(!IconImage::DecodeIconFile(exe, TileSide, reason).isNull(), qPrintable(reason));
}

// The shapes that once made one read take half a minute: each entry of a 65,535-entry group re-read
// a language directory of 131,070 entries and scanned 65,535 section headers. Read in one pass over
// the file, they finish long before the suite's time-out and show their icon.
void TestIconImage::slowShapesReadInOnePass_data()
{
    QTest::addColumn<int>("languageEntries");
    QTest::addColumn<int>("sections");
    QTest::newRow("huge language directory") << 131070 << 1;
    QTest::newRow("huge section table") << 1 << 65535;
    QTest::newRow("both") << 131070 << 65535;
}

void TestIconImage::slowShapesReadInOnePass()
{
    QFETCH(int, languageEntries);
    QFETCH(int, sections);
    const QByteArray exe = TestIcons::CraftedExecutable(65535, languageEntries, sections);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("crafted.exe"));
    QVERIFY(TestIcons::WriteFile(path, exe));
    PagedFile file(path);
    QString reason;
    QVERIFY2(file.Open(reason), qPrintable(reason));
    const QImage picture = IconImage::DecodeIconFile(file, TileSide, reason);
    QVERIFY2(!picture.isNull(), qPrintable(reason));
    QCOMPARE(Middle(picture), QColor(Qt::red));
    QVERIFY2(CheckIconBytes(exe, reason), qPrintable(reason));
}

// A program copied over while its icon is read (cp truncates first): the copy the reader holds
// misses what the file no longer has, and the reading fails with the cause, where a mapping of the
// file raised SIGBUS. The file is really cut, between the reader's first read and the rest.
void TestIconImage::fileShrinkingUnderTheReaderFails_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("shrinkTo");
    QTest::addColumn<bool>("headFirst");
    // Images far larger than a page, so that they are read after the headers.
    const QByteArray exe = TestIcons::Executable({TestIcons::Ico({Image{256, Qt::red, 32}})});
    const QByteArray ico = TestIcons::Ico({Image{256, Qt::blue, 32}});
    QTest::newRow("program emptied before any read") << exe << qint64(0) << false;
    QTest::newRow("program emptied after its headers") << exe << qint64(0) << true;
    QTest::newRow("program cut in its image") << exe << qint64(exe.size() / 2) << true;
    QTest::newRow("program short of its last byte") << exe << qint64(exe.size() - 1) << true;
    QTest::newRow("icon file emptied before any read") << ico << qint64(0) << false;
    QTest::newRow("icon file cut after its first page") << ico << PagedFile::PageBytes << true;
}

void TestIconImage::fileShrinkingUnderTheReaderFails()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, shrinkTo);
    QFETCH(bool, headFirst);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("program.exe"));
    QVERIFY(TestIcons::WriteFile(path, bytes));
    PagedFile file(path);
    QString reason;
    QVERIFY2(file.Open(reason), qPrintable(reason));
    if (headFirst) {
        QVERIFY(file.View(0, 2));
    }
    QVERIFY(QFile::resize(path, shrinkTo));
    QVERIFY(IconImage::DecodeIconFile(file, TileSide, reason).isNull());
    QVERIFY(!reason.isEmpty());
    QCOMPARE(file.ErrorString(), QStringLiteral("файл изменился во время чтения"));
}

void TestIconImage::greyCopyKeepsTransparency()
{
    QImage colour(3, 1, QImage::Format_ARGB32);
    colour.setPixel(0, 0, qRgba(255, 0, 0, 255));
    colour.setPixel(1, 0, qRgba(0, 255, 0, 127));
    colour.setPixel(2, 0, qRgba(0, 0, 255, 200));
    const QImage grey = IconImage::GreyCopy(colour);
    QCOMPARE(grey.pixel(0, 0), qRgba(qGray(255, 0, 0), qGray(255, 0, 0), qGray(255, 0, 0), 255));
    QCOMPARE(qAlpha(grey.pixel(1, 0)), 0);
    QCOMPARE(qAlpha(grey.pixel(2, 0)), 200);
    QCOMPARE(qRed(grey.pixel(2, 0)), qGray(0, 0, 255));
}

// Inputs the fuzz target found, or that once broke the reading, are replayed here.
void TestIconImage::corpusReplays()
{
    QString failure;
    QVERIFY2(ReplayCorpus(QStringLiteral(ICON_CORPUS_DIR), CheckIconBytes, failure), qPrintable(failure));
}

QTEST_MAIN(TestIconImage)
#include "tst_iconimage.moc"
