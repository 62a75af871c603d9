#pragma once

#include <QtGlobal>

namespace lirondo {

// A word, a sentence or the end of a stream, timed by its place in the audio.
struct EspeakEvent
{
    // A sentence is raised when it starts, with length -1: its length follows in a
    // SentenceLength event once the next sentence (or the end) is known.
    enum class Kind
    {
        Word,
        Sentence,
        SentenceLength,
        End
    };
    quint64 generation = 0;
    Kind kind = Kind::Word;
    int stream = 0;
    int position = 0;
    int length = 0;
    qint64 sample = 0; // position in the output since the last purge
};

} // namespace lirondo
