// vexaconfig.VexaConfig, the configuration object, and vexaconfig.open.
#include "python/config_object.h"

#include <cwchar>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "automation/vexa_config.h"
#include "platform/native_file.h"
#include "platform/native_path.h"
#include "platform/safearray.h"
#include "platform/text_conversion.h"
#include "platform/trace_scope.h"
#include "python/object_model.h"
#include "store/table.h"
#include "tools/statement_check.h"

namespace py = pybind11;

namespace {
// Each object writes its message log to a file of its own until the caller
// names one, so that a failure can tell its cause.
std::string PrivateLogPath() {
  std::error_code error;
  const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
  if (error) return "";
  std::random_device random;
  return (folder / ("vexaconfig-" + std::to_string(random()) + std::to_string(random()) + ".log")).u8string();
}

// Calls `visit` with each row of a select's result, which the variant holds.
template <class Visit>
void ForEachRow(const VARIANT& results, Visit visit) {
  if (results.vt != (VT_ARRAY | VT_BSTR)) return;
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(results.parray, 1, &lower);
  SafeArrayGetUBound(results.parray, 1, &upper);
  void* data = nullptr;
  if (FAILED(SafeArrayAccessData(results.parray, &data))) return;
  for (LONG i = 0; i <= upper - lower; ++i) visit(static_cast<BSTR*>(data)[i]);
  SafeArrayUnaccessData(results.parray);
}

py::tuple Cells(const OLECHAR* row) {
  py::list cells;
  const OLECHAR* start = row ? row : L"";
  for (const OLECHAR* bar; (bar = std::wcschr(start, L'|')) != nullptr; start = bar + 1)
    cells.append(py::reinterpret_steal<py::str>(PyUnicode_FromWideChar(start, bar - start)));
  cells.append(StrFromBstr(start));
  return py::tuple(cells);
}

class Results {
 public:
  Results() { VariantInit(&value_); }
  ~Results() { VariantClear(&value_); }
  Results(const Results&) = delete;
  Results& operator=(const Results&) = delete;
  VARIANT* Out() { return &value_; }
  const VARIANT& Value() const { return value_; }

 private:
  VARIANT value_;
};
}  // namespace

class ConfigObject {
 public:
  ConfigObject() : config_(VexaConfig::CreateInstance()) {
    if (!config_.get()) throw std::bad_alloc();
    privateLog_ = PrivateLogPath();
    if (privateLog_.empty()) return;
    BSTR path = SysAllocString(WideFromNativePath(privateLog_).c_str());
    config_->OpenMessageLog(path, VARIANT_TRUE);
    SysFreeString(path);
    log_.Follow(privateLog_);
  }
  ~ConfigObject() { RemovePrivateLog(); }
  ConfigObject(const ConfigObject&) = delete;
  ConfigObject& operator=(const ConfigObject&) = delete;

  void Open(py::handle path, bool createBackupFile) {
    const BstrArgument file(path, BstrArgument::Kind::kPath);
    Call("Open", [&] { return config_->Open(file, Automation(createBackupFile)); }, Blocking::Yes,
         {FailedStep::kOpen, NativePath(static_cast<BSTR>(file))});
  }
  void Create(py::handle path, bool openAfterCreate) {
    const BstrArgument file(path, BstrArgument::Kind::kPath);
    Call("Create", [&] { return config_->Create(file, Automation(openAfterCreate)); }, Blocking::Yes);
  }
  void Save() {
    Call("Save", [&] { return config_->Save(); }, Blocking::Yes);
  }
  void Close(bool withSave) {
    Call("Close", [&] { return config_->Close(Automation(withSave)); }, Blocking::Yes);
  }
  py::str VersionFromFile(py::handle fileName) {
    const BstrArgument file(fileName, BstrArgument::Kind::kPath);
    BSTR version = nullptr;
    Call("VersionFromFile", [&] { return config_->get_VersionFromFile(file, &version); });
    return TakeBstr(version);
  }
  LONG Version() {
    LONG version = 0;
    Call("Version", [&] { return config_->get_Version(&version); });
    return version;
  }
  void SetVersion(LONG version) {
    Call("Version", [&] { return config_->put_Version(version); });
  }
  void OpenMessageLog(py::handle path, bool deleteExistingLog) {
    const BstrArgument file(path, BstrArgument::Kind::kPath);
    Call("OpenMessageLog", [&] { return config_->OpenMessageLog(file, Automation(deleteExistingLog)); });
    RemovePrivateLog();
    log_.Follow(NativePath(static_cast<BSTR>(file)));
  }

