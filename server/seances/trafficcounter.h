#pragma once

#include "currency.h"

#include <QString>

// The internet traffic of a tile's current seance: whether its desktop allows the internet, the
// bytes downloaded and uploaded so far and the seance's limits (0 means no limit).
class TrafficCounter final
{
public:
    // Forgets the seance: no seance, no internet, counters and limits 0.
    void Reset(qint32 SeanceCode = 0);

    qint32 SeanceCode() const
    {
        return m_seanceCode;
    }

    bool Internet() const
    {
        return m_internet;
    }

    void SetInternet(bool Internet)
    {
        m_internet = Internet;
    }

    void SetCounters(Currency Downloaded, Currency Uploaded);
    void SetLimits(Currency DownloadLimit, Currency UploadLimit);

    Currency Downloaded() const
    {
        return m_downloaded;
    }

    Currency Uploaded() const
    {
        return m_uploaded;
    }

    Currency DownloadLimit() const
    {
        return m_downloadLimit;
    }

    Currency UploadLimit() const
    {
        return m_uploadLimit;
    }

    // A seance whose desktop allows the internet: only such seances are counted and saved.
    bool Counts() const;
    bool DownloadExhausted() const;
    bool UploadExhausted() const;
    bool IsAllowed(bool Online) const;
    // Adds one chunk when the seance counts; the chunk that reaches a limit is still counted.
    // Returns whether the seance may go on.
    bool Increase(qint32 Download, qint32 Upload, bool Online);

    // The hour factor of a seance: its minutes ÷ 60 × 1024, a half rounded to the even neighbour.
    static qint64 LimitFactor(qint64 SeanceMinutes);
    // The bytes a seance of that length may move under an hourly setting in kilobytes
    // ("HourDownloadLimit", "HourUploadLimit"); a setting of 0 or without a number gives 0.
    static Currency SeanceLimit(qint64 SeanceMinutes, const QString &HourSetting);

private:
    qint32 m_seanceCode = 0;
    bool m_internet = false;
    Currency m_downloaded;
    Currency m_uploaded;
    Currency m_downloadLimit;
    Currency m_uploadLimit;
};
