// Items shown or hidden by what other items of the disc found.
#include <unordered_map>

#include "config/text.h"
#include "evaluate/evaluation_passes.h"

namespace tavelin {

namespace {

enum class Wanted { Present, Absent };

struct GroupFields {
    VisibilityGroup group;
    std::vector<std::uint32_t> CItem::*list;
    std::wstring CItem::*rule;
    Wanted wanted;  // the state of the listed items the group looks for
    bool visible;   // m_bHwFound when the group's condition holds
};

// In the order they apply; a later group overrides an earlier one.
const GroupFields kGroups[] = {
    {VisibilityGroup::VisibleIfExist, &CItem::m_arrVisibleIfExist, &CItem::m_strVisibleIfExistRule,
     Wanted::Present, true},
    {VisibilityGroup::InvisibleIfExist, &CItem::m_arrInvisibleIfExist, &CItem::m_strInvisibleIfExistRule,
     Wanted::Present, false},
    {VisibilityGroup::VisibleIfNotExist, &CItem::m_arrVisibleIfNotExist, &CItem::m_strVisibleIfNotExistRule,
     Wanted::Absent, true},
    {VisibilityGroup::InvisibleIfNotExist, &CItem::m_arrInvisibleIfNotExist, &CItem::m_strInvisibleIfNotExistRule,
     Wanted::Absent, false},
};

bool IsPresent(const CItem& item) { return item.m_bInstalled || item.m_bVersionResult; }

}  // namespace

void ApplyVisibilityRules(ItemList& items, DecisionBook& decisions) {
    // The presence of every item as the earlier passes left it, read before any flag here changes
    // (this pass writes only m_bHwFound, which presence does not read). A number naming no item
    // is ignored.
    std::unordered_map<std::uint32_t, bool> presentByNumber;
    for (const auto& item : items) {
        presentByNumber.emplace(static_cast<std::uint32_t>(item->m_nItemNo), IsPresent(*item));
    }

    for (auto& item : items) {
        std::vector<VisibilityFinding>& findings = decisions.For(item->m_nItemNo).visibility;
        findings.clear();
        for (const GroupFields& group : kGroups) {
            const std::vector<std::uint32_t>& numbers = (*item).*group.list;
            if (numbers.empty()) continue;
            const std::wstring& rule = (*item).*group.rule;
            const bool isOr = EqualsNoCase(rule, L"OR");
            if (!isOr && !EqualsNoCase(rule, L"AND")) continue;

            bool anyWanted = false;
            bool anyUnwanted = false;
            for (std::uint32_t number : numbers) {
                const auto found = presentByNumber.find(number);
                if (found == presentByNumber.end()) continue;
                const bool wanted = found->second == (group.wanted == Wanted::Present);
                (wanted ? anyWanted : anyUnwanted) = true;
            }
            const bool holds = isOr ? anyWanted : !anyUnwanted;
            if (!holds) continue;
            item->m_bHwFound = group.visible;
            findings.push_back({group.group, numbers, rule, group.visible});
        }
    }
}

}  // namespace tavelin
