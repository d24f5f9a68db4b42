// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace ado::detail {

// Rows of a big result on their way from the database to the columns, a block at a time: the caller's
// thread (which alone touches the connection) steps the statement and copies each row into a block,
// and a second thread converts the full blocks into the columns, in the order they were filled, while
// the database steps on. A result that ends within its first block never starts the thread: the many
// small catalogue queries stay on one thread.
//
// Sharing: a block belongs to one thread at a time and changes hands only under m_mutex (the queue),
// which orders the filling before the converting; what the conversion writes (the columns) is read
// only after Finish has joined the thread. The conversion must touch nothing else the caller uses.
// Block needs clear() (keeping its capacity, so blocks are recycled instead of reallocated).
template <class Block> class BlockPipeline {
public:
    explicit BlockPipeline(std::function<void(Block&)> convert) : m_convert(std::move(convert)) {}
    BlockPipeline(const BlockPipeline&) = delete;
    BlockPipeline& operator=(const BlockPipeline&) = delete;
    // A fetch given up midway (the database failed, or an exception left the caller's loop): the
    // thread stops after the block it is converting, and is joined before the columns are freed.
    ~BlockPipeline() { Stop(); }

    // Hands over a full block and leaves an empty one in its place. Waits while the converter is
    // kDepth blocks behind (memory stays a few blocks, whatever the row count). Throws what a
    // conversion threw.
    void Push(Block& block) {
        if (!m_worker.joinable()) {
            m_worker = std::thread([this] { Run(); });
        }
        std::unique_lock lock(m_mutex);
        m_hasRoom.wait(lock, [this] { return m_full.size() < kDepth || m_failure; });
        if (m_failure) {
            lock.unlock();
            Stop();
            std::rethrow_exception(m_failure);
        }
        m_full.push_back(std::move(block));
        if (m_spare.empty()) {
            block = Block{};
        } else {
            block = std::move(m_spare.back());
            m_spare.pop_back();
        }
        lock.unlock();
        m_hasWork.notify_one();
    }

    // The last (possibly partial) block: converted, the thread joined, a conversion's failure thrown.
    void Finish(Block& last) {
        if (!m_worker.joinable()) {
            m_convert(last);
            return;
        }
        {
            std::lock_guard lock(m_mutex);
            m_full.push_back(std::move(last));
            m_isLast = true;
        }
        m_hasWork.notify_one();
        m_worker.join();
        if (m_failure) {
            std::rethrow_exception(m_failure);
        }
    }

private:
    static constexpr std::size_t kDepth = 2;

    void Run() {
        for (;;) {
            Block block;
            {
                std::unique_lock lock(m_mutex);
                m_hasWork.wait(lock, [this] { return !m_full.empty() || m_isLast || m_isStopped; });
                if (m_isStopped || m_full.empty()) {
                    return;
                }
                block = std::move(m_full.front());
                m_full.pop_front();
            }
            m_hasRoom.notify_one();
            try {
                m_convert(block);
            } catch (...) {
                std::lock_guard lock(m_mutex);
                m_failure = std::current_exception();
                m_hasRoom.notify_one();
                return;
            }
            block.clear();
            std::lock_guard lock(m_mutex);
            m_spare.push_back(std::move(block));
        }
    }

    void Stop() {
        {
            std::lock_guard lock(m_mutex);
            m_isStopped = true;
        }
        m_hasWork.notify_one();
        if (m_worker.joinable()) {
            m_worker.join();
        }
    }

    std::function<void(Block&)> m_convert;
    std::mutex m_mutex;
    std::condition_variable m_hasWork; // a block to convert, or the end
    std::condition_variable m_hasRoom; // the queue shrank, or the conversion failed
    std::deque<Block> m_full;
    std::vector<Block> m_spare;
    bool m_isLast = false;
    bool m_isStopped = false;
    std::exception_ptr m_failure;
    std::thread m_worker;
};

} // namespace ado::detail
