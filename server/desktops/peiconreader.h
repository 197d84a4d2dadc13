#pragma once

#include <QByteArray>
#include <QString>

class FileBytes;

// The first icon of a Windows executable, read from the file's bytes without trusting any of them.
// Program files on a server are whatever the club copied there, damaged ones included: every
// offset and size is checked against the file before it is used, the resource tree is walked to
// its fixed depth only (type, name, language), so a directory that points back at itself ends the
// walk, and resources above MaxResourceBytes are refused. The time a read takes grows with the
// file's size only, never with the product of counts it claims. Widget-free.
namespace PeIconReader
{
// The largest single resource (an icon image or an icon group) that is read.
constexpr qsizetype MaxResourceBytes = 4 * 1024 * 1024;
// The largest icon file rebuilt from a group.
constexpr qsizetype MaxIcoBytes = 4 * MaxResourceBytes;

// The executable's first icon group (type 14: the first entry in directory order, its first
// language) rebuilt with its icon images (type 3) as the bytes of an ICO file, whose images then
// load like those of any icon file. False with the reason in ErrString: not a PE32 or PE32+ file,
// no icon resources (16-bit programs, .com and .bat files have none), or a damaged file.
bool ReadFirstIconGroup(FileBytes &Exe, QByteArray &Ico, QString &ErrString);
} // namespace PeIconReader
