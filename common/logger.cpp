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
    // Created without a line end, so that the start line is the file's first.
    QString error;
    if (!QFileInfo::exists(FileName) && !CreateEmptyFile(FileName, error)) {
        m_fileName.clear();
        m_lastError = QStringLiteral("Ошибка создания файла лога '") + FileName + QStringLiteral("': ") + error;
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
            m_lastError = QStringLiteral("Ошибка открытия файла '") + m_fileName + QStringLiteral("' на запись: ")
                          + file->errorString();
            return;
        }
    } else if (opened != FileOpened) {
        m_lastError = error;
        return;
    }
    const QString line = DateToString(Clock::Now(), true, QStringLiteral("/")) + QLatin1Char(' ')
                         + QLatin1Char(Kind == KindError ? '!' : 'i') + QLatin1Char(' ') + Text
                         + QStringLiteral("\r\n");
    const QByteArray bytes = line.toUtf8();
    if (file->write(bytes) != bytes.size() || !file->flush()) {
        m_lastError =
            QStringLiteral("Ошибка записи в файл '") + m_fileName + QStringLiteral("': ") + file->errorString();
        return;
    }
    m_lastError.clear();
}

QString Logger::FileName() const
{
    return m_fileName;
}

void Logger::SetFileName(const QString &FileName)
{
    m_fileName = FileName;
}

const QString &Logger::LastError() const
{
    return m_lastError;
}
