// TEMPORARY weak stand-ins while other files are written. Removed before commit.
#include "QUARVELv2.h"
#define W __attribute__((weak))
namespace qvv2 {
W void QUARVELv2::InitCommandTable() { commands_.assign(139, {}); }
W int16_t QUARVELv2::IsCommand(const std::u16string&) { return -1; }
W void QUARVELv2::HelpCmd(int16_t&) {}
W void QUARVELv2::GetCommandString(int16_t&) {}
W void QUARVELv2::Wan2Jo(const std::u16string&) {}
W std::u16string QUARVELv2::Jo2Wan() { return {}; }
W void QUARVELv2::CommandUseAll() { enabled_.fill(-1); }
W void QUARVELv2::CommandUnuseAll() { enabled_.fill(0); }
W void QUARVELv2::CommandUse(const std::u16string&) {}
W void QUARVELv2::CommandUnuse(const std::u16string&) {}
W int16_t QUARVELv2::CommandEnabled(int16_t) const { return 0; }
W std::u16string QUARVELv2::GetMessageText(int16_t n) const { return n == 84 ? u"Memory Error" : u""; }
W void QUARVELv2::BuildErrorMessage() {}
W void QUARVELv2::SplitLines(const std::u16string&) { TotalLines = 0; }
W void QUARVELv2::TokenizeSource() {}
W void QUARVELv2::GenerateCode() {}
W void QUARVELv2::ResetBlockState() {}
W int16_t QUARVELv2::FindLabel(const std::u16string&) const { return 0; }
W int16_t QUARVELv2::FindOperator(const std::u16string&) const { return -1; }
W int16_t QUARVELv2::FindVariable(const std::u16string& name) const {
  std::u16string u = UCase(name);
  for (int32_t i = 1; i <= varCount_ && i < (int32_t)vars_.size(); ++i) if (vars_[i].name == u) return (int16_t)i;
  return 0;
}
}
