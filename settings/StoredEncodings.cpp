#include "StoredEncodings.h"

#include <QHash>
#include <cmath>

namespace tarnwick::encodings {

namespace {

struct NamedColour
{
    const char *name;
    quint32 bgr;
};

// Written and read by name.
constexpr NamedColour namedColours[] = {
    {"clBlack", 0x000000},  {"clMaroon", 0x000080},     {"clGreen", 0x008000},   {"clOlive", 0x008080},
    {"clNavy", 0x800000},   {"clPurple", 0x800080},     {"clTeal", 0x808000},    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0}, {"clRed", 0x0000FF},        {"clLime", 0x00FF00},    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},   {"clFuchsia", 0xFF00FF},    {"clAqua", 0xFFFF00},    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0}, {"clSkyBlue", 0xF0CAA6}, {"clCream", 0xF0FBFF}, {"clMedGray", 0xA4A0A0},
};

// Only read: this platform has no system colours, so each name stands for the value a classic
// desktop theme gives it.
constexpr NamedColour systemColours[] = {
    {"clActiveBorder", 0xB4B4B4},  {"clActiveCaption", 0xD1B499},   {"clAppWorkSpace", 0xABABAB},
    {"clBackground", 0x000000},    {"clBtnFace", 0xF0F0F0},         {"clBtnHighlight", 0xFFFFFF},
    {"clBtnShadow", 0xA0A0A0},     {"clBtnText", 0x000000},         {"clCaptionText", 0x000000},
    {"clDefault", 0x20000000},     {"clGradientActiveCaption", 0xEAD1B9},
    {"clGradientInactiveCaption", 0xF2E4D7},                        {"clGrayText", 0x6D6D6D},
    {"clHighlight", 0xFF9933},     {"clHighlightText", 0xFFFFFF},   {"clHotLight", 0xCC6600},
    {"clInactiveBorder", 0xFCF7F4}, {"clInactiveCaption", 0xDBCDBF}, {"clInactiveCaptionText", 0x000000},
    {"clInfoBk", 0xE1FFFF},        {"clInfoText", 0x000000},        {"clMenu", 0xF0F0F0},
    {"clMenuBar", 0xF0F0F0},       {"clMenuHighlight", 0xFF9933},   {"clMenuText", 0x000000},
    {"clNone", 0x1FFFFFFF},        {"clScrollBar", 0xC8C8C8},       {"cl3DDkShadow", 0x696969},
    {"cl3DLight", 0xE3E3E3},       {"clWindow", 0xFFFFFF},          {"clWindowFrame", 0x646464},
    {"clWindowText", 0x000000},
};

const QString trueWords[] = {QStringLiteral("TRUE"), QStringLiteral("YES"), QStringLiteral("Y")};
const QString falseWords[] = {QStringLiteral("FALSE"), QStringLiteral("NO"), QStringLiteral("N")};

} // namespace

RegValue writeSwitch(bool on) { return RegValue::string(on ? trueWords[0] : falseWords[0]); }

std::optional<bool> readSwitch(const RegValue &value)
{
    if (value.isDWord())
        return value.dword != 0;
    if (!value.isString())
        return std::nullopt;
    const QString t = value.text.trimmed();
    for (const QString &w : trueWords) {
        if (t.compare(w, Qt::CaseInsensitive) == 0)
            return true;
    }
    for (const QString &w : falseWords) {
        if (t.compare(w, Qt::CaseInsensitive) == 0)
            return false;
    }
    bool ok = false;
    const qlonglong n = t.toLongLong(&ok);
    if (ok)
        return n != 0;
    return std::nullopt;
}

std::optional<quint32> colourFromName(const QString &name)
{
    for (const NamedColour &c : namedColours) {
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.bgr;
    }
    for (const NamedColour &c : systemColours) {
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return c.bgr;
    }
    return std::nullopt;
}

QString nameOfColour(quint32 bgr)
{
    for (const NamedColour &c : namedColours) {
        if (c.bgr == bgr)
            return QLatin1String(c.name);
    }
    return {};
}

RegValue writeColour(quint32 bgr)
{
    const QString name = nameOfColour(bgr);
    return name.isEmpty() ? RegValue::number(bgr) : RegValue::string(name);
}

std::optional<quint32> readColour(const RegValue &value)
{
    if (value.isString())
        return colourFromName(value.text.trimmed());
    if (value.isDWord())
        return value.dword;
    return std::nullopt;
}

QByteArray encodeExtended(double value)
{
    // x87 extended layout: 64-bit significand with an explicit integer bit, 15-bit exponent
    // biased by 16383, sign in the top bit. Built by hand so it never depends on long double.
    QByteArray out(10, '\0');
    if (value == 0.0 || !std::isfinite(value))
        return out;
    const bool negative = value < 0;
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent); // 0.5 <= fraction < 1
    const quint64 mantissa = quint64(std::ldexp(fraction, 64));       // top bit set
    const quint16 biased = quint16(exponent - 1 + 16383);
    for (int i = 0; i < 8; ++i)
        out[i] = char((mantissa >> (8 * i)) & 0xFF);
    const quint16 se = quint16(biased | (negative ? 0x8000 : 0));
    out[8] = char(se & 0xFF);
    out[9] = char(se >> 8);
    return out;
}

std::optional<double> decodeExtended(const QByteArray &bytes)
{
    if (bytes.size() != 10)
        return std::nullopt;
    quint64 mantissa = 0;
    for (int i = 7; i >= 0; --i)
        mantissa = (mantissa << 8) | uchar(bytes[i]);
    const quint16 se = quint16(uchar(bytes[8]) | (uchar(bytes[9]) << 8));
    const int biased = se & 0x7FFF;
    if (biased == 0x7FFF)
        return std::nullopt; // infinity or NaN: not a date
    if (mantissa == 0)
        return 0.0;
    const double magnitude = std::ldexp(double(mantissa), biased - 16383 - 63);
    return (se & 0x8000) ? -magnitude : magnitude;
}

namespace {
const QDate epoch(1899, 12, 30);
constexpr double msPerDay = 86400000.0;
} // namespace

double dateTimeToDays(const QDate &date, const QTime &time)
{
    const double days = double(epoch.daysTo(date));
    const double frac = time.isValid() ? time.msecsSinceStartOfDay() / msPerDay : 0.0;
    // Before the epoch the fraction still counts forward from midnight, away from zero.
    return days >= 0 ? days + frac : days - frac;
}

QDate dateOfDays(double days) { return epoch.addDays(qint64(std::trunc(days))); }

QTime timeOfDays(double days)
{
    const double frac = std::fabs(days - std::trunc(days));
    qint64 ms = qint64(std::llround(frac * msPerDay));
    if (ms >= qint64(msPerDay))
        ms = qint64(msPerDay) - 1;
    return QTime::fromMSecsSinceStartOfDay(int(ms));
}

} // namespace tarnwick::encodings
