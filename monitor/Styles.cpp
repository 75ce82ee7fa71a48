#include "Styles.h"

#include "Error.h"

#include <QGuiApplication>
#include <QPalette>

namespace tarnwick {

namespace {

constexpr int evenIndex = 11;
constexpr int oddIndex = 12;
constexpr int selectedIndex = 13;

struct StyleDef
{
    const char *name;
    quint32 bgr; // default colour; unused for stSelected, which follows the system
};

// The class styles in EventClass order, then the three helper styles.
constexpr StyleDef styleDefs[14] = {
    {"stUnknownPerson", 8421504},
    {"stSensor", 8454143},
    {"stEgress", 10469119},
    {"stVoltageFail", 15172079},
    {"stVoltageOK", 15172079},
    {"stBoxCover", 47031},
    {"stForcedEntry", 255},
    {"stDoorTooLong", 11263149},
    {"stTimeEvent", 16777147},
    {"stDirectCmd", 16760704},
    {"stAlarm", 255},
    {"stEven", 0xFFFFFF},
    {"stOdd", 15790320},
    {"stSelected", 0},
};

QColor systemTooltipBackground()
{
    return QGuiApplication::palette().color(QPalette::Active, QPalette::ToolTipBase);
}

} // namespace

Styles::Styles(QObject *parent) : QObject(parent)
{
    for (int i = 0; i < selectedIndex; ++i)
        m_colours[size_t(i)] = fromStoredColour(styleDefs[i].bgr);
    m_colours[selectedIndex] = systemTooltipBackground();
}

const QStringList &Styles::styleNames()
{
    static const QStringList names = [] {
        QStringList out;
        for (const StyleDef &d : styleDefs)
            out << QString::fromLatin1(d.name);
        return out;
    }();
    return names;
}

const QStringList &Styles::storedStyleNames()
{
    // The order in which the main window stores its properties: alphabetical.
    static const QStringList names = {
        QStringLiteral("stBoxCover"),    QStringLiteral("stDirectCmd"),
        QStringLiteral("stDoorTooLong"), QStringLiteral("stEgress"),
        QStringLiteral("stEven"),        QStringLiteral("stForcedEntry"),
        QStringLiteral("stOdd"),         QStringLiteral("stSensor"),
        QStringLiteral("stTimeEvent"),   QStringLiteral("stUnknownPerson"),
        QStringLiteral("stVoltageFail"), QStringLiteral("stVoltageOK"),
    };
    return names;
}

QString Styles::storedValueName(const QString &styleName)
{
    return styleName + QStringLiteral("_Color");
}

QColor Styles::defaultColour(const QString &styleName)
{
    const int i = indexOf(styleName);
    if (i < 0)
        return QColor();
    return i == selectedIndex ? systemTooltipBackground() : fromStoredColour(styleDefs[i].bgr);
}

quint32 Styles::toStoredColour(const QColor &colour)
{
    const QRgb rgb = colour.rgb();
    return quint32(qRed(rgb)) | quint32(qGreen(rgb)) << 8 | quint32(qBlue(rgb)) << 16;
}

QColor Styles::fromStoredColour(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int(bgr >> 8 & 0xFF), int(bgr >> 16 & 0xFF));
}

int Styles::indexOf(const QString &styleName)
{
    const QStringList &names = styleNames();
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(styleName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QColor Styles::colour(const QString &styleName) const
{
    const int i = indexOf(styleName);
    if (i < 0)
        throw Error(QStringLiteral("There is no style named %1").arg(styleName));
    return m_colours[size_t(i)];
}

void Styles::setColour(const QString &styleName, const QColor &colour)
{
    const int i = indexOf(styleName);
    if (i < 0)
        throw Error(QStringLiteral("There is no style named %1").arg(styleName));
    const QColor opaque = QColor(colour.rgb()); // stored colours carry no alpha
    if (m_colours[size_t(i)] == opaque)
        return;
    m_colours[size_t(i)] = opaque;
    Q_EMIT colourChanged(styleNames().at(i), opaque);
}

std::optional<QColor> Styles::classColour(EventClass cls) const
{
    if (cls == EventClass::None)
        return std::nullopt;
    return m_colours[size_t(cls)];
}

} // namespace tarnwick
