// One channel message to a FluidSynth synthesizer: what playing and rendering both do.
#ifndef TUNEDECK_QT_PLAYBACK_FLUIDMESSAGES_H
#define TUNEDECK_QT_PLAYBACK_FLUIDMESSAGES_H

#include <fluidsynth.h>

#include <cstdint>

namespace tunedeck {

inline void sendToSynth(fluid_synth_t *synth, std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    const int channel = status & 0x0F;
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(synth, channel, data1);
        break;
    case 0x90:
        if (data2 == 0)
            fluid_synth_noteoff(synth, channel, data1);
        else
            fluid_synth_noteon(synth, channel, data1, data2);
        break;
    case 0xA0:
        fluid_synth_key_pressure(synth, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(synth, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(synth, channel, data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(synth, channel, data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(synth, channel, data1 | data2 << 7);
        break;
    default:
        break;
    }
}

} // namespace tunedeck

#endif
