#pragma once

#include <QLoggingCategory>
#include <QString>
#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcTrace)

namespace tarnwick {

// One diagnostic line to the trace channel (category "tarnwick.trace"). Never shown to the operator.
void trace(const QString &line);

// Tests listen to the trace lines; pass an empty function to stop.
void setTraceListener(std::function<void(const QString &)> listener);

} // namespace tarnwick
