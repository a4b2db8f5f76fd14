// The helper thread: started at the first job and kept for the next ones,
// which a converter hands over every other piece, a few hundred
// microseconds apart. Each side spins a while on the flag before it
// sleeps: waking a sleeping thread costs a system call and an interrupt,
// as much as a small piece's conversion, and may move it onto the waker's
// processor. Where no thread can be made, a
// job runs on the caller's thread when it is started.
#include "convert/helper_thread.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <sched.h>

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#endif

namespace {

// A few tens of microseconds of spinning, then as many turns offered to
// other threads: where both threads share one processor, the other one
// runs instead of waiting for the spin to end.
constexpr int kSpins = 2000, kYields = 2000;

inline void Pause()
{
#if defined(__i386__) || defined(__x86_64__)
    __builtin_ia32_pause();
#endif
}

inline void GiveWay()
{
#ifdef _WIN32
    SwitchToThread();
#else
    sched_yield();
#endif
}

// Spins until `flag` holds `value`; false when it still does not.
inline bool SpinUntil(const std::atomic<bool>& flag, bool value)
{
    for (int n = 0; n < kSpins + kYields; ++n) {
        if (flag.load(std::memory_order_acquire) == value)
            return true;
        if (n < kSpins)
            Pause();
        else
            GiveWay();
    }
    return false;
}

}  // namespace

struct HelperThread::State {
    void (*job)(void*) = nullptr;
    void* argument = nullptr;
    std::atomic<bool> pending{false};  // a job is started and not yet done
    std::atomic<bool> quit{false};
#ifdef _WIN32
    // Auto-reset events; a wake-up that finds nothing to do is harmless.
    HANDLE thread = nullptr, ready = nullptr, done = nullptr;

    static DWORD WINAPI Main(LPVOID p)
    {
        State* s = static_cast<State*>(p);
        for (;;) {
            while (!s->pending.load(std::memory_order_acquire) && !s->quit.load())
                if (!SpinUntil(s->pending, true))
                    WaitForSingleObject(s->ready, INFINITE);
            if (s->quit.load())
                return 0;
            s->job(s->argument);
            s->pending.store(false, std::memory_order_release);
            SetEvent(s->done);
        }
    }
#else
    std::mutex lock;
    std::condition_variable changed;
    std::thread thread;

    void Main()
    {
        for (;;) {
            if (!SpinUntil(pending, true)) {
                std::unique_lock<std::mutex> hold(lock);
                changed.wait(hold, [this] { return pending.load() || quit.load(); });
            }
            if (quit.load())
                return;
            job(argument);
            {
                std::lock_guard<std::mutex> hold(lock);
                pending.store(false, std::memory_order_release);
            }
            changed.notify_all();
        }
    }
#endif
};

void HelperThread::Start(void* self, void (*job)(void*), void* argument)
{
    HelperThread* h = static_cast<HelperThread*>(self);
    if (!h->state_ && !h->failed_) {
        State* s = new State;
#ifdef _WIN32
        s->ready = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        s->done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        if (s->ready && s->done)
            s->thread = CreateThread(nullptr, 0, &State::Main, s, 0, nullptr);
        if (!s->thread) {
            if (s->ready)
                CloseHandle(s->ready);
            if (s->done)
                CloseHandle(s->done);
            delete s;
            s = nullptr;
        }
#else
        try {
            s->thread = std::thread(&State::Main, s);
        } catch (const std::system_error&) {
            delete s;
            s = nullptr;
        }
#endif
        h->state_ = s;
        h->failed_ = s == nullptr;
    }
    State* s = h->state_;
    if (!s) {
        job(argument);
        return;
    }
    s->job = job;
    s->argument = argument;
#ifdef _WIN32
    s->pending.store(true, std::memory_order_release);
    SetEvent(s->ready);
#else
    {
        std::lock_guard<std::mutex> hold(s->lock);
        s->pending.store(true, std::memory_order_release);
    }
    s->changed.notify_all();
#endif
}

void HelperThread::Wait(void* self)
{
    State* s = static_cast<HelperThread*>(self)->state_;
    if (!s || SpinUntil(s->pending, false))
        return;
#ifdef _WIN32
    while (s->pending.load(std::memory_order_acquire))
        WaitForSingleObject(s->done, INFINITE);
#else
    std::unique_lock<std::mutex> hold(s->lock);
    s->changed.wait(hold, [s] { return !s->pending.load(); });
#endif
}

HelperThread::~HelperThread()
{
    State* s = state_;
    if (!s)
        return;
#ifdef _WIN32
    s->quit.store(true);
    SetEvent(s->ready);
    WaitForSingleObject(s->thread, INFINITE);
    CloseHandle(s->thread);
    CloseHandle(s->ready);
    CloseHandle(s->done);
#else
    {
        std::lock_guard<std::mutex> hold(s->lock);
        s->quit.store(true);
    }
    s->changed.notify_all();
    s->thread.join();
#endif
    delete s;
}
