// A value that one thread writes and other threads read without a lock, kept in storage
// that lives as long as its last holder. A thread that may outlive the object it was started
// from holds a share of every value it reads, so that object can go while the thread runs.
#pragma once
#include <atomic>
#include <memory>

template <class T>
class SharedCell {
public:
    explicit SharedCell(T initial = T{}) : cell_(std::make_shared<std::atomic<T>>(initial)) {}
    // Another holder of the same value. Neither copying nor moving exists, so that sharing is
    // always written out and no holder is ever left empty.
    SharedCell Share() const { return SharedCell(cell_); }
    SharedCell(const SharedCell&) = delete;
    SharedCell& operator=(const SharedCell&) = delete;

    SharedCell& operator=(T value) {
        cell_->store(value);
        return *this;
    }
    operator T() const { return cell_->load(); }
    T load(std::memory_order order = std::memory_order_seq_cst) const { return cell_->load(order); }

private:
    explicit SharedCell(std::shared_ptr<std::atomic<T>> cell) : cell_(std::move(cell)) {}
    std::shared_ptr<std::atomic<T>> cell_;
};
