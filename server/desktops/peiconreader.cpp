#include "desktops/peiconreader.h"

#include "desktops/filebytes.h"

#include <QHash>
#include <QList>
#include <QtEndian>

#include <algorithm>
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

    qint64 End() const
    {
        return qint64(Address) + Extent;
    }
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

quint16 U16(QByteArrayView Bytes, qint64 Offset)
{
    return qFromLittleEndian<quint16>(Bytes.data() + Offset);
}

quint32 U32(QByteArrayView Bytes, qint64 Offset)
{
    return qFromLittleEndian<quint32>(Bytes.data() + Offset);
}

// The executable's headers, sections and resource tree, every read checked against the file. The
// section table is indexed once and each lookup in the tree reads only the entries it uses, so a
// read costs time linear in the file's size whatever the counts in it claim.
class PeImage
{
public:
    explicit PeImage(FileBytes &File)
        : m_file(File)
    {
    }

    bool Open(QString &ErrString);
    bool FirstGroup(QByteArrayView &Group, QString &ErrString) const;
    bool IconImages(QHash<quint32, DirectoryEntry> &Icons, QString &ErrString) const;
    // The first language's data of a name entry of the resource tree.
    bool EntryData(const DirectoryEntry &NameEntry, QByteArrayView &Data, QString &ErrString) const;

private:
    void IndexSections(QByteArrayView Table);
    // Length bytes at the relative virtual address, when they lie inside one section's bytes in
    // the file.
    std::optional<QByteArrayView> At(qint64 Address, qint64 Length) const;
    bool Directory(quint32 Offset, QList<DirectoryEntry> &Entries, QString &ErrString) const;
    // The first entry of a directory; WhenEmpty is the reason when it has none.
    std::optional<DirectoryEntry> FirstEntry(quint32 Offset, const QString &WhenEmpty, QString &ErrString) const;
    std::optional<DirectoryEntry> TypeEntry(quint32 Type, QString &ErrString) const;

    FileBytes &m_file;
    // By address; m_farthest[i] is the section of the first i + 1 that reaches farthest.
    QList<Section> m_sections;
    QList<qsizetype> m_farthest;
    quint32 m_resources = 0;
};

bool PeImage::Open(QString &ErrString)
{
    const auto dos = m_file.View(0, DosHeaderSize);
    if (!dos || U16(*dos, 0) != DosSignature) {
        ErrString = QStringLiteral("файл не является программой Windows");
        return false;
    }
    const qint64 pe = U32(*dos, PeOffsetField);
    const auto coff = m_file.View(pe, SignatureSize + CoffHeaderSize);
    if (!coff || U32(*coff, 0) != PeSignature) {
        ErrString = QStringLiteral("программа без заголовка PE (16-разрядная или повреждённая)");
        return false;
    }
    const qint64 sectionCount = U16(*coff, SignatureSize + SectionCountField);
    const qint64 optionalSize = U16(*coff, SignatureSize + OptionalHeaderSizeField);
    const qint64 optionalAt = pe + SignatureSize + CoffHeaderSize;
    const auto optional = optionalSize < 2 ? std::nullopt : m_file.View(optionalAt, optionalSize);
    if (!optional) {
        ErrString = QStringLiteral("повреждён необязательный заголовок PE");
        return false;
    }
    const quint16 magic = U16(*optional, 0);
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
    if (optionalSize < resourceEntry + DataDirectorySize || U32(*optional, countField) <= ResourceDirectory) {
        ErrString = QStringLiteral("в программе нет ресурсов");
        return false;
    }
    m_resources = U32(*optional, resourceEntry);
    const auto table = m_file.View(optionalAt + optionalSize, sectionCount * SectionHeaderSize);
    if (!table) {
        ErrString = QStringLiteral("таблица секций выходит за конец файла");
        return false;
    }
    IndexSections(*table);
    if (m_resources == 0) {
        ErrString = QStringLiteral("в программе нет ресурсов");
        return false;
    }
    return true;
}

void PeImage::IndexSections(QByteArrayView Table)
{
    const qint64 count = Table.size() / SectionHeaderSize;
    m_sections.reserve(count);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 header = i * SectionHeaderSize;
        const quint32 virtualSize = U32(Table, header + SectionVirtualSizeField);
        const quint32 rawSize = U32(Table, header + SectionRawSizeField);
        const quint32 rawOffset = U32(Table, header + SectionRawOffsetField);
        // Bytes past the raw data are zeros of the loaded image, which the file does not hold; nor
        // are bytes past the file's end the section's.
        const qint64 held = qMax(qint64(0), m_file.Size() - rawOffset);
        const qint64 extent = qMin<qint64>(virtualSize == 0 ? rawSize : qMin(virtualSize, rawSize), held);
        m_sections.append({U32(Table, header + SectionAddressField), quint32(extent), rawOffset});
    }
    std::stable_sort(m_sections.begin(), m_sections.end(), [](const Section &Left, const Section &Right) {
        return Left.Address < Right.Address;
    });
    m_farthest.reserve(count);
    for (qsizetype i = 0; i < m_sections.size(); ++i) {
        const bool farther = i == 0 || m_sections.at(i).End() > m_sections.at(m_farthest.constLast()).End();
        m_farthest.append(farther ? i : m_farthest.constLast());
    }
}

