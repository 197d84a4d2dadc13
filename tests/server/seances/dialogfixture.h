#pragma once

#include "clock.h"
#include "controls/barcode.h"
#include "controls/numeric.h"
#include "core/compbuttons.h"
#include "core/dbvalues.h"
#include "core/payments.h"
#include "core/settingsstore.h"
#include "core/widgets/guihelpers.h"
#include "core/widgets/messagebox.h"
#include "coredatabase.h"
#include "seances/dialogsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <functional>
#include <tuple>
#include <type_traits>

// The base of the seance dialogs' suites: each test on a new club database on the engine under test
// with computers 1 to 10, the desktops "Стандарт" and "Игровой", the day rate "Дневной" of 30 per hour
// and card payment off; the clock fixed at a moment with seconds; the modal dialogs driven from their
// event loops.
class DialogFixture : public QObject
{
    Q_OBJECT

public:
    using PayRows = QList<QPair<qint32, qint32>>;

    static inline const QDateTime Now = DateValue::Make(2026, 3, 5, 14, 20, 17);

    // A moment of March 2026; the night of the 5th runs from 23:00 to 08:00 (the default settings).
    static QDateTime At(int Day, int Hour, int Minute, int Second = 0)
    {
        return DateValue::Make(2026, 3, Day, Hour, Minute, Second);
    }

    static constexpr qint32 Computers = 10;
    static constexpr qint64 Minute = 60;

protected slots:

    void init()
    {
        m_db = std::make_unique<CoreDatabase>();
        QString err;
        QVERIFY2(m_db->StartAsProgram(err), qPrintable(err));
        Clock::SetNow(Now);
        MessageBox::TakeRecords();
        for (qint32 num = 1; num <= Computers; ++num) {
            m_db->AddComputer(num);
        }
        GetComputerCode(0, true);
        Standard = m_db->AddDesktop(QStringLiteral("Стандарт"));
        Games = m_db->AddDesktop(QStringLiteral("Игровой"));
        DayRate = m_db->AddRate(QStringLiteral("Дневной"), 0, 30);
        SetConfigValue(QStringLiteral("CardPayEnabled"), QStringLiteral("0"));
    }

    void cleanup()
    {
        Clock::SetNow(QDateTime());
        MessageBox::TakeRecords();
        m_db.reset();
    }

public:
    CoreDatabase &Db() const
    {
        return *m_db;
    }

    static qint32 Code(qint32 Num)
    {
        return GetComputerCode(Num, false);
    }

    static QList<qint32> AllComputers()
    {
        QList<qint32> nums;
        for (qint32 num = 1; num <= Computers; ++num) {
            nums.append(num);
        }
        return nums;
    }

    // The entries of the computers Nums, those in Selected selected.
    static std::shared_ptr<CompButtons> Entries(const QList<qint32> &Nums, const QList<qint32> &Selected)
    {
        auto buttons = std::make_shared<CompButtons>();
        for (qint32 num : Nums) {
            buttons->Add(num, true, Selected.contains(num));
        }
        return buttons;
    }

    // A seance on computer Num from Begin for Minutes on "Стандарт", paid Paid in cash (when not 0).
    qint32 AddSeance(qint32 Num, qint32 Rate, const QDateTime &Begin, qint32 Minutes, qint32 Paid) const
    {
        const qint32 seance = m_db->AddSeance(Code(Num), Standard, Rate, Begin, Begin.addSecs(Minutes * Minute));
        QString err;
        if (Paid != 0 && !PaySeance(seance, 0, Begin, 0, Paid, err)) {
            qWarning("%s", qPrintable(err));
        }
        return seance;
    }

    // A card "4600017" whose balance is Balance: a top-up of yesterday, or a payment from it.
    qint32 AddCard(qint32 Balance) const
    {
        const qint32 card = m_db->Add(QStringLiteral("Cards"),
                                      {{QStringLiteral("Barcode"), QStringLiteral("4600017")},
                                       {QStringLiteral("OwnerNickname"), QStringLiteral("Гость")},
                                       {QStringLiteral("OwnerLastName"), QStringLiteral("Петров")},
                                       {QStringLiteral("OwnerFirstName"), QStringLiteral("Иван")},
                                       {QStringLiteral("Comment"), QStringLiteral("Постоянный")}});
        const QDateTime yesterday = Now.addDays(-1);
        QString err;
        const qint32 old = Balance < 0 ? m_db->AddSeance(Code(Computers), Standard, DayRate, yesterday, yesterday) : 0;
        const bool paid = Balance > 0 ? AddCardPay(card, yesterday, Balance, err)
                                      : Balance == 0 || AddSeancePay(old, 0, yesterday, card, -Balance, err);
        if (!paid) {
            qWarning("%s", qPrintable(err));
        }
        return card;
    }

