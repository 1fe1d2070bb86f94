#include "evaluate/substring_search.h"

#include <algorithm>
#include <cstdint>

#include "config/text.h"

namespace tavelin {

namespace {

// Aho-Corasick automaton: a trie of the patterns with failure links, so that one walk through a
// name reports every pattern occurring in it. Built for speed of the walk, which reads every
// character of every device key name of an enumerator (about 165,000 for 5,000 device keys):
//   - the characters of the patterns are numbered 1..K; a character of no pattern is 0 and sends
//     the walk straight back to the root;
//   - the root's transitions are one table by character number, every other node's children are
//     one run of a flat array, sorted by character number;
//   - a node knows the first node on its failure chain (itself included) that ends a pattern;
//   - when nodes x character numbers stay within maxTableEntries (a real disc's hardware ids make
//     a few thousand nodes over a few dozen characters), every transition is precomputed in one
//     table, so that a character costs one look-up; otherwise the walk follows the failure links.
class PatternAutomaton {
public:
    PatternAutomaton(const std::vector<std::wstring_view>& patterns, std::size_t maxTableEntries) {
        NumberCharacters(patterns);
        if (!BuildTable(patterns, maxTableEntries)) {
            BuildTrie(patterns);
            LinkFailures();
        }
    }

    // Calls report(patternId) for every occurrence of every pattern in the name as ToUpperChar
    // folds it; stops early when report returns false. Empty patterns are never reported.
    template <typename Report>
    void ScanFolded(std::wstring_view name, Report&& report) const {
        if (!m_table.empty()) {
            // Each entry is the next node's row (node x width), negated and less one when the
            // node ends a pattern: one look-up and one sign test per character. Every device key
            // name of a bus passes through here, so the names are read four characters at a time,
            // with one test that all four are ASCII (the usual case) before their numbers are
            // read from the ASCII table.
            const std::int32_t* const table = m_table.data();
            const std::int32_t* const asciiSymbol = m_asciiNameSymbol;
            std::ptrdiff_t row = 0;
            const auto advance = [&](std::ptrdiff_t symbol) {
                row = table[row + symbol];
                if (row >= 0) return true;
                row = -row - 1;
                return ReportFrom(static_cast<std::int32_t>(row / m_symbolCount), report);
            };
            const wchar_t* at = name.data();
            const wchar_t* const end = at + name.size();
            const wchar_t* const fourEnd = at + (name.size() & ~std::size_t{3});
            for (; at != fourEnd; at += 4) {
                const auto c0 = static_cast<std::uint32_t>(at[0]);
                const auto c1 = static_cast<std::uint32_t>(at[1]);
                const auto c2 = static_cast<std::uint32_t>(at[2]);
                const auto c3 = static_cast<std::uint32_t>(at[3]);
                if ((c0 | c1 | c2 | c3) < kAscii) {
                    if (!advance(asciiSymbol[c0]) || !advance(asciiSymbol[c1]) || !advance(asciiSymbol[c2]) ||
                        !advance(asciiSymbol[c3])) {
                        return;
                    }
                } else if (!advance(NameSymbol(at[0])) || !advance(NameSymbol(at[1])) ||
                           !advance(NameSymbol(at[2])) || !advance(NameSymbol(at[3]))) {
                    return;
                }
            }
            for (; at != end; ++at) {
                if (!advance(NameSymbol(*at))) return;
            }
            return;
        }
        std::int32_t state = 0;
        for (const wchar_t c : name) {
            const std::int32_t symbol = NameSymbol(c);
            state = symbol == 0 ? 0 : Step(state, symbol);
            if (m_firstHit[state] > 0 && !ReportFrom(state, report)) return;
        }
    }

private:
    static constexpr std::size_t kAscii = 128;

