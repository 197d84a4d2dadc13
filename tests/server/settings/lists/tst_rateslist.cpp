#include "controls/inputhelpers.h"
#include "coredatabase.h"
#include "rendercheck.h"
#include "settings/lists/rateslist.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTest>

class TestRatesList : public QObject
{
    Q_OBJECT

private slots:

    void init()
    {
        m_db = std::make_unique<CoreDatabase>();
        QString err;
        QVERIFY2(m_db->StartAsProgram(err), qPrintable(err));
    }

    void cleanup()
    {
        m_db.reset();
    }

    void fillListsTheRatesOfTheMode_data()
    {
        QTest::addColumn<bool>("withRates");
        QTest::addColumn<qint32>("mode");
        QTest::addColumn<QString>("firstItem");
        QTest::addColumn<QStringList>("texts");
        const QString day = QStringLiteral("Дневной");
        const QString night = QStringLiteral("Ночной");
        const QString evening = QStringLiteral("Вечерний");
        QTest::newRow("no rates") << false << 0 << QString() << QStringList();
        QTest::newRow("no rates, first entry") << false << 0 << QStringLiteral(" ") << QStringList{QStringLiteral(" ")};
        QTest::newRow("day rates") << true << 0 << QString() << QStringList{day, evening};
        QTest::newRow("night rates") << true << 1 << QString() << QStringList{night};
        QTest::newRow("all rates") << true << 2 << QStringLiteral("Все")
                                   << QStringList{QStringLiteral("Все"), day, night, evening};
    }

    void fillListsTheRatesOfTheMode()
    {
        QFETCH(bool, withRates);
        QFETCH(qint32, mode);
        QFETCH(QString, firstItem);
        QFETCH(QStringList, texts);
        if (withRates) {
            m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
            m_db->AddRate(QStringLiteral("Ночной"), 1, 300);
            m_db->AddRate(QStringLiteral("Вечерний"), 0, 40);
        }
        RatesList list;
        QSignalSpy click(&list, &RatesList::Click);
        // True with one Click when anything is listed; the first entry is chosen.
        QCOMPARE(list.FillRatesList(0, mode, firstItem), !texts.isEmpty());
        QCOMPARE(click.count(), texts.isEmpty() ? 0 : 1);
        QStringList listed;
        for (int i = 0; i < list.ComboBox()->count(); ++i) {
            listed.append(list.ComboBox()->itemText(i));
        }
        QCOMPARE(listed, texts);
        QCOMPARE(list.ComboBox()->currentIndex(), texts.isEmpty() ? -1 : 0);
        QCOMPARE(list.Value() == 0, texts.isEmpty() || !firstItem.isEmpty());
    }

    void refillAndValueKeepTheRateChosen()
    {
        const qint32 day = m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
        const qint32 evening = m_db->AddRate(QStringLiteral("Вечерний"), 0, 40);
        const qint32 night = m_db->AddRate(QStringLiteral("Ночной"), 1, 300);
        RatesList list;
        QVERIFY(list.FillRatesList(evening));
        QVERIFY(list.FillRatesList());
        QCOMPARE(list.Value(), evening);
        // A rate of the other kind is not listed: the first entry is chosen.
        QVERIFY(list.FillRatesList(night));
        QCOMPARE(list.Value(), day);
        // Values set from code raise nothing; an unknown one chooses nothing.
        QSignalSpy click(&list, &RatesList::Click);
        list.SetValue(evening);
        QCOMPARE(list.Value(), evening);
        list.SetValue(4242);
        QCOMPARE(list.ComboBox()->currentIndex(), -1);
        QCOMPARE(list.Value(), 0);
        QCOMPARE(click.count(), 0);
        // The rate chosen is gone at the refill: the first entry.
        list.SetValue(evening);
        QString err;
        QVERIFY2(m_db->Table(QStringLiteral("Rates"))->Remove(evening, false, err), qPrintable(err));
        QVERIFY(list.FillRatesList(0, RatesList::DayRates, QStringLiteral(" ")));
        QCOMPARE(list.ComboBox()->currentIndex(), 0);
        QCOMPARE(list.Value(), 0);
    }

    void operatorsPickRaisesOneClick()
    {
        m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
        const qint32 evening = m_db->AddRate(QStringLiteral("Вечерний"), 0, 40);
        QWidget form;
        auto *list = new RatesList(&form);
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QVERIFY(list->FillRatesList());
        QSignalSpy click(list, &RatesList::Click);
        QList<qint16> keys;
        connect(list, &RatesList::KeyDown, this, [&keys](qint16 &KeyCode, qint16 &) { keys.append(KeyCode); });
        list->ComboBox()->setFocus();
        QTest::keyClick(list->ComboBox(), Qt::Key_Down);
        QTest::keyClick(list->ComboBox(), Qt::Key_Return);
        QCOMPARE(click.count(), 1);
        QCOMPARE(list->Value(), evening);
        QCOMPARE(keys, (QList<qint16>{InputHelpers::vkDown, InputHelpers::vkReturn}));
        list->resize(200, list->sizeHint().height());
        QVERIFY(RenderControl(list, QStringLiteral("rateslist")));
        list->SetEnabled(false);
        QVERIFY(!list->Enabled() && !list->ComboBox()->isEnabled());
    }

private:
    std::unique_ptr<CoreDatabase> m_db;
};

QTEST_MAIN(TestRatesList)
#include "tst_rateslist.moc"
