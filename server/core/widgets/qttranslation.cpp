#include "core/widgets/qttranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

bool InstallQtTranslation(QString &ErrString)
{
    // Once per application: a program started again in the same process keeps the first one.
    static QPointer<QTranslator> installed;
    if (installed) {
        return true;
    }
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    // Parented to the application: the texts are looked up for as long as it runs.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia),
                          QStringLiteral("qtbase"),
                          QStringLiteral("_"),
                          folder)) {
        delete translator;
        ErrString = QStringLiteral("Не найден перевод Qt \"qtbase_ru\" в %1").arg(folder);
        return false;
    }
    if (!QCoreApplication::installTranslator(translator)) {
        delete translator;
        ErrString = QStringLiteral("Не удалось подключить перевод Qt \"qtbase_ru\"");
        return false;
    }
    installed = translator;
    return true;
}