    // Reports every pattern ending at the state; false when report asked to stop.
    template <typename Report>
    bool ReportFrom(std::int32_t state, Report& report) const {
        for (std::int32_t hit = m_firstHit[state]; hit > 0; hit = m_outputLink[hit]) {
            for (std::int32_t id = m_firstId[hit]; id >= 0; id = m_nextSameId[id]) {
                if (!report(static_cast<int>(id))) return false;
            }
        }
        return true;
    }

    // The number of a pattern character, taken as it is.
    std::int32_t Symbol(wchar_t c) const {
        const auto code = static_cast<std::uint32_t>(c);
        if (code < kAscii) return m_asciiSymbol[code];
        const auto found = std::lower_bound(m_otherCharacters.begin(), m_otherCharacters.end(), c);
        if (found == m_otherCharacters.end() || *found != c) return 0;
        return m_otherSymbols[found - m_otherCharacters.begin()];
    }

    // The number of a name character: that of its upper-case form (ASCII ones from one table).
    std::int32_t NameSymbol(wchar_t c) const {
        const auto code = static_cast<std::uint32_t>(c);
        if (code < kAscii) return m_asciiNameSymbol[code];
        return OtherNameSymbol(c);
    }
    // Out of line, to keep the reading loop small.
    __attribute__((noinline)) std::int32_t OtherNameSymbol(wchar_t c) const { return Symbol(ToUpperChar(c)); }

    // The child of a node other than the root by a character number, or 0.
    std::int32_t Child(std::int32_t node, std::int32_t symbol) const {
        const std::int32_t* begin = m_childSymbol.data() + m_childBegin[node];
        const std::int32_t* end = m_childSymbol.data() + m_childBegin[node + 1];
        if (end - begin <= 8) {
            for (const std::int32_t* at = begin; at != end; ++at) {
                if (*at == symbol) return m_childNode[at - m_childSymbol.data()];
                if (*at > symbol) return 0;
            }
            return 0;
        }
        const std::int32_t* at = std::lower_bound(begin, end, symbol);
        return at != end && *at == symbol ? m_childNode[at - m_childSymbol.data()] : 0;
    }

    std::int32_t Step(std::int32_t state, std::int32_t symbol) const {
        for (;;) {
            if (state == 0) return m_rootChild[symbol];
            const std::int32_t child = Child(state, symbol);
            if (child != 0) return child;
            state = m_fail[state];
        }
    }

    void NumberCharacters(const std::vector<std::wstring_view>& patterns) {
        bool ascii[kAscii] = {};
        for (const std::wstring_view pattern : patterns) {
            for (const wchar_t c : pattern) {
                const auto code = static_cast<std::uint32_t>(c);
                if (code < kAscii) {
                    ascii[code] = true;
                } else {
                    m_otherCharacters.push_back(c);
                }
            }
        }
        std::int32_t symbol = 0;
        for (std::size_t code = 0; code < kAscii; ++code) {
            if (ascii[code]) m_asciiSymbol[code] = ++symbol;
        }
        for (std::size_t code = 0; code < kAscii; ++code) {
            m_asciiNameSymbol[code] = m_asciiSymbol[static_cast<std::uint32_t>(ToUpperChar(static_cast<wchar_t>(code)))];
        }
        std::sort(m_otherCharacters.begin(), m_otherCharacters.end());
        m_otherCharacters.erase(std::unique(m_otherCharacters.begin(), m_otherCharacters.end()),
                                m_otherCharacters.end());
        for (std::size_t i = 0; i < m_otherCharacters.size(); ++i) m_otherSymbols.push_back(++symbol);
        m_symbolCount = symbol + 1;
    }

