#pragma once

#include "assistant/AcsFile.h"
#include "fakes/TestFiles.h"

namespace lirondo::test {

// A 4 × 4 character small enough to reason about pixel by pixel: a 2 × 2 red block
// in the middle of each frame, the rest in the transparent colour (index 0).
//   Show (2 frames), Hide, Greet (3), GreetReturn,
//   Loop: 0 → 1, 1 branches back to 0 always, exit from 1 to 2, which ends it;
//   Chance: 0 branches to 2 with 50 %, else goes on to 1;
//   Stuck: one frame that branches and exits to itself;
//   Quick: frames of duration 0;
//   Wave: 3 branches back to 2 with 50 %, and 1 to 3 exit to 4.
inline acs::Character makeTestCharacter()
{
    acs::Character c;
    c.name = QStringLiteral("tester");
    c.frameWidth = 4;
    c.frameHeight = 4;
    c.palette.fill(qRgb(0, 255, 255), 256); // the transparent colour: cyan
    c.palette[1] = qRgb(255, 0, 0);
    c.images.append({4, 4, QByteArray("\0\0\0\0\0\1\1\0\0\1\1\0\0\0\0\0", 16)});

    const auto frame = [](int ms, int exitFrame = -1, QList<acs::Branch> branches = {}) {
        return acs::Frame{{{0, 0, 0}}, ms, exitFrame, std::move(branches)};
    };
    const auto add = [&c](const char* name, QList<acs::Frame> frames) {
        c.animations.append({QString::fromLatin1(name), {}, 0, std::move(frames)});
    };
    add("Show", {frame(100), frame(100)});
    add("Hide", {frame(100)});
    add("Greet", {frame(100), frame(100), frame(100)});
    add("GreetReturn", {frame(100)});
    add("Loop", {frame(100), frame(100, 2, {{0, 100}}), frame(100)});
    add("Chance", {frame(100, -1, {{2, 50}}), frame(100), frame(100)});
    add("Stuck", {frame(100, 0, {{0, 100}})});
    add("Quick", {frame(0), frame(0)});
    add("Wave", {frame(100), frame(100, 4), frame(100, 4), frame(100, 4, {{2, 50}}), frame(100)});
    return c;
}

} // namespace lirondo::test
