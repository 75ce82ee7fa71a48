#pragma once

#include "EventClass.h"

#include <QVariant>

namespace tarnwick {

// The colour classes of list rows. They deliberately differ from the sound-and-alert class for
// REG1 codes 166..177: the colour marks 166..173 as direct commands (including the four random
// events 166..169) and leaves 174..177 plain, while the sound and the alert follow
// soundAlertClass(). The two views also differ from each other: the live list colours alarms of
// every format except REG1, the report only those of REG2 rows, and the report reads the code
// from hexadecimal text and the person from a null EmpID.
//
// Both are called for every painted cell, so they allocate nothing and never throw: a value that
// cannot be read leaves the row uncoloured (None).

// Live list row (adsRegs). regType: 0 REG1, 1 REG2, -1 another format; nonId: the row is a
// controller event; nonIdCode: its code; empIdEmpty: the lookup found no person.
EventClass liveRowColourClass(bool nonId, int regType, int nonIdCode, bool empIdEmpty) noexcept;
// The same from the row's stored values: NonID (boolean, empty for another format), RegType
// (integer), NonIDCode (integer), EmpID (text; empty or null both mean no person).
EventClass liveRowColourClass(const QVariant &nonId, const QVariant &regType,
                              const QVariant &nonIdCode, const QVariant &empId) noexcept;

// Report row (qryRepTW) from its raw values: NonID (1 for a controller event), RegType (1 for
// REG2), NonIDCode (text of hexadecimal digits, upper or lower case) and EmpID (null when the
// card matched no medium).
EventClass reportRowColourClass(const QVariant &nonId, const QVariant &regType,
                                const QVariant &nonIdCode, const QVariant &empId) noexcept;

} // namespace tarnwick
