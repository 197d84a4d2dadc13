// The icon reading of the shortcut tiles on the worst files it may meet: the icon fuzz target's
// corpus and crafted files of up to 4.6 MB whose counts once made a read quadratic (a 65,535-entry
// icon group over a 131,070-entry language directory, over 65,535 section headers). Each file is
// read from disk as the program reads it, against a plain read of the same file into memory with
// one pass over its bytes. Target: under 50 ms for a file of 4 MiB.
#include "desktops/iconimage.h"
#include "desktops/pagedfile.h"
#include "testicons.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <limits>
#include <numeric>

namespace
{
// Rounds of each side, the best of each kept: other work on the machine slows one round.
constexpr int Rounds = 9;
constexpr int TileSide = 40;
constexpr qsizetype MiB = 1024 * 1024;
constexpr double TargetMs = 50;
constexpr int NsPerMs = 1000000;

QTextStream &Out()
{
    static QTextStream out(stdout);
    return out;
}

struct Input
{
    QString Name;
    QByteArray Bytes;
};

QList<Input> Inputs()
{
    QList<Input> inputs;
    const QDir corpus(QStringLiteral(ICON_CORPUS_DIR));
    for (const QString &name : corpus.entryList(QDir::Files)) {
        QFile file(corpus.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            qFatal("%s: %s", qPrintable(name), qPrintable(file.errorString()));
        }
        inputs.append({QStringLiteral("corpus ") + name, file.readAll()});
    }
    inputs.append({QStringLiteral("group × language directory"), TestIcons::CraftedExecutable(65535, 131070, 1)});
    inputs.append({QStringLiteral("group × section table"), TestIcons::CraftedExecutable(65535, 1, 65535)});
    inputs.append({QStringLiteral("group × both"), TestIcons::CraftedExecutable(65535, 131070, 65535)});
    inputs.append({QStringLiteral("group of 65535 distinct icons"), TestIcons::CraftedExecutable(65535, 1, 1, 65535)});
    QByteArray noise(4 * MiB, Qt::Uninitialized);
    QRandomGenerator random(23);
    random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / qsizetype(sizeof(quint32)));
    inputs.append({QStringLiteral("4 MiB of noise"), noise});
    inputs.append({QStringLiteral("4 MiB of noise behind MZ"), noise.replace(0, 2, "MZ")});
    return inputs;
}

// The program's reading of the file's icon, in milliseconds.
double DecodeMs(const QString &Path)
{
    QElapsedTimer timer;
    timer.start();
    PagedFile file(Path);
    QString reason;
    if (file.Open(reason)) {
        IconImage::DecodeIconFile(file, TileSide, reason);
    }
    return double(timer.nsecsElapsed()) / NsPerMs;
}

// The same file read whole into memory and passed over once.
double BaselineMs(const QString &Path, quint64 &Sum)
{
    QElapsedTimer timer;
    timer.start();
    QFile file(Path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        Sum += std::accumulate(bytes.cbegin(), bytes.cend(), quint64(0), [](quint64 Total, char Byte) {
            return Total + quint8(Byte);
        });
    }
    return double(timer.nsecsElapsed()) / NsPerMs;
}
} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    QTemporaryDir folder;
    const QList<Input> inputs = Inputs();
    quint64 sum = 0;
    double worstMs = 0;
    double worstRatio = 0;
    QString worst;
    Out() << "icon reading (best of " << Rounds << " rounds; baseline: the file read into memory, one pass)"
          << Qt::endl;
    for (const Input &input : inputs) {
        const QString path = folder.filePath(QStringLiteral("input"));
        if (!TestIcons::WriteFile(path, input.Bytes)) {
            qFatal("cannot write %s", qPrintable(path));
        }
        double decodeMs = std::numeric_limits<double>::max();
        double baselineMs = std::numeric_limits<double>::max();
        for (int round = 0; round < Rounds; ++round) {
            decodeMs = qMin(decodeMs, DecodeMs(path));
            baselineMs = qMin(baselineMs, BaselineMs(path, sum));
        }
        const double ratio = decodeMs / baselineMs;
        Out() << "  " << input.Name.leftJustified(34) << QString::number(input.Bytes.size()).rightJustified(9)
              << " bytes " << QString::number(decodeMs, 'f', 3).rightJustified(8) << " ms, baseline "
              << QString::number(baselineMs, 'f', 3).rightJustified(7) << " ms, ratio "
              << QString::number(ratio, 'f', 1) << Qt::endl;
        if (decodeMs > worstMs) {
            worstMs = decodeMs;
            worst = input.Name;
        }
        worstRatio = qMax(worstRatio, ratio);
    }
    Out() << "  worst decode " << QString::number(worstMs, 'f', 3) << " ms (" << worst << "), target under " << TargetMs
          << " ms; worst ratio " << QString::number(worstRatio, 'f', 1) << " (checksum " << sum % 256 << ")"
          << Qt::endl;
    return 0;
}
