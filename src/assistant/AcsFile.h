#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QImage>
#include <QList>
#include <QRgb>
#include <QString>
#include <QStringList>

#include <optional>

// Reader and writer for Agent Character Storage files, version 2 (.acs): the
// character's frame size, palette, animations, frames, branches and images.
// Audio and balloon/voice details are skipped.
namespace lirondo::acs {

// 8-bit palette indices, top-down rows, width bytes per row (no padding).
struct Image
{
    int width = 0;
    int height = 0;
    QByteArray pixels;
};

// One image placed in a frame; x/y is the offset inside the character frame.
struct FrameImage
{
    int imageIndex = 0;
    int x = 0;
    int y = 0;
};

// A possible jump after a frame; probability in percent.
struct Branch
{
    int frameIndex = 0;
    int probability = 0;
};

struct Frame
{
    // The first image is on top: compose from the last to the first.
    QList<FrameImage> images;
    int durationMs = 0;
    // Frame to jump to when the animation is asked to exit early; -1 for none.
    int exitFrame = -1;
    // Tried in order with one draw r in 1..100: the first branch with r <= probability
    // wins, else r -= probability; no branch taken means the next frame.
    QList<Branch> branches;
};

// transitionType: 0 = play returnAnimation afterwards, 1 = use the exit branches,
// 2 = none.
struct Animation
{
    QString name;
    QString returnAnimation;
    int transitionType = 0;
    QList<Frame> frames;
};

struct Character
{
    QString name;
    QString description;
    int frameWidth = 0;
    int frameHeight = 0;
    int transparentIndex = 0;
    QList<QRgb> palette;         // 256 entries
    QList<Animation> animations; // name lookup is case-insensitive
    QList<Image> images;
    // State name ("SHOWING", "HIDING", "SPEAKING", "IDLINGLEVEL1", ...) -> animation
    // names. Keys are stored upper-case.
    QHash<QString, QStringList> states;

    // nullptr when there is no animation of that name.
    const Animation* animation(const QString& animationName) const;
    // -1 when there is no animation of that name.
    int animationIndex(const QString& animationName) const;
    // The frame composed as QImage::Format_ARGB32, frameWidth x frameHeight, with the
    // transparent colour cut out (alpha 0). A null QImage when the indices are out of
    // range.
    QImage frameImage(int animationIndex, int frameIndex) const;
};

struct ReadResult
{
    std::optional<Character> character;
    QString error; // empty on success
};

// Never throws or crashes on malformed input; gives character = nullopt and an
// error instead. On success every image index, branch, exit frame, return
// animation and state entry refers to something that exists (bad references are
// dropped), images are decoded, frame sizes are within 1..maxFrameSide, and no frame
// stacks more image pixels than 16 frames' worth (so composing stays cheap), and at
// least one frame shows a pixel (a character that cannot be seen does not load).
// Frames of duration 0 that can loop among themselves get 10 ms, so a player
// never spins without showing anything.
inline constexpr int maxFrameSide = 2048;
ReadResult readAcs(QByteArrayView file);

// The character as a version 2 file, images compressed or stored raw.
QByteArray writeAcs(const Character& character, bool compressImages);

} // namespace lirondo::acs
