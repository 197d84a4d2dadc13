#pragma once

#include <QString>

class QTreeView;
class QWidget;

// The layout of the user interface kept between runs: form sizes and window states, list-view
// column widths and order, and single named values such as splitter positions. Kept as text
// values in the user's settings store of the company (organization) and product (application)
// names, under the key paths Software\<company>\<product>\...; sizes are in twips.
// Nothing here reports a failure: what cannot be read reads as "".
namespace RegistrySerilize
{
// Writes Value as value Key of the key Software\<AppName>\<Section>; Section may hold "\".
void SaveRegistryValue(const QString &AppName, const QString &Section, const QString &Key, const QString &Value);
// The value without a trailing NUL and surrounding blanks; "" when missing.
QString GetRegistryValue(const QString &AppName, const QString &Section, const QString &Key);
// Deletes the key with all values and subkeys under it.
void DeleteRegistryKeyTree(const QString &AppName, const QString &Section);

// An empty Name stands for the form's own object name.
void SaveFormLayout(QWidget *Form, const QString &Name, bool SavePos, bool SaveWhenMinimized);
void LoadFormLayout(QWidget *Form, const QString &Name, bool LoadPos);
// True when a layout of the form was saved (its window state at least).
bool HasFormLayout(const QWidget *Form, const QString &Name);

// An empty Name stands for the list's object name (or that of the control holding an unnamed list).
void SaveListViewLayout(QTreeView *ListView, const QString &Name);
void LoadListViewLayout(QTreeView *ListView, const QString &Name);

// A value directly under Software\<company>\<product>.
void SaveContainerValue(const QString &Key, const QString &Value);
QString GetContainerValue(const QString &Key);

// The organization name, "Unknown company" when it is empty.
QString GetCompanyName();
// The application name, the display name when it is empty.
QString GetProductName();
// <product>\Controls\<Name>
QString GetControlKey(const QString &Name);
} // namespace RegistrySerilize
