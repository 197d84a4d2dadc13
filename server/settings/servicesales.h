#pragma once

#include <QString>

// Stores one service sale made now: Amount units of the service type with the operator's comment,
// in one transaction; false with the reason. Widget-free.
bool AddServiceSale(qint32 ServiceType, qint32 Amount, const QString &Comment, QString &ErrString);
