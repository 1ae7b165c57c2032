// The configuration object: opens, creates, saves and closes one configuration
// file at a time, runs statements of the query language for its caller, and
// owns the query engine through which the typed collections read and write.
#pragma once
#include <string>

#include "automation/component_ids.h"
#include "automation/connection_points.h"
#include "automation/log_records.h"
#include "automation/message_log.h"
#include "automation/parameter_sets.h"
#include "platform/bstr.h"
#include "platform/file_stamp.h"
#include "platform/support_error_info.h"
#include "platform/variant.h"
#include "query/query_engine.h"
#include "storage/config_source.h"
#include "store/tstring.h"

struct IVexaConfig : IDispatch {
  static constexpr const IID* kIid = &IID_IVexaConfig;
  static const DispatchTable kDispatch;
  virtual HRESULT STDMETHODCALLTYPE Open(BSTR PathAndName, VARIANT_BOOL CreateBackupFile = VARIANT_TRUE) = 0;
  virtual HRESULT STDMETHODCALLTYPE Create(BSTR PathAndName, VARIANT_BOOL OpenAfterCreate) = 0;
  virtual HRESULT STDMETHODCALLTYPE Save() = 0;
  virtual HRESULT STDMETHODCALLTYPE Close(VARIANT_BOOL WithSave = VARIANT_TRUE) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_VersionFromFile(BSTR FileName, BSTR* Version) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Version(LONG* Version) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Version(LONG Version) = 0;
  virtual HRESULT STDMETHODCALLTYPE OpenMessageLog(BSTR NameAndPath, VARIANT_BOOL DeleteExistingLog = VARIANT_TRUE) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ParameterSets(IParameterSets** sets) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ParameterDefaults(IParameterDefaults** defaults) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Events(IEvents** events) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Thresholds(IThresholds** thresholds) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Testpoints(ITestpoints** testpoints) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Selections(ISelections** selections) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_PlannedTestPoints(IPlannedTestPoints** plannedTestPoints) = 0;
  virtual HRESULT STDMETHODCALLTYPE Query(BSTR query, VARIANT* results) = 0;
};

// Failures reach the caller as status codes only; the object never sets error
// information, although it answers that IVexaConfig supports it. Releasing the
// object does not save: unsaved changes are lost.
class VexaConfig final : public WithConnectionPoint<DispatchObject<IVexaConfig>, DIID__IVexaConfigEvents>,
                         public ISupportErrorInfo {
 public:
  // A new object with one reference, owned by the caller.
  static VexaConfig* CreateInstance();

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return WithConnectionPoint::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return WithConnectionPoint::Release(); }
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

  HRESULT STDMETHODCALLTYPE Open(BSTR pathAndName, VARIANT_BOOL createBackupFile = VARIANT_TRUE) override;
  HRESULT STDMETHODCALLTYPE Create(BSTR pathAndName, VARIANT_BOOL openAfterCreate) override;
  HRESULT STDMETHODCALLTYPE Save() override;
  HRESULT STDMETHODCALLTYPE Close(VARIANT_BOOL withSave = VARIANT_TRUE) override;
  HRESULT STDMETHODCALLTYPE get_VersionFromFile(BSTR fileName, BSTR* version) override;
  HRESULT STDMETHODCALLTYPE get_Version(LONG* version) override;
  HRESULT STDMETHODCALLTYPE put_Version(LONG version) override;
  HRESULT STDMETHODCALLTYPE OpenMessageLog(BSTR nameAndPath, VARIANT_BOOL deleteExistingLog = VARIANT_TRUE) override;
  // The rows of a select as an array of strings (cells joined by "|"); the
  // variant is left untouched when there is no row.
  HRESULT STDMETHODCALLTYPE Query(BSTR query, VARIANT* results) override;

  // Each read makes a new collection, loaded from its table through this
  // object's engine. The collection holds a reference to this object, so the
  // engine lives as long as the collection. Nothing open: E_POINTER.
  HRESULT STDMETHODCALLTYPE get_ParameterSets(IParameterSets** sets) override;
  // The defaults of the active parameter set.
  HRESULT STDMETHODCALLTYPE get_ParameterDefaults(IParameterDefaults** defaults) override;
  HRESULT STDMETHODCALLTYPE get_Events(IEvents** events) override;
  HRESULT STDMETHODCALLTYPE get_Thresholds(IThresholds** thresholds) override;
  HRESULT STDMETHODCALLTYPE get_Testpoints(ITestpoints** testpoints) override;
  HRESULT STDMETHODCALLTYPE get_Selections(ISelections** selections) override;
  HRESULT STDMETHODCALLTYPE get_PlannedTestPoints(IPlannedTestPoints** plannedTestPoints) override;

  // For the collections and the command-line tool.
  tSqlQueryEngine& Engine() { return engine_; }
  tConfigSource& Source() { return source_; }
  tAtrribute* Root() const { return root_; }
  bool IsOpened() const { return opened_; }
  const tString& ActiveParameterSet() const { return activeParameterSet_; }
  const tString& VersionName() const { return versionName_; }

 private:
  template <class T>
  friend T* NewObject();
  VexaConfig();
  ~VexaConfig() override = default;
  // The bodies of the automation methods of the same names, inside their guards.
  HRESULT OpenPath(const std::string& path, bool createBackupFile);
  HRESULT SaveTree();
  HRESULT CloseOpened(bool withSave);
  HRESULT CreatePath(const std::string& path, bool openAfterCreate);
  HRESULT VersionOfFile(const std::string& path, BSTR* version);
  HRESULT QueryRows(const tString& statement, VARIANT* results);
  HRESULT SelectActiveParameterSet();
  HRESULT WriteTemplate(const std::string& path);
  void KeepChangedFile();
  template <class Collection, class Interface>
  HRESULT LoadCollection(Interface** out);
  template <class Collection, class Interface>
  HRESULT MakeCollection(Interface** out);

  tConfigSource source_;
  tSqlQueryEngine engine_;
  tAtrribute* root_ = nullptr;
  // Native (UTF-8), so that any name the caller gives reaches the file.
  std::string path_;
  // The file as this object last loaded or saved it.
  FileStamp stamp_;
  bool stamped_ = false;
  tString versionName_;
  tString activeParameterSet_;
  bool opened_ = false;
  MessageLog log_;
  LONG version_ = 5;
};
