#pragma once
// An ordered collection of shared objects with optional string keys and
// 1-based positions. Lookups of a missing key or position give null.
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace korvel {

template <typename T>
class Collection {
public:
    using Ptr = std::shared_ptr<T>;

    // Appends an item; with a key it is also reachable by that key. Returns
    // false (and adds nothing) when the key is already taken.
    bool Add(Ptr item, const std::string& key = std::string()) {
        if (!key.empty()) {
            if (m_index.count(key) != 0) return false;
            m_index.emplace(key, m_items.size());
        }
        m_items.push_back(std::move(item));
        m_keys.push_back(key);
        return true;
    }

    Ptr Item(const std::string& key) const {
        auto found = m_index.find(key);
        return found == m_index.end() ? nullptr : m_items[found->second];
    }

    // 1-based position.
    Ptr Item(int64_t position) const {
        if (position < 1 || position > static_cast<int64_t>(m_items.size())) return nullptr;
        return m_items[static_cast<size_t>(position - 1)];
    }

    bool Exists(const std::string& key) const { return m_index.count(key) != 0; }

    // Removes an entry by key or 1-based position; false when absent.
    bool Remove(const std::string& key) {
        auto found = m_index.find(key);
        if (found == m_index.end()) return false;
        return RemoveAt(found->second);
    }
    bool Remove(int64_t position) {
        if (position < 1 || position > static_cast<int64_t>(m_items.size())) return false;
        return RemoveAt(static_cast<size_t>(position - 1));
    }

    int32_t Count() const { return static_cast<int32_t>(m_items.size()); }
    bool Empty() const { return m_items.empty(); }

    void Clear() {
        m_items.clear();
        m_keys.clear();
        m_index.clear();
    }

    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }

private:
    bool RemoveAt(size_t at) {
        m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(at));
        m_keys.erase(m_keys.begin() + static_cast<std::ptrdiff_t>(at));
        m_index.clear();
        for (size_t i = 0; i < m_keys.size(); ++i) {
            if (!m_keys[i].empty()) m_index.emplace(m_keys[i], i);
        }
        return true;
    }

    std::vector<Ptr> m_items;
    std::vector<std::string> m_keys;
    std::unordered_map<std::string, size_t> m_index;
};

}  // namespace korvel
