// Threads do not survive fork(): a child (of Python's multiprocessing, say) has
// only the thread that forked, and any lock another thread held stays held in
// it, the allocator's among them. What the system runs on threads of its own
// must be started again in a child, and must not be inside the allocator when
// the process forks.
#pragma once
#include <mutex>

// 0 in a process that was started; one more in each child of a fork.
unsigned ForkGeneration();
// A fork waits until it can take `lock`, and releases it in parent and child:
// a thread that holds it while it frees memory is never caught doing so. The
// lock must live until the process ends.
void HoldAcrossFork(std::mutex& lock);
// The same for a lock under which no other lock is ever taken: a fork takes
// it after all the others, so that the order in which locks were given does
// not matter.
void HoldInnermostAcrossFork(std::mutex& lock);
