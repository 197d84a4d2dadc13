#include "desktops/peiconreader.h"

#include <QHash>
#include <QList>
#include <QtEndian>

#include <optional>

namespace
{
constexpr quint16 DosSignature = 0x5A4D; // "MZ"
constexpr qint64 DosHeaderSize = 0x40;
constexpr qint64 PeOffsetField = 0x3C;
constexpr quint32 PeSignature = 0x00004550; // "PE\0\0"
constexpr qint64 SignatureSize = 4;
constexpr qint64 CoffHeaderSize = 20;
constexpr qint64 SectionCountField = 2;
constexpr qint64 OptionalHeaderSizeField = 16;
constexpr quint16 Pe32Magic = 0x10B;
constexpr quint16 Pe32PlusMagic = 0x20B;
// Where the number of data directories stands in each optional header; the directories follow it.
constexpr qint64 Pe32DirectoryCountField = 92;
constexpr qint64 Pe32PlusDirectoryCountField = 108;
constexpr quint32 ResourceDirectory = 2;
constexpr qint64 DataDirectorySize = 8;
constexpr qint64 SectionHeaderSize = 40;
constexpr qint64 SectionVirtualSizeField = 8;
constexpr qint64 SectionAddressField = 12;
constexpr qint64 SectionRawSizeField = 16;
constexpr qint64 SectionRawOffsetField = 20;

constexpr quint32 IconType = 3;
constexpr quint32 GroupIconType = 14;
constexpr quint32 HighBit = 0x80000000u;
constexpr qint64 DirectoryHeaderSize = 16;
constexpr qint64 NamedCountField = 12;
constexpr qint64 IdCountField = 14;
constexpr qint64 DirectoryEntrySize = 8;
constexpr qint64 DataEntrySize = 16;

constexpr qint64 GroupHeaderSize = 6;
constexpr qint64 GroupEntrySize = 14;
constexpr qint64 GroupIdField = 12;
constexpr qint64 IcoEntrySize = 16;
// The part of a group entry that an ICO entry repeats: width, height, colours, reserved, planes,
// bit count.
constexpr qint64 SharedEntryBytes = 8;
constexpr quint16 IconResourceType = 1;

struct Section
{
    quint32 Address = 0;
    quint32 Extent = 0;
    quint32 RawOffset = 0;
};

struct DirectoryEntry
{
    quint32 Name = 0;
    quint32 Target = 0;

    bool IsNamed() const
    {
        return (Name & HighBit) != 0;
    }

    bool IsDirectory() const
    {
        return (Target & HighBit) != 0;
    }

    quint32 Offset() const
    {
        return Target & ~HighBit;
    }
};

// The executable's headers, sections and resource tree, every read checked against the file.
class PeImage
{
public:
    explicit PeImage(QByteArrayView Bytes)
        : m_bytes(Bytes)
    {
    }

    bool Open(QString &ErrString);
    bool FirstGroup(QByteArrayView &Group, QString &ErrString) const;
    bool IconImages(QHash<quint32, DirectoryEntry> &Icons, QString &ErrString) const;
    // The first language's data of a name entry of the resource tree.
    bool EntryData(const DirectoryEntry &NameEntry, QByteArrayView &Data, QString &ErrString) const;

private:
    bool Has(qint64 Offset, qint64 Length) const
    {
        return Offset >= 0 && Length >= 0 && Offset <= m_bytes.size() && Length <= m_bytes.size() - Offset;
    }

    quint16 U16(qint64 Offset) const
    {
        return qFromLittleEndian<quint16>(m_bytes.data() + Offset);
    }

    quint32 U32(qint64 Offset) const
    {
        return qFromLittleEndian<quint32>(m_bytes.data() + Offset);
    }

    // The file offset of Length bytes at the relative virtual address, when they lie inside one
    // section's bytes in the file.
    std::optional<qint64> Map(qint64 Address, qint64 Length) const;
    bool Directory(quint32 Offset, QList<DirectoryEntry> &Entries, QString &ErrString) const;
    std::optional<DirectoryEntry> TypeEntry(quint32 Type, QString &ErrString) const;

