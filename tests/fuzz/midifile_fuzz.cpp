// Feeds arbitrary bytes to the MIDI file reader and reads back everything it offers,
// trapping on any state the program could not rely on.
#include "fastdetect/midifile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    tunedeck::MidiFile midi;
    int reports = 0;
    midi.setErrorHandler([&](const std::string &reason) {
        ++reports;
        check(!reason.empty());
    });
    const bool ok = midi.loadFromBytes(std::string_view(reinterpret_cast<const char *>(data), size));

    check(ok == midi.ok());
    check(reports == (ok ? 0 : 1));
    check(ok ? midi.errorMessage().empty() : !midi.errorMessage().empty());
    check(midi.trackCount() >= 0 && std::size_t(midi.trackCount()) == midi.tracks().size());
    if (!ok)
        check(midi.trackCount() == 0 && midi.format() == 0 && midi.divisionKind() == 0 && midi.ticksPerQuarter() == 0);
    volatile int32_t header = midi.format() + midi.divisionKind() + midi.ticksPerQuarter() + midi.tempo();
    (void)header;

    // One past each end as well, which must select nothing.
    for (int32_t t = 0; t <= midi.trackCount() + 1; ++t) {
        midi.setTrack(t);
        const int32_t count = midi.eventCount();
        check(count >= 0);
        check(t >= 1 && t <= midi.trackCount() ? std::size_t(count) == midi.tracks()[std::size_t(t) - 1].events.size()
                                                : count == 0);
        int64_t ticks = 0;
        for (int32_t k = 0; k <= count + 1; ++k) {
            midi.setEvent(k);
            const int32_t delta = midi.deltaTime();
            const int status = midi.status();
            const int data1 = midi.data1();
            const int data2 = midi.data2();
            if (k < 1 || k > count) {
                check((delta | status | data1 | data2) == 0);
                continue;
            }
            check(delta >= 0 && delta <= 0x0FFFFFFF);
            ticks += delta;
            check(ticks <= INT32_MAX);
            check(status >= 0x80 && status <= 0xFF && data1 >= 0 && data1 <= 0xFF && data2 >= 0 && data2 <= 0xFF);
            if (status < 0xF0)
                check(data1 <= 0x7F && data2 <= 0x7F && ((status & 0xE0) != 0xC0 || data2 == 0));
            else
                check(status == 0xFF || ((status == 0xF0 || status == 0xF7) && data1 == 0 && data2 == 0));
            // Nothing follows End of Track.
            if (status == 0xFF && data1 == 0x2F)
                check(k == count);
        }
    }
    return 0;
}