std::optional<QByteArrayView> PeImage::At(qint64 Address, qint64 Length) const
{
    // Of the sections starting at or below the address, the one reaching farthest holds the bytes
    // if any does.
    const auto after =
        std::upper_bound(m_sections.cbegin(), m_sections.cend(), Address, [](qint64 Value, const Section &Candidate) {
            return Value < Candidate.Address;
        });
    if (after == m_sections.cbegin() || Length < 0) {
        return std::nullopt;
    }
    const Section &section = m_sections.at(m_farthest.at(after - m_sections.cbegin() - 1));
    const qint64 into = Address - qint64(section.Address);
    if (Length > qint64(section.Extent) - into) {
        return std::nullopt;
    }
    return m_file.View(qint64(section.RawOffset) + into, Length);
}

bool PeImage::Directory(quint32 Offset, QList<DirectoryEntry> &Entries, QString &ErrString) const
{
    Entries.clear();
    const qint64 address = qint64(m_resources) + Offset;
    const auto header = At(address, DirectoryHeaderSize);
    if (!header) {
        ErrString = QStringLiteral("каталог ресурсов вне файла");
        return false;
    }
    const qint64 count = qint64(U16(*header, NamedCountField)) + U16(*header, IdCountField);
    const auto entries = At(address + DirectoryHeaderSize, count * DirectoryEntrySize);
    if (!entries) {
        ErrString = QStringLiteral("записи каталога ресурсов вне файла");
        return false;
    }
    Entries.reserve(count);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 entry = i * DirectoryEntrySize;
        Entries.append({U32(*entries, entry), U32(*entries, entry + 4)});
    }
    return true;
}

std::optional<DirectoryEntry> PeImage::FirstEntry(quint32 Offset, const QString &WhenEmpty, QString &ErrString) const
{
    const qint64 address = qint64(m_resources) + Offset;
    const auto header = At(address, DirectoryHeaderSize);
    if (!header) {
        ErrString = QStringLiteral("каталог ресурсов вне файла");
        return std::nullopt;
    }
    if (U16(*header, NamedCountField) == 0 && U16(*header, IdCountField) == 0) {
        ErrString = WhenEmpty;
        return std::nullopt;
    }
    const auto entry = At(address + DirectoryHeaderSize, DirectoryEntrySize);
    if (!entry) {
        ErrString = QStringLiteral("записи каталога ресурсов вне файла");
        return std::nullopt;
    }
    return DirectoryEntry{U32(*entry, 0), U32(*entry, 4)};
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
    if (!NameEntry.IsDirectory()) {
        ErrString = QStringLiteral("нарушена структура ресурсов");
        return false;
    }
    const auto language = FirstEntry(NameEntry.Offset(), QStringLiteral("нарушена структура ресурсов"), ErrString);
    if (!language) {
        return false;
    }
    // Fixed depth: a language entry must hold data, so a tree that loops ends here.
    if (language->IsDirectory()) {
        ErrString = QStringLiteral("нарушена структура ресурсов");
        return false;
    }
    const auto entry = At(qint64(m_resources) + language->Offset(), DataEntrySize);
    if (!entry) {
        ErrString = QStringLiteral("описание ресурса вне файла");
        return false;
    }
    const qint64 size = U32(*entry, 4);
    if (size == 0 || size > PeIconReader::MaxResourceBytes) {
        ErrString = QStringLiteral("недопустимый размер ресурса: ") + QString::number(size);
        return false;
    }
    const auto data = At(U32(*entry, 0), size);
    if (!data) {
        ErrString = QStringLiteral("данные ресурса вне файла");
        return false;
    }
    Data = *data;
    return true;
}

bool PeImage::FirstGroup(QByteArrayView &Group, QString &ErrString) const
{
    // Named entries come first, then identifiers ascending: the directory order is the icon order.
    const auto type = TypeEntry(GroupIconType, ErrString);
    const auto first =
        type ? FirstEntry(type->Offset(), QStringLiteral("в программе нет иконок"), ErrString) : std::nullopt;
    if (!first) {
        return false;
    }
    return EntryData(*first, Group, ErrString);
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

bool PeIconReader::ReadFirstIconGroup(FileBytes &Exe, QByteArray &Ico, QString &ErrString)
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
