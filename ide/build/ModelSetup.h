// The controller model set-up: the program works with one controller, the
// type and model qvv2::controller::kSetUpType and kSetUpModel on the serial
// port.  Start-up (through the model menu's handler) and every
// "'$DEVICE VX32" directive of a compiled program run it.  It sets the
// module state and the compiler control; the model menu's own items are the
// main window's.  Nothing here opens the port or talks to the controller.
#pragma once

namespace qvv2 {
class QUARVELv2;
}

namespace modMain {

// Sets ControllerType, ControllerID and PortType (serial), hands the model
// to `basic` (Con_ID, then Con_Type) and loads the command-set file of the
// user-interface language into it (CommandSetFileName).
void ModelSetup(qvv2::QUARVELv2& basic);
// The same on the main window's compiler control (modMain::Basic()).
void ModelSetup();

}  // namespace modMain
