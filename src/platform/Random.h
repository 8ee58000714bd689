// The C library's srand/rand (on Windows, the C runtime's own; elsewhere
// a stand-in with the same sequence): one process-wide sequence of
// integers in 0..32767. The generator is the linear congruential one
// state = state * 214013 + 2531011 (mod 2^32), draw = (state >> 16) & 0x7FFF,
// so a seed gives the same sequence on every platform.
//
// Tests substitute a scripted source with CRandomSourceScope.
#pragma once

constexpr int kRandMax = 32767;

// Seeds the process-wide generator (srand).
void Srand(unsigned int seed);
// The generator's state: Srand(RandState()) goes on with the same sequence,
// since seeding sets the state to the seed. Lets a replay be resumed from a
// checkpoint instead of from the start.
unsigned int RandState();
// The next draw in 0..32767 (rand): from the installed source if there is
// one, otherwise from the process-wide generator.
int Rand();

class IRandomSource {
public:
    virtual ~IRandomSource() = default;
    virtual int Next() = 0;
};

// Routes Rand() to `source` for the lifetime of the object.
class CRandomSourceScope {
public:
    explicit CRandomSourceScope(IRandomSource& source);
    ~CRandomSourceScope();
    CRandomSourceScope(const CRandomSourceScope&) = delete;
    CRandomSourceScope& operator=(const CRandomSourceScope&) = delete;

private:
    IRandomSource* previous;
};
