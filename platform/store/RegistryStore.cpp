#include "RegistryStore.h"

#include "Clock.h"
#include "Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick {

const QString RegistryStore::rootKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Brennix\\Tarnwick");

namespace {

const QString header5 = QStringLiteral("Windows Registry Editor Version 5.00");
const QString header4 = QStringLiteral("REGEDIT4");

QString lower(const QString &s) { return s.toCaseFolded(); }

QString decodeFile(const QByteArray &bytes)
{
    if (bytes.startsWith("\xFF\xFE"))
        return QStringDecoder(QStringConverter::Utf16LE)(bytes.mid(2));
    if (bytes.startsWith("\xFE\xFF"))
        return QStringDecoder(QStringConverter::Utf16BE)(bytes.mid(2));
    QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8(body);
    if (!utf8.hasError())
        return text;
    // Older exports (REGEDIT4) are in the Windows code page; keep every byte readable.
    return QString::fromLatin1(body);
}

// Reads a quoted text starting at pos (which holds the opening quote). Returns the position after
// the closing quote, or -1 when the text is not closed.
qsizetype readQuoted(const QString &line, qsizetype pos, QString &out)
{
    out.clear();
    for (qsizetype i = pos + 1; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == u'\\' && i + 1 < line.size()) {
            out += line.at(++i);
        } else if (c == u'"') {
            return i + 1;
        } else {
            out += c;
        }
    }
    return -1;
}

QByteArray parseHexBytes(const QString &text, bool *ok)
{
    QByteArray out;
    *ok = true;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return out;
    for (const QString &part : trimmed.split(u',')) {
        const QString p = part.trimmed();
        bool okByte = false;
        const uint b = p.toUInt(&okByte, 16);
        if (!okByte || p.size() > 2 || b > 0xFF) {
            *ok = false;
            return {};
        }
        out.append(char(b));
    }
    return out;
}

QString escaped(const QString &s)
{
    QString out;
    out.reserve(s.size() + 2);
    for (QChar c : s) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        out += c;
    }
    return out;
}

// Hex data wrapped like the registry editor does, so long binary values stay readable.
QString hexLines(const QString &prefix, const QByteArray &bytes)
{
    QString out = prefix;
    qsizetype column = prefix.size();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const QString byte = QStringLiteral("%1").arg(uchar(bytes.at(i)), 2, 16, QChar(u'0'));
        out += byte;
        column += 2;
        if (i + 1 < bytes.size()) {
            out += u',';
            ++column;
            if (column > 76) {
                out += QStringLiteral("\\\n  ");
                column = 2;
            }
        }
    }
    return out;
}

void writeAll(int fd, const QByteArray &data, const QString &path)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error(QStringLiteral("Cannot write %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        }
        p += n;
        left -= n;
    }
}

} // namespace

QString RegistryStore::defaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Brennix/Tarnwick.reg");
}

RegistryStore::RegistryStore(const QString &filePath) : m_filePath(filePath) {}

QString RegistryStore::normalizeKey(const QString &key)
{
    QString out;
    out.reserve(key.size());
    for (QChar c : key) {
        if (c == u'\\' && (out.isEmpty() || out.endsWith(u'\\')))
            continue;
        out += c;
    }
    while (out.endsWith(u'\\'))
        out.chop(1);
    return out;
}

std::pair<QString, QString> RegistryStore::splitPath(const QString &path)
{
    QString p;
    p.reserve(path.size());
    for (QChar c : path) {
        if (c == u'\\' && p.endsWith(u'\\'))
            continue;
        p += c;
    }
    const qsizetype cut = p.lastIndexOf(u'\\');
    if (cut < 0)
        return {QString(), p};
    return {normalizeKey(p.left(cut)), p.mid(cut + 1)};
}

QString RegistryStore::absolute(const QString &relativeKey) const
{
    const QString rel = normalizeKey(relativeKey);
    return rel.isEmpty() ? rootKey : rootKey + u'\\' + rel;
}

RegistryStore::Key *RegistryStore::findKey(const QString &absolutePath)
{
    auto it = m_index.constFind(lower(absolutePath));
    return it == m_index.cend() ? nullptr : &m_keys[*it];
}

const RegistryStore::Key *RegistryStore::findKey(const QString &absolutePath) const
{
    auto it = m_index.constFind(lower(absolutePath));
    return it == m_index.cend() ? nullptr : &m_keys[*it];
}

