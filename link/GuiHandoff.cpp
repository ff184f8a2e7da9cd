#include "GuiHandoff.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

// Qt's event queue is not built for ThreadSanitizer, so the hand-over of an
// event from the posting thread to the GUI thread is made visible to it here.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* pAddr);
extern "C" void __tsan_release(void* pAddr);
#define HANDOFF_PUBLISH(p) __tsan_release(p)
#define HANDOFF_RECEIVE(p) __tsan_acquire(p)
#else
#define HANDOFF_PUBLISH(p) ((void)(p))
#define HANDOFF_RECEIVE(p) ((void)(p))
#endif

// Calls are numbered. The GUI thread marks the number it finished; the caller
// waits for its own number. A caller that leaves on stop raises nCancelledUpTo
// so that its call, if still queued, is skipped when it comes up.
struct HandoffState {
    std::mutex m;
    std::condition_variable cv;
    bool bStop = false;
    std::uint64_t nLastId = 0;
    std::uint64_t nCancelledUpTo = 0;
    std::uint64_t nDoneId = 0;
};

namespace {

class CHandoffEvent : public QEvent {
public:
    static QEvent::Type EventType() {
        static const int nType = QEvent::registerEventType();
        return static_cast<QEvent::Type>(nType);
    }
    CHandoffEvent(std::shared_ptr<HandoffState> st, std::uint64_t nId, std::function<void()> fn)
        : QEvent(EventType()), m_st(std::move(st)), m_nId(nId), m_fn(std::move(fn)) {}

    // On the GUI thread.
    void Dispatch() {
        {
            std::lock_guard lk(m_st->m);
            if (m_st->bStop || m_nId <= m_st->nCancelledUpTo) return;
        }
        m_fn();
        {
            std::lock_guard lk(m_st->m);
            m_st->nDoneId = m_nId;
        }
        m_st->cv.notify_all();
    }

private:
    std::shared_ptr<HandoffState> m_st;
    std::uint64_t m_nId;
    std::function<void()> m_fn;
};

class CHandoffReceiver : public QObject {
public:
    bool event(QEvent* e) override {
        HANDOFF_RECEIVE(e);  // before the first read of the event
        if (e->type() != CHandoffEvent::EventType()) return QObject::event(e);
        static_cast<CHandoffEvent*>(e)->Dispatch();
        return true;
    }
};

} // namespace

CGuiHandoff::CGuiHandoff() : m_pState(std::make_shared<HandoffState>()) {}
CGuiHandoff::~CGuiHandoff() { RequestStop(); }

bool CGuiHandoff::OnGuiThread() {
    QCoreApplication* pApp = QCoreApplication::instance();
    return !pApp || QThread::currentThread() == pApp->thread();
}

// Called on the GUI thread by Rearm, or as a fallback on the worker, which
// then moves the receiver over (only the owning thread may do that).
QObject* CGuiHandoff::Receiver() {
    QCoreApplication* pApp = QCoreApplication::instance();
    if (!m_pReceiver && pApp) {
        auto* pReceiver = new CHandoffReceiver;
        if (QThread::currentThread() == pApp->thread())
            pReceiver->setParent(pApp);
        else
            pReceiver->moveToThread(pApp->thread());
        m_pReceiver = pReceiver;
    }
    return m_pReceiver;
}

bool CGuiHandoff::Run(std::function<void()> fn) {
    QObject* pReceiver = OnGuiThread() ? nullptr : Receiver();
    if (!pReceiver) {
        if (StopRequested()) return false;
        fn();
        return true;
    }
    std::shared_ptr<HandoffState> st = m_pState;
    std::uint64_t nId;
    {
        std::lock_guard lk(st->m);
        if (st->bStop) return false;
        nId = ++st->nLastId;
    }
    auto* pEvent = new CHandoffEvent(st, nId, std::move(fn));
    HANDOFF_PUBLISH(pEvent);
    QCoreApplication::postEvent(pReceiver, pEvent);

    // No spinning before the wait: on two loaded cores a spinning caller only
    // takes time from the GUI thread it waits for (measured slower).
    std::unique_lock lk(st->m);
    st->cv.wait(lk, [&] { return st->bStop || st->nDoneId >= nId; });
    if (st->nDoneId >= nId) return true;
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
    if (OnGuiThread()) Receiver();
    std::lock_guard lk(m_pState->m);
    m_pState->bStop = false;
    m_pState->nCancelledUpTo = m_pState->nLastId;
}

bool CGuiHandoff::StopRequested() const {
    std::lock_guard lk(m_pState->m);
    return m_pState->bStop;
}
