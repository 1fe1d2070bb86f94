#include "authoring/registry_capture.h"

#include "config/text.h"

namespace tavelin {

namespace {

// Values are kept whole: the reader that asks with a small buffer learns the value does not fit,
// and a simulation reading the export with the same buffer learns the same.
constexpr std::size_t kWholeValueBytes = 65536 * sizeof(wchar_t);

RegistryView OtherView(RegistryView view) {
    return view == RegistryView::View32 ? RegistryView::View64 : RegistryView::View32;
}

}  // namespace

CapturedKey* CapturedKey::Child(const std::wstring& childName) {
    for (const auto& subkey : subkeys) {
        if (EqualsNoCase(subkey->name, childName)) return subkey.get();
    }
    subkeys.push_back(std::make_unique<CapturedKey>());
    subkeys.back()->name = childName;
    return subkeys.back().get();
}

// A key of the inner registry that notes what is read from it.
class RegistryCapture::Key : public RegistryKey {
public:
    Key(std::unique_ptr<RegistryKey> inner, CapturedKey& node, Attempt& attempt)
        : m_inner(std::move(inner)), m_node(node), m_attempt(attempt) {}

    std::optional<std::wstring> EnumSubkeyName(std::uint32_t index) override {
        std::optional<std::wstring> name = m_inner->EnumSubkeyName(index);
        m_attempt.enumerated = true;
        if (name) m_node.Child(*name);
        return name;
    }

    std::optional<std::wstring> QueryStringValue(const std::wstring& name, std::size_t bufferBytes) override {
        bool known = false;
        for (const std::wstring& noted : m_attempt.valueNames) known = known || EqualsNoCase(noted, name);
        if (!known) {
            m_attempt.valueNames.push_back(name);
            if (std::optional<std::wstring> whole = m_inner->QueryStringValue(name, kWholeValueBytes)) {
                m_node.values.emplace_back(name, *whole);
            }
        }
        return m_inner->QueryStringValue(name, bufferBytes);
    }

private:
    std::unique_ptr<RegistryKey> m_inner;
    CapturedKey& m_node;
    Attempt& m_attempt;
};

RegistryCapture::RegistryCapture(Registry& inner) : m_inner(inner) {}
RegistryCapture::~RegistryCapture() = default;

CapturedKey* RegistryCapture::Node(const std::wstring& path, RegistryView view) {
    CapturedKey* node = view == RegistryView::View32 ? &m_root32 : &m_root64;
    for (const std::wstring& part : SplitList(path, L"\\")) {
        if (!part.empty()) node = node->Child(part);
    }
    return node;
}

RegistryCapture::Attempt& RegistryCapture::Noted(const std::wstring& path, RegistryView view) {
    for (const auto& attempt : m_attempts) {
        if (attempt->view == view && EqualsNoCase(attempt->path, path)) return *attempt;
    }
    m_attempts.push_back(std::make_unique<Attempt>(Attempt{path, view, false, {}}));
    return *m_attempts.back();
}

std::unique_ptr<RegistryKey> RegistryCapture::OpenKey(const std::wstring& path, RegistryView view) {
    Attempt& attempt = Noted(path, view);
    std::unique_ptr<RegistryKey> inner = m_inner.OpenKey(path, view);
    if (!inner) return nullptr;
    CapturedKey* node = Node(path, view);
    node->opened = true;
    return std::make_unique<Key>(std::move(inner), *node, attempt);
}

void RegistryCapture::ReadAgainInTheOtherView() {
    // Copied first: the reads below note attempts of their own.
    std::vector<Attempt> attempts;
    for (const auto& attempt : m_attempts) attempts.push_back(*attempt);
    for (const Attempt& attempt : attempts) {
        std::unique_ptr<RegistryKey> key = OpenKey(attempt.path, OtherView(attempt.view));
        if (!key) continue;
        if (attempt.enumerated) EnumerateSubkeyNames(*key);
        for (const std::wstring& name : attempt.valueNames) key->QueryStringValue(name, kWholeValueBytes);
    }
}

}  // namespace tavelin
