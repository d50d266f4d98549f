#include "build/ModelSetup.h"

#include "compiler/ControllerMap.h"
#include "compiler/QUARVELv2.h"
#include "build/CommandSet.h"
#include "documents/modMain.h"
#include "link/DownloadProgram.h"

namespace modMain {

void ModelSetup(qvv2::QUARVELv2& basic) { ModelSetup(basic, qvv2::controller::kSetUpModel); }

void ModelSetup(qvv2::QUARVELv2& basic, int16_t model) {
    const qvv2::controller::ModelFacts* facts = qvv2::controller::FindModel(model);
    if (!facts) return;
    ControllerType = facts->deviceType;
    ControllerID = model;
    PortType = 1;
    basic.Con_ID = static_cast<uint8_t>(ControllerID);
    basic.Con_Type = ControllerType;
    LoadCommandSet(CommandSetFileName(), basic);
}

void ModelSetup() { ModelSetup(Basic()); }

}  // namespace modMain
