// One worker thread per tool: everything a tool does with a card runs here, in the order it was
// posted, so the caller's thread (the window's) never waits for a card and a stop posted after a
// start always goes out after it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zeq::desk {

class CardWorker {
  public:
    using Task = std::function<void()>;

    CardWorker() = default;
    // Drops the tasks not yet started and waits for the one running (a card call in progress
    // ends by itself within the library's time-outs).
    ~CardWorker();
    CardWorker(const CardWorker&) = delete;
    CardWorker& operator=(const CardWorker&) = delete;

    // Runs `task` on the worker after the tasks posted before it. Any thread.
    void post(Task task);
    // Runs `task` once `delay` has passed and the tasks posted before it ran. A later post()
    // does not wait for it. Any thread.
    void postAfter(std::chrono::milliseconds delay, Task task);
    // Drops every task not yet started. Any thread.
    void cancelPending();
    // Waits until no task is queued or running. Not for the window's thread (the command line
    // and the tests use it).
    void waitIdle();
    bool idle() const;

  private:
    struct Item {
        std::chrono::steady_clock::time_point due;
        Task task;
    };
    void run();
    void enqueue(Item item);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Item> m_queue;  // in order of posting; a delayed item holds back those after it
    bool m_busy = false;
    bool m_quit = false;
    std::thread m_thread;
};

}  // namespace zeq::desk
