// Memory that runs out at any point of Open (with its backup copy) or Save
// ends the call with a status, a message-log line and the file as it was:
// never an exception reaching the caller. The test thread's allocations
// through operator new fail at a chosen count, every count in turn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "automation/vexa_config.h"
#include "platform/safearray.h"
#include "storage/config_source.h"
#include "tests/test_support.h"

namespace {
// The number of allocations of this thread that still succeed before one
// fails; negative: none fails.
thread_local long allocationsBeforeFailure = -1;
thread_local bool allocationFailed = false;

void* Allocate(std::size_t size) {
  if (allocationsBeforeFailure == 0) {
    allocationsBeforeFailure = -1;
    allocationFailed = true;
    throw std::bad_alloc();
  }
  if (allocationsBeforeFailure > 0) --allocationsBeforeFailure;
  if (void* block = std::malloc(size ? size : 1)) return block;
  throw std::bad_alloc();
}
}  // namespace

#ifdef __SANITIZE_ADDRESS__
// Shared libraries keep AddressSanitizer's operator new; their blocks reach
// the free() below, which is right but not the pairing it checks.
extern "C" const char* __asan_default_options() { return "alloc_dealloc_mismatch=0"; }
#endif

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace {
const char* kConfig =
    "Root VersionFivePointZero\n{\nTable ParameterDefaultsState\n{\n"
    "TableDefinition ParameterDefaults|Group|isActive|PropertyBag\nTableType String|String|list(True,False)|string\n"
    "TableContents\n{\n0-WedJan0202:03:551980@noHostName-2400 ParameterSet1||True|\n}\n}\n"
    "Table Colors\n{\nTableDefinition Color|PropertyBag\nTableType long|string\nTableContents\n{\n"
    "1-WedJan0202:03:551980@noHostName-2400 255|red\n2-WedJan0202:03:551980@noHostName-2400 128|grey\n}\n}\n}\n";

enum class Step { Open, OpenWithBackup, Save };

class AllocationFailure : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (IsArchive()) {
      WriteArchive(Target(), {{"VEXA/pfConfig", kConfig}});
    } else {
      WriteTextFile(Target(), kConfig);
    }
    original = ReadTextFile(Target());
  }

  bool IsArchive() const { return GetParam() == std::string(".zip"); }
  std::string Target() const { return dir.Path(std::string("config") + GetParam()); }
  std::string Log() const { return dir.Path("messages.log"); }

  // Runs the step with the allocation after `count` failing; false once the
  // step ran through without reaching it.
  bool RunFailingAfter(Step step, long count) {
    VexaConfig* config = VexaConfig::CreateInstance();
    config->OpenMessageLog(Bstr(Log()), VARIANT_TRUE);
    const size_t logBefore = ReadTextFile(Log()).size();
    if (step == Step::Save) {
      EXPECT_EQ(config->Open(Bstr(Target()), VARIANT_FALSE), S_OK);
      VARIANT unused;
      VariantInit(&unused);
      EXPECT_EQ(config->Query(Bstr("update Colors set PropertyBag = 'blue' where Color = 255"), &unused), S_OK);
    }
    const Bstr path(Target());
    allocationFailed = false;
    allocationsBeforeFailure = count;
    const HRESULT hr = step == Step::Save ? config->Save() : config->Open(path, step == Step::OpenWithBackup);
    allocationsBeforeFailure = -1;
    const std::string logged = ReadTextFile(Log()).substr(logBefore);
    // An open that succeeds has every row, whatever failed on the way.
    if (hr == S_OK && step != Step::Save) {
      VARIANT rows;
      VariantInit(&rows);
      EXPECT_EQ(config->Query(Bstr("select * from Colors"), &rows), S_OK);
      EXPECT_EQ(rows.vt, VT_ARRAY | VT_BSTR);
      LONG last = -1;
      if (rows.vt == (VT_ARRAY | VT_BSTR)) SafeArrayGetUBound(rows.parray, 1, &last);
      EXPECT_EQ(last, 1) << count;
      VariantClear(&rows);
    }
    config->Release();
    if (!allocationFailed) {
      EXPECT_EQ(hr, S_OK);
      return false;
    }
    const std::string where = "failing allocation " + std::to_string(count);
    if (hr != S_OK) {
      EXPECT_TRUE(hr == E_OUTOFMEMORY || hr == E_FAIL) << where << ": " << std::hex << hr;
      EXPECT_FALSE(logged.empty()) << where << ": no message-log line";
      // Whole: as it was, or (memory ran out after the file was replaced) the new one.
      const std::string now = ReadTextFile(Target());
      if (now != original) {
        tConfigSource saved;
        tAtrribute* root = saved.LoadAttributesFromFile(Target().c_str());
        EXPECT_NE(root, nullptr) << where << "\n" << logged;
        EXPECT_NE(root ? Dump(root).find("255|blue") : std::string::npos, std::string::npos) << where;
      }
    }
    return true;
  }

  void FailEveryAllocationOf(Step step) {
    long count = 0;
    while (RunFailingAfter(step, count) && !HasFailure()) {
      ++count;
      if (step == Step::Save) WriteTextFile(Target(), original);
    }
    EXPECT_GT(count, 5);
  }

  ScratchDir dir;
  std::string original;
};

TEST_P(AllocationFailure, Open) { FailEveryAllocationOf(Step::Open); }
TEST_P(AllocationFailure, OpenWithBackup) { FailEveryAllocationOf(Step::OpenWithBackup); }
TEST_P(AllocationFailure, Save) { FailEveryAllocationOf(Step::Save); }

INSTANTIATE_TEST_SUITE_P(TextAndArchive, AllocationFailure, ::testing::Values(".cfg", ".zip"),
                         [](const auto& info) { return std::string(info.param + 1); });
}  // namespace
