// Music-string tables.  Filled in with the music compiler.
#include "QUARVELv2.h"

namespace qvv2 {

void QUARVELv2::InitMusicTables() {}

}  // namespace qvv2