  py::object Query(py::handle statement) {
    Results results;
    RunQuery(statement, results);
    if (results.Value().vt == VT_EMPTY) return py::none();
    py::list rows;
    ForEachRow(results.Value(), [&](BSTR row) { rows.append(StrFromBstr(row)); });
    return py::tuple(rows);
  }
  py::list Rows(py::handle statement) {
    Results results;
    RunQuery(statement, results);
    py::list rows;
    ForEachRow(results.Value(), [&](BSTR row) { rows.append(Cells(row)); });
    return rows;
  }
  py::dict Tables() {
    apartment_.Check();
    tAtrribute* root = config_->Root();
    if (!root) throw StatusError(E_POINTER, "tables: no file is open");
    py::dict counts;
    root->BeginChildren();
    while (tAtrribute* node = root->NextChild()) {
      if (!node->name.Equals("Table")) continue;
      tTable table;
      int rows = 0;
      if (SUCCEEDED(OpenTable(root, node->value.c_str(), table))) {
        table.contents->BeginChildren();
        while (tAtrribute* row = table.contents->NextChild()) rows += row->state != kRowDeleted;
      }
      counts[py::str(node->value.c_str())] = rows;
    }
    return counts;
  }

  // Each read loads a new collection from its table.
  template <class Interface>
  Wrapped<Interface> Collection(HRESULT (IVexaConfig::*get)(Interface**), const char* name) {
    Interface* collection = nullptr;
    Call(name, [&] { return (config_.get()->*get)(&collection); }, Blocking::Yes);
    return Wrapped<Interface>(collection);
  }

  // Leaving a with block closes without saving.
  void Exit() {
    apartment_.Check();
    if (config_->IsOpened()) Close(false);
  }

 private:
  static VARIANT_BOOL Automation(bool value) { return value ? VARIANT_TRUE : VARIANT_FALSE; }

  template <class Function>
  void Call(const char* member, Function call, Blocking blocking = Blocking::No, const FailureSubject& what = {}) {
    apartment_.Check();
    CheckedCall(member, call, blocking, &log_, what);
  }

  // A statement with a character that narrow text cannot hold is refused: the
  // conversion would turn it and the rest of the statement into "X". A failure
  // that the engine only traced becomes a RuntimeWarning.
  void RunQuery(py::handle statement, Results& results) {
    apartment_.Check();
    const BstrArgument text(statement);
    const std::string utf8 = Utf8FromWide(static_cast<BSTR>(text));
    if (const std::string refusal = StatementRefusal(static_cast<BSTR>(text)); !refusal.empty())
      throw StatusError(E_INVALIDARG, utf8 + ": " + refusal);
    // After Close the engine would still answer from the closed file's tree.
    if (!config_->IsOpened()) throw StatusError(E_FAIL, utf8 + ": no file is open");
    const TraceCollector traces;
    Call("Query", [&] { return config_->Query(text, results.Out()); }, Blocking::Yes,
         {FailedStep::kStatement, utf8});
    // A failure that the engine traced while answering with success.
    if (const std::string cause = TracedCause(traces.Traces(), utf8); !cause.empty())
      if (PyErr_WarnEx(PyExc_RuntimeWarning, (utf8 + ": " + cause).c_str(), 2) < 0) throw py::error_already_set();
  }

