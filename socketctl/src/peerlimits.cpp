#include "peerlimits.h"

#include "socketstates.h"

namespace Pelloxan
{
AdmissionFigures PeerLimits::Figures()
{
    // Half the slot numbers at most, so that the server's own dialogs always find one.
    return {.ClubPerAddress = ClubPerAddress,
            .OtherPerAddress = OtherPerAddress,
            .MaxShare = SocketStates::MaxCode / 2};
}

AdmissionTexts PeerLimits::Texts()
{
    return {
        .AddressReached = QStringLiteral("Порт {port}: с адреса {address} открыто предельное число соединений "
                                         "({number}), новые соединения с него закрываются"),
        .OthersReached = QStringLiteral("Порт {port}: адреса не из списка компьютеров клуба открыли предельное число "
                                        "соединений ({number}), новые соединения с них закрываются"),
        .OthersLeft =
            QStringLiteral("Порт {port}: соединения с адресов не из списка компьютеров клуба снова принимаются"),
        .ShareReached = QStringLiteral(
            "Порт {port}: открыто предельное число входящих соединений ({number}), новые соединения закрываются"),
        .ShareLeft = QStringLiteral("Порт {port}: входящих соединений снова меньше предела"),
        .DescriptorsReached =
            QStringLiteral("Порт {port}: исчерпан предел открытых файлов процесса, новые соединения закрываются"),
        .DescriptorsLeft =
            QStringLiteral("Порт {port}: открытых файлов снова меньше предела процесса, соединения принимаются"),
        .NoPeerAddress = QStringLiteral("Порт {port}: входящее соединение закрыто, адрес собеседника не прочитан"),
        .LimitUnread = QStringLiteral("Предел открытых файлов не прочитан: {reason}"),
        .SpareUnavailable = QStringLiteral("Порт {port}: {reason}"),
        .Reopened =
            QStringLiteral("Порт {port}: прослушиватель открыт заново после ошибки приёма соединений: {reason}"),
        .NotReopened = QStringLiteral(
            "Ошибка перезапуска прослушивателя на порту {port}: {error} (ошибка приёма соединений: {reason})"),
        .AcceptErrorTrace = {},
        .ClosedWaitingTrace = {},
    };
}
} // namespace Pelloxan
