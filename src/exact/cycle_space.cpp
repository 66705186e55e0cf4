#include "exact/cycle_space.h"

#include <algorithm>

namespace bicubic::exact {

bool CutPairLabels::findClasses(const EdgeIndex& index, const Deadline& deadline) {
  const auto none = [](std::int32_t) { return false; };
  spanningForest(index, none, parentEdge_, order_);
  return findClasses(index, parentEdge_, order_, none, deadline);
}

// classes_ holds the matched non-forest edges; adds the forest edges and keeps the runs of
// two or more equal labels.
void CutPairLabels::keepClasses() {
  std::vector<Entry>& all = classes_;
  all.insert(all.end(), forest_.begin(), forest_.end());
  std::sort(all.begin(), all.end());
  std::size_t kept = 0;
  for (std::size_t i = 0; i < all.size();) {
    std::size_t j = i + 1;
    while (j < all.size() && all[j].first == all[i].first) ++j;
    if (j - i >= 2) {
      for (std::size_t k = i; k < j; ++k) all[kept++] = all[k];
    }
    i = j;
  }
  all.resize(kept);
}

}  // namespace bicubic::exact
