#include "evaluate/dependence_propagation.h"

#include <set>

namespace tavelin {
namespace {

class Propagation {
public:
    Propagation(const ItemList& items, CheckRows& rows) : m_items(items), m_rows(rows) {}

    void Apply(int row, int state) {
        if (row < 0 || !m_followed.insert(row).second) return;
        const CItem* item = ItemAtRow(m_items, row);
        if (item == nullptr) return;
        if (state != 0) {
            CheckWhatItDependsOn(*item, state);
        } else {
            ClearWhatDependsOn(*item);
        }
    }

private:
    void CheckWhatItDependsOn(const CItem& item, int state) {
        for (const std::uint32_t number : item.m_arrDependence) {
            const CItem* needed = ItemNumbered(number);
            if (needed == nullptr) continue;
            // An item that is installed and not to be installed again keeps its box; its own
            // dependences are still visited.
            if ((!needed->m_bInstalled || needed->m_bVersionResult) && needed->m_nListRow >= 0) {
                m_rows.SetRowCheck(needed->m_nListRow, state);
            }
            Apply(needed->m_nListRow, state);
        }
    }

    void ClearWhatDependsOn(const CItem& item) {
        for (const auto& other : m_items) {
            for (const std::uint32_t number : other->m_arrDependence) {
                if (static_cast<std::int64_t>(number) != item.m_nItemNo) continue;
                if (other->m_nListRow >= 0) {
                    m_rows.SetRowCheck(other->m_nListRow, 0);
                    Apply(other->m_nListRow, 0);
                }
                break;  // the first matching entry decides for this item
            }
        }
    }

    const CItem* ItemNumbered(std::uint32_t number) const {
        for (const auto& item : m_items) {
            if (static_cast<std::int64_t>(item->m_nItemNo) == static_cast<std::int64_t>(number)) return item.get();
        }
        return nullptr;
    }

    const ItemList& m_items;
    CheckRows& m_rows;
    std::set<int> m_followed;
};

}  // namespace

void ApplyDependences(const ItemList& items, CheckRows& rows, int selectedRow) {
    if (selectedRow < 0) return;
    const int state = rows.GetRowCheck(selectedRow);
    Propagation(items, rows).Apply(selectedRow, state);
}

}  // namespace tavelin
