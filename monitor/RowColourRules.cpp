#include "RowColourRules.h"

#include <QByteArray>
#include <QString>

namespace tarnwick {

namespace {

// Codes 166..173 are direct commands for the colour in both formats; 174 and 175 are alarms where
// the caller says alarms exist.
EventClass colourOfCode(int code, bool alarms)
{
    if (code >= 166 && code <= 173)
        return EventClass::DirCmd;
    if (alarms && (code == 174 || code == 175))
        return EventClass::Alarm;
    return controllerEventClass(code);
}

template <typename Char> bool parseHexDigits(const Char *p, qsizetype n, int &out)
{
    // Seven digits keep the value inside an int; the codes have two.
    if (n < 1 || n > 7)
        return false;
    int value = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = char16_t(p[i]);
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return false;
        value = value * 16 + digit;
    }
    out = value;
    return true;
}

// The code of a report row: its text read as a hexadecimal number. Texts are read in place;
// only a value of another type is converted to text first.
bool readHexCode(const QVariant &v, int &out)
{
    if (v.isNull())
        return false;
    if (v.metaType() == QMetaType::fromType<QString>()) {
        const QString &s = *static_cast<const QString *>(v.constData());
        return parseHexDigits(QStringView(s).utf16(), s.size(), out);
    }
    if (v.metaType() == QMetaType::fromType<QByteArray>()) {
        const QByteArray &b = *static_cast<const QByteArray *>(v.constData());
        return parseHexDigits(b.constData(), b.size(), out);
    }
    const QString s = v.toString();
    return parseHexDigits(QStringView(s).utf16(), s.size(), out);
}

bool readInt(const QVariant &v, int &out)
{
    if (v.isNull())
        return false;
    bool ok = false;
    const int value = v.toInt(&ok);
    if (ok)
        out = value;
    return ok;
}

bool isEmptyText(const QVariant &v)
{
    if (v.isNull())
        return true;
    if (v.metaType() == QMetaType::fromType<QString>())
        return static_cast<const QString *>(v.constData())->isEmpty();
    return v.toString().isEmpty();
}

} // namespace

EventClass liveRowColourClass(bool nonId, int regType, int nonIdCode, bool empIdEmpty) noexcept
{
    if (nonId)
        return colourOfCode(nonIdCode, regType != 0); // REG1 has no alarms
    return empIdEmpty ? EventClass::Unknown : EventClass::None;
}

EventClass liveRowColourClass(const QVariant &nonId, const QVariant &regType,
                              const QVariant &nonIdCode, const QVariant &empId) noexcept
{
    try {
        int type = 0;
        if (!readInt(regType, type))
            return EventClass::None;
        // Rows of another format hold no NonID at all; they count as identifications.
        const bool isEvent = !nonId.isNull() && nonId.toBool();
        int code = 0;
        if (isEvent && !readInt(nonIdCode, code))
            return EventClass::None;
        return liveRowColourClass(isEvent, type, code, isEmptyText(empId));
    } catch (...) {
        return EventClass::None;
    }
}

EventClass reportRowColourClass(const QVariant &nonId, const QVariant &regType,
                                const QVariant &nonIdCode, const QVariant &empId) noexcept
{
    try {
        int flag = 0;
        if (!nonId.isNull() && !readInt(nonId, flag))
            return EventClass::None;
        if (flag != 1)
            return empId.isNull() ? EventClass::Unknown : EventClass::None;

        int code = 0;
        if (!readHexCode(nonIdCode, code))
            return EventClass::None;
        int type = 0;
        if (!regType.isNull() && !readInt(regType, type))
            return EventClass::None;
        // Only REG2 rows are coloured as alarms here.
        return colourOfCode(code, type == 1);
    } catch (...) {
        return EventClass::None;
    }
}

} // namespace tarnwick
