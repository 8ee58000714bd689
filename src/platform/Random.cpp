#include "platform/Random.h"

#include <cstdint>
#include <cstdlib>

namespace {
std::uint32_t g_state = 1;
IRandomSource* g_source = nullptr;

// One step of the C runtime's generator.
int Step() {
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFFu);
}
}  // namespace

// On Windows the draws are the C runtime's own srand/rand, the generator the
// design was made with; the same steps are followed here only so that
// RandState can say where the sequence stands (the runtime does not tell).
#ifdef _WIN32
void Srand(unsigned int seed) {
    g_state = seed;
    std::srand(seed);
}

int Rand() {
    if (g_source != nullptr) return g_source->Next();
    Step();
    return std::rand();
}
#else
void Srand(unsigned int seed) { g_state = seed; }

int Rand() {
    if (g_source != nullptr) return g_source->Next();
    return Step();
}
#endif

unsigned int RandState() { return g_state; }

CRandomSourceScope::CRandomSourceScope(IRandomSource& source) : previous(g_source) {
    g_source = &source;
}

CRandomSourceScope::~CRandomSourceScope() { g_source = previous; }
