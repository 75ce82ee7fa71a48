#include "FormStorage.h"

#include "RegistryStore.h"
#include "StoredEncodings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace tarnwick {

namespace {

// The system's show commands as stored in the placement.
enum ShowCmd { ShowNormal = 1, ShowMinimized = 2, ShowMaximized = 3 };

int currentPixelsPerInch(const QWidget *w)
{
    const QScreen *screen = w ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? int(std::lround(screen->logicalDotsPerInch())) : 96;
}

std::optional<qint32> readInt(const std::optional<RegValue> &v)
{
    if (v && v->isDWord())
        return qint32(v->dword);
    return std::nullopt;
}

std::optional<QList<int>> readFour(const std::optional<RegValue> &v)
{
    if (!v || !v->isString())
        return std::nullopt;
    const QStringList parts = v->text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    QList<int> out;
    for (const QString &p : parts) {
        bool ok = false;
        out << p.trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return out;
}

} // namespace

FormStorage::FormStorage(RegistryStore *store, const QString &storagePath, QWidget *form,
                         bool applicationMainWindow, QObject *parent)
    : QObject(parent), m_store(store), m_rawPath(storagePath), m_form(form),
      m_mainWindow(applicationMainWindow)
{
}

QString FormStorage::storagePath() const
{
    QString path = m_rawPath;
    if (m_form)
        path.replace(QStringLiteral("%FORM_NAME%"), m_form->objectName(), Qt::CaseInsensitive);
    return RegistryStore::normalizeKey(path);
}

qsizetype FormStorage::indexOf(const QString &name) const
{
    for (qsizetype i = 0; i < m_values.size(); ++i) {
        if (m_values[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

void FormStorage::addStoredValue(const QString &name, const QVariant &defaultValue)
{
    // Declaring a value is writing its default: its kind is the default's.
    writeValue(name, defaultValue);
}

void FormStorage::addStoredProperty(const QString &valueName, Kind kind, std::function<QVariant()> get,
                                    std::function<void(const QVariant &)> set)
{
    m_properties.append({valueName, kind, std::move(get), std::move(set)});
}

QVariant FormStorage::readValue(const QString &name) const
{
    QReadLocker lock(&m_lock);
    const qsizetype i = indexOf(name);
    return i >= 0 ? m_values[i].value : QVariant();
}

void FormStorage::writeValue(const QString &name, const QVariant &value)
{
    QWriteLocker lock(&m_lock);
    const qsizetype i = indexOf(name);
    if (i >= 0)
        m_values[i].value = value;
    else
        m_values.append({name, value});
}

QStringList FormStorage::valueNames() const
{
    QReadLocker lock(&m_lock);
    QStringList names;
    for (const StoredValue &v : m_values)
        names << v.name;
    return names;
}

void FormStorage::restore()
{
    const QString key = storagePath();
    const std::optional<qint32> version = readInt(m_store->value(key, QStringLiteral("FormVersion")));
    if (version.value_or(0) < 0)
        return; // a negative settings version means: leave this window as designed
    m_restored = true;

    restorePlacement();
    for (const StoredProperty &p : m_properties)
        restoreProperty(p);

    {
        QWriteLocker lock(&m_lock);
        for (StoredValue &v : m_values) {
            const std::optional<RegValue> stored = m_store->value(key, v.name);
            if (!stored)
                continue;
            switch (v.value.typeId()) {
            case QMetaType::Int:
                if (stored->isDWord())
                    v.value = int(qint32(stored->dword));
                break;
            case QMetaType::Bool:
                if (const std::optional<bool> b = encodings::readSwitch(*stored))
                    v.value = *b;
                break;
            default:
                if (stored->isString())
                    v.value = stored->text;
                break;
            }
        }
    }

    if (m_afterRestore)
        m_afterRestore();
}

void FormStorage::restorePlacement()
{
    if (!m_form)
        return;
    const QString key = storagePath();
    const std::optional<QList<int>> norm = readFour(m_store->value(key, QStringLiteral("NormPos")));
    const std::optional<qint32> ppi = readInt(m_store->value(key, QStringLiteral("PixelsPerInch")));
    if (norm && (*norm)[0] < (*norm)[2] && ppi && *ppi == currentPixelsPerInch(m_form)) {
        const QList<int> &r = *norm;
        m_form->setGeometry(QRect(QPoint(r[0], r[1]), QPoint(r[2] - 1, r[3] - 1)));
        // An explicit position wins over the window system's placement.
        m_form->setAttribute(Qt::WA_Moved);
    }

    const std::optional<qint32> showCmd = readInt(m_store->value(key, QStringLiteral("ShowCmd")));
    Qt::WindowStates state = Qt::WindowNoState;
    switch (showCmd.value_or(-1)) {
    case 1:
    case 5:
    case 9:
        break;
    case 2:
    case 6:
    case 7:
        state = Qt::WindowMinimized;
        break;
    case 3:
        state = Qt::WindowMaximized;
        break;
    default:
        if (m_mainWindow)
            state = Qt::WindowMaximized;
        break;
    }
    m_form->setWindowState(state);
}

void FormStorage::restoreProperty(const StoredProperty &p)
{
    const std::optional<RegValue> stored = m_store->value(storagePath(), p.valueName);
    if (!stored)
        return;
    QVariant value;
    switch (p.kind) {
    case Kind::Integer:
        if (stored->isDWord())
            value = int(qint32(stored->dword));
        break;
    case Kind::Text:
        if (stored->isString())
            value = stored->text;
        break;
    case Kind::Switch:
        if (const std::optional<bool> b = encodings::readSwitch(*stored))
            value = *b;
        break;
    case Kind::Colour:
        if (const std::optional<quint32> c = encodings::readColour(*stored))
            value = uint(*c);
        break;
    case Kind::PickerDate:
    case Kind::PickerTime:
        if (stored->isBinary()) {
            if (const std::optional<double> days = encodings::decodeExtended(stored->bytes)) {
                if (std::fabs(*days) < 3.0e6) // within the years 1 to 9999
                    value = p.kind == Kind::PickerDate ? QVariant(encodings::dateOfDays(*days))
                                                       : QVariant(encodings::timeOfDays(*days));
            }
        }
        break;
    }
    if (value.isValid() && p.set)
        p.set(value);
}

void FormStorage::save()
{
    const QString key = storagePath();
    m_store->setValue(key, QStringLiteral("FormVersion"), RegValue::number(0));
    if (m_restored) {
        savePlacement();
        for (const StoredProperty &p : m_properties)
            saveProperty(p);
        QReadLocker lock(&m_lock);
        for (const StoredValue &v : m_values) {
            switch (v.value.typeId()) {
            case QMetaType::Int:
            case QMetaType::UInt:
            case QMetaType::LongLong:
                m_store->setValue(key, v.name, RegValue::number(quint32(v.value.toLongLong())));
                break;
            case QMetaType::Bool:
                m_store->setValue(key, v.name, encodings::writeSwitch(v.value.toBool()));
                break;
            default:
                m_store->setValue(key, v.name, RegValue::string(v.value.toString()));
                break;
            }
        }
    }
    m_saved = true;
    m_store->save();
}

void FormStorage::savePlacement()
{
    if (!m_form)
        return;
    const QString key = storagePath();
    int showCmd = ShowNormal;
    if (m_form->isMinimized() || (m_mainWindow && QGuiApplication::applicationState() == Qt::ApplicationHidden))
        showCmd = ShowMinimized;
    else if (m_form->isMaximized())
        showCmd = ShowMaximized;
    // The placement flag that says "restore to maximised" when a maximised window is minimised.
    const int flags = (m_form->isMinimized() && (m_form->windowState() & Qt::WindowMaximized)) ? 2 : 0;
    QRect normal = m_form->normalGeometry();
    if (!normal.isValid())
        normal = m_form->geometry();
    m_store->setValue(key, QStringLiteral("ShowCmd"), RegValue::number(quint32(showCmd)));
    m_store->setValue(key, QStringLiteral("Flags"), RegValue::number(quint32(flags)));
    m_store->setValue(key, QStringLiteral("PixelsPerInch"), RegValue::number(quint32(currentPixelsPerInch(m_form))));
    m_store->setValue(key, QStringLiteral("MinMaxPos"), RegValue::string(QStringLiteral("-1,-1,-1,-1")));
    m_store->setValue(key, QStringLiteral("NormPos"),
                      RegValue::string(QStringLiteral("%1,%2,%3,%4")
                                           .arg(normal.left())
                                           .arg(normal.top())
                                           .arg(normal.left() + normal.width())
                                           .arg(normal.top() + normal.height())));
}

void FormStorage::saveProperty(const StoredProperty &p)
{
    if (!p.get)
        return;
    const QVariant v = p.get();
    const QString key = storagePath();
    switch (p.kind) {
    case Kind::Integer:
        m_store->setValue(key, p.valueName, RegValue::number(quint32(v.toLongLong())));
        break;
    case Kind::Text:
        m_store->setValue(key, p.valueName, RegValue::string(v.toString()));
        break;
    case Kind::Switch:
        m_store->setValue(key, p.valueName, encodings::writeSwitch(v.toBool()));
        break;
    case Kind::Colour:
        m_store->setValue(key, p.valueName, encodings::writeColour(v.toUInt()));
        break;
    case Kind::PickerDate:
        m_store->setValue(key, p.valueName,
                          RegValue::binary(encodings::encodeExtended(encodings::dateTimeToDays(v.toDate(), QTime()))));
        break;
    case Kind::PickerTime:
        m_store->setValue(key, p.valueName,
                          RegValue::binary(encodings::encodeExtended(
                              encodings::dateTimeToDays(QDate(1899, 12, 30), v.toTime()))));
        break;
    }
}

} // namespace tarnwick
