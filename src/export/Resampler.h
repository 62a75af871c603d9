#pragma once

#include <vector>

namespace lirondo {

// Converts a stream of mono samples from one rate to another with a windowed-sinc
// filter, block by block, keeping what the filter needs of the last block. Used for
// formats that cannot store the engine's own rate (Opus takes 48 kHz, not 22,050 Hz).
class Resampler
{
public:
    Resampler(int fromRate, int toRate);

    // Appends the output for `count` more input samples to `out`. Call finish() once
    // after the last block for the filter's tail.
    void process(const float* in, int count, std::vector<float>& out);
    void finish(std::vector<float>& out);

private:
    void emitReady(std::vector<float>& out, bool draining);

    int m_step; // input samples per m_phases output samples, in lowest terms
    int m_phases;
    std::vector<float> m_taps;    // m_phases rows of filter taps
    std::vector<float> m_history; // input not yet fully used by the filter
    long long m_consumed = 0;     // input samples dropped from the front of m_history
    long long m_produced = 0;     // output samples made so far
    long long m_inputTotal = 0;
};

} // namespace lirondo
