#include "logger.h"

#include "clock.h"
#include "textdates.h"
#include "textfiles.h"

#include <QFileInfo>

Logger::~Logger()
{
    if (!m_fileName.isEmpty()) {
        Log(QStringLiteral("Выход\r\n"), KindInformation);
    }
}

bool Logger::Init(const QString &FileName)
{
    QString error;
    if (!QFileInfo::exists(FileName) && !WriteTextFile(FileName, QString(), error)) {
        m_fileName.clear();
        return false;
    }
    m_fileName = FileName;
    Log(QStringLiteral("Запуск"), KindInformation);
    return true;
}

void Logger::Log(const QString &Text, qint32 Kind)
{
    if (m_fileName.isEmpty()) {
        return;
    }
    // One try and no pause: a log line is not worth a wait. The lock that another process holds is
    // only advice, so the line is then appended without it.
    std::unique_ptr<QFile> file;
    QString error;
    bool backup = false;
    const qint16 opened = OpenFileForWrite(m_fileName, file, error, true, backup);
    if (opened == FileBusy) {
        file = std::make_unique<QFile>(m_fileName);
        if (!file->open(QIODevice::WriteOnly | QIODevice::Append)) {
            return;
        }
    } else if (opened != FileOpened) {
        return;
    }
    const QString line = DateToString(Clock::Now(), true, QStringLiteral("/")) + QLatin1Char(' ')
                         + QLatin1Char(Kind == KindError ? '!' : 'i') + QLatin1Char(' ') + Text
                         + QStringLiteral("\r\n");
    file->write(line.toUtf8());
}

QString Logger::FileName() const
{
    return m_fileName;
}

void Logger::SetFileName(const QString &FileName)
{
    m_fileName = FileName;
}
