#pragma once

#include "RegValue.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>
#include <optional>

// How settings are encoded in the store, kept compatible with the settings of existing
// Windows installations (an export of their registry key can be dropped in).
namespace tarnwick::encodings {

// Switches: written "TRUE"/"FALSE"; read from TRUE, YES, Y / FALSE, NO, N in any case, else as a
// number (non-zero is true); anything else gives nothing.
RegValue writeSwitch(bool on);
std::optional<bool> readSwitch(const RegValue &value);

// Colours are 0x00BBGGRR numbers. The twenty named colours are written by name, everything else
// as a 32-bit number. System colour names are read as fixed values.
RegValue writeColour(quint32 bgr);
std::optional<quint32> readColour(const RegValue &value);
std::optional<quint32> colourFromName(const QString &name);
QString nameOfColour(quint32 bgr); // empty when the colour has no name

// Picker values: 10-byte 80-bit extended floats, little-endian, counting days since
// 30 December 1899 with the time of day as the fraction.
QByteArray encodeExtended(double value);
std::optional<double> decodeExtended(const QByteArray &bytes);
double dateTimeToDays(const QDate &date, const QTime &time);
QDate dateOfDays(double days);
QTime timeOfDays(double days);

} // namespace tarnwick::encodings
