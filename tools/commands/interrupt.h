// Ctrl-C and termination requests during a long job. After catchInterrupts()
// the first such request only raises a flag, so that the job can stop at a
// safe point and clean up (a render removes its unfinished file); a second
// request ends the process at once, as usual.
#pragma once

void catchInterrupts();
bool interruptRequested();
