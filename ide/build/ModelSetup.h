// The controller model set-up: the program works with one controller on the
// serial port, the type and model qvv2::controller::kSetUpType and
// kSetUpModel from the start (through the model menu's handler), and the
// model a "'$DEVICE" directive of a compiled program names by its word
// (ModelFacts::deviceWord, with its deviceType).  It sets the module state
// and the compiler control; the model menu's own items are the main
// window's.  Nothing here opens the port or talks to the controller.
#pragma once

#include <cstdint>

namespace qvv2 {
class QUARVELv2;
}

namespace modMain {

// Sets ControllerType, ControllerID and PortType (serial), hands the model
// to `basic` (Con_ID, then Con_Type) and loads the command-set file of the
// user-interface language into it (CommandSetFileName).
void ModelSetup(qvv2::QUARVELv2& basic);
// The same for the table's model `model` and its device type; a number
// outside the table changes nothing.
void ModelSetup(qvv2::QUARVELv2& basic, int16_t model);
// The same on the main window's compiler control (modMain::Basic()).
void ModelSetup();

}  // namespace modMain
