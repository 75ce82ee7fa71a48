#include "Clock.h"

#include <QMutex>

namespace tarnwick {

namespace {
QMutex clockMutex;
QDateTime fixedNow;
} // namespace

QDateTime Clock::now()
{
    QMutexLocker lock(&clockMutex);
    return fixedNow.isValid() ? fixedNow : QDateTime::currentDateTime();
}

void Clock::setFixed(const QDateTime &when)
{
    QMutexLocker lock(&clockMutex);
    fixedNow = when;
}

} // namespace tarnwick
