#include "CanberraWavePlayer.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>

#include <canberra.h>

namespace tarnwick {

const char *const CanberraWavePlayer::defaultSoundId = "bell";

// What libcanberra's playback threads reach through their user data. It outlives the context:
// the player detaches itself from it before destroying the context, and destroying the context
// waits for every playback thread.
struct CanberraWavePlayer::Shared
{
    QMutex mutex;
    CanberraWavePlayer *owner = nullptr;
};

CanberraWavePlayer::CanberraWavePlayer(QObject *parent)
    : QObject(parent), m_shared(std::make_unique<Shared>())
{
    m_shared->owner = this;
    if (ca_context_create(&m_context) != CA_SUCCESS) {
        m_context = nullptr;
        return;
    }
    ca_context_change_props(m_context, CA_PROP_APPLICATION_NAME, "Tarnwick", nullptr);
}

CanberraWavePlayer::~CanberraWavePlayer()
{
    {
        QMutexLocker lock(&m_shared->mutex);
        m_shared->owner = nullptr;
    }
    if (m_context)
        ca_context_destroy(m_context);
}

// Runs on a playback thread, or inside ca_context_cancel() on the caller's thread while
// libcanberra holds its own lock, so it only posts.
void CanberraWavePlayer::soundFinished(ca_context *, uint32_t id, int code, void *userdata)
{
    auto *shared = static_cast<Shared *>(userdata);
    QMutexLocker lock(&shared->mutex);
    CanberraWavePlayer *owner = shared->owner;
    if (!owner)
        return;
    QMetaObject::invokeMethod(
        owner, [owner, id, code] { Q_EMIT owner->finished(quint32(id), code); },
        Qt::QueuedConnection);
}

int CanberraWavePlayer::start(bool defaultSound, const QString &fileName)
{
    ca_proplist *props = nullptr;
    if (ca_proplist_create(&props) != CA_SUCCESS)
        return CA_ERROR_OOM;
    const QByteArray path = QFile::encodeName(fileName);
    if (defaultSound) {
        ca_proplist_sets(props, CA_PROP_EVENT_ID, defaultSoundId);
    } else {
        ca_proplist_sets(props, CA_PROP_MEDIA_FILENAME, path.constData());
        // Operator-chosen files can change between two registrations: never serve a cached copy.
        ca_proplist_sets(props, CA_PROP_CANBERRA_CACHE_CONTROL, "never");
    }
    m_lastId = m_lastId == UINT32_MAX ? 1 : m_lastId + 1;
    const int result = ca_context_play_full(m_context, m_lastId, props,
                                            &CanberraWavePlayer::soundFinished, m_shared.get());
    ca_proplist_destroy(props);
    return result;
}

void CanberraWavePlayer::play(const QString &fileName)
{
    m_lastResult = CA_SUCCESS;
    m_lastSource = Source::Nothing;
    if (fileName.isEmpty())
        return;
    if (!m_context) {
        m_lastResult = CA_ERROR_STATE;
        return;
    }
    if (m_lastId != 0)
        ca_context_cancel(m_context, m_lastId);

    // libcanberra answers a missing file and a missing sound card with the same code, so the
    // file is looked at here: only a file that exists is offered to it.
    const QFileInfo info(fileName);
    if (info.isFile() && info.isReadable()) {
        m_lastSource = Source::File;
        m_lastResult = start(false, fileName);
        if (m_lastResult == CA_SUCCESS)
            return;
    }
    m_lastSource = Source::DefaultSound;
    m_lastResult = start(true, QString());
}

} // namespace tarnwick
