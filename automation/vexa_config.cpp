#include "automation/vexa_config.h"

#include <cstdio>
#include <new>
#include <string>
#include <type_traits>

#include "automation/call_guard.h"
#include "platform/file_replace.h"
#include "platform/native_file.h"
#include "platform/native_path.h"
#include "platform/safearray.h"
#include "platform/text_conversion.h"
#include "platform/trace_scope.h"
#include "schema/upgrade_statements.h"
#include "schema/version_names.h"
#include "schema/version_template.h"
#include "storage/conflict_copy.h"
#include "storage/leftover_saves.h"
#include "storage/line_reader.h"
#include "store/str_copy.h"

namespace {
bool IsTrue(VARIANT_BOOL value) { return value == VARIANT_TRUE; }

// Statements arrive wide and are used narrow.
tString Narrow(BSTR text) {
  tString narrow;
  TStringFromBstr(text, narrow);
  return narrow;
}

// File names arrive wide and are used as native paths, never narrowed, so that
// a name outside Windows-1252 still reaches its file.
std::string PathFrom(BSTR text) { return text ? NativePath(text) : std::string(); }

// A name as the message log shows it: narrow, with '?' for what 1252 cannot write.
std::string Shown(const std::string& path) { return NarrowFromUtf8(path); }

// What a failure's traces say of its cause, to follow the message: ": cause", or empty.
std::string CauseOf(const TraceScope& traces) {
  const std::string cause = TracedCause(traces.Traces());
  return cause.empty() ? "" : ": " + cause;
}

// The three optional booleans default to true.
constexpr DispatchMember kVexaConfigMembers[] = {
    Member<&IVexaConfig::Open>(L"Open", 1, MemberKind::Method).Optional({VARIANT_TRUE}),
    Member<&IVexaConfig::Create>(L"Create", 2, MemberKind::Method),
    Member<&IVexaConfig::Save>(L"Save", 3, MemberKind::Method),
    Member<&IVexaConfig::Close>(L"Close", 4, MemberKind::Method).Optional({VARIANT_TRUE}),
    Member<&IVexaConfig::get_VersionFromFile>(L"VersionFromFile", 5, MemberKind::Get),
    Member<&IVexaConfig::get_Version>(L"Version", 6, MemberKind::Get),
    Member<&IVexaConfig::put_Version>(L"Version", 6, MemberKind::Put),
    Member<&IVexaConfig::OpenMessageLog>(L"OpenMessageLog", 7, MemberKind::Method).Optional({VARIANT_TRUE}),
    Member<&IVexaConfig::get_ParameterSets>(L"ParameterSets", 8, MemberKind::Get),
    Member<&IVexaConfig::get_ParameterDefaults>(L"ParameterDefaults", 9, MemberKind::Get),
    Member<&IVexaConfig::get_Events>(L"Events", 10, MemberKind::Get),
    Member<&IVexaConfig::get_Thresholds>(L"Thresholds", 11, MemberKind::Get),
    Member<&IVexaConfig::get_Testpoints>(L"Testpoints", 12, MemberKind::Get),
    Member<&IVexaConfig::get_Selections>(L"Selections", 13, MemberKind::Get),
    Member<&IVexaConfig::get_PlannedTestPoints>(L"PlannedTestPoints", 14, MemberKind::Get),
    Member<&IVexaConfig::Query>(L"Query", 50, MemberKind::Method),
};
}  // namespace

const DispatchTable IVexaConfig::kDispatch{kVexaConfigMembers};

VexaConfig* VexaConfig::CreateInstance() { return NewObject<VexaConfig>(); }

VexaConfig::VexaConfig() : engine_(nullptr) { activeParameterSet_.Assign("ParameterSet1"); }

HRESULT STDMETHODCALLTYPE VexaConfig::QueryInterface(REFIID iid, void** object) {
  if (object && iid == IID_ISupportErrorInfo) {
    *object = static_cast<ISupportErrorInfo*>(this);
    AddRef();
    return S_OK;
  }
  return WithConnectionPoint::QueryInterface(iid, object);
}

