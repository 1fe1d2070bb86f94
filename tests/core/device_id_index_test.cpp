// The index behind the device libraries' answers: which instances name an id, and presence asked
// only for those, once each.
#include "probe/device_id_index.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "narrow_text.h"

namespace tavelin {
namespace {

// A machine as the Enum tree records it: a graphics chip present, the same chip's instance from an
// earlier slot no longer present, a removed camera (its class id listed twice), a present
// webcam of the same class, and a removed network card recorded before its present successor.
std::vector<DeviceInstanceIds> Machine() {
    return {
        {L"PCI\\A\\1", {L"PCI\\A&SUBSYS_1", L"PCI\\A", L"PCI\\CC_0300"}},
        {L"PCI\\A\\2", {L"PCI\\A&SUBSYS_1", L"PCI\\A"}},
        {L"USB\\B\\1", {L"USB\\B", L"USB\\CLASS_0E", L"USB\\CLASS_0E"}},
        {L"USB\\C\\1", {L"USB\\C", L"USB\\CLASS_0E"}},
        {L"PCI\\D\\OLD", {L"PCI\\D"}},
        {L"PCI\\D\\NEW", {L"PCI\\D"}},
    };
}
const std::set<std::wstring> kPresentInstances = {L"PCI\\A\\1", L"USB\\C\\1", L"PCI\\D\\NEW"};

struct Asked {
    std::vector<std::wstring> instances;
    DeviceIdIndex::PresenceCheck Check() {
        return [this](const std::wstring& instanceId) {
            instances.push_back(instanceId);
            return kPresentInstances.count(instanceId) != 0;
        };
    }
};

struct IndexCase {
    const wchar_t* id;
    bool present;
    std::vector<std::wstring> asked;  // the instances whose presence the query needed, in order
};

TEST(DeviceIdIndex, AnIdIsPresentWhenAnInstanceNamingItIsPresent) {
    const IndexCase cases[] = {
        {L"PCI\\A", true, {L"PCI\\A\\1"}},  // the first present instance ends the search
        {L"PCI\\A&SUBSYS_1", true, {L"PCI\\A\\1"}},
        {L"PCI\\CC_0300", true, {L"PCI\\A\\1"}},  // a compatible id
        {L"USB\\B", false, {L"USB\\B\\1"}},  // recorded, not present; listed twice, asked once
        {L"USB\\CLASS_0E", true, {L"USB\\B\\1", L"USB\\C\\1"}},
        {L"PCI\\D", true, {L"PCI\\D\\OLD", L"PCI\\D\\NEW"}},
        {L"PCI\\NONE", false, {}},
        {L"PCI", false, {}},  // a part of an id names nothing
        {L"", false, {}},
        {L"pci\\a", false, {}},  // the caller folds the case of ids and queries alike
    };
    for (const IndexCase& c : cases) {
        DeviceIdIndex index(Machine());
        Asked asked;
        EXPECT_EQ(index.AnyPresent(c.id, asked.Check()), c.present) << Narrow(c.id);
        EXPECT_EQ(asked.instances, c.asked) << Narrow(c.id);
    }
}

TEST(DeviceIdIndex, EachInstanceIsAskedAboutOnceAndOnlyWhenAQueryNamesIt) {
    DeviceIdIndex index(Machine());
    ASSERT_EQ(index.InstanceCount(), 6u);
    Asked asked;
    for (const wchar_t* id : {L"USB\\B", L"USB\\CLASS_0E", L"USB\\B", L"PCI\\A", L"USB\\CLASS_0E", L"PCI\\A"}) {
        index.AnyPresent(id, asked.Check());
    }
    // Neither PCI\A\2 (PCI\A\1 answers first) nor the network cards: no query named them.
    EXPECT_EQ(asked.instances, (std::vector<std::wstring>{L"USB\\B\\1", L"USB\\C\\1", L"PCI\\A\\1"}));
    // Answers from what was asked before stay the same.
    EXPECT_FALSE(index.AnyPresent(L"USB\\B", asked.Check()));
    EXPECT_TRUE(index.AnyPresent(L"USB\\CLASS_0E", asked.Check()));
    EXPECT_EQ(asked.instances.size(), 3u);
}

}  // namespace
}  // namespace tavelin
