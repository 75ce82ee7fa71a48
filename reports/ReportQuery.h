#pragma once

#include "Dataset.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

namespace tarnwick::report {

// "yyyy-mm-dd hh:nn" of a date picker and a time picker; seconds are never part of it.
QString RangeText(const QDate &date, const QTime &time);

// The first and the last instant of the month of the given day.
QDateTime startOfMonth(const QDate &day);
QDateTime endOfMonth(const QDate &day);

// The fields of qryRepTW in the order of the query's columns; LogActNameMix is calculated.
QList<FieldDef> reportFields();

// The activity text of one report row: the logical activity for card reads, the built-in name of
// the controller event for events (empty when the code has no name, or is not two hexadecimal
// digits: one malformed row must not fail the whole report).
QString LogActNameMix(const QVariant &nonId, const QVariant &regType, const QVariant &nonIdCode,
                      const QVariant &logActName);

} // namespace tarnwick::report
