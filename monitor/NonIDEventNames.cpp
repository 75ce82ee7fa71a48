#include "NonIDEventNames.h"

namespace tarnwick {

using namespace Qt::Literals::StringLiterals;

const QStringList &NonIDEventNames()
{
    static const QStringList names = {
        u"Senzor1 otvoren"_s,          // 0, REG1 128
        u"Senzor1 zatvoren"_s,         // 1, REG1 129
        u"Senzor2 otvoren"_s,          // 2, REG1 130
        u"Senzor2 zatvoren"_s,         // 3, REG1 131
        u"Senzor3 otvoren"_s,          // 4, REG1 132
        u"Senzor3 zatvoren"_s,         // 5, REG1 133
        u"Senzor4 otvoren"_s,          // 6, REG1 134
        u"Senzor4 zatvoren"_s,         // 7, REG1 135
        u"Egres1 otvoren"_s,           // 8, REG1 136
        u"Egres1 zatvoren"_s,          // 9, REG1 137
        u"Egres2 otvoren"_s,           // 10, REG1 138
        u"Egres2 zatvoren"_s,          // 11, REG1 139
        u"Egres3 otvoren"_s,           // 12, REG1 140
        u"Egres3 zatvoren"_s,          // 13, REG1 141
        u"Egres4 otvoren"_s,           // 14, REG1 142
        u"Egres4 zatvoren"_s,          // 15, REG1 143
        u"Nestanak napona 1"_s,        // 16, REG1 144
        u"Dolazak napona 1"_s,         // 17, REG1 145
        u"Nestanak napona 2"_s,        // 18, REG1 146
        u"Dolazak napona 2"_s,         // 19, REG1 147
        u"Otvorena kutija"_s,          // 20, REG1 148
        u"Zatvorena kutija"_s,         // 21, REG1 149
        u"Nasilan ulazak 1"_s,         // 22, REG1 150
        u"Nasilan ulazak 2"_s,         // 23, REG1 151
        u"Nasilan ulazak 3"_s,         // 24, REG1 152
        u"Nasilan ulazak 4"_s,         // 25, REG1 153
        u"Predugo otvorena vrata 1"_s, // 26, REG1 154
        u"Predugo otvorena vrata 2"_s, // 27, REG1 155
        u"Predugo otvorena vrata 3"_s, // 28, REG1 156
        u"Predugo otvorena vrata 4"_s, // 29, REG1 157
        u"Vremenski događaj 1"_s,      // 30, REG1 158
        u"Vremenski događaj 2"_s,      // 31, REG1 159
        u"Vremenski događaj 3"_s,      // 32, REG1 160
        u"Vremenski događaj 4"_s,      // 33, REG1 161
        u"Vremenski događaj 5"_s,      // 34, REG1 162
        u"Vremenski događaj 6"_s,      // 35, REG1 163
        u"Vremenski događaj 7"_s,      // 36, REG1 164
        u"Vremenski događaj 8"_s,      // 37, REG1 165
        u"Slučajan događaj 1"_s,       // 38, REG1 166
        u"Slučajan događaj 2"_s,       // 39, REG1 167
        u"Slučajan događaj 3"_s,       // 40, REG1 168
        u"Slučajan događaj 4"_s,       // 41, REG1 169
        u"Direktna komanda 1"_s,       // 42, REG1 170
        u"Direktna komanda 2"_s,       // 43, REG1 171
        u"Direktna komanda 3"_s,       // 44, REG1 172
        u"Direktna komanda 4"_s,       // 45, REG1 173
        u"Direktna komanda 5"_s,       // 46, REG1 174
        u"Direktna komanda 6"_s,       // 47, REG1 175
        u"Direktna komanda 7"_s,       // 48, REG1 176
        u"Direktna komanda 8"_s,       // 49, REG1 177
        u"Senzor1 otvoren"_s,          // 50, REG2 128
        u"Senzor1 zatvoren"_s,         // 51, REG2 129
        u"Senzor2 otvoren"_s,          // 52, REG2 130
        u"Senzor2 zatvoren"_s,         // 53, REG2 131
        u"Senzor3 otvoren"_s,          // 54, REG2 132
        u"Senzor3 zatvoren"_s,         // 55, REG2 133
        u"Senzor4 otvoren"_s,          // 56, REG2 134
        u"Senzor4 zatvoren"_s,         // 57, REG2 135
        u"Egres1 otvoren"_s,           // 58, REG2 136
        u"Egres1 zatvoren"_s,          // 59, REG2 137
        u"Egres2 otvoren"_s,           // 60, REG2 138
        u"Egres2 zatvoren"_s,          // 61, REG2 139
        u"Egres3 otvoren"_s,           // 62, REG2 140
        u"Egres3 zatvoren"_s,          // 63, REG2 141
        u"Egres4 otvoren"_s,           // 64, REG2 142
        u"Egres4 zatvoren"_s,          // 65, REG2 143
        u"Nestanak napona 1"_s,        // 66, REG2 144
        u"Dolazak napona 1"_s,         // 67, REG2 145
        u"Nestanak napona 2"_s,        // 68, REG2 146
        u"Dolazak napona 2"_s,         // 69, REG2 147
        u"Otvorena kutija"_s,          // 70, REG2 148
        u"Zatvorena kutija"_s,         // 71, REG2 149
        u"Nasilan ulazak 1"_s,         // 72, REG2 150
        u"Nasilan ulazak 2"_s,         // 73, REG2 151
        u"Nasilan ulazak 3"_s,         // 74, REG2 152
        u"Nasilan ulazak 4"_s,         // 75, REG2 153
        u"Predugo otvorena vrata 1"_s, // 76, REG2 154
        u"Predugo otvorena vrata 2"_s, // 77, REG2 155
        u"Predugo otvorena vrata 3"_s, // 78, REG2 156
        u"Predugo otvorena vrata 4"_s, // 79, REG2 157
        u"Vremenski događaj 1"_s,      // 80, REG2 158
        u"Vremenski događaj 2"_s,      // 81, REG2 159
        u"Vremenski događaj 3"_s,      // 82, REG2 160
        u"Vremenski događaj 4"_s,      // 83, REG2 161
        u"Vremenski događaj 5"_s,      // 84, REG2 162
        u"Vremenski događaj 6"_s,      // 85, REG2 163
        u"Vremenski događaj 7"_s,      // 86, REG2 164
        u"Vremenski događaj 8"_s,      // 87, REG2 165
        u"Direktna komanda 1"_s,       // 88, REG2 166
        u"Direktna komanda 2"_s,       // 89, REG2 167
        u"Direktna komanda 3"_s,       // 90, REG2 168
        u"Direktna komanda 4"_s,       // 91, REG2 169
        u"Direktna komanda 5"_s,       // 92, REG2 170
        u"Direktna komanda 6"_s,       // 93, REG2 171
        u"Direktna komanda 7"_s,       // 94, REG2 172
        u"Direktna komanda 8"_s,       // 95, REG2 173
        u"Alarm otvoren"_s,            // 96, REG2 174
        u"Alarm zatvoren"_s,           // 97, REG2 175
    };
    return names;
}

QString nonIdEventName(MessageFormat format, int code)
{
    if (code < 128)
        return QString();
    switch (format) {
    case MessageFormat::Reg1:
        if (code <= 177)
            return NonIDEventNames().at(code - 128);
        break;
    case MessageFormat::Reg2:
        if (code <= 175)
            return NonIDEventNames().at(reg1EventNameCount + code - 128);
        break;
    case MessageFormat::Other:
        break;
    }
    return QString();
}

} // namespace tarnwick
