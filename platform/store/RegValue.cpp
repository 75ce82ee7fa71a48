#include "RegValue.h"

namespace tarnwick {

RegValue RegValue::string(const QString &text)
{
    RegValue v;
    v.type = Type::String;
    v.text = text;
    return v;
}

RegValue RegValue::number(quint32 value)
{
    RegValue v;
    v.type = Type::DWord;
    v.dword = value;
    return v;
}

RegValue RegValue::binary(const QByteArray &bytes)
{
    RegValue v;
    v.type = Type::Binary;
    v.bytes = bytes;
    return v;
}

RegValue RegValue::raw(int rawType, const QByteArray &bytes)
{
    RegValue v;
    v.type = Type::Raw;
    v.rawType = rawType;
    v.bytes = bytes;
    return v;
}

bool RegValue::operator==(const RegValue &o) const
{
    if (type != o.type)
        return false;
    switch (type) {
    case Type::String:
        return text == o.text;
    case Type::DWord:
        return dword == o.dword;
    case Type::Binary:
        return bytes == o.bytes;
    case Type::Raw:
        return rawType == o.rawType && bytes == o.bytes;
    }
    return false;
}

} // namespace tarnwick