    // The seance's payments in the order written: card code and sum.
    PayRows Pays(qint32 Seance) const
    {
        return PaysBy(QStringLiteral("Seance"), Seance);
    }

    // The payments booked against the night reserve, in the order written.
    PayRows ReservePays(qint32 Reserve) const
    {
        return PaysBy(QStringLiteral("NightReserve"), Reserve);
    }

    QList<std::shared_ptr<Rollstrake::DBRecord>> ReservesOf(qint32 Num) const
    {
        return Records(QStringLiteral("NightReserves"), QStringLiteral("Computer"), Code(Num));
    }

    QList<std::shared_ptr<Rollstrake::DBRecord>> SeancesOf(qint32 Num) const
    {
        return Records(QStringLiteral("Seances"), QStringLiteral("Computer"), Code(Num));
    }

    qint32 SeanceValue(qint32 Seance, const QString &Field) const
    {
        const auto record = m_db->Record(QStringLiteral("Seances"), Seance);
        return record ? IntValue(*record, Field) : -1;
    }

    QDateTime SeanceEnd(qint32 Seance) const
    {
        const auto record = m_db->Record(QStringLiteral("Seances"), Seance);
        return record ? DateValueOf(*record, QStringLiteral("EndDate")) : QDateTime();
    }

    // What a seance was written with: desktop, rate, begin, end and minutes.
    static std::tuple<qint32, qint32, QDateTime, QDateTime, qint32> Written(const Rollstrake::DBRecord &Seance)
    {
        return {IntValue(Seance, QStringLiteral("Desktop")),
                IntValue(Seance, QStringLiteral("Rate")),
                DateValueOf(Seance, QStringLiteral("BeginDate")),
                DateValueOf(Seance, QStringLiteral("EndDate")),
                IntValue(Seance, QStringLiteral("Duration"))};
    }

    void SetRatePrice(qint32 Rate, double PriceForHour, qint32 PrepaySum = 0) const
    {
        const auto rate = m_db->Record(QStringLiteral("Rates"), Rate);
        SetFieldValue(*rate, QStringLiteral("PriceForHour"), QVariant::fromValue(Currency::FromDouble(PriceForHour)));
        SetFieldValue(*rate, QStringLiteral("PrepaySum"), PrepaySum);
        QString err;
        QVERIFY2(rate->Update(err), qPrintable(err));
    }

    // The computer's history lines, oldest first.
    QStringList History(qint32 Num) const
    {
        QStringList lines;
        for (const auto &line : Records(QStringLiteral("History"), QStringLiteral("ComputerNum"), Num)) {
            lines.append(TextValue(*line, QStringLiteral("Description")));
        }
        return lines;
    }

    qint32 Count(const QString &Table) const
    {
        const auto records = m_db->All(Table);
        return records ? static_cast<qint32>(records->Count()) : -1;
    }

    // Runs Steps in the modal loop of the dialog that is open then (Dialog, or the newest modal one,
    // which the dialog under test opened) and closes it if Steps left it open, so that its Start
    // comes back even after a failed check.
    template <typename T>
    static void WhenShown(T *Dialog, std::type_identity_t<std::function<void(T *)>> Steps)
    {
        QObject *context = Dialog != nullptr ? static_cast<QObject *>(Dialog) : qApp;
        QTimer::singleShot(0, context, [Dialog, Steps] {
            const QPointer<T> dialog = Dialog ? Dialog : qobject_cast<T *>(QApplication::activeModalWidget());
            if (!dialog || !QTest::qWaitForWindowActive(dialog)) {
                QFAIL("the dialog is not shown");
            }
            Steps(dialog);
            if (dialog && dialog->isVisible()) {
                dialog->reject();
            }
        });
    }

