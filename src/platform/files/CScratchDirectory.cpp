#include "platform/files/CScratchDirectory.h"

#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

// What the signal handler may read. A slot is filled while its state is
// Filling and only then made Live; a file name is written before the count
// that covers it is raised. The handler reads Live slots only.
constexpr int kSlots = 8;
constexpr int kFilesPerSlot = 8;
enum SlotState : int { Free, Filling, Live };

struct ScratchSlot {
    std::atomic<int> state{Free};
    std::atomic<int> fileCount{0};
    char directory[PATH_MAX];
    char files[kFilesPerSlot][NAME_MAX + 1];
};
static_assert(std::atomic<int>::is_always_lock_free);

ScratchSlot g_slots[kSlots];

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t CleanupSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : kCleanupSignals) sigaddset(&set, sig);
    return set;
}

// Only async-signal-safe calls from here on.
void RemoveSlot(const ScratchSlot& slot) {
    char path[PATH_MAX + NAME_MAX + 2];
    const std::size_t length = std::strlen(slot.directory);
    std::memcpy(path, slot.directory, length);
    path[length] = '/';
    const int count = slot.fileCount.load(std::memory_order_acquire);
    for (int k = 0; k < count; ++k) {
        const std::size_t name = std::strlen(slot.files[k]);
        std::memcpy(path + length + 1, slot.files[k], name + 1);
        ::unlink(path);
    }
    ::rmdir(slot.directory);
}

extern "C" void RemoveScratchAndDie(int sig) {
    for (const ScratchSlot& slot : g_slots) {
        if (slot.state.load(std::memory_order_acquire) == Live) RemoveSlot(slot);
    }
    // SA_RESETHAND has put back the default action, and the signal is
    // blocked until this handler returns: it then ends the process.
    ::raise(sig);
}

int ClaimSlot(const std::string& directory) {
    if (directory.size() >= PATH_MAX) return -1;
    for (int k = 0; k < kSlots; ++k) {
        int expected = Free;
        if (g_slots[k].state.compare_exchange_strong(expected, Filling)) {
            std::memcpy(g_slots[k].directory, directory.c_str(), directory.size() + 1);
            g_slots[k].fileCount.store(0, std::memory_order_relaxed);
            g_slots[k].state.store(Live, std::memory_order_release);
            return k;
        }
    }
    return -1;  // more writes at once than the table holds: those are not cleaned on a signal
}

}  // namespace

CScratchDirectory::CScratchDirectory(const std::string& directory) {
    std::string pattern = (directory.empty() ? std::string(".") : directory) + "/.tessary-XXXXXX";
    // Blocked between making the directory and recording it, so a signal
    // cannot leave one the handler does not know of.
    const sigset_t cleanup = CleanupSignalSet();
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &cleanup, &previous);
    if (mkdtemp(pattern.data()) == nullptr) {
        failure = std::strerror(errno);
    } else {
        path = pattern;
        slot = ClaimSlot(path);
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

CScratchDirectory::~CScratchDirectory() {
    std::error_code ignored;  // a destructor must not throw
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
    // Freed only now: a signal during the removal removes what is left.
    if (slot >= 0) g_slots[slot].state.store(Free, std::memory_order_release);
}

bool CScratchDirectory::Created(std::string* error) const {
    if (!path.empty()) return true;
    *error = failure;
    return false;
}

std::string CScratchDirectory::FilePath(const std::string& name) {
    if (slot >= 0 && name.size() <= NAME_MAX) {
        ScratchSlot& entry = g_slots[slot];
        const int count = entry.fileCount.load(std::memory_order_relaxed);
        if (count < kFilesPerSlot) {
            std::memcpy(entry.files[count], name.c_str(), name.size() + 1);
            entry.fileCount.store(count + 1, std::memory_order_release);
        }
    }
    return path + "/" + name;
}

void CScratchDirectory::RemoveAllOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveScratchAndDie;
    action.sa_mask = CleanupSignalSet();
    action.sa_flags = SA_RESETHAND;
    for (const int sig : kCleanupSignals) {
        struct sigaction current {};
        if (sigaction(sig, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            sigaction(sig, &action, nullptr);
        }
    }
}
