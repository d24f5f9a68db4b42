// SPDX-FileCopyrightText: 2026 Vondrel authors
// SPDX-License-Identifier: MIT
#pragma once

// Internal to the grid: values kept per run of indexes (rows), so that a million rows given the same
// height or colour one at a time still cost one entry. Runs never overlap, and two touching runs never
// hold equal values (they are joined on every write), which is what keeps the map small.

#include <iterator>
#include <map>
#include <optional>
#include <vector>

namespace grid::detail {

template <typename T> class RangeMap {
public:
    const T* Find(int index) const {
        auto it = m_runs.upper_bound(index);
        if (it == m_runs.begin()) {
            return nullptr;
        }
        --it;
        return index <= it->second.last ? &it->second.value : nullptr;
    }

    // Each index of [first, last] gets fn(old value or nullptr); a nullopt result removes the value.
    template <typename Fn> void Update(int first, int last, Fn fn) {
        if (first > last) {
            return;
        }
        Split(first);
        Split(last + 1);
        std::vector<std::pair<int, Run>> replaced;
        int cursor = first;
        auto it = m_runs.lower_bound(first);
        while (it != m_runs.end() && it->first <= last) {
            if (cursor < it->first) {
                if (std::optional<T> value = fn(static_cast<const T*>(nullptr))) {
                    replaced.push_back({cursor, Run{it->first - 1, *value}});
                }
            }
            if (std::optional<T> value = fn(&it->second.value)) {
                replaced.push_back({it->first, Run{it->second.last, *value}});
            }
            cursor = it->second.last + 1;
            it = m_runs.erase(it);
        }
        if (cursor <= last) {
            if (std::optional<T> value = fn(static_cast<const T*>(nullptr))) {
                replaced.push_back({cursor, Run{last, *value}});
            }
        }
        for (auto& run : replaced) {
            m_runs.insert(run);
        }
        Join(first - 1, last + 1);
    }

    void Assign(int first, int last, const T& value) {
        Update(first, last, [&](const T*) { return std::optional<T>(value); });
    }

    // Drops every value at index >= first (the rows cut off the end).
    void TruncateFrom(int first) {
        Split(first);
        m_runs.erase(m_runs.lower_bound(first), m_runs.end());
    }

    // Opens a gap of count indexes at `at`: values from `at` on move up (rows inserted there).
    void Shift(int at, int count) {
        Split(at);
        std::map<int, Run> moved;
        for (auto it = m_runs.lower_bound(at); it != m_runs.end();) {
            moved.insert({it->first + count, Run{it->second.last + count, it->second.value}});
            it = m_runs.erase(it);
        }
        m_runs.merge(moved);
    }

    // Calls fn(first, last, value) for the runs meeting [first, last], clipped to it.
    template <typename Fn> void ForEach(int first, int last, Fn fn) const {
        auto it = m_runs.upper_bound(first);
        if (it != m_runs.begin() && std::prev(it)->second.last >= first) {
            --it;
        }
        for (; it != m_runs.end() && it->first <= last; ++it) {
            fn(std::max(first, it->first), std::min(last, it->second.last), it->second.value);
        }
    }

    void Clear() { m_runs.clear(); }
    std::size_t RunCount() const noexcept { return m_runs.size(); }
    int End() const { return m_runs.empty() ? 0 : m_runs.rbegin()->second.last + 1; }

    bool CheckConsistency() const {
        int previousLast = -1;
        const T* previousValue = nullptr;
        for (const auto& [first, run] : m_runs) {
            if (first < 0 || run.last < first || first <= previousLast) {
                return false;
            }
            if (previousValue && first == previousLast + 1 && *previousValue == run.value) {
                return false; // touching equal runs must have been joined
            }
            previousLast = run.last;
            previousValue = &run.value;
        }
        return true;
    }

private:
    struct Run {
        int last;
        T value;
    };

    // Makes `at` the start of a run if a run covers it.
    void Split(int at) {
        auto it = m_runs.upper_bound(at);
        if (it == m_runs.begin()) {
            return;
        }
        --it;
        if (it->first < at && it->second.last >= at) {
            Run tail{it->second.last, it->second.value};
            it->second.last = at - 1;
            m_runs.insert({at, tail});
        }
    }

    void Join(int from, int to) {
        auto it = m_runs.upper_bound(from);
        if (it != m_runs.begin()) {
            --it;
        }
        while (it != m_runs.end() && it->first <= to) {
            auto next = std::next(it);
            if (next != m_runs.end() && next->first == it->second.last + 1 &&
                next->second.value == it->second.value) {
                it->second.last = next->second.last;
                m_runs.erase(next);
            } else {
                it = next;
            }
        }
    }

    std::map<int, Run> m_runs; // keyed by the run's first index
};

} // namespace grid::detail
