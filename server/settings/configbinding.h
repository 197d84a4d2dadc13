#pragma once

#include <QString>

#include <functional>
#include <vector>

class Duration;
class IPAddress;
class Numeric;
class QCheckBox;
class Time;

// The inputs of a page that show settings of the store: each one is loaded from, and stored under,
// the setting named by its key, in the order in which the page bound them.
class ConfigBinding
{
public:
    // An input whose value is its text (password, executable path).
    template <typename Input>
    void Bind(const QString &Key, Input *Control)
    {
        Add(
            Key,
            [Control] { return Control->Value(); },
            [Control](const QString &Text) { Control->SetValue(Text); });
    }

    // An address input shows an absent address as 0.0.0.0, as it would store it.
    void Bind(const QString &Key, IPAddress *Control);
    // The number is read from the text's leading number and brought within the input's limits.
    void Bind(const QString &Key, Numeric *Control);
    // A check box is stored as "1" (checked) or "0"; any stored number above 0 checks it.
    void Bind(const QString &Key, QCheckBox *Control);
    // A time of day is stored on the zero date, "30/12/1899 HH:MM:SS", the form of the defaults.
    void Bind(const QString &Key, Time *Control);
    // A duration is stored as its whole minutes.
    void Bind(const QString &Key, Duration *Control);

    // Every input from its setting (an absent one gives the empty text); no input raises its change
    // event.
    void Load() const;
    // Every input's value as text, passed through Clean when one is given, under its key.
    void Save(const std::function<QString(const QString &)> &Clean = {}) const;
    // The value of the input bound to Key, stored at once.
    void Save(const QString &Key) const;

private:
    struct Entry
    {
        QString Key;
        std::function<QString()> Get;
        std::function<void(const QString &)> Set;
    };

    void Add(const QString &Key, std::function<QString()> Get, std::function<void(const QString &)> Set);

    std::vector<Entry> m_entries;
};
