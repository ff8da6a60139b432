#include "agent/api/agent_control.h"

// The control's meta-object lives here; the interface itself is in the header.
