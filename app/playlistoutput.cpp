// Placeholder until the player lands: accepts everything, plays nothing.
#include "playlistoutput.h"

namespace tunedeck {

struct PlayListOutput::Private {};

PlayListOutput::PlayListOutput(const SoundOptions &, QObject *parent) : QObject(parent), d(new Private) {}
PlayListOutput::~PlayListOutput() = default;
void PlayListOutput::setDevice(int) {}
void PlayListOutput::open() {}
void PlayListOutput::setEventTime(qint32) {}
void PlayListOutput::setEventTag(qint32) {}
void PlayListOutput::setEventStatus(int) {}
void PlayListOutput::setEventData1(int) {}
void PlayListOutput::setEventData2(int) {}
void PlayListOutput::appendEvent() {}
void PlayListOutput::play() {}
void PlayListOutput::stop() {}
void PlayListOutput::close() {}
bool PlayListOutput::isPlaying() const { return false; }
QString PlayListOutput::soundOffReason() const { return {}; }

} // namespace tunedeck
