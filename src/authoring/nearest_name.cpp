#include "authoring/nearest_name.h"

#include <algorithm>

#include "config/text.h"

namespace tavelin {

namespace {

std::size_t EditDistance(const std::wstring& a, const std::wstring& b) {
    std::vector<std::size_t> previous(b.size() + 1);
    std::vector<std::size_t> current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) previous[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

}  // namespace

std::wstring NearestName(const std::wstring& name, const std::vector<std::wstring>& candidates) {
    const std::wstring upper = ToUpperText(name);
    const std::size_t allowed = std::max<std::size_t>(1, upper.size() / 3);
    std::wstring best;
    std::size_t bestDistance = allowed + 1;
    for (const std::wstring& candidate : candidates) {
        const std::size_t distance = EditDistance(upper, ToUpperText(candidate));
        if (distance == 0) continue;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return best;
}

}  // namespace tavelin
