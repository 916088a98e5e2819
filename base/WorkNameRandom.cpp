#include "base/WorkNameRandom.h"

#include <mutex>
#include <random>

namespace {

class WorkNameGenerator {
public:
    static WorkNameGenerator& Instance()
    {
        static WorkNameGenerator generator;
        return generator;
    }

    uint64_t Next()
    {
        std::lock_guard lock(m_lock);
        return m_engine();
    }

    wchar_t NextDigit()
    {
        std::lock_guard lock(m_lock);
        return static_cast<wchar_t>(L'0' + m_digit(m_engine));
    }

private:
    WorkNameGenerator()
    {
        std::random_device source;
        std::seed_seq seed { source(), source(), source(), source() };
        m_engine.seed(seed);
    }

    std::mutex m_lock;
    std::mt19937_64 m_engine;
    std::uniform_int_distribution<int> m_digit { 0, 9 };
};

}  // namespace

uint64_t WorkNameRandomNumber()
{
    return WorkNameGenerator::Instance().Next();
}

std::wstring WorkNameRandomDigits(int count)
{
    std::wstring digits;
    for (int i = 0; i < count; ++i)
        digits += WorkNameGenerator::Instance().NextDigit();
    return digits;
}