RegistryStore::Key &RegistryStore::ensureKey(const QString &absolutePath)
{
    if (Key *k = findKey(absolutePath))
        return *k;
    m_keys.push_back(Key{absolutePath, {}});
    m_index.insert(lower(absolutePath), m_keys.size() - 1);
    return m_keys.back();
}

void RegistryStore::reindex()
{
    m_index.clear();
    for (size_t i = 0; i < m_keys.size(); ++i)
        m_index.insert(lower(m_keys[i].path), i);
}

std::optional<RegValue> RegistryStore::value(const QString &key, const QString &name) const
{
    const Key *k = findKey(absolute(key));
    if (!k)
        return std::nullopt;
    const QString wanted = lower(name);
    for (const Value &v : k->values) {
        if (lower(v.name) == wanted)
            return v.data;
    }
    return std::nullopt;
}

void RegistryStore::setValue(const QString &key, const QString &name, const RegValue &value)
{
    Key &k = ensureKey(absolute(key));
    const QString wanted = lower(name);
    for (Value &v : k.values) {
        if (lower(v.name) == wanted) {
            v.data = value;
            return;
        }
    }
    k.values.push_back(Value{name, value});
}

void RegistryStore::removeValue(const QString &key, const QString &name)
{
    Key *k = findKey(absolute(key));
    if (!k)
        return;
    const QString wanted = lower(name);
    std::erase_if(k->values, [&](const Value &v) { return lower(v.name) == wanted; });
}

QStringList RegistryStore::valueNames(const QString &key) const
{
    QStringList names;
    if (const Key *k = findKey(absolute(key))) {
        for (const Value &v : k->values)
            names << v.name;
    }
    return names;
}

QStringList RegistryStore::subKeys(const QString &key) const
{
    const QString prefix = lower(absolute(key)) + u'\\';
    QStringList names;
    for (const Key &k : m_keys) {
        const QString path = lower(k.path);
        if (!path.startsWith(prefix))
            continue;
        const QString rest = k.path.mid(prefix.size());
        const QString child = rest.section(u'\\', 0, 0);
        if (!child.isEmpty() && !names.contains(child, Qt::CaseInsensitive))
            names << child;
    }
    return names;
}

bool RegistryStore::hasKey(const QString &key) const
{
    const QString abs = lower(absolute(key));
    if (m_index.contains(abs))
        return true;
    const QString prefix = abs + u'\\';
    return std::any_of(m_keys.begin(), m_keys.end(),
                       [&](const Key &k) { return lower(k.path).startsWith(prefix); });
}

void RegistryStore::createKey(const QString &key) { ensureKey(absolute(key)); }

void RegistryStore::removeKey(const QString &key)
{
    const QString abs = lower(absolute(key));
    const QString prefix = abs + u'\\';
    std::erase_if(m_keys, [&](const Key &k) {
        const QString p = lower(k.path);
        return p == abs || p.startsWith(prefix);
    });
    reindex();
}

