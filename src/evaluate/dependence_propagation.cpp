#include "evaluate/dependence_propagation.h"

#include <set>

namespace tavelin {
namespace {

class Propagation {
public:
    Propagation(const ItemList& items, CheckRows& rows, const CItem* cause)
        : m_items(items), m_rows(rows), m_cause(cause) {}

    void Apply(int row, int state) {
        if (row < 0 || !m_followed.insert(row).second) return;
        const CItem* item = ItemAtRow(m_items, row);
        if (item == nullptr) return;
        // A state the list cannot read counts as checked, as it does for the installation run,
        // which installs such a row: what the item needs is checked with a readable mark.
        if (state != 0) {
            CheckWhatItDependsOn(*item, kChecked);
        } else {
            ClearWhatDependsOn(*item);
        }
    }

    std::vector<DependenceChange> TakeChanges() { return std::move(m_changes); }

private:
    static constexpr int kChecked = 1;

    void CheckWhatItDependsOn(const CItem& item, int state) {
        for (const std::uint32_t number : item.m_arrDependence) {
            const CItem* needed = ItemNumbered(number);
            if (needed == nullptr) continue;
            // An item that is installed and not to be installed again keeps its box; its own
            // dependences are still visited.
            if ((!needed->m_bInstalled || needed->m_bVersionResult) && needed->m_nListRow >= 0) {
                Set(*needed, state);
            }
            Apply(needed->m_nListRow, state);
        }
    }

    void ClearWhatDependsOn(const CItem& item) {
        for (const auto& other : m_items) {
            for (const std::uint32_t number : other->m_arrDependence) {
                if (static_cast<std::int64_t>(number) != item.m_nItemNo) continue;
                if (other->m_nListRow >= 0) {
                    Set(*other, 0);
                    Apply(other->m_nListRow, 0);
                }
                break;  // the first matching entry decides for this item
            }
        }
    }

    void Set(const CItem& item, int state) {
        m_rows.SetRowCheck(item.m_nListRow, state);
        DependenceChange change;
        change.itemNo = item.m_nItemNo;
        change.finding.checked = state != 0;
        if (m_cause != nullptr) {
            change.finding.causeItemNo = m_cause->m_nItemNo;
            change.finding.causeTitle = m_cause->m_strTitle;
        }
        m_changes.push_back(std::move(change));
    }

    const CItem* ItemNumbered(std::uint32_t number) const {
        for (const auto& item : m_items) {
            if (static_cast<std::int64_t>(item->m_nItemNo) == static_cast<std::int64_t>(number)) return item.get();
        }
        return nullptr;
    }

    const ItemList& m_items;
    CheckRows& m_rows;
    const CItem* m_cause;  // the item of the row the user changed
    std::set<int> m_followed;
    std::vector<DependenceChange> m_changes;
};

}  // namespace

std::vector<DependenceChange> ApplyDependences(const ItemList& items, CheckRows& rows, int selectedRow) {
    if (selectedRow < 0) return {};
    const CItem* selected = ItemAtRow(items, selectedRow);
    const int state = rows.GetRowCheck(selectedRow);
    Propagation propagation(items, rows, selected);
    propagation.Apply(selectedRow, state);
    return propagation.TakeChanges();
}

void RecordDependences(const std::vector<DependenceChange>& changes, DecisionBook& decisions) {
    for (const DependenceChange& change : changes) decisions.For(change.itemNo).dependences.push_back(change.finding);
}

}  // namespace tavelin