  void RemovePrivateLog() {
    if (privateLog_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(FileSystemPath(privateLog_), ignored);
    privateLog_.clear();
  }

  ComRef<VexaConfig> config_;
  Apartment apartment_;
  MessageLogTail log_;
  std::string privateLog_;
};

void RegisterConfigObject(py::module_& module) {
  using Self = ConfigObject;
  py::class_<Self>(module, "VexaConfig",
                   "The configuration object: one configuration file at a time, its statements and its\n"
                   "collections. It belongs to the thread that made it; every failing status raises Error.")
      .def(py::init<>())
      .def("Open", &Self::Open, py::arg("PathAndName"), py::arg("CreateBackupFile") = true,
           "Loads a configuration file (plain text, or a .zip archive); a file already open is saved\n"
           "and closed first. CreateBackupFile copies it to PathAndName + '.Backup'.")
      .def("Create", &Self::Create, py::arg("PathAndName"), py::arg("OpenAfterCreate"),
           "Writes a new configuration file of the version in Version (3, 4 or 5).")
      .def("Save", &Self::Save, "Commits every table and writes the open file.")
      .def("Close", &Self::Close, py::arg("WithSave") = true, "Closes the file, saving it first unless told not to.")
      .def("VersionFromFile", &Self::VersionFromFile, py::arg("FileName"),
           "The version name on the first line of a plain text configuration file.")
      .def_property("Version", &Self::Version, &Self::SetVersion,
                    "The version of the open file, or the version that Create writes (5 at first).")
      .def("OpenMessageLog", &Self::OpenMessageLog, py::arg("NameAndPath"), py::arg("DeleteExistingLog") = true,
           "Writes the text of failures to this file from now on.")
      .def("Query", &Self::Query, py::arg("Query"),
           "Runs one statement. A select gives a tuple of rows, each its cells joined by '|';\n"
           "a select without rows, and any other statement, give None.")
      .def_property_readonly(
          "ParameterSets", [](Self& self) { return self.Collection(&IVexaConfig::get_ParameterSets, "ParameterSets"); },
          "A new collection of the parameter sets.")
      .def_property_readonly(
          "ParameterDefaults",
          [](Self& self) { return self.Collection(&IVexaConfig::get_ParameterDefaults, "ParameterDefaults"); },
          "A new collection of the parameter defaults of the active set.")
      .def_property_readonly(
          "Events", [](Self& self) { return self.Collection(&IVexaConfig::get_Events, "Events"); },
          "A new collection of the event markers.")
      .def_property_readonly(
          "Thresholds", [](Self& self) { return self.Collection(&IVexaConfig::get_Thresholds, "Thresholds"); },
          "A new collection of the threshold breaks.")
      .def_property_readonly(
          "Testpoints", [](Self& self) { return self.Collection(&IVexaConfig::get_Testpoints, "Testpoints"); },
          "A new collection of the logged test points.")
      .def_property_readonly(
          "Selections", [](Self& self) { return self.Collection(&IVexaConfig::get_Selections, "Selections"); },
          "A new collection of the selections.")
      .def_property_readonly(
          "PlannedTestPoints",
          [](Self& self) { return self.Collection(&IVexaConfig::get_PlannedTestPoints, "PlannedTestPoints"); },
          "A new collection of the planned test points.")
      .def("rows", &Self::Rows, py::arg("statement"),
           "The rows of a select as a list of tuples of cells; [] when there is none.")
      .def("tables", &Self::Tables, "Each table of the open file with its number of rows.")
      .def("__enter__", [](py::object self) { return self; })
      .def(
          "__exit__", [](Self& self, py::args) { self.Exit(); return false; },
          "Closes the file without saving what was not saved.");

  module.def(
      "open",
      [](py::handle path, bool backup) {
        auto config = std::make_unique<Self>();
        config->Open(path, backup);
        return config;
      },
      py::arg("path"), py::arg("backup") = false,
      "Opens a configuration file for a with block, which closes it without saving:\n"
      "call Save() to keep changes. backup=True leaves a '.Backup' copy beside it.");
}
