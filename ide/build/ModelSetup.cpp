#include "build/ModelSetup.h"

#include "ControllerMap.h"
#include "QUARVELv2.h"
#include "build/CommandSet.h"
#include "documents/modMain.h"
#include "link/DownloadProgram.h"

namespace modMain {

void ModelSetup(qvv2::QUARVELv2& basic) {
    ControllerType = qvv2::controller::kSetUpType;
    ControllerID = qvv2::controller::kSetUpModel;
    PortType = 1;
    basic.Con_ID = static_cast<uint8_t>(ControllerID);
    basic.Con_Type = ControllerType;
    LoadCommandSet(CommandSetFileName(), basic);
}

void ModelSetup() { ModelSetup(Basic()); }

}  // namespace modMain
