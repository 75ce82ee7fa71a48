#include "EventClass.h"

namespace tarnwick {

namespace {

struct ClassNames
{
    const char *member;
    const char *style;
};

// Indexed by EventClass.
constexpr ClassNames classNames[eventClassCount] = {
    {"Unknown", "stUnknownPerson"},   {"Sensor", "stSensor"},       {"Egress", "stEgress"},
    {"VoltageFail", "stVoltageFail"}, {"VoltageOK", "stVoltageOK"}, {"CoverOpen", "stBoxCover"},
    {"ForcedEntry", "stForcedEntry"}, {"DOTL", "stDoorTooLong"},    {"TimeEvent", "stTimeEvent"},
    {"DirCmd", "stDirectCmd"},        {"Alarm", "stAlarm"},         {"None", nullptr},
};

} // namespace

MessageFormat messageFormatOf(quint8 slotValue)
{
    switch (slotValue) {
    case 1:
        return MessageFormat::Reg1;
    case 2:
        return MessageFormat::Reg2;
    default:
        return MessageFormat::Other;
    }
}

QString eventClassName(EventClass cls)
{
    return QString::fromLatin1(classNames[int(cls)].member);
}

QString alertSwitchName(EventClass cls)
{
    return cls == EventClass::None ? QString() : QStringLiteral("chkAlert") + eventClassName(cls);
}

QString soundFileName(EventClass cls)
{
    return cls == EventClass::None ? QString()
                                   : QStringLiteral("edtSoundFile") + eventClassName(cls);
}

QString rowStyleName(EventClass cls)
{
    const char *style = classNames[int(cls)].style;
    return style ? QString::fromLatin1(style) : QString();
}

EventClass controllerEventClass(int code)
{
    if (code >= 128 && code <= 135)
        return EventClass::Sensor;
    if (code >= 136 && code <= 143)
        return EventClass::Egress;
    if (code == 144 || code == 146)
        return EventClass::VoltageFail;
    if (code == 145 || code == 147)
        return EventClass::VoltageOK;
    if (code == 148 || code == 149)
        return EventClass::CoverOpen;
    if (code >= 150 && code <= 153)
        return EventClass::ForcedEntry;
    if (code >= 154 && code <= 157)
        return EventClass::DOTL;
    if (code >= 158 && code <= 165)
        return EventClass::TimeEvent;
    return EventClass::None;
}

EventClass soundAlertClass(MessageFormat format, int code)
{
    switch (format) {
    case MessageFormat::Reg1:
        // 166..169 are the controller's random events: listed, but never sounded.
        if (code >= 170 && code <= 177)
            return EventClass::DirCmd;
        break;
    case MessageFormat::Reg2:
        if (code >= 166 && code <= 173)
            return EventClass::DirCmd;
        if (code == 174 || code == 175)
            return EventClass::Alarm;
        break;
    case MessageFormat::Other:
        return EventClass::None;
    }
    return controllerEventClass(code);
}

EventClass identificationClass(MessageFormat format, const QString &empId)
{
    if (format == MessageFormat::Other)
        return EventClass::None;
    return empId.isEmpty() ? EventClass::Unknown : EventClass::None;
}

} // namespace tarnwick
