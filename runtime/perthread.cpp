// Thread-end clean-up: a list of functions per thread, run newest first.
#include "runtime/perthread.h"

#include <cstdlib>
#include <mutex>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace rt {
namespace {

using Cleanups = std::vector<std::pair<void (*)(void*), void*>>;

void run(Cleanups* list) {
    // A clean-up may register another one (an object whose destructor first touches a per-thread object).
    while (!list->empty()) {
        const auto [fn, arg] = list->back();
        list->pop_back();
        fn(arg);
    }
    delete list;
}

#ifdef _WIN32
// A fiber-local slot whose callback Windows calls when a thread ends. The main thread's list is run by atexit
// instead, while the program's static objects still exist.
DWORD g_slot = FLS_OUT_OF_INDEXES;

void WINAPI thread_ended(void* list) {
    if (list) run(static_cast<Cleanups*>(list));
}

void at_process_exit() {
    auto* list = static_cast<Cleanups*>(FlsGetValue(g_slot));
    FlsSetValue(g_slot, nullptr);
    if (list) run(list);
}

Cleanups& list_of_this_thread() {
    static std::once_flag once;
    std::call_once(once, [] {
        g_slot = FlsAlloc(thread_ended);
        std::atexit(at_process_exit);
    });
    auto* list = static_cast<Cleanups*>(FlsGetValue(g_slot));
    if (!list) {
        list = new Cleanups;
        FlsSetValue(g_slot, list);
    }
    return *list;
}
#else
struct Holder {
    Cleanups* list = new Cleanups;
    ~Holder() { run(list); }
};

Cleanups& list_of_this_thread() {
    thread_local Holder holder;
    return *holder.list;
}
#endif

} // namespace

void at_thread_exit(void (*fn)(void*), void* arg) {
    list_of_this_thread().emplace_back(fn, arg);
}

} // namespace rt
