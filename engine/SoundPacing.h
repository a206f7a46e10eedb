// The pace at which a second sound device reaches the encoder. A loopback source sends nothing
// while nothing plays, and the encoder would wait for it: silence stands in for what it did not
// deliver, and what it delivers late beyond the slack is dropped, so the encoder's input keeps the
// clock's pace and never holds the track back nor drifts behind it.
#pragma once
#include <cstdint>

struct SoundStep {
    uint64_t drop = 0;     // frames dropped from the oldest of what is buffered
    uint64_t take = 0;     // frames passed on after the drop
    uint64_t silence = 0;  // frames of silence after them
};

// due: frames the encoder's clock has run since it connected; written: frames passed on so far;
// buffered: frames the device delivered and not yet passed on. Within the slack either way,
// everything buffered is passed on and nothing is added.
inline SoundStep PaceSound(uint64_t due, uint64_t written, uint64_t buffered, uint64_t slack) {
    SoundStep step;
    const uint64_t limit = due + slack;
    if (written + buffered > limit) step.drop = written >= limit ? buffered : written + buffered - limit;
    step.take = buffered - step.drop;
    const uint64_t after = written + step.take;
    if (after + slack < due) step.silence = due - slack - after;
    return step;
}
