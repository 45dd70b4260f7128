#include "tests/sim_support.h"

std::vector<std::uint32_t> ScriptedClock::readings;
std::size_t ScriptedClock::next = 0;
int ScriptedClock::reads = 0;
