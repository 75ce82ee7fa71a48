#pragma once

#include "WavePlayer.h"

#include <QObject>
#include <cstdint>
#include <memory>

struct ca_context;

namespace tarnwick {

// The wave player on libcanberra (its ALSA backend needs no sound daemon).
class CanberraWavePlayer : public QObject, public WavePlayer
{
    Q_OBJECT
public:
    // What the last play() started.
    enum class Source
    {
        Nothing,      // empty name, or no sound system at all
        File,         // the named file
        DefaultSound, // the desktop's default sound in place of a missing or unplayable file
    };

    // The event sound of the freedesktop sound theme that stands for the default sound.
    static const char *const defaultSoundId; // "bell"

    explicit CanberraWavePlayer(QObject *parent = nullptr);
    ~CanberraWavePlayer() override;

    void play(const QString &fileName) override;

    Source lastSource() const { return m_lastSource; }
    // libcanberra's result of the last start (0 success, negative CA_ERROR_*).
    int lastResult() const { return m_lastResult; }
    // The number of the sound started last; 0 before the first.
    quint32 lastSoundId() const { return m_lastId; }

Q_SIGNALS:
    // A started sound ended: played out (code 0), cut short by the next sound (CA_ERROR_CANCELED)
    // or failed while playing. Delivered on this object's thread.
    void finished(quint32 soundId, int code);

private:
    struct Shared;
    static void soundFinished(ca_context *context, uint32_t id, int code, void *userdata);
    int start(bool defaultSound, const QString &fileName);

    ca_context *m_context = nullptr;
    std::unique_ptr<Shared> m_shared;
    quint32 m_lastId = 0;
    Source m_lastSource = Source::Nothing;
    int m_lastResult = 0;
};

} // namespace tarnwick
