// The checker's view of the exact engine (src/exact): its graph type, answers, deadline and
// solver, named unqualified across the program.
#pragma once

#include "exact/answer.h"
#include "exact/deadline.h"
#include "exact/rng.h"
#include "exact/simple_graph.h"

namespace bicubic::check {
using exact::Answer;
using exact::at;
using exact::Deadline;
using exact::graphSeed;
using exact::isHamiltonianCycle;
using exact::kAnswerCount;
using exact::normaliseCycle;
using exact::Rng;
using exact::SimpleGraph;
using exact::twoColouring;
}  // namespace bicubic::check
