// The Python module vexaconfig: the automation object model by its own names.
#include <pybind11/pybind11.h>

#include "python/config_object.h"
#include "python/enums.h"
#include "python/object_model.h"
#include "python/status.h"

PYBIND11_MODULE(vexaconfig, module) {
  module.doc() =
      "Reads, queries, changes and creates configuration files through the automation object\n"
      "model: VexaConfig, its collections and their items, with the same names, arguments and\n"
      "results as the automation server.";
  module.attr("__version__") = VEXA_VERSION;
  RouteTracesToCollectors();
  RegisterError(module);
  RegisterEnums(module);
  RegisterObjectModel(module);
  RegisterConfigObject(module);
}
