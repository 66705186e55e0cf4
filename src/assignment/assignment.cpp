#include "assignment/assignment.h"

#include "assignment/literal_assignment.h"

namespace bicubic {

void solveAssignment(Graph& graph, std::string mode, OutputSink& out) {
  literal::solveAssignment(graph, std::move(mode), out);
}

}  // namespace bicubic
