#pragma once

namespace quarrow {

// Gives the calling thread the next lower scheduling priority. Workers of the fourth job or
// entry on call it, so that the first three keep the machine's attention.
void LowerThreadPriority();

}  // namespace quarrow
