#include "TextDateTimeFormat.h"

#include <QLocale>

namespace tarnwick {

namespace {

class QtFormatWriter
{
public:
    void field(const QString &qtField)
    {
        closeLiteral();
        m_out += qtField;
    }
    void literal(QChar c)
    {
        // Qt reads letters as fields, so literal letters are quoted; a quote is doubled.
        if (!m_inLiteral && !c.isLetter() && c != u'\'') {
            m_out += c;
            return;
        }
        if (!m_inLiteral) {
            m_out += u'\'';
            m_inLiteral = true;
        }
        if (c == u'\'')
            m_out += u'\'';
        m_out += c;
    }
    QString finish()
    {
        closeLiteral();
        return m_out;
    }

private:
    void closeLiteral()
    {
        if (m_inLiteral) {
            m_out += u'\'';
            m_inLiteral = false;
        }
    }
    QString m_out;
    bool m_inLiteral = false;
};

qsizetype runLength(const QString &s, qsizetype from)
{
    const QChar c = s.at(from).toLower();
    qsizetype n = 1;
    while (from + n < s.size() && s.at(from + n).toLower() == c)
        ++n;
    return n;
}

} // namespace

QString qtFormatOfTextFormat(const QString &format)
{
    const bool twelveHour = format.contains(QLatin1String("am/pm"), Qt::CaseInsensitive);
    QtFormatWriter out;
    bool afterHour = false;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format.at(i);
        const QChar lower = c.toLower();
        if (c == u'"' || c == u'\'') {
            qsizetype j = i + 1;
            while (j < format.size() && format.at(j) != c)
                out.literal(format.at(j++));
            i = j + 1;
            continue;
        }
        if (format.mid(i, 5).compare(QLatin1String("am/pm"), Qt::CaseInsensitive) == 0) {
            out.field(c.isUpper() ? QStringLiteral("AP") : QStringLiteral("ap"));
            i += 5;
            continue;
        }
        const qsizetype n = runLength(format, i);
        switch (lower.unicode()) {
        case 'd':
            out.field(QString(int(qMin<qsizetype>(n, 4)), u'd'));
            afterHour = false;
            break;
        case 'm':
            if (afterHour && n <= 2)
                out.field(QString(int(n), u'm'));
            else
                out.field(QString(int(qMin<qsizetype>(n, 4)), u'M'));
            afterHour = false;
            break;
        case 'y':
            out.field(n <= 2 ? QStringLiteral("yy") : QStringLiteral("yyyy"));
            afterHour = false;
            break;
        case 'h':
            out.field(QString(int(qMin<qsizetype>(n, 2)), twelveHour ? u'h' : u'H'));
            afterHour = true;
            break;
        case 'n':
            out.field(QString(int(qMin<qsizetype>(n, 2)), u'm'));
            afterHour = false;
            break;
        case 's':
            out.field(QString(int(qMin<qsizetype>(n, 2)), u's'));
            afterHour = false;
            break;
        case 'z':
            out.field(n >= 3 ? QStringLiteral("zzz") : QStringLiteral("z"));
            afterHour = false;
            break;
        default:
            for (qsizetype k = 0; k < n; ++k)
                out.literal(format.at(i + k));
            break;
        }
        i += n;
    }
    return out.finish();
}

QString formatTextDateTime(const QDateTime &when, const QString &format)
{
    return QLocale().toString(when, qtFormatOfTextFormat(format));
}

} // namespace tarnwick
