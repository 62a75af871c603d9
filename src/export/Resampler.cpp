#include "export/Resampler.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace lirondo {

namespace {
constexpr int kHalfTaps = 16; // input samples either side of an output sample

double windowedSinc(double x, double cutoff)
{
    if (std::abs(x) >= kHalfTaps)
        return 0.0;
    const double window = 0.5 + 0.5 * std::cos(std::numbers::pi * x / kHalfTaps);
    const double t = std::numbers::pi * x * cutoff;
    return cutoff * (t == 0.0 ? 1.0 : std::sin(t) / t) * window;
}
} // namespace

Resampler::Resampler(int fromRate, int toRate)
{
    const int g = std::gcd(fromRate, toRate);
    m_step = fromRate / g;
    m_phases = toRate / g;
    // Below the lower of the two Nyquist frequencies, so a rate down gets no aliases.
    const double cutoff = std::min(1.0, double(toRate) / fromRate);
    m_taps.resize(size_t(m_phases) * 2 * kHalfTaps);
    for (int p = 0; p < m_phases; ++p) {
        for (int k = 0; k < 2 * kHalfTaps; ++k) {
            const double x = double(kHalfTaps - 1 - k) + double(p) / m_phases;
            m_taps[size_t(p) * 2 * kHalfTaps + size_t(k)] = float(windowedSinc(x, cutoff));
        }
    }
}

void Resampler::process(const float* in, int count, std::vector<float>& out)
{
    m_history.insert(m_history.end(), in, in + count);
    m_inputTotal += count;
    emitReady(out, false);
}

void Resampler::finish(std::vector<float>& out)
{
    emitReady(out, true);
}

void Resampler::emitReady(std::vector<float>& out, bool draining)
{
    const long long last = (m_inputTotal * m_phases + m_step - 1) / m_step; // outputs in all
    for (; !draining || m_produced < last; ++m_produced) {
        const long long scaled = m_produced * m_step;
        const long long first = scaled / m_phases - kHalfTaps + 1;
        const long long end = first + 2 * kHalfTaps;
        if (!draining && end > m_inputTotal)
            break;
        const float* taps = &m_taps[size_t(scaled % m_phases) * 2 * kHalfTaps];
        float sum = 0.0f;
        for (long long i = std::max(first, m_consumed); i < std::min(end, m_inputTotal); ++i)
            sum += m_history[size_t(i - m_consumed)] * taps[i - first];
        out.push_back(sum);
    }
    // Keep only the input the next output still needs.
    const long long keepFrom = std::clamp<long long>(m_produced * m_step / m_phases - kHalfTaps + 1,
                                                     m_consumed, m_inputTotal);
    m_history.erase(m_history.begin(), m_history.begin() + (keepFrom - m_consumed));
    m_consumed = keepFrom;
}

} // namespace lirondo
