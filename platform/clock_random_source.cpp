#include "platform/clock_random_source.h"

#include <QTime>

namespace tandemo {

void ClockRandomSource::seedFromTimer()
{
    const int secondsSinceMidnight = QTime::currentTime().msecsSinceStartOfDay() / 1000;
    m_generator.seed(static_cast<std::mt19937::result_type>(secondsSinceMidnight));
}

double ClockRandomSource::nextUniform()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_generator);
}

} // namespace tandemo
