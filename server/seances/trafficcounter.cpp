#include "seances/trafficcounter.h"

#include "leadingnumber.h"

void TrafficCounter::Reset(qint32 SeanceCode)
{
    *this = TrafficCounter();
    m_seanceCode = SeanceCode;
}

void TrafficCounter::SetCounters(Currency Downloaded, Currency Uploaded)
{
    m_downloaded = Downloaded;
    m_uploaded = Uploaded;
}

void TrafficCounter::SetLimits(Currency DownloadLimit, Currency UploadLimit)
{
    m_downloadLimit = DownloadLimit;
    m_uploadLimit = UploadLimit;
}

bool TrafficCounter::Counts() const
{
    return m_internet && m_seanceCode != 0;
}

bool TrafficCounter::DownloadExhausted() const
{
    return m_downloadLimit != Currency() && m_downloaded >= m_downloadLimit;
}

bool TrafficCounter::UploadExhausted() const
{
    return m_uploadLimit != Currency() && m_uploaded >= m_uploadLimit;
}

bool TrafficCounter::IsAllowed(bool Online) const
{
    return m_internet && m_seanceCode > 0 && Online && !DownloadExhausted() && !UploadExhausted();
}

bool TrafficCounter::Increase(qint32 Download, qint32 Upload, bool Online)
{
    if (!Counts()) {
        return false;
    }
    m_downloaded += Currency(Download);
    m_uploaded += Currency(Upload);
    return IsAllowed(Online);
}

qint64 TrafficCounter::LimitFactor(qint64 SeanceMinutes)
{
    const qint64 scaled = SeanceMinutes * 1024;
    qint64 quotient = scaled / 60;
    qint64 remainder = scaled % 60;
    if (remainder < 0) {
        remainder += 60;
        --quotient;
    }
    if (remainder * 2 > 60 || (remainder * 2 == 60 && quotient % 2 != 0)) {
        ++quotient;
    }
    return quotient;
}

Currency TrafficCounter::SeanceLimit(qint64 SeanceMinutes, const QString &HourSetting)
{
    const Currency factor = Currency::FromUnits(LimitFactor(SeanceMinutes) * Currency::Scale);
    return factor * Currency::FromDouble(LeadingNumber(HourSetting));
}