    // The trie, each node's children first kept in a list sorted by character number, then
    // gathered into one run of the flat array.
    void BuildTrie(const std::vector<std::wstring_view>& patterns) {
        std::vector<std::int32_t> symbolOf{0};
        std::vector<std::int32_t> firstChild{0};
        std::vector<std::int32_t> nextSibling{0};
        std::vector<std::int32_t> childCount{0};
        std::vector<std::int32_t> lastId{-1};
        m_rootChild.assign(m_symbolCount, 0);
        m_firstId.assign(1, -1);
        m_nextSameId.assign(patterns.size(), -1);
        for (std::size_t id = 0; id < patterns.size(); ++id) {
            const std::wstring_view pattern = patterns[id];
            if (pattern.empty()) continue;
            std::int32_t node = 0;
            for (const wchar_t c : pattern) {
                const std::int32_t symbol = Symbol(c);
                // The child if it is there, else where it belongs: after `previous` in the sorted
                // sibling list (first when previous is 0), before `next`.
                std::int32_t previous = 0;
                std::int32_t next = node == 0 ? m_rootChild[symbol] : firstChild[node];
                if (node != 0) {
                    while (next != 0 && symbolOf[next] < symbol) {
                        previous = next;
                        next = nextSibling[next];
                    }
                }
                if (next != 0 && symbolOf[next] == symbol) {
                    node = next;
                    continue;
                }
                const auto child = static_cast<std::int32_t>(symbolOf.size());
                symbolOf.push_back(symbol);
                firstChild.push_back(0);
                nextSibling.push_back(node == 0 ? 0 : next);
                childCount.push_back(0);
                lastId.push_back(-1);
                m_firstId.push_back(-1);
                if (node == 0) {
                    m_rootChild[symbol] = child;
                } else if (previous == 0) {
                    firstChild[node] = child;
                } else {
                    nextSibling[previous] = child;
                }
                ++childCount[node];
                node = child;
            }
            if (m_firstId[node] < 0) {
                m_firstId[node] = static_cast<std::int32_t>(id);
            } else {
                m_nextSameId[lastId[node]] = static_cast<std::int32_t>(id);
            }
            lastId[node] = static_cast<std::int32_t>(id);
        }

        const std::size_t nodes = symbolOf.size();
        m_childBegin.assign(nodes + 1, 0);
        for (std::size_t node = 0; node < nodes; ++node) m_childBegin[node + 1] = m_childBegin[node] + childCount[node];
        m_childSymbol.resize(static_cast<std::size_t>(m_childBegin[nodes]));
        m_childNode.resize(m_childSymbol.size());
        std::int32_t at = 0;
        for (std::int32_t symbol = 1; symbol < m_symbolCount; ++symbol) {
            if (m_rootChild[symbol] == 0) continue;
            m_childSymbol[at] = symbol;
            m_childNode[at++] = m_rootChild[symbol];
        }
        for (std::size_t node = 1; node < nodes; ++node) {
            for (std::int32_t child = firstChild[node]; child != 0; child = nextSibling[child]) {
                m_childSymbol[at] = symbolOf[child];
                m_childNode[at++] = child;
            }
        }
    }

    // Breadth first, so that every failure link points to a node already linked.
    void LinkFailures() {
        const std::size_t nodes = m_firstId.size();
        m_fail.assign(nodes, 0);
        m_outputLink.assign(nodes, 0);
        m_firstHit.assign(nodes, 0);
        std::vector<std::int32_t> queue;
        queue.reserve(nodes);
        queue.push_back(0);
        for (std::size_t next = 0; next < queue.size(); ++next) {
            const std::int32_t node = queue[next];
            for (std::int32_t at = m_childBegin[node]; at < m_childBegin[node + 1]; ++at) {
                const std::int32_t child = m_childNode[at];
                const std::int32_t fail = node == 0 ? 0 : Step(m_fail[node], m_childSymbol[at]);
                m_fail[child] = fail;
                m_outputLink[child] = m_firstId[fail] >= 0 ? fail : m_outputLink[fail];
                m_firstHit[child] = m_firstId[child] >= 0 ? child : m_outputLink[child];
                queue.push_back(child);
            }
        }
    }

