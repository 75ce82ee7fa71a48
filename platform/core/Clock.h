#pragma once

#include <QDateTime>

namespace tarnwick {

// The local time as the program sees it; tests can fix it.
class Clock
{
public:
    static QDateTime now();
    static void setFixed(const QDateTime &when); // an invalid value returns to the real clock
};

} // namespace tarnwick
