// A fixed-capacity FIFO of trivially copyable values; it never allocates after construction.
#pragma once

#include <cstddef>
#include <vector>

namespace zeq::sim {

template <class T>
class Ring {
  public:
    explicit Ring(size_t capacity = 0) : buf_(capacity) {}

    void resize(size_t capacity) {
        buf_.assign(capacity, T{});
        head_ = count_ = 0;
    }
    size_t capacity() const { return buf_.size(); }
    size_t size() const { return count_; }
    size_t free() const { return buf_.size() - count_; }
    bool empty() const { return count_ == 0; }
    bool full() const { return count_ == buf_.size(); }
    bool half_full() const { return count_ * 2 >= buf_.size(); }

    bool push(T v) {
        if (full()) return false;
        buf_[(head_ + count_) % buf_.size()] = v;
        ++count_;
        return true;
    }
    // Pushes, discarding the oldest value when full.
    void push_overwrite(T v) {
        if (buf_.empty()) return;
        if (full()) pop();
        push(v);
    }
    T peek(size_t i = 0) const { return buf_[(head_ + i) % buf_.size()]; }
    T pop() {
        T v = buf_[head_];
        head_ = (head_ + 1) % buf_.size();
        --count_;
        return v;
    }
    void drop(size_t n) {
        if (n > count_) n = count_;
        head_ = buf_.empty() ? 0 : (head_ + n) % buf_.size();
        count_ -= n;
    }
    void clear() { head_ = count_ = 0; }

  private:
    std::vector<T> buf_;
    size_t head_ = 0;
    size_t count_ = 0;
};

}  // namespace zeq::sim
