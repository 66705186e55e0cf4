#include "exact/renumber.h"

#include "exact/index.h"

namespace bicubic::exact {

std::vector<std::int32_t> depthFirstOrder(const SimpleGraph& g, const Deadline& deadline) {
  DeadlinePoller poller(deadline);
  std::vector<std::int32_t> order, stack, next(at(g.order()), 0);
  std::vector<char> seen(at(g.order()), 0);
  order.reserve(at(g.order()));
  for (std::int32_t root = 0; root < g.order(); ++root) {
    if (seen[at(root)]) continue;
    seen[at(root)] = 1;
    order.push_back(root);
    stack.assign(1, root);
    while (!stack.empty()) {
      if (poller.expired()) return {};
      const std::int32_t v = stack.back();
      if (next[at(v)] == g.degree(v)) {
        stack.pop_back();
        continue;
      }
      const std::int32_t w = g.neighbours(v)[at(next[at(v)]++)];
      if (seen[at(w)]) continue;
      seen[at(w)] = 1;
      order.push_back(w);
      stack.push_back(w);
    }
  }
  return order;
}

std::optional<SimpleGraph> renumbered(const SimpleGraph& g, const std::vector<std::int32_t>& order,
                                      const Deadline& deadline) {
  DeadlinePoller poller(deadline);
  std::vector<std::int32_t> number(at(g.order()));
  for (std::int32_t k = 0; k < g.order(); ++k) number[at(order[at(k)])] = k;
  SimpleGraph h(g.order());
  for (std::int32_t k = 0; k < g.order(); ++k) {
    if (poller.expired(g.degree(order[at(k)]))) return std::nullopt;
    for (const std::int32_t w : g.neighbours(order[at(k)])) {
      if (k < number[at(w)]) h.addNewEdge(k, number[at(w)]);
    }
  }
  return h;
}

}  // namespace bicubic::exact
