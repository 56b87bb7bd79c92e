// One object per thread, destroyed when its thread ends.
//
// mingw-w64's thread_local objects with destructors are unsafe: when a thread made by std::thread ends, their
// destructors run more than once, on freed storage. A thread_local reference has no destructor, so an object is
// declared per thread as
//     thread_local T& name = rt::per_thread<T>();
// and is deleted at the end of its thread (the main thread's at process exit), newest first.
#pragma once

#include <utility>

namespace rt {

// Runs fn(arg) when the calling thread ends; the functions of one thread run in the reverse order of registering.
void at_thread_exit(void (*fn)(void*), void* arg);

template <class T, class... Args> T& per_thread(Args&&... args) {
    T* object = new T(std::forward<Args>(args)...);
    at_thread_exit([](void* p) { delete static_cast<T*>(p); }, object);
    return *object;
}

} // namespace rt
