// A registry held in memory, for tests, fuzzers and benchmarks: keys enumerate in the order they
// were added (so a test decides which device key comes first), names match without regard to
// case, and values obey the same buffer limits as the Win32 adapter. Each view is its own tree;
// a test that wants a key in both views adds it twice.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "evaluate/registry.h"

namespace tavelin {

class MemoryRegistry : public Registry {
public:
    MemoryRegistry();
    ~MemoryRegistry() override;
    // Moving is for building a registry in a helper; keys opened before the move must be gone.
    MemoryRegistry(MemoryRegistry&&) noexcept;
    MemoryRegistry& operator=(MemoryRegistry&&) noexcept;

    // Creates the key and every missing parent; path below HKEY_LOCAL_MACHINE.
    void AddKey(const std::wstring& path, RegistryView view = RegistryView::View32);
    // Creates the key if needed and sets a string value (the stored data is the text plus its
    // terminator, as RegSetValueExW stores a REG_SZ).
    void SetValue(const std::wstring& path, const std::wstring& name, const std::wstring& text,
                  RegistryView view = RegistryView::View32);

    std::unique_ptr<RegistryKey> OpenKey(const std::wstring& path, RegistryView view) override;

    // How often keys were opened and subkey names asked for, to show what a cache saves.
    std::size_t OpenCount() const { return m_openCount; }
    std::size_t EnumCount() const { return m_enumCount; }

    struct Node;

private:
    Node* Find(const std::wstring& path, RegistryView view) const;
    Node& Create(const std::wstring& path, RegistryView view);

    std::unique_ptr<Node> m_root32;
    std::unique_ptr<Node> m_root64;
    std::size_t m_openCount = 0;
    std::size_t m_enumCount = 0;
};

}  // namespace tavelin
