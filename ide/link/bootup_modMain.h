// Module bootup_modMain: state of the firmware update that the link's
// receive handler respects.
#pragma once

namespace bootup_modMain {

// While true the receive handler leaves incoming data in the port's buffer
// and sets no flag: the firmware update reads the port itself.
inline bool RawMode = false;

}  // namespace bootup_modMain
