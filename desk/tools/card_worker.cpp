#include "tools/card_worker.h"

namespace zeq::desk {

CardWorker::~CardWorker() {
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
        m_queue.clear();
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

void CardWorker::post(Task task) {
    enqueue({std::chrono::steady_clock::now(), std::move(task)});
}

void CardWorker::postAfter(std::chrono::milliseconds delay, Task task) {
    enqueue({std::chrono::steady_clock::now() + delay, std::move(task)});
}

void CardWorker::enqueue(Item item) {
    {
        std::lock_guard lock(m_mutex);
        if (m_quit) return;
        // An immediate task is not held back by a delayed one queued before it: it goes in front
        // of the delayed items (which keep their order).
        auto at = m_queue.end();
        if (item.due <= std::chrono::steady_clock::now()) {
            at = m_queue.begin();
            while (at != m_queue.end() && at->due <= item.due) ++at;
        }
        m_queue.insert(at, std::move(item));
        if (!m_thread.joinable()) m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_all();
}

void CardWorker::cancelPending() {
    {
        std::lock_guard lock(m_mutex);
        m_queue.clear();
    }
    m_wake.notify_all();
    m_idle.notify_all();
}

void CardWorker::waitIdle() {
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

bool CardWorker::idle() const {
    std::lock_guard lock(m_mutex);
    return m_queue.empty() && !m_busy;
}

void CardWorker::run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        if (m_quit) return;
        if (m_queue.empty()) {
            m_idle.notify_all();
            m_wake.wait(lock);
            continue;
        }
        const auto due = m_queue.front().due;
        if (due > std::chrono::steady_clock::now()) {
            m_wake.wait_until(lock, due);
            continue;
        }
        Task task = std::move(m_queue.front().task);
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        task();
        lock.lock();
        m_busy = false;
    }
}

}  // namespace zeq::desk
