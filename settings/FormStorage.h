#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QReadWriteLock>
#include <QVariant>
#include <functional>

class QWidget;

namespace tarnwick {

class RegistryStore;

// The stored settings of one window: its placement, named values and component properties, kept
// in memory while the program runs, loaded from the store when the window is first shown and
// written back when it closes. Other parts read and write the values by name.
class FormStorage : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Integer, Text, Switch, Colour, PickerDate, PickerTime };

    // storagePath is a subkey of the program's root with a trailing backslash ("fTarnwick\");
    // "%FORM_NAME%" in it stands for the window's objectName. A main window that has no stored
    // placement opens maximised.
    FormStorage(RegistryStore *store, const QString &storagePath, QWidget *form,
                bool applicationMainWindow = false, QObject *parent = nullptr);

    // A named value; its kind is that of the default: int, QString or bool.
    void addStoredValue(const QString &name, const QVariant &defaultValue);
    // A component property stored under valueName (component name, "_", property name).
    // Integer properties travel as int, colours as uint 0x00BBGGRR, pickers as QDate / QTime.
    void addStoredProperty(const QString &valueName, Kind kind, std::function<QVariant()> get,
                           std::function<void(const QVariant &)> set);

    // Safe from any thread. An unknown name reads as a null QVariant.
    QVariant readValue(const QString &name) const;
    // Replaces the in-memory value (or adds a named value); the store is written at save().
    void writeValue(const QString &name, const QVariant &value);
    QStringList valueNames() const;

    // Called at the end of a restore (the main window obtains its database connection there).
    void setAfterRestore(std::function<void()> handler) { m_afterRestore = std::move(handler); }

    // Placement, properties, values, then the after-restore handler. Values and properties that
    // cannot be read keep their current state; errors of the handler reach the caller.
    void restore();
    // Writes everything into the store and the store to its file. Throws Error when the file
    // cannot be written.
    void save();

    bool isRestored() const { return m_restored; }
    bool hasSaved() const { return m_saved; }
    QString storagePath() const; // resolved, without trailing backslash

private:
    struct StoredValue
    {
        QString name;
        QVariant value;
    };
    struct StoredProperty
    {
        QString valueName;
        Kind kind;
        std::function<QVariant()> get;
        std::function<void(const QVariant &)> set;
    };

    void restorePlacement();
    void savePlacement();
    void restoreProperty(const StoredProperty &p);
    void saveProperty(const StoredProperty &p);
    qsizetype indexOf(const QString &name) const; // caller holds m_lock

    RegistryStore *m_store;
    QString m_rawPath;
    QPointer<QWidget> m_form;
    bool m_mainWindow;
    bool m_restored = false;
    bool m_saved = false;
    mutable QReadWriteLock m_lock;
    QList<StoredValue> m_values;
    QList<StoredProperty> m_properties;
    std::function<void()> m_afterRestore;
};

} // namespace tarnwick
