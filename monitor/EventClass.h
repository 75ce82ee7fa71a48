#pragma once

#include <QString>

namespace tarnwick {

// The class of a registration. It picks the alert switch, the sound file and the row style.
enum class EventClass
{
    Unknown,
    Sensor,
    Egress,
    VoltageFail,
    VoltageOK,
    CoverOpen,
    ForcedEntry,
    DOTL,
    TimeEvent,
    DirCmd,
    Alarm,
    None,
};

inline constexpr int eventClassCount = 12; // None included

// The message format of a registration, numbered as the hand-off slot's messageFormat.
enum class MessageFormat : quint8
{
    Other = 0,
    Reg1 = 1,
    Reg2 = 2
};

MessageFormat messageFormatOf(quint8 slotValue);

// The member's own name ("DirCmd"), also the suffix of its stored values; "None" for None.
QString eventClassName(EventClass cls);

// Names of the stored values and of the row style of a class; empty for None.
QString alertSwitchName(EventClass cls); // chkAlertDirCmd
QString soundFileName(EventClass cls);   // edtSoundFileDirCmd
QString rowStyleName(EventClass cls);    // stDirectCmd

// The class of the controller inputs and events that every rule reads alike: codes 128..165
// (sensors, egress, supply voltage, box cover, forced entry, door open too long, time events).
// None outside that range.
EventClass controllerEventClass(int code);

// The sound-and-alert class of a non-identification event code. REG1 and REG2 number their
// direct commands differently (REG1 170..177, REG2 166..173); only REG2 knows alarms (174, 175).
// Codes without a class, and other formats, give None.
EventClass soundAlertClass(MessageFormat format, int code);

// An identification registration whose lookup found no person (empty IDZaposlenog) is an
// unknown person; only REG1 and REG2 registrations are ever classified so.
EventClass identificationClass(MessageFormat format, const QString &empId);

} // namespace tarnwick
