#include "platform/Random.h"

#include <cstdint>

namespace {
std::uint32_t g_state = 1;
IRandomSource* g_source = nullptr;
}  // namespace

void Srand(unsigned int seed) { g_state = seed; }

unsigned int RandState() { return g_state; }

int Rand() {
    if (g_source != nullptr) return g_source->Next();
    g_state = g_state * 214013u + 2531011u;
    return static_cast<int>((g_state >> 16) & 0x7FFFu);
}

CRandomSourceScope::CRandomSourceScope(IRandomSource& source) : previous(g_source) {
    g_source = &source;
}

CRandomSourceScope::~CRandomSourceScope() { g_source = previous; }