    QByteArrayView m_bytes;
    QList<Section> m_sections;
    quint32 m_resources = 0;
};

bool PeImage::Open(QString &ErrString)
{
    if (!Has(0, DosHeaderSize) || U16(0) != DosSignature) {
        ErrString = QStringLiteral("файл не является программой Windows");
        return false;
    }
    const qint64 pe = U32(PeOffsetField);
    const qint64 optional = pe + SignatureSize + CoffHeaderSize;
    if (!Has(pe, SignatureSize + CoffHeaderSize) || U32(pe) != PeSignature) {
        ErrString = QStringLiteral("программа без заголовка PE (16-разрядная или повреждённая)");
        return false;
    }
    const qint64 sectionCount = U16(pe + SignatureSize + SectionCountField);
    const qint64 optionalSize = U16(pe + SignatureSize + OptionalHeaderSizeField);
    if (!Has(optional, optionalSize) || optionalSize < 2) {
        ErrString = QStringLiteral("повреждён необязательный заголовок PE");
        return false;
    }
    const quint16 magic = U16(optional);
    qint64 countField = 0;
    if (magic == Pe32Magic) {
        countField = Pe32DirectoryCountField;
    } else if (magic == Pe32PlusMagic) {
        countField = Pe32PlusDirectoryCountField;
    } else {
        ErrString = QStringLiteral("неизвестный вид заголовка PE");
        return false;
    }
    const qint64 resourceEntry = countField + 4 + ResourceDirectory * DataDirectorySize;
    if (optionalSize < resourceEntry + DataDirectorySize || U32(optional + countField) <= ResourceDirectory) {
        ErrString = QStringLiteral("в программе нет ресурсов");
        return false;
    }
    m_resources = U32(optional + resourceEntry);
    const qint64 sections = optional + optionalSize;
    if (!Has(sections, sectionCount * SectionHeaderSize)) {
        ErrString = QStringLiteral("таблица секций выходит за конец файла");
        return false;
    }
    for (qint64 i = 0; i < sectionCount; ++i) {
        const qint64 header = sections + i * SectionHeaderSize;
        const quint32 virtualSize = U32(header + SectionVirtualSizeField);
        const quint32 rawSize = U32(header + SectionRawSizeField);
        // Bytes past the raw data are zeros of the loaded image, which the file does not hold.
        m_sections.append({U32(header + SectionAddressField),
                           virtualSize == 0 ? rawSize : qMin(virtualSize, rawSize),
                           U32(header + SectionRawOffsetField)});
    }
    if (m_resources == 0) {
        ErrString = QStringLiteral("в программе нет ресурсов");
        return false;
    }
    return true;
}

std::optional<qint64> PeImage::Map(qint64 Address, qint64 Length) const
{
    for (const Section &section : m_sections) {
        const qint64 into = Address - qint64(section.Address);
        if (into >= 0 && Length >= 0 && into <= qint64(section.Extent) && Length <= qint64(section.Extent) - into) {
            const qint64 offset = qint64(section.RawOffset) + into;
            if (Has(offset, Length)) {
                return offset;
            }
        }
    }
    return std::nullopt;
}

bool PeImage::Directory(quint32 Offset, QList<DirectoryEntry> &Entries, QString &ErrString) const
{
    Entries.clear();
    const qint64 address = qint64(m_resources) + Offset;
    const auto header = Map(address, DirectoryHeaderSize);
    if (!header) {
        ErrString = QStringLiteral("каталог ресурсов вне файла");
        return false;
    }
    const qint64 count = qint64(U16(*header + NamedCountField)) + U16(*header + IdCountField);
    const auto entries = Map(address + DirectoryHeaderSize, count * DirectoryEntrySize);
    if (!entries) {
        ErrString = QStringLiteral("записи каталога ресурсов вне файла");
        return false;
    }
    Entries.reserve(count);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 entry = *entries + i * DirectoryEntrySize;
        Entries.append({U32(entry), U32(entry + 4)});
    }
    return true;
}

std::optional<DirectoryEntry> PeImage::TypeEntry(quint32 Type, QString &ErrString) const
{
    QList<DirectoryEntry> types;
    if (!Directory(0, types, ErrString)) {
        return std::nullopt;
    }
    for (const DirectoryEntry &entry : std::as_const(types)) {
        if (!entry.IsNamed() && entry.Name == Type && entry.IsDirectory()) {
            return entry;
        }
    }
    ErrString = QStringLiteral("в программе нет иконок");
    return std::nullopt;
}

bool PeImage::EntryData(const DirectoryEntry &NameEntry, QByteArrayView &Data, QString &ErrString) const
{
    QList<DirectoryEntry> languages;
    if (!NameEntry.IsDirectory() || !Directory(NameEntry.Offset(), languages, ErrString)) {
        ErrString = ErrString.isEmpty() ? QStringLiteral("нарушена структура ресурсов") : ErrString;
        return false;
    }
    // Fixed depth: a language entry must hold data, so a tree that loops ends here.
    if (languages.isEmpty() || languages.constFirst().IsDirectory()) {
        ErrString = QStringLiteral("нарушена структура ресурсов");
        return false;
    }
    const auto entry = Map(qint64(m_resources) + languages.constFirst().Offset(), DataEntrySize);
    if (!entry) {
        ErrString = QStringLiteral("описание ресурса вне файла");
        return false;
    }
    const qint64 size = U32(*entry + 4);
    if (size == 0 || size > PeIconReader::MaxResourceBytes) {
        ErrString = QStringLiteral("недопустимый размер ресурса: ") + QString::number(size);
        return false;
    }
    const auto data = Map(U32(*entry), size);
    if (!data) {
        ErrString = QStringLiteral("данные ресурса вне файла");
        return false;
    }
    Data = m_bytes.sliced(*data, size);
    return true;
}

