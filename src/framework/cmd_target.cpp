#include "framework/cmd_target.h"

namespace fw {

bool CCmdTarget::OnCmdMsg(unsigned, CCmdUI*) { return false; }

}  // namespace fw
