#include "evaluate/substring_search.h"

#include <algorithm>
#include <deque>

namespace tavelin {

namespace {

// Aho-Corasick automaton: a trie of the patterns with failure links, so that one walk through a
// name reports every pattern occurring in it.
class PatternAutomaton {
public:
    explicit PatternAutomaton(const std::vector<std::wstring>& patterns) {
        m_nodes.emplace_back();
        for (std::size_t id = 0; id < patterns.size(); ++id) Insert(patterns[id], static_cast<int>(id));
        LinkFailures();
    }

    // Calls report(patternId) for every occurrence of every pattern in text; stops early when
    // report returns false.
    template <typename Report>
    void Scan(const std::wstring& text, Report&& report) const {
        int state = 0;
        for (wchar_t c : text) {
            state = Step(state, c);
            for (int hit = m_nodes[state].patternIds.empty() ? m_nodes[state].outputLink : state; hit > 0;
                 hit = m_nodes[hit].outputLink) {
                for (int id : m_nodes[hit].patternIds) {
                    if (!report(id)) return;
                }
            }
        }
    }

private:
    struct Node {
        std::vector<std::pair<wchar_t, int>> next;  // sorted by character
        int fail = 0;
        int outputLink = 0;  // nearest node on the failure chain that ends a pattern; 0 for none
        std::vector<int> patternIds;
    };

    int Child(int node, wchar_t c) const {
        const auto& next = m_nodes[node].next;
        const auto found = std::lower_bound(next.begin(), next.end(), std::make_pair(c, 0),
                                            [](const auto& a, const auto& b) { return a.first < b.first; });
        return found != next.end() && found->first == c ? found->second : -1;
    }

    int Step(int state, wchar_t c) const {
        for (;;) {
            const int child = Child(state, c);
            if (child >= 0) return child;
            if (state == 0) return 0;
            state = m_nodes[state].fail;
        }
    }

    void Insert(const std::wstring& pattern, int id) {
        int node = 0;
        for (wchar_t c : pattern) {
            int child = Child(node, c);
            if (child < 0) {
                child = static_cast<int>(m_nodes.size());
                auto& next = m_nodes[node].next;
                const auto at = std::lower_bound(next.begin(), next.end(), std::make_pair(c, 0),
                                                 [](const auto& a, const auto& b) { return a.first < b.first; });
                next.insert(at, {c, child});
                m_nodes.emplace_back();
            }
            node = child;
        }
        m_nodes[node].patternIds.push_back(id);
    }

    void LinkFailures() {
        std::deque<int> queue;
        for (const auto& [c, child] : m_nodes[0].next) queue.push_back(child);
        while (!queue.empty()) {
            const int node = queue.front();
            queue.pop_front();
            for (const auto& [c, child] : m_nodes[node].next) {
                const int fail = node == 0 ? 0 : Step(m_nodes[node].fail, c);
                m_nodes[child].fail = fail == child ? 0 : fail;
                const Node& target = m_nodes[m_nodes[child].fail];
                m_nodes[child].outputLink = target.patternIds.empty() ? target.outputLink : m_nodes[child].fail;
                queue.push_back(child);
            }
        }
    }

    std::vector<Node> m_nodes;
};

}  // namespace

std::vector<int> FirstNamesContaining(const std::vector<std::wstring>& patterns,
                                      const std::vector<std::wstring>& names) {
    std::vector<int> first(patterns.size(), -1);
    std::size_t open = 0;
    for (std::size_t id = 0; id < patterns.size(); ++id) {
        if (!patterns[id].empty()) {
            ++open;
        } else if (!names.empty()) {
            first[id] = 0;
        }
    }
    if (open == 0) return first;

    const PatternAutomaton automaton(patterns);
    for (std::size_t index = 0; index < names.size() && open > 0; ++index) {
        automaton.Scan(names[index], [&](int id) {
            if (first[id] < 0) {
                first[id] = static_cast<int>(index);
                --open;
            }
            return open > 0;
        });
    }
    return first;
}

}  // namespace tavelin