    // The table form, when the nodes times the character numbers stay within maxTableEntries: the
    // trie is made in the table itself (a child is one look-up away), then in breadth-first order
    // each node's row becomes a copy of its failure node's row, already complete, with the node's
    // own children written over it (a trie node has few children, so a row costs one copy rather
    // than a test per character number). Entries are in the form ScanFolded reads: the next
    // node's row (node x width), negated and less one when that node ends a pattern. False,
    // leaving nothing made, when the table would be too large.
    bool BuildTable(const std::vector<std::wstring_view>& patterns, std::size_t maxTableEntries) {
        const auto width = static_cast<std::size_t>(m_symbolCount);
        std::size_t characters = 0;
        for (const std::wstring_view pattern : patterns) characters += pattern.size();
        const std::size_t rows = std::min(characters + 1, maxTableEntries / width);
        if (rows == 0) return false;
        // Room for every row it may need, but only the rows of nodes made are filled.
        m_table.reserve(rows * width);
        m_table.assign(width, 0);
        m_firstId.assign(1, -1);
        m_nextSameId.assign(patterns.size(), -1);
        std::vector<std::int32_t> lastId{-1};
        std::vector<std::int32_t> parentOf{0};
        std::vector<std::int32_t> symbolOf{0};
        for (std::size_t id = 0; id < patterns.size(); ++id) {
            if (patterns[id].empty()) continue;
            std::size_t node = 0;
            for (const wchar_t c : patterns[id]) {
                const std::int32_t symbol = Symbol(c);
                std::int32_t& child = m_table[node * width + static_cast<std::size_t>(symbol)];
                if (child == 0) {
                    if (m_firstId.size() == rows) {  // one node more than the table may hold
                        m_table.clear();
                        m_table.shrink_to_fit();
                        return false;
                    }
                    child = static_cast<std::int32_t>(m_firstId.size());
                    m_firstId.push_back(-1);
                    lastId.push_back(-1);
                    parentOf.push_back(static_cast<std::int32_t>(node));
                    symbolOf.push_back(symbol);
                    m_table.resize(m_table.size() + width);  // within the room: `child` stays valid
                }
                node = static_cast<std::size_t>(child);
            }
            if (m_firstId[node] < 0) {
                m_firstId[node] = static_cast<std::int32_t>(id);
            } else {
                m_nextSameId[static_cast<std::size_t>(lastId[node])] = static_cast<std::int32_t>(id);
            }
            lastId[node] = static_cast<std::int32_t>(id);
        }
        const std::size_t nodes = m_firstId.size();
        m_fail.assign(nodes, 0);
        m_outputLink.assign(nodes, 0);
        m_firstHit.assign(nodes, 0);

        // Every node's children in one run, in the order they were made.
        std::vector<std::int32_t> childBegin(nodes + 1, 0);
        for (std::size_t node = 1; node < nodes; ++node) ++childBegin[static_cast<std::size_t>(parentOf[node]) + 1];
        for (std::size_t node = 0; node < nodes; ++node) childBegin[node + 1] += childBegin[node];
        std::vector<std::int32_t> children(nodes);
        {
            std::vector<std::int32_t> filled(childBegin.begin(), childBegin.end() - 1);
            for (std::size_t node = 1; node < nodes; ++node) {
                children[static_cast<std::size_t>(filled[static_cast<std::size_t>(parentOf[node])]++)] =
                    static_cast<std::int32_t>(node);
            }
        }

        // The root's row keeps 0 for a character of no pattern; every other row is complete once
        // its turn comes, and a failure node always comes before the nodes that fail to it.
        const auto nodeOf = [&](std::int32_t entry) { return (entry < 0 ? -entry - 1 : entry) / m_symbolCount; };
        std::vector<std::int32_t> queue{0};
        queue.reserve(nodes);
        for (std::size_t next = 0; next < queue.size(); ++next) {
            const auto node = static_cast<std::size_t>(queue[next]);
            std::int32_t* const row = m_table.data() + node * width;
            const std::int32_t* const failRow = m_table.data() + static_cast<std::size_t>(m_fail[node]) * width;
            const std::int32_t* const first = children.data() + childBegin[node];
            const std::int32_t* const last = children.data() + childBegin[node + 1];
            for (const std::int32_t* child = first; child != last; ++child) {
                const std::size_t symbol = static_cast<std::size_t>(symbolOf[static_cast<std::size_t>(*child)]);
                const std::int32_t fail = node == 0 ? 0 : nodeOf(failRow[symbol]);
                m_fail[*child] = fail;
                m_outputLink[*child] = m_firstId[fail] >= 0 ? fail : m_outputLink[fail];
                m_firstHit[*child] = m_firstId[*child] >= 0 ? *child : m_outputLink[*child];
                queue.push_back(*child);
            }
            if (node != 0) std::copy(failRow, failRow + width, row);
            for (const std::int32_t* child = first; child != last; ++child) {
                const std::size_t symbol = static_cast<std::size_t>(symbolOf[static_cast<std::size_t>(*child)]);
                const std::int32_t childRow = *child * m_symbolCount;
                row[symbol] = m_firstHit[*child] > 0 ? -childRow - 1 : childRow;
            }
        }
        return true;
    }