    template <typename T = QWidget>
    static T *Child(QWidget *Parent, const QString &Name)
    {
        T *child = Parent->findChild<T *>(Name);
        if (child == nullptr) {
            qFatal("no child %s", qPrintable(Name));
        }
        return child;
    }

    // The whole roubles that the sum input shows.
    static qint32 Sum(QWidget *Dialog, const QString &Input)
    {
        return SeanceDialogs::WholeValue(Child<Numeric>(Dialog, Input));
    }

    static QString Label(QWidget *Dialog, const QString &Name)
    {
        return Child<QLabel>(Dialog, Name)->text();
    }

    static void Click(QWidget *Dialog, const QString &Button)
    {
        Child<QAbstractButton>(Dialog, Button)->click();
    }

    static void ChooseDesktop(QWidget *Dialog, qint32 Desktop)
    {
        auto *desktops = Child<QComboBox>(Dialog, QStringLiteral("DesktopsList"));
        desktops->setCurrentIndex(FindListIndexByData(desktops, Desktop));
    }

    // Types into the barcode box of the payment dialog or the card picker, then Enter when asked.
    static void TypeBarcode(QWidget *Parent, const QString &Text, bool Enter = true)
    {
        QLineEdit *box = Child<Barcode>(Parent, QStringLiteral("tBarcode"))->TextBox();
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, Text);
        if (Enter) {
            QTest::keyClick(box, Qt::Key_Return);
        }
    }

    // Clicks Edit at the caret place Position, as the mouse would, then types Keys into Receiver: digits
    // as themselves, ':' with Shift as a keyboard sends it, U and D the arrows up and down.
    static void ClickAndType(QLineEdit *Edit, QWidget *Receiver, int Position, const QString &Keys)
    {
        Edit->setCursorPosition(Position);
        QTest::mouseClick(Edit, Qt::LeftButton, {}, Edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().center());
        for (const QChar key : Keys) {
            if (key == QLatin1Char('U') || key == QLatin1Char('D')) {
                QTest::keyClick(Receiver, key == QLatin1Char('U') ? Qt::Key_Up : Qt::Key_Down);
            } else if (key == QLatin1Char(':')) {
                QTest::keyClick(Receiver, Qt::Key_Colon, Qt::ShiftModifier);
            } else {
                QTest::keyClicks(Receiver, QString(key));
            }
        }
    }

    // The texts of the boxes asked for since the last call.
    static QStringList Boxes()
    {
        QStringList texts;
        for (const MessageBox::Record &box : MessageBox::TakeRecords()) {
            texts.append(box.Text);
        }
        return texts;
    }

    // Answers the next boxes with OK.
    static void AnswerBoxes(int Count = 1)
    {
        for (int i = 0; i < Count; ++i) {
            MessageBox::PrepareAnswer(QMessageBox::Ok);
        }
    }

    // Clicks Apply where it is refused: one box, and the dialog stays open.
    static void ApplyRefused(QWidget *Dialog)
    {
        AnswerBoxes();
        Click(Dialog, QStringLiteral("Apply"));
        QCOMPARE(Boxes().size(), 1);
        QVERIFY(Dialog->isVisible());
    }

    qint32 Standard = 0;
    qint32 Games = 0;
    qint32 DayRate = 0;
    // The computers that the dialog under test handed back as written.
    QList<qint32> WrittenBack;

private:
    PayRows PaysBy(const QString &Field, qint32 Code) const
    {
        PayRows rows;
        for (const auto &record : Records(QStringLiteral("SeancePays"), Field, Code)) {
            rows.append({IntValue(*record, QStringLiteral("Card")), IntValue(*record, QStringLiteral("Sum"))});
        }
        return rows;
    }

    QList<std::shared_ptr<Rollstrake::DBRecord>> Records(const QString &Table, const QString &Field, qint32 Value) const
    {
        QString err;
        const auto records = m_db->Table(Table)->GetRecordsByFieldValue(Field, Value, err);
        QList<std::shared_ptr<Rollstrake::DBRecord>> list;
        if (!records) {
            qWarning("%s", qPrintable(err));
        } else {
            for (const auto &record : *records) {
                list.append(record);
            }
        }
        return list;
    }

    std::unique_ptr<CoreDatabase> m_db;
};
