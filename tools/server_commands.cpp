// The subcommands that use the module as the component runtime would: register
// and unregister it, and run scripts that create its classes by name.
#include <cstdio>
#include <fstream>

#include "platform/guid_text.h"
#include "platform/native_file.h"
#include "platform/native_path.h"
#include "platform/private_file.h"
#include "platform/registry.h"
#include "platform/text_conversion.h"
#include "server/entry_points.h"
#include "server/object_map.h"
#include "server/type_library.h"
#include "tools/arguments.h"
#include "tools/commands.h"
#include "tools/script_runner.h"
#include "tools/tool_session.h"

namespace {
int ChangeRegistration(const std::string& registry, HRESULT(STDAPICALLTYPE* change)()) {
  if (!registry.empty()) SetRegistryFile(registry);
  if (HRESULT hr = change(); FAILED(hr)) return FailWith(DescribeHResult(hr) + ": " + RegistryFile());
  return 0;
}

// Without --registry the script gets a registry of its own, with the module
// registered in it, that is removed afterwards: a script never depends on, or
// changes, what other programs registered.
class PrivateRegistry {
 public:
  PrivateRegistry() : path_(CreatePrivateFile(TemporaryFolder() + "/vexacfg-registry-")) { SetRegistryFile(path_); }
  ~PrivateRegistry() { RemoveNativeFile(path_); }
  PrivateRegistry(const PrivateRegistry&) = delete;
  PrivateRegistry& operator=(const PrivateRegistry&) = delete;

 private:
  std::string path_;
};

int PrintTypeLibrary() {
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

int RunScriptFile(const std::string& file, const std::string& registry) {
  std::ifstream script(FileSystemPath(file));
  if (!script) return FailWith("cannot read " + file);
  AttachServerModule();
  if (!registry.empty()) {
    SetRegistryFile(registry);
    return RunScript(script);
  }
  PrivateRegistry privateRegistry;
  if (HRESULT hr = DllRegisterServer(); FAILED(hr)) return FailWith(DescribeHResult(hr) + ": " + RegistryFile());
  return RunScript(script);
}

struct ServerOptions {
  std::string file;
  std::string registry;
};
}  // namespace

void AddServerCommands(CLI::App& app, int& exitCode) {
  auto options = std::make_shared<ServerOptions>();
  CLI::App* command = AddCommand(app, "register [--registry FILE]", "Register the classes with this program",
                                 "Registers the fifteen classes and the type library, with this program as their "
                                 "module, in the registry\nfile (by default ~/.vexa-registry.reg).");
  command->add_option("--registry", options->registry, "The registry file");
  command->callback([options, &exitCode] { exitCode = ChangeRegistration(options->registry, DllRegisterServer); });

  command = AddCommand(app, "unregister [--registry FILE]", "Remove the registration again",
                       "Removes what register wrote.");
  command->add_option("--registry", options->registry, "The registry file");
  command->callback([options, &exitCode] { exitCode = ChangeRegistration(options->registry, DllUnregisterServer); });

  command = AddCommand(app, "script FILE [--registry FILE]", "Run a script of late-bound calls",
                       "Runs a script of late-bound calls (see the README). Classes are found in the registry file "
                       "given, or,\nwithout one, in a private registry that the run registers them in and removes "
                       "afterwards.");
  command->add_option("FILE", options->file, "The script")->required();
  command->add_option("--registry", options->registry, "The registry file");
  command->callback([options, &exitCode] { exitCode = RunScriptFile(options->file, options->registry); });

  command = AddCommand(app, "typelib", "Print the type library",
                       "Prints the type library: each class with its identifier and help string, its interface and "
                       "outgoing\ninterface, and each member as DISPID NAME get|put|method PARAMETERS[, optional = "
                       "DEFAULTS].");
  command->callback([&exitCode] { exitCode = PrintTypeLibrary(); });
}
