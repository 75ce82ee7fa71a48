#pragma once

#include <QByteArray>
#include <QString>

namespace tarnwick {

// One typed registry value as it appears in a registry export file. Types other than text,
// 32-bit number and binary are carried as their raw bytes so that rewriting keeps them.
struct RegValue
{
    enum class Type { String, DWord, Binary, Raw };

    Type type = Type::String;
    QString text;      // String
    quint32 dword = 0; // DWord
    QByteArray bytes;  // Binary and Raw
    int rawType = 0;   // Raw: the number N of "hex(N):"

    static RegValue string(const QString &text);
    static RegValue number(quint32 value);
    static RegValue binary(const QByteArray &bytes);
    static RegValue raw(int rawType, const QByteArray &bytes);

    bool isString() const { return type == Type::String; }
    bool isDWord() const { return type == Type::DWord; }
    bool isBinary() const { return type == Type::Binary; }

    bool operator==(const RegValue &other) const;
};

} // namespace tarnwick
