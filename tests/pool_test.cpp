#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "storage/config_source.h"
#include "store/allocator.h"
#include "store/attribute.h"
#include "store/cell_store.h"
#include "tests/test_support.h"

namespace {
intptr_t Pop(tQueue& queue) { return reinterpret_cast<intptr_t>(queue.Pop()); }
void* Item(intptr_t n) { return reinterpret_cast<void*>(n); }

struct Probe {
  static std::atomic<int> destroyed;
  ~Probe() { ++destroyed; }
};
std::atomic<int> Probe::destroyed{0};

// Deleter threads of a test pool rest for no time between destructions.
tAllocator<Probe>& ProbePool() {
  static auto* pool = new tAllocator<Probe>(nullptr, std::chrono::milliseconds(0));
  return *pool;
}

// Waits (briefly) for a counter that a deleter thread advances.
template <typename Read>
bool Reaches(Read read, std::int64_t wanted) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (read() < wanted) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

std::string Walk(tGenericContainer<std::string>& list) {
  std::string text;
  list.Begin();
  while (std::string* item = list.Next()) text += *item;
  return text;
}
}  // namespace

TEST(PoolQueue, FixedCapacityRefusesAndAWrappedQueueKeepsFifoOrderAcrossGrowth) {
  tQueue fixed(2, false, false);
  EXPECT_EQ(fixed.Push(Item(1)), S_OK);
  EXPECT_EQ(fixed.Push(Item(2)), S_OK);
  EXPECT_EQ(fixed.Push(Item(3)), E_FAIL);

  tQueue queue(4, false, true);
  for (intptr_t n = 1; n <= 3; ++n) queue.Push(Item(n));
  EXPECT_EQ(Pop(queue), 1);
  EXPECT_EQ(Pop(queue), 2);
  for (intptr_t n = 4; n <= 6; ++n) queue.Push(Item(n));  // 5 and 6 wrap to the front
  for (intptr_t n = 7; n <= 9; ++n) queue.Push(Item(n));  // full: grows once
  EXPECT_EQ(queue.Count(), 7);
  EXPECT_EQ(queue.Capacity(), 4 + tQueue::kGrowthSlots);
  for (intptr_t n = 3; n <= 9; ++n) EXPECT_EQ(Pop(queue), n);
  EXPECT_EQ(queue.Pop(), nullptr);
  queue.Push(Item(10));  // an emptied queue starts again where it stopped
  EXPECT_EQ(Pop(queue), 10);
}

TEST(PoolQueue, SignalledPopWaitsForPushesFromAnotherThread) {
  tQueue queue(2, true, true);
  std::vector<intptr_t> popped;
  std::thread consumer([&] {
    for (int i = 0; i < 1000; ++i) popped.push_back(Pop(queue));
  });
  for (intptr_t n = 1; n <= 1000; ++n) ASSERT_EQ(queue.Push(Item(n)), S_OK);
  consumer.join();
  for (intptr_t n = 1; n <= 1000; ++n) ASSERT_EQ(popped[n - 1], n);
}

TEST(PoolContainer, RemovedLinksAreReusedInOrder) {
  std::string a = "a", b = "b", c = "c", d = "d";
  tGenericContainer<std::string> list;
  EXPECT_EQ(Walk(list), "");
  list.Add(&a);
  ASSERT_EQ(list.cleanObject(&a, false), S_OK);  // the only object: its link stays as head
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(Walk(list), "");
  list.Add(&a);
  EXPECT_EQ(list.LinkCount(), 1);
  list.Add(&b);
  list.Add(&c);
  ASSERT_EQ(list.cleanObject(&b, false), S_OK);  // middle
  EXPECT_EQ(list.cleanObject(&b, false), E_FAIL);
  EXPECT_EQ(Walk(list), "ac");
  list.Add(&d);
  EXPECT_EQ(list.LinkCount(), 3);
  ASSERT_EQ(list.cleanObject(&d, false), S_OK);  // last
  ASSERT_EQ(list.cleanObject(&a, false), S_OK);  // head
  list.Add(&b);
  list.Add(&d);
  EXPECT_EQ(Walk(list), "cbd");
  EXPECT_EQ(list.LinkCount(), 3);
  EXPECT_EQ(*list.ObjectAt(2), "d");
  EXPECT_EQ(list.ObjectAt(3), nullptr);
  list.Clear(false);
  EXPECT_EQ(Walk(list), "");
  list.Add(&a);
  EXPECT_EQ(Walk(list), "a");
  EXPECT_EQ(list.LinkCount(), 3);
}

