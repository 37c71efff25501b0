// The parts of the extension module quorlin._quorlin, one file each, which
// module.cpp puts together.
#pragma once

#include <pybind11/pybind11.h>

// quorlin.PluginError, and the tool's failures as Python exceptions.
void bindErrors(pybind11::module_& module);
// quorlin.Instrument.
void bindInstrument(pybind11::module_& module);
// quorlin.info().
void bindInfo(pybind11::module_& module);
// quorlin.one_shots().
void bindOneShots(pybind11::module_& module);
