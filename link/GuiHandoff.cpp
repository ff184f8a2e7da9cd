#include "GuiHandoff.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// Calls are numbered. The GUI thread marks the number it finished; the caller
// waits for its own number. A caller that leaves on stop raises nCancelledUpTo
// so that its call, if still queued, is skipped when it comes up.
namespace {
constexpr int SPIN_US = 20;
}

struct CGuiHandoff::State {
    std::mutex m;
    std::condition_variable cv;
    bool bStop = false;
    std::uint64_t nLastId = 0;
    std::uint64_t nCancelledUpTo = 0;
    std::atomic<std::uint64_t> nDoneId{0};
};

CGuiHandoff::CGuiHandoff() : m_pState(std::make_shared<State>()) {}
CGuiHandoff::~CGuiHandoff() { RequestStop(); }

bool CGuiHandoff::OnGuiThread() {
    QCoreApplication* pApp = QCoreApplication::instance();
    return !pApp || QThread::currentThread() == pApp->thread();
}

bool CGuiHandoff::Run(std::function<void()> fn) {
    if (OnGuiThread()) {
        if (StopRequested()) return false;
        fn();
        return true;
    }
    std::shared_ptr<State> st = m_pState;
    std::uint64_t nId;
    {
        std::lock_guard lk(st->m);
        if (st->bStop) return false;
        nId = ++st->nLastId;
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [st, nId, fn = std::move(fn)]() {
            {
                std::lock_guard lk(st->m);
                if (st->bStop || nId <= st->nCancelledUpTo) return;
            }
            fn();
            {
                std::lock_guard lk(st->m);
                st->nDoneId.store(nId, std::memory_order_release);
            }
            st->cv.notify_all();
        },
        Qt::QueuedConnection);

    // An awake GUI thread answers within microseconds: watch for that briefly
    // before sleeping on the condition variable, which saves a wake-up per byte.
    const auto tSpinEnd = std::chrono::steady_clock::now() + std::chrono::microseconds(SPIN_US);
    do {
        if (st->nDoneId.load(std::memory_order_acquire) >= nId) return true;
    } while (std::chrono::steady_clock::now() < tSpinEnd);
    std::unique_lock lk(st->m);
    st->cv.wait(lk, [&] { return st->bStop || st->nDoneId.load(std::memory_order_relaxed) >= nId; });
    if (st->nDoneId.load(std::memory_order_relaxed) >= nId) return true;
    if (st->nCancelledUpTo < nId) st->nCancelledUpTo = nId;
    return false;
}

void CGuiHandoff::RequestStop() {
    {
        std::lock_guard lk(m_pState->m);
        m_pState->bStop = true;
    }
    m_pState->cv.notify_all();
}

void CGuiHandoff::Rearm() {
    std::lock_guard lk(m_pState->m);
    m_pState->bStop = false;
    m_pState->nCancelledUpTo = m_pState->nLastId;
}

bool CGuiHandoff::StopRequested() const {
    std::lock_guard lk(m_pState->m);
    return m_pState->bStop;
}
