#pragma once

#include "EventClass.h"

#include <QStringList>

namespace tarnwick {

// The names of the controllers' non-identification events: 50 REG1 names for the codes 128..177
// (index code - 128), then 48 REG2 names for the codes 128..175 (index 50 + code - 128). They are
// the controllers' own Serbian names and stay so whatever the interface language.
inline constexpr int nonIdEventNameCount = 98;
inline constexpr int reg1EventNameCount = 50;

// Filled at the first call, which start-up makes before the interface language is set; it never
// changes afterwards and is safe to read from any thread.
const QStringList &NonIDEventNames();

// The name of a code of a message format; empty when the code has none (outside the ranges above,
// or another format).
QString nonIdEventName(MessageFormat format, int code);

} // namespace tarnwick
