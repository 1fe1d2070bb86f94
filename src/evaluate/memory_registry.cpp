#include "evaluate/memory_registry.h"

#include <string_view>
#include <unordered_map>

#include "config/text.h"

namespace tavelin {

struct MemoryRegistry::Node {
    std::vector<std::pair<std::wstring, std::unique_ptr<Node>>> children;  // in the order added
    std::unordered_map<std::wstring, Node*> childByUpperName;
    std::unordered_map<std::wstring, std::wstring> valueByUpperName;
};

namespace {

// The folded form of a name, in a buffer reused for every look-up: an open must not cost a new
// string per piece of its path, or the registry's own work would hide the work of its callers.
const std::wstring& Folded(std::wstring_view name) {
    thread_local std::wstring buffer;
    buffer.assign(name.data(), name.size());
    for (wchar_t& c : buffer) c = ToUpperChar(c);
    return buffer;
}

// Calls visit(piece) for the path pieces between backslashes, skipping empty pieces (doubled or
// trailing separators), until it returns false.
template <typename Visit>
bool ForEachPathPiece(std::wstring_view path, Visit&& visit) {
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos) end = path.size();
        if (end > start && !visit(path.substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

class MemoryKey : public RegistryKey {
public:
    MemoryKey(const MemoryRegistry::Node& node, std::size_t& enumCount)
        : m_node(node), m_enumCount(enumCount) {}

    std::optional<std::wstring> EnumSubkeyName(std::uint32_t index) override {
        ++m_enumCount;
        if (index >= m_node.children.size()) return std::nullopt;
        const std::wstring& name = m_node.children[index].first;
        if (name.size() >= kKeyNameBufferChars) return std::nullopt;
        return name;
    }

    std::optional<std::wstring> QueryStringValue(const std::wstring& name,
                                                std::size_t bufferBytes) override {
        const auto found = m_node.valueByUpperName.find(Folded(name));
        if (found == m_node.valueByUpperName.end()) return std::nullopt;
        const std::wstring& text = found->second;
        if ((text.size() + 1) * sizeof(char16_t) > bufferBytes) return std::nullopt;
        return text.substr(0, text.find(L'\0'));
    }

private:
    const MemoryRegistry::Node& m_node;
    std::size_t& m_enumCount;
};

}  // namespace

MemoryRegistry::MemoryRegistry() : m_root32(std::make_unique<Node>()), m_root64(std::make_unique<Node>()) {}
MemoryRegistry::~MemoryRegistry() = default;
MemoryRegistry::MemoryRegistry(MemoryRegistry&&) noexcept = default;
MemoryRegistry& MemoryRegistry::operator=(MemoryRegistry&&) noexcept = default;

MemoryRegistry::Node* MemoryRegistry::Find(const std::wstring& path, RegistryView view) const {
    // The registry refuses a path that starts with a separator (ERROR_BAD_PATHNAME) while it
    // accepts doubled and trailing ones; a Version_Path written as \SOFTWARE\... is therefore never
    // found on Windows, and must not be found here either.
    if (!path.empty() && path.front() == L'\\') return nullptr;
    Node* node = view == RegistryView::View64 ? m_root64.get() : m_root32.get();
    const bool found = ForEachPathPiece(path, [&node](std::wstring_view piece) {
        const auto child = node->childByUpperName.find(Folded(piece));
        if (child == node->childByUpperName.end()) return false;
        node = child->second;
        return true;
    });
    return found ? node : nullptr;
}

MemoryRegistry::Node& MemoryRegistry::Create(const std::wstring& path, RegistryView view) {
    Node* node = view == RegistryView::View64 ? m_root64.get() : m_root32.get();
    ForEachPathPiece(path, [&node](std::wstring_view piece) {
        const std::wstring upper = Folded(piece);
        const auto found = node->childByUpperName.find(upper);
        if (found != node->childByUpperName.end()) {
            node = found->second;
            return true;
        }
        node->children.emplace_back(std::wstring(piece), std::make_unique<Node>());
        Node* child = node->children.back().second.get();
        node->childByUpperName.emplace(upper, child);
        node = child;
        return true;
    });
    return *node;
}

void MemoryRegistry::AddKey(const std::wstring& path, RegistryView view) { Create(path, view); }

void MemoryRegistry::SetValue(const std::wstring& path, const std::wstring& name, const std::wstring& text,
                              RegistryView view) {
    Create(path, view).valueByUpperName[Folded(name)] = text;
}

std::unique_ptr<RegistryKey> MemoryRegistry::OpenKey(const std::wstring& path, RegistryView view) {
    ++m_openCount;
    const Node* node = Find(path, view);
    if (node == nullptr) return nullptr;
    return std::make_unique<MemoryKey>(*node, m_enumCount);
}

}  // namespace tavelin
