// What the Python module costs over the C++ object model: a select of every row
// of a 2,000-row EventMarkerLog through Query, and reading the Name of every item
// of the Events collection, each once through the C++ interfaces and once through
// vexaconfig in an embedded interpreter. The per_row and per_item counters are the
// time per row or item.
#include <benchmark/benchmark.h>
#include <pybind11/embed.h>

#include <filesystem>
#include <random>
#include <string>

#include "automation/vexa_config.h"
#include "platform/native_path.h"

namespace py = pybind11;

namespace {
constexpr int kRows = 2000;
constexpr const wchar_t* kSelect = L"select * from EventMarkerLog";
std::string configPath;

BSTR NewBstr(const std::wstring& text) { return SysAllocString(text.c_str()); }

// A new version 5 file with kRows event markers.
void WriteConfiguration(const std::string& path) {
  VexaConfig* config = VexaConfig::CreateInstance();
  BSTR file = NewBstr(WideFromNativePath(path));
  config->Create(file, VARIANT_TRUE);
  for (int i = 0; i < kRows; ++i) {
    BSTR statement = NewBstr(L"update EventMarkerLog set * = Flight|Loads|pilot|001:00:00:" + std::to_wstring(i) +
                             L"|marker " + std::to_wstring(i) + L"|");
    config->Query(statement, nullptr);
    SysFreeString(statement);
  }
  config->Save();
  SysFreeString(file);
  config->Release();
}

VexaConfig* OpenedConfig() {
  VexaConfig* config = VexaConfig::CreateInstance();
  BSTR file = NewBstr(WideFromNativePath(configPath));
  config->Open(file, VARIANT_FALSE);
  SysFreeString(file);
  return config;
}

py::object OpenedPythonConfig() {
  py::object config = py::module_::import("vexaconfig").attr("VexaConfig")();
  config.attr("Open")(configPath, false);
  return config;
}

void Count(benchmark::State& state, const char* unit) {
  state.counters[unit] = benchmark::Counter(kRows, benchmark::Counter::kIsIterationInvariantRate |
                                                       benchmark::Counter::kInvert);
}

void BM_QueryRows_Cpp(benchmark::State& state) {
  VexaConfig* config = OpenedConfig();
  BSTR select = NewBstr(kSelect);
  for (auto _ : state) {
    VARIANT rows;
    VariantInit(&rows);
    config->Query(select, &rows);
    VariantClear(&rows);
  }
  SysFreeString(select);
  config->Release();
  Count(state, "per_row");
}

void BM_QueryRows_Python(benchmark::State& state) {
  py::object query = OpenedPythonConfig().attr("Query");
  const py::str select("select * from EventMarkerLog");
  for (auto _ : state) benchmark::DoNotOptimize(query(select));
  Count(state, "per_row");
}

void BM_ItemNames_Cpp(benchmark::State& state) {
  VexaConfig* config = OpenedConfig();
  for (auto _ : state) {
    IEvents* events = nullptr;
    config->get_Events(&events);
    LONG count = 0;
    events->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
      VARIANT index;
      VariantInit(&index);
      index.vt = VT_I4;
      index.lVal = i;
      IEvent* event = nullptr;
      events->Item(index, &event);
      BSTR name = nullptr;
      event->get_Name(&name);
      SysFreeString(name);
      event->Release();
    }
    events->Release();
  }
  config->Release();
  Count(state, "per_item");
}

void BM_ItemNames_Python(benchmark::State& state) {
  py::object config = OpenedPythonConfig();
  py::dict scope;
  py::exec("def names(cfg):\n    return [event.Name for event in cfg.Events]\n", scope);
  py::object names = scope["names"];
  for (auto _ : state) benchmark::DoNotOptimize(names(config));
  Count(state, "per_item");
}
}  // namespace

BENCHMARK(BM_QueryRows_Cpp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QueryRows_Python)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ItemNames_Cpp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ItemNames_Python)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  py::scoped_interpreter python;
  py::module_::import("sys").attr("path").attr("insert")(0, VEXA_PYTHON_MODULE_DIR);
  std::random_device random;
  configPath = (std::filesystem::temp_directory_path() / ("vexa-binding-bench-" + std::to_string(random()) + ".cfg"))
                   .string();
  WriteConfiguration(configPath);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove(configPath);
  return 0;
}