    std::int32_t m_asciiSymbol[kAscii] = {};      // pattern characters
    std::int32_t m_asciiNameSymbol[kAscii] = {};  // name characters, folded
    std::vector<wchar_t> m_otherCharacters;    // the others, sorted
    std::vector<std::int32_t> m_otherSymbols;  // their numbers
    std::int32_t m_symbolCount = 1;

    std::vector<std::int32_t> m_rootChild;    // by character number; 0 for none
    std::vector<std::int32_t> m_childBegin;   // node's children: [m_childBegin[node], m_childBegin[node + 1])
    std::vector<std::int32_t> m_childSymbol;  // sorted within each node's run
    std::vector<std::int32_t> m_childNode;
    std::vector<std::int32_t> m_fail;
    std::vector<std::int32_t> m_outputLink;  // nearest node on the failure chain that ends a pattern; 0 for none
    std::vector<std::int32_t> m_firstHit;    // the node itself when it ends a pattern, else its m_outputLink
    std::vector<std::int32_t> m_firstId;     // the first pattern ending at a node, -1 for none
    std::vector<std::int32_t> m_nextSameId;  // the next pattern with the same text, -1 for none
    std::vector<std::int32_t> m_table;       // m_table[node * m_symbolCount + character number]: the next node
};

}  // namespace

struct FirstFoldedNameSearch::Automaton : PatternAutomaton {
    using PatternAutomaton::PatternAutomaton;
};

FirstFoldedNameSearch::FirstFoldedNameSearch(const std::vector<std::wstring_view>& patterns,
                                             std::size_t maxTableEntries)
    : m_first(patterns.size(), -1) {
    for (std::size_t id = 0; id < patterns.size(); ++id) {
        if (patterns[id].empty()) {
            m_emptyIds.push_back(static_cast<int>(id));
        } else {
            ++m_open;
        }
    }
    if (m_open > 0) m_automaton = std::make_unique<Automaton>(patterns, maxTableEntries);
}

FirstFoldedNameSearch::~FirstFoldedNameSearch() = default;

void FirstFoldedNameSearch::Read(std::wstring_view name) {
    const int index = m_read++;
    if (index == 0) {
        for (const int id : m_emptyIds) m_first[static_cast<std::size_t>(id)] = 0;
    }
    if (m_open == 0) return;
    m_automaton->ScanFolded(name, [&](int id) {
        if (m_first[static_cast<std::size_t>(id)] < 0) {
            m_first[static_cast<std::size_t>(id)] = index;
            --m_open;
        }
        return m_open > 0;
    });
}

std::vector<int> FirstFoldedNamesContaining(const std::vector<std::wstring_view>& patterns,
                                            const std::vector<std::wstring_view>& names, std::size_t maxTableEntries) {
    FirstFoldedNameSearch search(patterns, maxTableEntries);
    for (std::size_t index = 0; index < names.size() && !search.Done(); ++index) search.Read(names[index]);
    return search.First();
}

}  // namespace tavelin
