// The subcommands that use the module as the component runtime would: register
// and unregister it, and run scripts that create its classes by name.
#include <cstdio>
#include <fstream>

#include "platform/guid_text.h"
#include "platform/native_path.h"
#include "platform/private_file.h"
#include "platform/registry.h"
#include "platform/text_conversion.h"
#include "server/entry_points.h"
#include "server/object_map.h"
#include "server/type_library.h"
#include "tools/commands.h"
#include "tools/script_runner.h"
#include "tools/tool_session.h"

namespace {
// Reads "--registry FILE" and sets the registry file; the other arguments are
// left in `rest`. False when the option has no file.
bool TakeRegistryOption(const Arguments& arguments, Arguments& rest, bool& given) {
  given = false;
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] != "--registry") {
      rest.push_back(arguments[i]);
    } else if (i + 1 < arguments.size()) {
      SetRegistryFile(arguments[++i]);
      given = true;
    } else {
      return false;
    }
  }
  return true;
}

int ChangeRegistration(const Arguments& arguments, HRESULT (*change)(), const char* usage) {
  Arguments rest;
  bool given;
  if (!TakeRegistryOption(arguments, rest, given) || !rest.empty()) return FailWith(std::string("usage: vexacfg ") + usage);
  if (HRESULT hr = change(); FAILED(hr)) return FailWith(DescribeHResult(hr) + ": " + RegistryFile());
  return 0;
}

// Without --registry the script gets a registry of its own, with the module
// registered in it, that is removed afterwards: a script never depends on, or
// changes, what other programs registered.
class PrivateRegistry {
 public:
  PrivateRegistry() : path_(CreatePrivateFile(TemporaryFolder() + "/vexacfg-registry-")) { SetRegistryFile(path_); }
  ~PrivateRegistry() { std::remove(path_.c_str()); }
  PrivateRegistry(const PrivateRegistry&) = delete;
  PrivateRegistry& operator=(const PrivateRegistry&) = delete;

 private:
  std::string path_;
};
}  // namespace

int PrintTypeLibrary(const Arguments& arguments) {
  if (!arguments.empty()) return FailWith("usage: vexacfg typelib");
  auto narrow = [](const std::wstring& text) { return Utf8FromWide(text); };
  std::printf("library %s %s %s \"%s\"\n", narrow(kTypeLibraryName).c_str(), narrow(kTypeLibraryVersion).c_str(),
              narrow(GuidToString(LIBID_VEXACONFIGINTERFACELib)).c_str(), narrow(kTypeLibraryHelp).c_str());
  static const char* const kKinds[] = {"get", "put", "method"};
  for (const ClassEntry& entry : kObjectMap) {
    std::printf("coclass %s %s \"%s\"\n  interface %s %s\n", narrow(entry.name).c_str(),
                narrow(GuidToString(*entry.clsid)).c_str(), narrow(entry.typeLibraryHelp).c_str(),
                narrow(entry.defaultInterface).c_str(), narrow(GuidToString(*entry.iid)).c_str());
    if (entry.sourceInterface)
      std::printf("  source %s %s\n", narrow(entry.sourceInterface).c_str(),
                  narrow(GuidToString(*entry.sourceIid)).c_str());
    for (size_t i = 0; i < entry.members->count; ++i) {
      const DispatchMember& member = entry.members->members[i];
      std::printf("    %d %s %s %u", static_cast<int>(member.id), narrow(member.name).c_str(),
                  kKinds[static_cast<int>(member.kind)], member.parameterCount);
      for (unsigned k = 0; k < member.optionalCount; ++k)
        std::printf(k == 0 ? ", optional = %d" : ", %d", static_cast<int>(member.defaults[k]));
      std::printf("\n");
    }
  }
  return 0;
}

int RegisterServer(const Arguments& arguments) {
  return ChangeRegistration(arguments, DllRegisterServer, "register [--registry FILE]");
}

int UnregisterServer(const Arguments& arguments) {
  return ChangeRegistration(arguments, DllUnregisterServer, "unregister [--registry FILE]");
}

int RunScriptFile(const Arguments& arguments) {
  Arguments rest;
  bool given;
  if (!TakeRegistryOption(arguments, rest, given) || rest.size() != 1)
    return FailWith("usage: vexacfg script FILE [--registry FILE]");
  std::ifstream script(rest[0]);
  if (!script) return FailWith("cannot read " + rest[0]);
  AttachServerModule();
  if (given) return RunScript(script);
  PrivateRegistry registry;
  if (HRESULT hr = DllRegisterServer(); FAILED(hr)) return FailWith(DescribeHResult(hr) + ": " + RegistryFile());
  return RunScript(script);
}
