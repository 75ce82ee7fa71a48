#include "Trace.h"

#include <QMutex>

Q_LOGGING_CATEGORY(lcTrace, "tarnwick.trace", QtInfoMsg)

namespace tarnwick {

namespace {
QMutex listenerMutex;
std::function<void(const QString &)> traceListener;
} // namespace

void trace(const QString &line)
{
    qCInfo(lcTrace).noquote() << line;
    QMutexLocker lock(&listenerMutex);
    if (traceListener)
        traceListener(line);
}

void setTraceListener(std::function<void(const QString &)> listener)
{
    QMutexLocker lock(&listenerMutex);
    traceListener = std::move(listener);
}

} // namespace tarnwick
