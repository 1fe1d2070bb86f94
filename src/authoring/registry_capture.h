// The registry as the evaluation reads it, kept for a machine profile. The capture wraps the real
// registry while the program's own evaluation runs over it, so the keys kept are exactly the ones
// the disc's catalogue leads the detection to (device enumerator keys, the driver class keys their
// "Driver" values name, the applications' and hotfixes' Version_Path keys): the rules of which keys
// matter stay in the evaluation alone. Written out as a registry export (reg_export.h), it gives a
// simulation the same answers the machine gave.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "evaluate/registry.h"

namespace tavelin {

// One key as the capture saw it: the values read (their whole text, whatever buffer the reader
// used) and, when its subkeys were enumerated, their names in the order the registry gave them.
struct CapturedKey {
    std::wstring name;  // the last part of the path, as first seen
    bool opened = false;
    std::vector<std::pair<std::wstring, std::wstring>> values;  // in the order first read
    std::vector<std::unique_ptr<CapturedKey>> subkeys;          // in enumeration order, then as opened
    CapturedKey* Child(const std::wstring& childName);          // found or appended
};

class RegistryCapture : public Registry {
public:
    explicit RegistryCapture(Registry& inner);
    ~RegistryCapture() override;

    std::unique_ptr<RegistryKey> OpenKey(const std::wstring& path, RegistryView view) override;

    // Reads every key looked for so far (found or not) again in the other view, the same way: a
    // 32-bit program looks at SOFTWARE in its own view first and a 64-bit one is asked about the
    // other, so a profile shows a key in whichever view it is.
    void ReadAgainInTheOtherView();

    // The keys below HKEY_LOCAL_MACHINE that were opened, one tree per view.
    const CapturedKey& Root(RegistryView view) const { return view == RegistryView::View32 ? m_root32 : m_root64; }

private:
    struct Attempt {
        std::wstring path;
        RegistryView view;
        bool enumerated = false;
        std::vector<std::wstring> valueNames;
    };
    class Key;
    CapturedKey* Node(const std::wstring& path, RegistryView view);
    Attempt& Noted(const std::wstring& path, RegistryView view);

    Registry& m_inner;
    CapturedKey m_root32;
    CapturedKey m_root64;
    std::vector<std::unique_ptr<Attempt>> m_attempts;
};

}  // namespace tavelin
