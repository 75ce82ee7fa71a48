#pragma once

#include "RegValue.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tarnwick {

// The per-user settings store: the registry branch HKEY_CURRENT_USER\Software\Brennix\Tarnwick
// kept in a file in the registry export text format, so that settings exported from a Windows
// installation can be dropped in. Keys and value names compare without regard to case, as in the
// registry. Keys and values the program does not know are kept when the file is rewritten.
//
// Key arguments are relative to the program's root key: "" is the root itself, "fTarnwick" or
// "Grids\GridEvents\vwRep" its subkeys. Repeated backslashes collapse to one.
class RegistryStore
{
public:
    static const QString rootKey; // HKEY_CURRENT_USER\Software\Brennix\Tarnwick

    // $XDG_CONFIG_HOME/Brennix/Tarnwick.reg (~/.config when XDG_CONFIG_HOME is not set).
    static QString defaultPath();

    explicit RegistryStore(const QString &filePath = defaultPath());

    const QString &filePath() const { return m_filePath; }

    enum class LoadResult { Loaded, Missing, Corrupt };
    // Reads the file. A file that does not parse leaves the store empty; loadError() says why.
    LoadResult load();
    QString loadError() const { return m_loadError; }
    // Moves a file that did not parse out of the way ("<name>.bad-yyyyMMdd-hhmmss") and returns
    // where it went. Throws Error when it cannot be moved.
    QString setAsideCorruptFile();

    // Writes the whole store: a temporary file beside the target, flushed to disk, renamed over
    // it; mode 0600 because it holds the database password. Throws Error on failure.
    void save() const;

    std::optional<RegValue> value(const QString &key, const QString &name) const;
    void setValue(const QString &key, const QString &name, const RegValue &value);
    void removeValue(const QString &key, const QString &name);
    QStringList valueNames(const QString &key) const;
    QStringList subKeys(const QString &key) const; // names of the immediate subkeys
    bool hasKey(const QString &key) const;
    void createKey(const QString &key);
    void removeKey(const QString &key); // with everything below it

    // "fTarnwick\\MaxListItems" -> ("fTarnwick", "MaxListItems"): the value name is the part
    // after the last backslash.
    static std::pair<QString, QString> splitPath(const QString &path);
    static QString normalizeKey(const QString &key);

    // Parses registry export text (either header). Throws Error naming the line that fails.
    void parse(const QByteArray &fileBytes);
    QByteArray serialize() const;

private:
    struct Value
    {
        QString name;
        RegValue data;
    };
    struct Key
    {
        QString path; // absolute, as written
        std::vector<Value> values;
    };

    QString absolute(const QString &relativeKey) const;
    Key *findKey(const QString &absolutePath);
    const Key *findKey(const QString &absolutePath) const;
    Key &ensureKey(const QString &absolutePath);
    void reindex();

    QString m_filePath;
    QString m_loadError;
    std::vector<Key> m_keys;
    QHash<QString, size_t> m_index; // lower-case absolute path -> position in m_keys
};

} // namespace tarnwick
