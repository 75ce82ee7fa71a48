#pragma once

#include <QString>

namespace tarnwick {

// Plays a WAV file by name, asynchronously: play() returns at once, the sound plays on in the
// background and does not loop. A new sound stops the one still playing; an empty name plays
// nothing; a file that is missing or cannot be played gives the desktop's default sound instead,
// without a message.
class WavePlayer
{
public:
    virtual ~WavePlayer() = default;
    virtual void play(const QString &fileName) = 0;
};

} // namespace tarnwick
