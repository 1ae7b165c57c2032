// The configuration object as vexaconfig.VexaConfig, and vexaconfig.open.
#pragma once
#include <pybind11/pybind11.h>

void RegisterConfigObject(pybind11::module_& module);
