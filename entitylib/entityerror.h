#pragma once

#include <QString>

#include <stdexcept>

namespace Rollstrake
{
// The one error the library raises: reading a computed field value that cannot be worked out.
class EntityError : public std::runtime_error
{
public:
    EntityError(qint32 number, const QString &source, const QString &description)
        : std::runtime_error(description.toStdString())
        , m_number(number)
        , m_source(source)
        , m_description(description)
    {
    }

    qint32 Number() const
    {
        return m_number;
    }

    const QString &Source() const
    {
        return m_source;
    }

    const QString &Description() const
    {
        return m_description;
    }

private:
    qint32 m_number;
    QString m_source;
    QString m_description;
};
} // namespace Rollstrake
