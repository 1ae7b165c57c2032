// Threads do not survive fork(): a child (of Python's multiprocessing, say) has
// only the thread that forked. What a process started on threads of its own
// must be started again when this count changes.
#pragma once

// 0 in a process that was started; one more in each child of a fork.
unsigned ForkGeneration();
