// The configuration object: opens, creates, saves and closes one configuration
// file at a time, runs statements of the query language for its caller, and
// owns the query engine through which the typed collections read and write.
#pragma once
#include "automation/log_records.h"
#include "automation/message_log.h"
#include "automation/parameter_sets.h"
#include "platform/bstr.h"
#include "platform/unknown.h"
#include "platform/variant.h"
#include "query/query_engine.h"
#include "storage/config_source.h"
#include "store/tstring.h"

class VexaConfig final : public IUnknown {
 public:
  // A new object with one reference, owned by the caller.
  static VexaConfig* CreateInstance();

  HRESULT QueryInterface(REFIID iid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT Open(BSTR pathAndName, VARIANT_BOOL createBackupFile = VARIANT_TRUE);
  HRESULT Create(BSTR pathAndName, VARIANT_BOOL openAfterCreate);
  HRESULT Save();
  HRESULT Close(VARIANT_BOOL withSave = VARIANT_TRUE);
  HRESULT get_VersionFromFile(BSTR fileName, BSTR* version);
  HRESULT get_Version(LONG* version);
  HRESULT put_Version(LONG version);
  HRESULT OpenMessageLog(BSTR nameAndPath, VARIANT_BOOL deleteExistingLog = VARIANT_TRUE);
  // The rows of a select as an array of strings (cells joined by "|"); the
  // variant is left untouched when there is no row.
  HRESULT Query(BSTR query, VARIANT* results);

  // Each read makes a new collection, loaded from its table through this
  // object's engine. The collection holds a reference to this object, so the
  // engine lives as long as the collection. Nothing open: E_POINTER.
  HRESULT get_ParameterSets(IParameterSets** sets);
  // The defaults of the active parameter set.
  HRESULT get_ParameterDefaults(IParameterDefaults** defaults);
  HRESULT get_Events(IEvents** events);
  HRESULT get_Thresholds(IThresholds** thresholds);
  HRESULT get_Testpoints(ITestpoints** testpoints);
  HRESULT get_Selections(ISelections** selections);
  HRESULT get_PlannedTestPoints(IPlannedTestPoints** plannedTestPoints);

  // For the collections and the command-line tool.
  tSqlQueryEngine& Engine() { return engine_; }
  tAtrribute* Root() const { return root_; }
  bool IsOpened() const { return opened_; }
  const tString& ActiveParameterSet() const { return activeParameterSet_; }
  const tString& VersionName() const { return versionName_; }

 private:
  VexaConfig();
  ~VexaConfig() = default;
  HRESULT OpenPath(const char* path, bool createBackupFile);
  HRESULT SelectActiveParameterSet();
  HRESULT WriteTemplate(const char* path);
  template <class Collection, class Interface>
  HRESULT LoadCollection(Interface** out);

  RefCounted references_;
  tConfigSource source_;
  tSqlQueryEngine engine_;
  tAtrribute* root_ = nullptr;
  tString path_;
  tString versionName_;
  tString activeParameterSet_;
  bool opened_ = false;
  MessageLog log_;
  LONG version_ = 5;
};
