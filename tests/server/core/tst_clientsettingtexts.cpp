#include "core/clientmessages.h"
#include "core/clientsettingtexts.h"
#include "core/settingsstore.h"
#include "core/widgets/desktopscombo.h"
#include "coredatabase.h"

#include <QComboBox>
#include <QTest>

class TestClientSettingTexts : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void removeSeparators();
    void autorunList();
    void noticeInPieces();
    void shorterNoticeEndsEarlier();
    void emptyNotice();
    void blanksAtPieceBoundariesSurvive();
    void desktopsWithAll();
    void desktopsWithoutAll();
    void selectionSurvivesARefill();
    void deletedDesktopLeavesNothingSelected();

private:
    QStringList StoredPieces() const;
    QStringList ComboTexts(const QComboBox &Combo) const;

    std::unique_ptr<CoreDatabase> m_db;
};

void TestClientSettingTexts::init()
{
    m_db = std::make_unique<CoreDatabase>();
    QString err;
    QVERIFY2(m_db->Start(err), qPrintable(err));
}

void TestClientSettingTexts::cleanup()
{
    m_db.reset();
}

QStringList TestClientSettingTexts::StoredPieces() const
{
    QStringList pieces;
    const auto records = m_db->All(QStringLiteral("Config"));
    for (const auto &record : *records) {
        pieces.append(TextValue(*record, QStringLiteral("FieldName")) + QLatin1Char('=')
                      + QString::number(TextValue(*record, QStringLiteral("FieldValue")).size()));
    }
    return pieces;
}

QStringList TestClientSettingTexts::ComboTexts(const QComboBox &Combo) const
{
    QStringList texts;
    for (int i = 0; i < Combo.count(); ++i) {
        texts.append(Combo.itemText(i) + QLatin1Char('/') + QString::number(Combo.itemData(i).toInt()));
    }
    return texts;
}

void TestClientSettingTexts::removeSeparators()
{
    QCOMPARE(RemoveSeparators(QStringLiteral("|C:\\a|b||.exe|")), QStringLiteral("C:\\ab.exe"));
    QCOMPARE(RemoveSeparators(QStringLiteral("без разделителей")), QStringLiteral("без разделителей"));
}

void TestClientSettingTexts::autorunList()
{
    QCOMPARE(GetAutorunListString(), QStringLiteral(" 0|"));
    for (const QString &name : {QStringLiteral("a.exe"), QStringLiteral("b.exe"), QStringLiteral("c.exe")}) {
        m_db->Add(QStringLiteral("AutorunList"), {{QStringLiteral("ProgramName"), name}});
    }
    QCOMPARE(GetAutorunListString(), QStringLiteral(" 3|a.exe|b.exe|c.exe|"));
}

void TestClientSettingTexts::noticeInPieces()
{
    QString text;
    for (int i = 0; i < 500; ++i) {
        text += QChar(u'а' + i % 32);
    }
    SetClientsInfoString(text);
    QCOMPARE(StoredPieces(),
             (QStringList{QStringLiteral("ClientsInfo1=240"),
                          QStringLiteral("ClientsInfo2=240"),
                          QStringLiteral("ClientsInfo3=20"),
                          QStringLiteral("ClientsInfo4=0")}));
    QCOMPARE(GetClientsInfoString(), text);
}

void TestClientSettingTexts::shorterNoticeEndsEarlier()
{
    SetClientsInfoString(QString(500, QLatin1Char('x')));
    SetClientsInfoString(QString(100, QLatin1Char('y')));
    QCOMPARE(GetClientsInfoString(), QString(100, QLatin1Char('y')));
    QCOMPARE(GetConfigValue(QStringLiteral("ClientsInfo2")), QString());
}

void TestClientSettingTexts::emptyNotice()
{
    SetClientsInfoString(QString());
    QCOMPARE(StoredPieces(), QStringList{QStringLiteral("ClientsInfo1=0")});
    QCOMPARE(GetClientsInfoString(), QString());
}

void TestClientSettingTexts::blanksAtPieceBoundariesSurvive()
{
    const QString text = QString(240, QLatin1Char('a')) + QStringLiteral(" b ") + QString(237, QLatin1Char('c'))
                         + QStringLiteral("  d\r\nконец");
    // Once inserted, once updated: both ways of storing a piece keep the text.
    SetClientsInfoString(QString(700, QLatin1Char('z')));
    SetClientsInfoString(text);
    QCOMPARE(GetClientsInfoString(), text);
    SetClientsInfoString(text);
    QCOMPARE(GetClientsInfoString(), text);
}

void TestClientSettingTexts::desktopsWithAll()
{
    const qint32 games = m_db->AddDesktop(QStringLiteral("Игры"));
    const qint32 office = m_db->AddDesktop(QStringLiteral("Офис"));
    QComboBox combo;
    FillDesktopsCombo(&combo, true);
    QCOMPARE(ComboTexts(combo),
             (QStringList{QStringLiteral("Все/0"),
                          QStringLiteral("Игры/%1").arg(games),
                          QStringLiteral("Офис/%1").arg(office)}));
    QCOMPARE(combo.currentIndex(), 0);
}

void TestClientSettingTexts::desktopsWithoutAll()
{
    m_db->AddDesktop(QStringLiteral("Игры"));
    QComboBox combo;
    FillDesktopsCombo(&combo, false);
    QCOMPARE(combo.count(), 1);
    QCOMPARE(combo.currentIndex(), -1);
}

void TestClientSettingTexts::selectionSurvivesARefill()
{
    m_db->AddDesktop(QStringLiteral("Игры"));
    const qint32 office = m_db->AddDesktop(QStringLiteral("Офис"));
    QComboBox combo;
    FillDesktopsCombo(&combo, false);
    combo.setCurrentIndex(1);
    m_db->AddDesktop(QStringLiteral("Бухгалтерия"));
    FillDesktopsCombo(&combo, false);
    QCOMPARE(combo.count(), 3);
    QCOMPARE(combo.currentData().toInt(), office);
}

void TestClientSettingTexts::deletedDesktopLeavesNothingSelected()
{
    m_db->AddDesktop(QStringLiteral("Игры"));
    const qint32 office = m_db->AddDesktop(QStringLiteral("Офис"));
    QComboBox combo;
    FillDesktopsCombo(&combo, true);
    combo.setCurrentIndex(2);
    QString err;
    QVERIFY(m_db->Table(QStringLiteral("Desktops"))->Remove(office, false, err));
    FillDesktopsCombo(&combo, true);
    QCOMPARE(combo.count(), 2);
    QCOMPARE(combo.currentIndex(), -1);
}

QTEST_MAIN(TestClientSettingTexts)
#include "tst_clientsettingtexts.moc"
