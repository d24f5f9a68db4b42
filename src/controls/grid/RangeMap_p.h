// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// Internal to the grid: values kept per run of indexes (rows), so that a million rows given the same
// height or colour one at a time still cost one entry.
//
// Invariants: runs are sorted, never overlap, and two touching runs never hold equal values (they are
// joined on every write), which is what keeps the map small.
//
// The runs live in one sorted vector, not a tree. A lookup is then a binary search over contiguous
// memory and costs the same for row 0 and row 999,999 (a red-black tree filled in row order is about
// twice as deep on its right side, which made the bottom of a big report paint slower than its top).
// Writes that go down the rows, as the report window's do, append at the end; a write in the middle
// moves the runs after it once.

#include <algorithm>
#include <optional>
#include <vector>

namespace grid::detail {

template <typename T> class RangeMap {
public:
    const T* Find(int index) const {
        auto it = std::upper_bound(m_runs.begin(), m_runs.end(), index,
                                   [](int value, const Run& run) { return value < run.first; });
        if (it == m_runs.begin()) {
            return nullptr;
        }
        --it;
        return index <= it->last ? &it->value : nullptr;
    }

    // Each index of [first, last] gets fn(old value or nullptr); a nullopt result removes the value.
    template <typename Fn> void Update(int first, int last, Fn fn) {
        if (first > last) {
            return;
        }
        std::size_t lo = FirstEndingAtOrAfter(first);
        std::size_t hi = lo;
        while (hi < m_runs.size() && m_runs[hi].first <= last) {
            ++hi;
        }
        std::vector<Run> replaced;
        if (lo < hi && m_runs[lo].first < first) {
            replaced.push_back({m_runs[lo].first, first - 1, m_runs[lo].value});
        }
        int cursor = first;
        const auto add = [&replaced](int from, int to, std::optional<T> value) {
            if (value) {
                replaced.push_back({from, to, std::move(*value)});
            }
        };
        for (std::size_t k = lo; k < hi; ++k) {
            const int segmentFirst = std::max(m_runs[k].first, first);
            const int segmentLast = std::min(m_runs[k].last, last);
            if (cursor < segmentFirst) {
                add(cursor, segmentFirst - 1, fn(static_cast<const T*>(nullptr)));
            }
            add(segmentFirst, segmentLast, fn(&m_runs[k].value));
            cursor = segmentLast + 1;
        }
        if (cursor <= last) {
            add(cursor, last, fn(static_cast<const T*>(nullptr)));
        }
        if (lo < hi && m_runs[hi - 1].last > last) {
            replaced.push_back({last + 1, m_runs[hi - 1].last, m_runs[hi - 1].value});
        }
        // Join with the untouched neighbours, then within the new runs.
        if (!replaced.empty() && lo > 0 && m_runs[lo - 1].last + 1 == replaced.front().first &&
            m_runs[lo - 1].value == replaced.front().value) {
            replaced.front().first = m_runs[lo - 1].first;
            --lo;
        }
        if (!replaced.empty() && hi < m_runs.size() && replaced.back().last + 1 == m_runs[hi].first &&
            replaced.back().value == m_runs[hi].value) {
            replaced.back().last = m_runs[hi].last;
            ++hi;
        }
        std::vector<Run> joined;
        joined.reserve(replaced.size());
        for (Run& run : replaced) {
            if (!joined.empty() && joined.back().last + 1 == run.first && joined.back().value == run.value) {
                joined.back().last = run.last;
            } else {
                joined.push_back(std::move(run));
            }
        }
        Splice(lo, hi, std::move(joined));
    }

    void Assign(int first, int last, const T& value) {
        Update(first, last, [&](const T*) { return std::optional<T>(value); });
    }

    // Drops every value at index >= first (the rows cut off the end).
    void TruncateFrom(int first) {
        const std::size_t lo = FirstEndingAtOrAfter(first);
        if (lo < m_runs.size() && m_runs[lo].first < first) {
            m_runs[lo].last = first - 1;
            m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(lo) + 1, m_runs.end());
        } else {
            m_runs.erase(m_runs.begin() + static_cast<std::ptrdiff_t>(lo), m_runs.end());
        }
    }

    // Opens a gap of count indexes at `at`: values from `at` on move up (rows inserted there).
    void Shift(int at, int count) {
        std::size_t k = FirstEndingAtOrAfter(at);
        if (k < m_runs.size() && m_runs[k].first < at) {
            Run tail{at, m_runs[k].last, m_runs[k].value};
            m_runs[k].last = at - 1;
            m_runs.insert(m_runs.begin() + static_cast<std::ptrdiff_t>(k) + 1, tail);
            ++k;
        }
        for (; k < m_runs.size(); ++k) {
            m_runs[k].first += count;
            m_runs[k].last += count;
        }
    }

    // Calls fn(first, last, value) for the runs meeting [first, last], clipped to it.
    template <typename Fn> void ForEach(int first, int last, Fn fn) const {
        for (std::size_t k = FirstEndingAtOrAfter(first); k < m_runs.size() && m_runs[k].first <= last; ++k) {
            fn(std::max(first, m_runs[k].first), std::min(last, m_runs[k].last), m_runs[k].value);
        }
    }

    void Clear() { m_runs.clear(); }
    std::size_t RunCount() const noexcept { return m_runs.size(); }
    int End() const { return m_runs.empty() ? 0 : m_runs.back().last + 1; }

    bool CheckConsistency() const {
        for (std::size_t k = 0; k < m_runs.size(); ++k) {
            const Run& run = m_runs[k];
            if (run.first < 0 || run.last < run.first) {
                return false;
            }
            if (k > 0) {
                const Run& previous = m_runs[k - 1];
                if (run.first <= previous.last) {
                    return false;
                }
                if (run.first == previous.last + 1 && run.value == previous.value) {
                    return false; // touching equal runs must have been joined
                }
            }
        }
        return true;
    }

private:
    struct Run {
        int first;
        int last;
        T value;
    };

    std::size_t FirstEndingAtOrAfter(int index) const {
        return static_cast<std::size_t>(
            std::lower_bound(m_runs.begin(), m_runs.end(), index,
                             [](const Run& run, int value) { return run.last < value; }) -
            m_runs.begin());
    }

    void Splice(std::size_t lo, std::size_t hi, std::vector<Run> runs) {
        const auto begin = m_runs.begin() + static_cast<std::ptrdiff_t>(lo);
        if (runs.size() == hi - lo) {
            std::move(runs.begin(), runs.end(), begin);
            return;
        }
        m_runs.erase(begin, m_runs.begin() + static_cast<std::ptrdiff_t>(hi));
        m_runs.insert(m_runs.begin() + static_cast<std::ptrdiff_t>(lo), std::make_move_iterator(runs.begin()),
                      std::make_move_iterator(runs.end()));
    }

    std::vector<Run> m_runs;
};

} // namespace grid::detail