void RegistryStore::parse(const QByteArray &fileBytes)
{
    std::vector<Key> keys;
    QHash<QString, size_t> index;
    const QString text = decodeFile(fileBytes);
    QStringList lines = text.split(u'\n');

    auto fail = [](int lineNo, const QString &why) {
        throw Error(QStringLiteral("line %1: %2").arg(lineNo).arg(why));
    };

    bool headerSeen = false;
    Key *current = nullptr;
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNo = i + 1;
        QString line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        // A value may continue over several lines, each ending in a backslash.
        while (line.endsWith(u'\\') && !line.trimmed().startsWith(u'[') && i + 1 < lines.size()) {
            line.chop(1);
            QString next = lines.at(++i);
            if (next.endsWith(u'\r'))
                next.chop(1);
            line += next.trimmed();
        }
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';'))
            continue;
        if (!headerSeen) {
            if (trimmed != header5 && trimmed != header4)
                fail(lineNo, QStringLiteral("not a registry export (no \"%1\" header)").arg(header5));
            headerSeen = true;
            continue;
        }
        if (trimmed.startsWith(u'[')) {
            if (!trimmed.endsWith(u']'))
                fail(lineNo, QStringLiteral("unterminated key name"));
            QString path = trimmed.mid(1, trimmed.size() - 2);
            if (path.startsWith(u'-')) {
                // A deletion entry: forget what was read for that key and below it.
                const QString gone = lower(normalizeKey(path.mid(1)));
                std::erase_if(keys, [&](const Key &k) {
                    const QString p = lower(k.path);
                    return p == gone || p.startsWith(gone + u'\\');
                });
                index.clear();
                for (size_t n = 0; n < keys.size(); ++n)
                    index.insert(lower(keys[n].path), n);
                current = nullptr;
                continue;
            }
            path = normalizeKey(path);
            if (path.isEmpty())
                fail(lineNo, QStringLiteral("empty key name"));
            auto it = index.constFind(lower(path));
            if (it == index.cend()) {
                keys.push_back(Key{path, {}});
                index.insert(lower(path), keys.size() - 1);
                current = &keys.back();
            } else {
                current = &keys[*it];
            }
            continue;
        }
        if (!current)
            fail(lineNo, QStringLiteral("value outside of a key"));

        QString name;
        qsizetype pos = 0;
        if (trimmed.startsWith(u'@')) {
            pos = 1;
        } else if (trimmed.startsWith(u'"')) {
            pos = readQuoted(trimmed, 0, name);
            if (pos < 0)
                fail(lineNo, QStringLiteral("unterminated value name"));
        } else {
            fail(lineNo, QStringLiteral("unexpected text"));
        }
        while (pos < trimmed.size() && trimmed.at(pos).isSpace())
            ++pos;
        if (pos >= trimmed.size() || trimmed.at(pos) != u'=')
            fail(lineNo, QStringLiteral("missing '=' after the value name"));
        const QString data = trimmed.mid(pos + 1).trimmed();

        RegValue value;
        bool remove = false;
        if (data == u"-") {
            remove = true;
        } else if (data.startsWith(u'"')) {
            QString s;
            const qsizetype end = readQuoted(data, 0, s);
            if (end < 0 || !data.mid(end).trimmed().isEmpty())
                fail(lineNo, QStringLiteral("malformed text value"));
            value = RegValue::string(s);
        } else if (data.startsWith(QStringLiteral("dword:"), Qt::CaseInsensitive)) {
            bool ok = false;
            const QString digits = data.mid(6).trimmed();
            const quint32 n = digits.toUInt(&ok, 16);
            if (!ok || digits.size() > 8)
                fail(lineNo, QStringLiteral("malformed dword value"));
            value = RegValue::number(n);
        } else if (data.startsWith(QStringLiteral("hex:"), Qt::CaseInsensitive)) {
            bool ok = false;
            const QByteArray bytes = parseHexBytes(data.mid(4), &ok);
            if (!ok)
                fail(lineNo, QStringLiteral("malformed binary value"));
            value = RegValue::binary(bytes);
        } else if (data.startsWith(QStringLiteral("hex("), Qt::CaseInsensitive)) {
            const qsizetype close = data.indexOf(QStringLiteral("):"));
            bool okType = false;
            const int type = close > 4 ? data.mid(4, close - 4).toInt(&okType, 16) : 0;
            bool ok = false;
            const QByteArray bytes = okType ? parseHexBytes(data.mid(close + 2), &ok) : QByteArray();
            if (!okType || !ok)
                fail(lineNo, QStringLiteral("malformed typed value"));
            if (type == 4 && bytes.size() == 4) {
                value = RegValue::number(quint32(uchar(bytes[0])) | quint32(uchar(bytes[1])) << 8 |
                                         quint32(uchar(bytes[2])) << 16 | quint32(uchar(bytes[3])) << 24);
            } else if (type == 3) {
                value = RegValue::binary(bytes);
            } else {
                value = RegValue::raw(type, bytes);
            }
        } else {
            fail(lineNo, QStringLiteral("unknown value type"));
        }

        const QString wanted = lower(name);
        auto found = std::find_if(current->values.begin(), current->values.end(),
                                  [&](const Value &v) { return lower(v.name) == wanted; });
        if (remove) {
            if (found != current->values.end())
                current->values.erase(found);
        } else if (found != current->values.end()) {
            found->data = value;
        } else {
            current->values.push_back(Value{name, value});
        }
    }
    if (!headerSeen)
        fail(1, QStringLiteral("empty file"));
    m_keys = std::move(keys);
    reindex();
}