// Spare links behind the last object keep their former objects until reused:
// a look ahead of the walk must stop at the last object all the same.
TEST(PoolContainer, ALookAheadSeesWhatTheWalkWillGiveUpToTheLastObject) {
  std::string a = "a", b = "b", c = "c", d = "d", x = "x", y = "y";
  tGenericContainer<std::string> list;
  for (std::string* text : {&a, &b, &c, &d}) list.Add(text);
  list.Clear(false);
  list.Add(&x);
  list.Add(&y);
  list.Begin();
  tGenericContainer<std::string>::LookAhead ahead(list);
  EXPECT_EQ(ahead.Skip(0), &x);
  EXPECT_EQ(ahead.Skip(1), &y);
  EXPECT_EQ(ahead.Skip(1), nullptr);
  EXPECT_EQ(ahead.Skip(1), nullptr);
  EXPECT_EQ(tGenericContainer<std::string>::LookAhead(list).Skip(3), nullptr);
  EXPECT_EQ(list.Next(), &x);  // the walk has not moved
  EXPECT_EQ(tGenericContainer<std::string>::LookAhead(list).Skip(1), nullptr);
}

TEST(PoolContainer, RemoveIfUnlinksInOnePassAndOwningListsDelete) {
  std::vector<std::string> items{"a", "b", "c", "d", "e"};
  tGenericContainer<std::string> list;
  for (auto& item : items) list.Add(&item);
  std::string removed;
  EXPECT_EQ(list.RemoveIf([](std::string* s) { return *s != "c" && *s != "d"; },
                          [&removed](std::string* s) { removed += *s; }),
            3);
  EXPECT_EQ(removed, "abe");
  EXPECT_EQ(Walk(list), "cd");
  EXPECT_EQ(list.Count(), 2);

  Probe::destroyed = 0;
  {
    tGenericContainer<Probe> owning(true);
    for (int i = 0; i < 3; ++i) owning.Add(new Probe);
    owning.Clear(true);
    owning.Add(new Probe);
  }
  EXPECT_EQ(Probe::destroyed, 4);
}

TEST(PoolAllocator, KeepsAtMost65536ForReuseAndDestroysTheRest) {
  tAllocator<Probe>& pool = ProbePool();
  std::vector<Probe*> objects(70000);
  bool reused = true;
  for (Probe*& object : objects) object = new Probe;
  const std::int64_t destroyedBefore = pool.DestroyedCount();
  for (Probe* object : objects) pool.GiveBack(object, true);
  ASSERT_TRUE(Reaches([&] { return pool.DestroyedCount(); }, destroyedBefore + 70000 - 65536));
  for (int i = 0; i < 65536; ++i) {
    objects[i] = pool.Get(reused);
    ASSERT_TRUE(reused);
  }
  Probe* fresh = pool.Get(reused);
  EXPECT_FALSE(reused);
  objects.resize(65536);
  objects.push_back(fresh);
  for (Probe* object : objects) pool.GiveBack(object, false);
  EXPECT_TRUE(Reaches([&] { return pool.DestroyedCount(); }, destroyedBefore + 70001));
}

// Found by fuzzing statements: loads that outpaced the deleter's rest of one
// pause per destruction piled trees up in its growing queue until memory ran out.
TEST(PoolAllocator, ABacklogIsDestroyedWithoutRestingBetweenObjects) {
  static auto* pool = new tAllocator<Probe>(nullptr, std::chrono::milliseconds(20));
  const std::int64_t before = pool->DestroyedCount();
  for (int i = 0; i < 1000; ++i) pool->GiveBack(new Probe, false);
  // Resting 20 ms after each of 1000 destructions would take 20 s; the last 64
  // take 1.3 s. All are awaited, so that none ends in another test's count.
  EXPECT_TRUE(Reaches([&] { return pool->DestroyedCount(); }, before + 1000));
}

