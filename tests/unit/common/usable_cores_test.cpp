#include "common/usable_cores.h"

#include <gtest/gtest.h>
#include <sched.h>

#include <thread>

namespace vistello {
namespace {

// The affinity is set on a thread of its own, so the rest of the tests keep their cores.
template <typename Body>
void onThreadPinnedTo(int cpu, Body body) {
    std::thread pinned([cpu, &body] {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(cpu, &one);
        ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0);
        body();
    });
    pinned.join();
}

TEST(UsableCores, CountsTheCoresOfTheAffinityNotOfTheMachine) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    EXPECT_EQ(usableCoreCount(), static_cast<uint32_t>(CPU_COUNT(&allowed)));
    int first = 0;
    while (!CPU_ISSET(first, &allowed)) ++first;
    onThreadPinnedTo(first, [] { EXPECT_EQ(usableCoreCount(), 1u); });
}

}  // namespace
}  // namespace vistello