QByteArray RegistryStore::serialize() const
{
    std::vector<const Key *> sorted;
    sorted.reserve(m_keys.size());
    for (const Key &k : m_keys)
        sorted.push_back(&k);
    // Parents before children, siblings by name: the order the registry editor exports in.
    std::sort(sorted.begin(), sorted.end(), [](const Key *a, const Key *b) {
        return QString::compare(a->path, b->path, Qt::CaseInsensitive) < 0;
    });

    QString out = header5 + QStringLiteral("\n\n");
    for (const Key *k : sorted) {
        out += u'[' + k->path + QStringLiteral("]\n");
        for (const Value &v : k->values) {
            const QString name = v.name.isEmpty() ? QStringLiteral("@") : u'"' + escaped(v.name) + u'"';
            switch (v.data.type) {
            case RegValue::Type::String:
                out += name + QStringLiteral("=\"") + escaped(v.data.text) + QStringLiteral("\"\n");
                break;
            case RegValue::Type::DWord:
                out += name + QStringLiteral("=dword:%1\n").arg(v.data.dword, 8, 16, QChar(u'0'));
                break;
            case RegValue::Type::Binary:
                out += hexLines(name + QStringLiteral("=hex:"), v.data.bytes) + u'\n';
                break;
            case RegValue::Type::Raw:
                out += hexLines(name + QStringLiteral("=hex(%1):").arg(v.data.rawType, 0, 16), v.data.bytes) + u'\n';
                break;
            }
        }
        out += u'\n';
    }
    return out.toUtf8();
}

RegistryStore::LoadResult RegistryStore::load()
{
    m_loadError.clear();
    m_keys.clear();
    m_index.clear();
    QFile file(m_filePath);
    if (!file.exists())
        return LoadResult::Missing;
    if (!file.open(QIODevice::ReadOnly)) {
        m_loadError = file.errorString();
        return LoadResult::Corrupt;
    }
    try {
        parse(file.readAll());
    } catch (const Error &e) {
        m_keys.clear();
        m_index.clear();
        m_loadError = e.message();
        return LoadResult::Corrupt;
    }
    return LoadResult::Loaded;
}

QString RegistryStore::setAsideCorruptFile()
{
    const QString stamp = Clock::now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = m_filePath + QStringLiteral(".bad-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = m_filePath + QStringLiteral(".bad-") + stamp + QStringLiteral("-%1").arg(n);
    if (::rename(QFile::encodeName(m_filePath).constData(), QFile::encodeName(target).constData()) != 0)
        throw Error(QStringLiteral("Cannot move %1 to %2: %3")
                        .arg(m_filePath, target, QString::fromLocal8Bit(std::strerror(errno))));
    return target;
}

void RegistryStore::save() const
{
    const QFileInfo info(m_filePath);
    const QString dir = info.absolutePath();
    if (!QDir().mkpath(dir))
        throw Error(QStringLiteral("Cannot create the folder %1").arg(dir));

    const QByteArray data = serialize();
    const QString tmpPath = m_filePath + QStringLiteral(".tmp-%1").arg(::getpid());
    const QByteArray tmpNative = QFile::encodeName(tmpPath);
    ::unlink(tmpNative.constData());
    const int fd = ::open(tmpNative.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        throw Error(QStringLiteral("Cannot create %1: %2").arg(tmpPath, QString::fromLocal8Bit(std::strerror(errno))));
    try {
        ::fchmod(fd, 0600); // whatever the umask says
        writeAll(fd, data, tmpPath);
        if (::fsync(fd) != 0)
            throw Error(QStringLiteral("Cannot flush %1: %2").arg(tmpPath, QString::fromLocal8Bit(std::strerror(errno))));
    } catch (...) {
        ::close(fd);
        ::unlink(tmpNative.constData());
        throw;
    }
    ::close(fd);
    if (::rename(tmpNative.constData(), QFile::encodeName(m_filePath).constData()) != 0) {
        const int err = errno;
        ::unlink(tmpNative.constData());
        throw Error(QStringLiteral("Cannot replace %1: %2").arg(m_filePath, QString::fromLocal8Bit(std::strerror(err))));
    }
    // The rename itself must survive a power cut too.
    const int dfd = ::open(QFile::encodeName(dir).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

} // namespace tarnwick
