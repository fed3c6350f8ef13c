#pragma once

namespace velmora {
struct Run;
}

namespace velmora::electrical {

// CheckOutputCurrents: for every output of the panel, a quiescent or alarm current above the
// output's MAX is set to 0, and the answer is yes (exceeded). A current equal to MAX stands. Does
// nothing and answers no while Loading is set. The views' current rows stay where they were.
bool CheckOutputCurrents(Run& run, int panel);

}  // namespace velmora::electrical
