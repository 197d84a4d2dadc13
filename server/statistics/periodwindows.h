#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// Cuts a period into consecutive windows of whole seconds, both ends included, so that a report
// reads a long period slice by slice and the window keeps answering in between. The windows grow
// while their reads are quick and shrink while they are slow, so that each read takes about
// TargetMs whatever the density of the data.
class PeriodWindows final
{
public:
    // The time a read of one window should take.
    static constexpr qint64 TargetMs = 30;
    static constexpr qint64 FirstSeconds = 24 * 3600;
    static constexpr qint64 MinSeconds = 60;
    static constexpr qint64 MaxSeconds = 366LL * 24 * 3600;

    PeriodWindows(const QDateTime &From, const QDateTime &To);

    // Every window of the period was handed out.
    bool AtEnd() const;
    // The next window: From to To, both included.
    void Next(QDateTime &From, QDateTime &To);
    // Sizes the next window by the time the read of the last one took.
    void Measured(qint64 ElapsedMs);
    // Hands the next window to Read and sizes the one after by the time it took; false with the
    // reason Read gave.
    using WindowReader = std::function<bool(const QDateTime &From, const QDateTime &To, QString &ErrString)>;
    bool ReadNext(const WindowReader &Read, QString &ErrString);
    // The share of the period handed out, 0 to 1.
    double Progress() const;

private:
    QDateTime m_from;
    QDateTime m_to;
    QDateTime m_next;
    qint64 m_seconds = FirstSeconds;
};
