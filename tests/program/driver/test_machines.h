// Machines and discs that more than one program test starts the program on: set up once here, so
// that the tests of the program and the simulation's differential test judge the same ones.
#pragma once

#include "driver/program_driver.h"
#include "platform/registry_view_win.h"

namespace tavelin::testing {

// A present display adapter (on a bus and in a device class of the tests' own: Wine keeps the
// system's own PCI and display-class keys volatile, and a volatile key takes no ordinary subkeys)
// with its installed driver 6.14.10.4764 of 6-21-2006, as the system records them.
void AddInstalledDisplayAdapter();

// The evaluation disc: the adapter's driver, an application with a registry version, an item of
// unknown type and a hotfix that is not installed.
extern const char kEvaluationDisc[];

// The list disc: two applications, a hotfix, an item for another Windows and one that depends on
// the first; and its machine, where only the photo viewer is installed, and current (its key in
// the view given, the program's own by default).
extern const char kListDisc[];
void AddListMachine(REGSAM view = RegistryViewFlag(RegistryView::View32));

// The demo machine: the demo disc's two devices, present without a driver.
void AddDemoDevices();
// The built demo disc's catalogue and installers copied onto a test disc.
void CopyDemoDisc(const TestDisc& disc);

}  // namespace tavelin::testing
