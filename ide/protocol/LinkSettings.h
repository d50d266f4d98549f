// The facts the controller link works from: the port kind, the controller
// type and model, and the port values.  They live here, with the link, and
// the settings (documents/modReg.h) load them into these variables and save
// them from them; documents/modMain.h and documents/modReg.h include this
// header, so every folder reads them under their usual names.
#pragma once

#include <cstdint>

namespace modMain {

// Controller type code, model index (1 to 3, the compiler's Con_ID) and port
// kind (1 serial, 0 parallel).  Loaded from and saved to the settings file;
// start-up then sets 8, 2 and 1.
inline int16_t ControllerType = 0;
inline int16_t ControllerID = 1;
inline int16_t PortType = 0;

}  // namespace modMain

namespace modReg {

// Port values: the serial control's port number and the reply time-out
// (interval of the main window's TimeOut timer, milliseconds), and the
// parallel-port values of the link.
struct LinkSettings {
    int16_t LPTnum = 888;
    int16_t LPTnumNext = 889;  // LPTnum + 1, not stored
    int16_t CommPort = 1;      // 1 to 16
    int32_t CommTimeout = 3000;  // 1 to 65535
    int32_t Tx0 = 60000;
    int32_t TxP = 20000;
    int32_t Tx1 = 15000;
    int32_t TxTimeOut = 150000;
    int32_t RxTimeOut = 150000;
};
inline LinkSettings Link;

}  // namespace modReg
