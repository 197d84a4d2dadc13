#include "controls/password.h"
#include "core/programinfo.h"
#include "core/window/frmabout.h"
#include "core/window/frmcfgpassword.h"
#include "core/window/frmlogo.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
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
    void passwordPromptClosedGivesNothing_data();
    void passwordPromptClosedGivesNothing();
    void passwordPromptAppliedGivesTheDigest();
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

void TestAboutLogo::passwordPromptClosedGivesNothing_data()
{
    QTest::addColumn<bool>("byButton");
    QTest::newRow("Закрыть") << true;
    QTest::newRow("close box") << false;
}

void TestAboutLogo::passwordPromptClosedGivesNothing()
{
    QFETCH(bool, byButton);
    QTimer::singleShot(0, this, [byButton] {
        auto *prompt = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(prompt);
        QCOMPARE(prompt->windowTitle(), QStringLiteral("Ограниченный доступ!"));
        QTest::keyClicks(prompt->findChild<Password *>()->TextBox(), QStringLiteral("secret"));
        if (byButton) {
            QTest::mouseClick(prompt->findChild<QPushButton *>(QStringLiteral("Close")), Qt::LeftButton);
        } else {
            prompt->close();
        }
    });
    QCOMPARE(frmCfgPassword::Start(nullptr), QString());
}

void TestAboutLogo::passwordPromptAppliedGivesTheDigest()
{
    QTimer::singleShot(0, this, [] {
        QWidget *prompt = QApplication::activeModalWidget();
        QVERIFY(prompt);
        QTest::keyClicks(prompt->findChild<Password *>()->TextBox(), QStringLiteral("secret"));
        QTest::mouseClick(prompt->findChild<QPushButton *>(QStringLiteral("Apply")), Qt::LeftButton);
    });
    const QString digest =
        QString::fromLatin1(QCryptographicHash::hash(QByteArrayLiteral("secret"), QCryptographicHash::Md5).toHex());
    QCOMPARE(frmCfgPassword::Start(nullptr).toLower(), digest);
}

QTEST_MAIN(TestAboutLogo)
#include "tst_aboutlogo.moc"