// ThreadSanitizer ends a child of a threaded process that starts threads.
#if !defined(_WIN32) && !defined(__SANITIZE_THREAD__)
// A forked child (of Python's multiprocessing, say) has none of its parent's
// threads. The fork waits for the destruction in progress, so that the child
// inherits no lock that the deleter held, and the child destroys what it gives
// back with deleters of its own.
TEST(PoolAllocator, AForkWaitsForTheDeleterAndTheChildDestroysWithItsOwn) {
  static std::atomic<int> started{0}, finished{0};
  static auto* pool = new tAllocator<Probe>(
      [](Probe* probe) {
        ++started;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        delete probe;
        ++finished;
      },
      std::chrono::milliseconds(0));
  pool->GiveBack(new Probe, false);
  while (started == 0) std::this_thread::yield();
  const pid_t child = fork();
  if (child == 0) {
    const bool waited = finished == 1;
    pool->GiveBack(new Probe, false);
    _exit(waited && Reaches([] { return finished.load(); }, 2) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
#endif

TEST(PoolAllocator, GiveBackAllRecyclesOrHandsTheWholeListOver) {
  tAllocator<Probe>& pool = ProbePool();
  tGenericContainer<Probe> list;
  for (int i = 0; i < 3; ++i) list.Add(new Probe);
  const std::int64_t containersBefore = pool.DestroyedContainerCount();
  Probe::destroyed = 0;
  pool.GiveBackAll(list, true, false);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.LinkCount(), 0);
  ASSERT_TRUE(Reaches([&] { return pool.DestroyedContainerCount(); }, containersBefore + 1));
  EXPECT_EQ(Probe::destroyed, 3);

  bool reused = false;
  Probe* kept = pool.Get(reused);
  list.Add(kept);
  pool.GiveBackAll(list, true, true);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.LinkCount(), 1);
  EXPECT_EQ(pool.Get(reused), kept);  // nothing else waits in this pool's free queue
  EXPECT_TRUE(reused);
  pool.GiveBack(kept, false);
}

// A commit gives back many rows at once: the free queue keeps what it has room
// for and the rest go to the container deleter together, as one container.
struct BatchProbe {
  static std::atomic<int> destroyed;
  ~BatchProbe() { ++destroyed; }
};
std::atomic<int> BatchProbe::destroyed{0};

TEST(PoolAllocator, ABatchFillsTheFreeQueueAndHandsTheRestOverTogether) {
  static auto* pool = new tAllocator<BatchProbe>(nullptr, std::chrono::milliseconds(0));
  {
    tAllocator<BatchProbe>::Batch batch(*pool);
    for (int i = 0; i < 65536 + 10; ++i) batch.GiveBack(new BatchProbe);
    EXPECT_EQ(BatchProbe::destroyed, 0);  // nothing leaves before the batch ends
  }
  ASSERT_TRUE(Reaches([&] { return pool->DestroyedContainerCount(); }, 1));
  EXPECT_EQ(BatchProbe::destroyed, 10);
  EXPECT_EQ(pool->DestroyedCount(), 0);
}

// A tree leaves in one push; the deleter thread destroys it while the caller goes on.
TEST(PoolTree, ClosingAConfigurationHandsTheTreeToTheDeleter) {
  ScratchDir dir;
  WriteTextFile(dir.Path("a"), "Root V\n{\nTable T\n{\nTableDefinition A\nTableType String\nTableContents\n{\nr1 x\n}\n}\n}\n");
  tAllocator<tAtrribute>& pool = TreeNodePool();
  const std::int64_t before = pool.DestroyedCount();
  {
    tConfigSource source;
    ASSERT_NE(source.LoadAttributesFromFile(dir.Path("a").c_str()), nullptr);
    ASSERT_NE(source.LoadAttributesFromFile(dir.Path("a").c_str()), nullptr);
  }
  EXPECT_TRUE(Reaches([&] { return pool.DestroyedCount(); }, before + 2));

  tAtrribute parent("P", "", 0);
  for (int i = 0; i < 5; ++i) tAtrribute::CreateChild(&parent, "row", "", 0);
  const std::int64_t containers = pool.DestroyedContainerCount();
  ASSERT_EQ(parent.RemoveChildren(kRowAny, true, false), S_OK);
  EXPECT_EQ(parent.ChildCount(), 0);
  EXPECT_TRUE(Reaches([&] { return pool.DestroyedContainerCount(); }, containers + 1));
}

// Cells are whole cache lines, never handed out twice at once, and handed out
// again once given back, singly or together.
TEST(PoolCellStore, CellsAreAlignedDistinctAndReused) {
  tCellStore store(40, 16);
  std::set<void*> taken;
  for (int i = 0; i < 40; ++i) {  // three blocks
    void* cell = store.Take();
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(cell) % 64, 0u);
    EXPECT_TRUE(taken.insert(cell).second);
  }
  tCellStore::Chain chain(store);
  for (void* cell : taken) chain.Add(cell);
  store.Give(chain);
  std::set<void*> again;
  for (int i = 0; i < 40; ++i) again.insert(store.Take());
  EXPECT_EQ(again, taken);
  store.Give(*taken.begin());
  EXPECT_EQ(store.Take(), *taken.begin());
}

TEST(PoolCellStore, ThreadsTakingAndGivingAtOnceNeverShareACell) {
  tCellStore store(64, 256);
  auto work = [&store](unsigned char mark, bool& clean) {
    std::vector<unsigned char*> mine;
    for (int round = 0; round < 200; ++round) {
      for (int i = 0; i < 50; ++i) {
        mine.push_back(static_cast<unsigned char*>(store.Take()));
        std::memset(mine.back(), mark, 64);
      }
      for (unsigned char* cell : mine)
        for (int byte = 0; byte < 64; ++byte) clean = clean && cell[byte] == mark;
      for (unsigned char* cell : mine) store.Give(cell);
      mine.clear();
    }
  };
  bool cleanHere = true, cleanThere = true;
  std::thread other(work, 0xAA, std::ref(cleanThere));
  work(0x55, cleanHere);
  other.join();
  EXPECT_TRUE(cleanHere);
  EXPECT_TRUE(cleanThere);
}
