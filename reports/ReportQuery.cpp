#include "ReportQuery.h"

#include "NonIDEventNames.h"

namespace tarnwick::report {

QString RangeText(const QDate &date, const QTime &time)
{
    return date.toString(QStringLiteral("yyyy-MM-dd")) + u' ' + time.toString(QStringLiteral("HH:mm"));
}

QDateTime startOfMonth(const QDate &day) { return QDateTime(QDate(day.year(), day.month(), 1), QTime(0, 0)); }

QDateTime endOfMonth(const QDate &day)
{
    const QDate first(day.year(), day.month(), 1);
    return QDateTime(first.addMonths(1).addDays(-1), QTime(23, 59, 59, 999));
}

QList<FieldDef> reportFields()
{
    using T = FieldType;
    return {
        {QStringLiteral("MediaID"), T::Text, 16, true},
        {QStringLiteral("TerminalskoVremeRegistracije"), T::DateTime},
        {QStringLiteral("EventID"), T::Integer},
        {QStringLiteral("EventName"), T::Text, 20, true},
        {QStringLiteral("TermID"), T::Integer},
        {QStringLiteral("TermName"), T::Text, 30},
        {QStringLiteral("DoorID"), T::Text, 50},
        {QStringLiteral("DoorName"), T::Text, 100},
        {QStringLiteral("LogActID"), T::Text, 10, true},
        {QStringLiteral("LogActName"), T::Text, 50},
        {QStringLiteral("EmpID"), T::Text, 50},
        {QStringLiteral("LastName"), T::Text, 50},
        {QStringLiteral("FirstName"), T::Text, 50},
        {QStringLiteral("RegType"), T::Integer},
        {QStringLiteral("NonID"), T::Integer, 0, true},
        {QStringLiteral("NonIDCode"), T::Text, 2, true},
        {QStringLiteral("EventDescription"), T::Text, 100, true},
        {QStringLiteral("Photo"), T::Blob},
        {QStringLiteral("NazivSektora"), T::Text, 100, true},
        {QStringLiteral("NazivZone"), T::Text, 100, true},
        {QStringLiteral("LogActNameMix"), T::Text, 100, false, true},
    };
}

namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

} // namespace

QString LogActNameMix(const QVariant &nonId, const QVariant &regType, const QVariant &nonIdCode,
                      const QVariant &logActName)
{
    bool numeric = false;
    if (nonId.isNull() || nonId.toInt(&numeric) != 1 || !numeric)
        return logActName.isNull() ? QString() : logActName.toString();
    const QString code = nonIdCode.isNull() ? QString() : nonIdCode.toString();
    if (code.size() != 2)
        return {};
    const int high = hexDigit(code[0]);
    const int low = hexDigit(code[1]);
    if (high < 0 || low < 0)
        return {};
    const int value = high * 16 + low;
    const bool reg2 = !regType.isNull() && regType.toInt() == 1;
    return nonIdEventName(reg2 ? MessageFormat::Reg2 : MessageFormat::Reg1, value);
}

} // namespace tarnwick::report