bool PeImage::FirstGroup(QByteArrayView &Group, QString &ErrString) const
{
    const auto type = TypeEntry(GroupIconType, ErrString);
    QList<DirectoryEntry> names;
    if (!type || !Directory(type->Offset(), names, ErrString)) {
        return false;
    }
    // Named entries come first, then identifiers ascending: the directory order is the icon order.
    if (names.isEmpty()) {
        ErrString = QStringLiteral("в программе нет иконок");
        return false;
    }
    return EntryData(names.constFirst(), Group, ErrString);
}

bool PeImage::IconImages(QHash<quint32, DirectoryEntry> &Icons, QString &ErrString) const
{
    const auto type = TypeEntry(IconType, ErrString);
    QList<DirectoryEntry> names;
    if (!type || !Directory(type->Offset(), names, ErrString)) {
        return false;
    }
    for (const DirectoryEntry &entry : std::as_const(names)) {
        if (!entry.IsNamed() && !Icons.contains(entry.Name)) {
            Icons.insert(entry.Name, entry);
        }
    }
    return true;
}

void AppendU16(QByteArray &Bytes, quint16 Value)
{
    char data[sizeof(Value)];
    qToLittleEndian(Value, data);
    Bytes.append(data, sizeof(data));
}

void AppendU32(QByteArray &Bytes, quint32 Value)
{
    char data[sizeof(Value)];
    qToLittleEndian(Value, data);
    Bytes.append(data, sizeof(data));
}
} // namespace

bool PeIconReader::ReadFirstIconGroup(QByteArrayView Exe, QByteArray &Ico, QString &ErrString)
{
    PeImage image(Exe);
    QByteArrayView group;
    QHash<quint32, DirectoryEntry> icons;
    if (!image.Open(ErrString) || !image.FirstGroup(group, ErrString) || !image.IconImages(icons, ErrString)) {
        return false;
    }
    if (group.size() < GroupHeaderSize || qFromLittleEndian<quint16>(group.data()) != 0
        || qFromLittleEndian<quint16>(group.data() + 2) != IconResourceType) {
        ErrString = QStringLiteral("повреждена группа иконок");
        return false;
    }
    const qint64 count = qFromLittleEndian<quint16>(group.data() + 4);
    if (count == 0 || group.size() < GroupHeaderSize + count * GroupEntrySize) {
        ErrString = QStringLiteral("повреждена группа иконок");
        return false;
    }
    QList<QByteArrayView> images;
    QList<QByteArrayView> entries;
    qint64 total = GroupHeaderSize;
    for (qint64 i = 0; i < count; ++i) {
        const QByteArrayView entry = group.sliced(GroupHeaderSize + i * GroupEntrySize, GroupEntrySize);
        const auto found = icons.constFind(qFromLittleEndian<quint16>(entry.data() + GroupIdField));
        QByteArrayView data;
        QString missing;
        // An image the group names but the file lacks is left out; the others still make an icon.
        if (found == icons.constEnd() || !image.EntryData(*found, data, missing)) {
            continue;
        }
        total += IcoEntrySize + data.size();
        if (total > PeIconReader::MaxIcoBytes) {
            ErrString = QStringLiteral("группа иконок слишком велика");
            return false;
        }
        entries.append(entry);
        images.append(data);
    }
    if (images.isEmpty()) {
        ErrString = QStringLiteral("в группе нет ни одной иконки");
        return false;
    }
    Ico.clear();
    Ico.reserve(total);
    AppendU16(Ico, 0);
    AppendU16(Ico, IconResourceType);
    AppendU16(Ico, quint16(images.size()));
    qint64 offset = GroupHeaderSize + images.size() * IcoEntrySize;
    for (qsizetype i = 0; i < images.size(); ++i) {
        Ico.append(entries.at(i).first(SharedEntryBytes));
        AppendU32(Ico, quint32(images.at(i).size()));
        AppendU32(Ico, quint32(offset));
        offset += images.at(i).size();
    }
    for (const QByteArrayView &data : std::as_const(images)) {
        Ico.append(data);
    }
    return true;
}
