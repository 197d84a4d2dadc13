#include "core/frmabout.h"
#include "core/frmlogo.h"
#include "core/programinfo.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>

// Receives the links that the program asks the desktop to open.
class MailCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> Urls;

public slots:

    void Open(const QUrl &Url)
    {
        Urls.append(Url);
    }
};

class TestAboutLogo : public QObject
{
    Q_OBJECT

private slots:
    void aboutShowsTheProgram();
    void authorLabelOpensTheSupportMail();
    void okClosesTheBox();
    void logoIsExactlyItsButton();
};

void TestAboutLogo::aboutShowsTheProgram()
{
    frmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    QCOMPARE(about.findChild<QLabel *>(QStringLiteral("lblVersion"))->text(),
             QStringLiteral("Версия ") + QStringLiteral(QUILLMARSH_VERSION));
    QCOMPARE(about.findChild<QLabel *>(QStringLiteral("lblTitle"))->text(), QStringLiteral("Quillmarsh"));
    QCOMPARE(about.findChild<QLabel *>(QStringLiteral("lblDescription"))->text(),
             QStringLiteral("Сервер автоматизированной системы учета машинного времени и контроля"));
    QVERIFY(QStringLiteral(QUILLMARSH_VERSION).count(QLatin1Char('.')) == 2);
}

void TestAboutLogo::authorLabelOpensTheSupportMail()
{
    MailCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("mailto"), &catcher, "Open");
    frmAbout about;
    about.show();
    QTest::mouseClick(about.findChild<QLabel *>(QStringLiteral("lbAuthor")), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("mailto"));
    QCOMPARE(catcher.Urls.size(), 1);
    const QUrl url = catcher.Urls.first();
    QCOMPARE(url.scheme(), QStringLiteral("mailto"));
    QCOMPARE(url.path(), QStringLiteral("support@quillmarsh.example"));
    QCOMPARE(QUrlQuery(url).queryItemValue(QStringLiteral("subject")), QStringLiteral("Quillmarsh"));
}

void TestAboutLogo::okClosesTheBox()
{
    frmAbout about;
    about.show();
    QTest::mouseClick(about.findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

void TestAboutLogo::logoIsExactlyItsButton()
{
    auto *logo = new frmLogo;
    logo->show();
    const auto *button = logo->findChild<QPushButton *>(QStringLiteral("Button"));
    QCOMPARE(logo->size(), button->size());
    logo->resize(button->width() + 50, button->height() + 20);
    QCOMPARE(logo->size(), button->size());
    QCOMPARE(logo->findChild<QLabel *>(QStringLiteral("lblVersion"))->text(), VersionText());
    QPointer<frmLogo> watch(logo);
    logo->close();
    QTRY_VERIFY(watch.isNull());
}

QTEST_MAIN(TestAboutLogo)
#include "tst_aboutlogo.moc"