HRESULT STDMETHODCALLTYPE VexaConfig::InterfaceSupportsErrorInfo(REFIID iid) { return iid == IID_IVexaConfig ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE VexaConfig::Open(BSTR pathAndName, VARIANT_BOOL createBackupFile) {
  return GuardedCall("Open", &log_, [&] { return OpenPath(PathFrom(pathAndName), IsTrue(createBackupFile)); });
}

HRESULT VexaConfig::OpenPath(const std::string& path, bool createBackupFile) {
  if (opened_) CloseOpened(true);
  path_ = path;
  // Taken before the load: a change made meanwhile is then seen at the next save.
  stamped_ = ReadFileStamp(path_, stamp_);
  TraceScope traces;
  tAtrribute* root = source_.LoadAttributesFromFile(path_.c_str());
  if (!root) {
    log_.Write("Open: Unable to load VEXA configuration file: ( %s )%s", Shown(path_).c_str(), CauseOf(traces).c_str());
    path_.clear();
    return E_FAIL;
  }
  if (source_.EndedInsideBlock())
    log_.Write("Open: Configuration file ends inside a block, it may be cut off: ( %s )", Shown(path_).c_str());
  const int version = VersionFromName(root->value.c_str());
  if (version == 0) {
    log_.Write("Open Error: Configuration file: ( %s ) is pre 3.4.5", Shown(path_).c_str());
    return E_FAIL;
  }
  version_ = version;
  versionName_.Assign(root->value);
  engine_.AttachSource(&source_);
  if (HRESULT hr = SelectActiveParameterSet(); FAILED(hr)) return hr;
  if (createBackupFile) {
    // Replaced as a save replaces a file, so that a good backup is never
    // traded for a cut-off one.
    const std::string backup = path_ + kBackupSuffix;
    TraceScope copyTraces;
    if (!CopyFileContent(path_, backup))
      log_.Write("Open: Failed to make a backup of the configuration file: ( %s )%s", Shown(backup).c_str(),
                 CauseOf(copyTraces).c_str());
  }
  root_ = root;
  opened_ = true;
  return S_OK;
}

// The first set of ParameterDefaultsState is the active one; a file without any
// gets "ParameterSet1", written with the next save.
HRESULT VexaConfig::SelectActiveParameterSet() {
  ResultSet rows;
  if (engine_.Query("Select * from ParameterDefaultsState", &rows, '|') == S_OK) {
    rows.Rewind();
    const tString& first = rows.Next()->text;
    const int bar = first.FindChar('|');
    return activeParameterSet_.Assign(first.c_str(), bar == tString::kNone ? first.Length() : bar, 8);
  }
  HRESULT hr = engine_.Query(
      "update ParameterDefaultsState set ParameterDefaults = 'ParameterSet1', IsActive = 'True', where 0", nullptr, '|');
  return FAILED(hr) ? hr : S_OK;
}

HRESULT STDMETHODCALLTYPE VexaConfig::Save() { return GuardedCall("Save", &log_, [&] { return SaveTree(); }); }

HRESULT VexaConfig::SaveTree() {
  if (!opened_) {
    log_.Write("Save: Called but configuration file was never opened");
    return S_OK;
  }
  if (HRESULT hr = engine_.Commit(); FAILED(hr)) return hr;
  KeepChangedFile();
  TraceScope traces;
  if (HRESULT hr = source_.SaveToFile(path_.c_str()); FAILED(hr)) {
    log_.Write("Save: Failded to save to configuration file: ( %s )%s", Shown(path_).c_str(), CauseOf(traces).c_str());
    return hr;
  }
  stamped_ = ReadFileStamp(path_, stamp_);
  return S_OK;
}

// The save writes this object's tables over the file: when another program
// changed the file since this object loaded or saved it, that version is kept
// beside it first.
void VexaConfig::KeepChangedFile() {
  FileStamp now;
  if (!stamped_ || !ReadFileStamp(path_, now) || now == stamp_) return;
  TraceScope traces;
  const std::string copy = KeepConflictCopy(path_);
  if (copy.empty())
    log_.Write("Save: Configuration file changed on disk since it was loaded, and no copy of it could be kept: ( %s )%s",
               Shown(path_).c_str(), CauseOf(traces).c_str());
  else
    log_.Write("Save: Configuration file changed on disk since it was loaded; that version is kept as ( %s )",
               Shown(copy).c_str());
}

// The configuration source keeps its tree after a close, so that statements
// still see the closed file until the next load.
HRESULT STDMETHODCALLTYPE VexaConfig::Close(VARIANT_BOOL withSave) {
  return GuardedCall("Close", &log_, [&] { return CloseOpened(IsTrue(withSave)); });
}

HRESULT VexaConfig::CloseOpened(bool withSave) {
  if (!opened_) {
    log_.Write("Close: Called but configuration file was never opened");
    return S_OK;
  }
  if (withSave) {
    if (HRESULT hr = SaveTree(); FAILED(hr)) {
      log_.Write("Close: Save failed on configuration file: ( %s )", Shown(path_).c_str());
      return hr;
    }
  }
  opened_ = false;
  root_ = nullptr;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VexaConfig::Create(BSTR pathAndName, VARIANT_BOOL openAfterCreate) {
  return GuardedCall("Create", &log_, [&] { return CreatePath(PathFrom(pathAndName), IsTrue(openAfterCreate)); });
}

HRESULT VexaConfig::CreatePath(const std::string& path, bool openAfterCreate) {
  if (!::VersionName(version_)) {
    log_.Write("Create: Unknown Version Number: ( %d )", static_cast<int>(version_));
    return E_FAIL;
  }
  TraceScope traces;
  if (FAILED(WriteTemplate(path))) {
    log_.Write("Create: Could not open configuration file: ( %s )%s", Shown(path).c_str(), CauseOf(traces).c_str());
    return E_FAIL;
  }
  if (HRESULT hr = OpenPath(path, false); hr != S_OK) return hr;
  RunUpgradeStatements(engine_);
  CloseOpened(true);
  if (openAfterCreate) OpenPath(path, false);
  return S_OK;
}

// Always plain text, whatever the name; lines end as in every configuration
// file. Written as a save writes, so that a file is made whole or not at all.
HRESULT VexaConfig::WriteTemplate(const std::string& path) {
  std::string text;
  try {
    for (char c : VersionTemplate(version_)) {
      if (c == '\n') text += '\r';
      text += c;
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  return ReplaceFileContent(path, text) ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE VexaConfig::get_VersionFromFile(BSTR fileName, BSTR* version) {
  return GuardedCall("Version", &log_, [&] { return VersionOfFile(PathFrom(fileName), version); });
}

HRESULT VexaConfig::VersionOfFile(const std::string& path, BSTR* version) {
  if (!version) return E_POINTER;
  std::FILE* file = OpenNativeFile(path, "r");
  if (!file) {
    log_.Write("Version: Failed to open config file: ( %s )", Shown(path).c_str());
    return E_FAIL;
  }
  FileLineReader lines(file);
  const char* line = lines.NextLine();
  if (!line) {
    log_.Write("Version: Failed to read config file, File closed: ( %s )", Shown(path).c_str());
    std::fclose(file);
    return E_FAIL;
  }
  const tString firstLine(line);
  std::fclose(file);
  tString name;
  if (FAILED(firstLine.GetField(1, ' ', name))) return E_FAIL;
  name.Trim();
  *version = BstrFromTString(name);
  return *version ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE VexaConfig::get_Version(LONG* version) {
  if (!version) return E_POINTER;
  *version = version_;
  return S_OK;
}

// Stored as given; Create checks it.
HRESULT STDMETHODCALLTYPE VexaConfig::put_Version(LONG version) {
  version_ = version;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE VexaConfig::OpenMessageLog(BSTR nameAndPath, VARIANT_BOOL deleteExistingLog) {
  return GuardedCall("OpenMessageLog", nullptr, [&] {
    log_.Open(PathFrom(nameAndPath), IsTrue(deleteExistingLog));
    return S_OK;
  });
}

HRESULT STDMETHODCALLTYPE VexaConfig::Query(BSTR query, VARIANT* results) {
  return GuardedCall("Query", &log_, [&] { return QueryRows(Narrow(query), results); });
}

HRESULT VexaConfig::QueryRows(const tString& statement, VARIANT* results) {
  ResultSet rows;
  HRESULT hr = engine_.Query(statement.c_str(), &rows, '|');
  if (hr != S_OK) return hr;
  const int count = rows.Count();
  if (count == 0) return S_OK;
  if (!results) return E_POINTER;
  SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<std::uint32_t>(count));
  if (!array) return E_OUTOFMEMORY;
  void* data = nullptr;
  if (HRESULT access = SafeArrayAccessData(array, &data); FAILED(access)) {
    SafeArrayDestroy(array);
    return access;
  }
  auto* strings = static_cast<BSTR*>(data);
  rows.Rewind();
  for (int i = 0; i < count; ++i) {
    strings[i] = BstrFromTString(rows.Next()->text);
    if (!strings[i]) {
      SafeArrayUnaccessData(array);
      SafeArrayDestroy(array);
      return E_OUTOFMEMORY;
    }
  }
  SafeArrayUnaccessData(array);
  VariantClear(results);
  results->vt = VT_ARRAY | VT_BSTR;
  results->parray = array;
  return S_OK;
}

// Without an open file the engine has no tree to read, so no collection is made.
template <class Collection, class Interface>
HRESULT VexaConfig::LoadCollection(Interface** out) {
  return GuardedCall("Collection", &log_, [&] { return MakeCollection<Collection>(out); });
}

template <class Collection, class Interface>
HRESULT VexaConfig::MakeCollection(Interface** out) {
  if (!out || !opened_) return E_POINTER;
  Collection* collection = NewObject<Collection>();
  if (!collection) return E_OUTOFMEMORY;
  HRESULT hr = S_OK;
  if constexpr (std::is_same_v<Collection, ParameterDefaults>) hr = collection->SetSetName(activeParameterSet_);
  if (SUCCEEDED(hr)) {
    collection->Load(&engine_, static_cast<IVexaConfig*>(this));
    hr = collection->QueryInterface(*Interface::kIid, reinterpret_cast<void**>(out));
  }
  collection->Release();
  return hr;
}

HRESULT STDMETHODCALLTYPE VexaConfig::get_ParameterSets(IParameterSets** sets) { return LoadCollection<ParameterSets>(sets); }
HRESULT STDMETHODCALLTYPE VexaConfig::get_ParameterDefaults(IParameterDefaults** defaults) {
  return LoadCollection<ParameterDefaults>(defaults);
}
HRESULT STDMETHODCALLTYPE VexaConfig::get_Events(IEvents** events) { return LoadCollection<Events>(events); }
HRESULT STDMETHODCALLTYPE VexaConfig::get_Thresholds(IThresholds** thresholds) { return LoadCollection<Thresholds>(thresholds); }
HRESULT STDMETHODCALLTYPE VexaConfig::get_Testpoints(ITestpoints** testpoints) { return LoadCollection<Testpoints>(testpoints); }
HRESULT STDMETHODCALLTYPE VexaConfig::get_Selections(ISelections** selections) { return LoadCollection<Selections>(selections); }
HRESULT STDMETHODCALLTYPE VexaConfig::get_PlannedTestPoints(IPlannedTestPoints** plannedTestPoints) {
  return LoadCollection<PlannedTestPoints>(plannedTestPoints);
}
